#include "formats/ContactsCsv.h"

#include "text/ParseNumbers.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <set>
#include <unordered_map>
#include <unordered_set>

#include "formats/ContactFields.h"
#include "formats/ContactsText.h"
#include "text/Ascii.h"

namespace numora {

namespace {

// What a column holds. Numbers and speed dials are followed by their kind (Mobile .. Fax).
enum class Col {
    Slot,
    Name,
    GivenName,
    MiddleName,
    FamilyName,
    NamePrefix,
    NameSuffix,
    Group,
    GoogleLabels,  // "* myContacts ::: Friends"
    Categories,    // Outlook: "Friends;Work"
    Secret,
    Sensitivity,  // "Normal", "Private", "Confidential"
    Number,
    SpeedDial,
    OtherNumber,  // a number of no kind the book has: the first free of Mobile, Home, Office
    Email,
    OtherEmail,
    Wireless,
    Memo,
    Ringer,
    MsgRinger,
    GooglePhoneType,
    GooglePhoneValue,
    GoogleEmailType,
    GoogleEmailValue,
    GoogleWebsiteValue,
    Quiet,  // describes another column (an e-mail's type or display name): nothing to keep
};

struct Heading {
    std::string_view name;
    Col col;
    int kind = 0;  // number index 0..4 for Number, SpeedDial
};

constexpr std::array<Heading, 19> kBookHeadings = {{
    {"Slot", Col::Slot},
    {"Name", Col::Name},
    {"Group", Col::Group},
    {"Secret", Col::Secret},
    {"Mobile", Col::Number, 0},
    {"Mobile Speed Dial", Col::SpeedDial, 0},
    {"Home", Col::Number, 1},
    {"Home Speed Dial", Col::SpeedDial, 1},
    {"Office", Col::Number, 2},
    {"Office Speed Dial", Col::SpeedDial, 2},
    {"Pager", Col::Number, 3},
    {"Pager Speed Dial", Col::SpeedDial, 3},
    {"Fax", Col::Number, 4},
    {"Fax Speed Dial", Col::SpeedDial, 4},
    {"E-mail", Col::Email},
    {"Wireless Address", Col::Wireless},
    {"Memo", Col::Memo},
    {"Ringer", Col::Ringer},
    {"Msg. Ringer", Col::MsgRinger},
}};

// Headings of other programs' exports that the book has a place for: Google Contacts, Outlook
// (English and German), Thunderbird, webmail address books. Google's numbered columns ("Phone 1 -
// Value") are matched by pattern below.
constexpr Heading kOtherHeadings[] = {
    {"Display Name", Col::Name},
    {"Given Name", Col::GivenName},
    {"First Name", Col::GivenName},
    {"Vorname", Col::GivenName},
    {"Additional Name", Col::MiddleName},
    {"Middle Name", Col::MiddleName},
    {"Weitere Vornamen", Col::MiddleName},
    {"Family Name", Col::FamilyName},
    {"Last Name", Col::FamilyName},
    {"Nachname", Col::FamilyName},
    {"Name Prefix", Col::NamePrefix},
    {"Title", Col::NamePrefix},
    {"Anrede", Col::NamePrefix},
    {"Name Suffix", Col::NameSuffix},
    {"Suffix", Col::NameSuffix},
    {"Namenszusatz", Col::NameSuffix},
    {"Group Membership", Col::GoogleLabels},
    {"Labels", Col::GoogleLabels},
    {"Categories", Col::Categories},
    {"Kategorien", Col::Categories},
    {"Sensitivity", Col::Sensitivity},
    {"Vertraulichkeit", Col::Sensitivity},
    {"Notes", Col::Memo},
    {"Notizen", Col::Memo},
    {"Mobile Phone", Col::Number, 0},
    {"Mobile Number", Col::Number, 0},
    {"Mobiltelefon", Col::Number, 0},
    {"Home Mobile", Col::Number, 0},
    {"Business Mobile", Col::Number, 0},
    {"Home Phone", Col::Number, 1},
    {"Telefon (privat)", Col::Number, 1},
    {"Telefon privat", Col::Number, 1},
    {"Business Phone", Col::Number, 2},
    {"Work Phone", Col::Number, 2},
    {"Telefon (gesch\xC3\xA4"
     "ftlich)",
     Col::Number, 2},
    {"Telefon gesch\xC3\xA4"
     "ftlich",
     Col::Number, 2},
    {"Pager Number", Col::Number, 3},
    {"Business Fax", Col::Number, 4},
    {"Home Fax", Col::Number, 4},
    {"Other Fax", Col::Number, 4},
    {"Fax Number", Col::Number, 4},
    {"Fax gesch\xC3\xA4"
     "ftlich",
     Col::Number, 4},
    {"Fax privat", Col::Number, 4},
    {"Primary Phone", Col::OtherNumber},
    {"Other Phone", Col::OtherNumber},
    {"Home Phone 2", Col::OtherNumber},
    {"Business Phone 2", Col::OtherNumber},
    {"Car Phone", Col::OtherNumber},
    {"Company Main Phone", Col::OtherNumber},
    {"Callback", Col::OtherNumber},
    {"Assistant's Phone", Col::OtherNumber},
    {"Radio Phone", Col::OtherNumber},
    {"ISDN", Col::OtherNumber},
    {"TTY/TDD Phone", Col::OtherNumber},
    {"Telex", Col::OtherNumber},
    {"Weiteres Telefon", Col::OtherNumber},
    {"E-mail Address", Col::Email},
    {"Primary Email", Col::Email},
    {"E-Mail-Adresse", Col::Email},
    {"Email Home", Col::Email},
    {"Email Work", Col::OtherEmail},
    {"Email Other", Col::OtherEmail},
    {"E-mail 2 Address", Col::OtherEmail},
    {"E-mail 3 Address", Col::OtherEmail},
    {"Secondary Email", Col::OtherEmail},
    {"E-Mail 2: Adresse", Col::OtherEmail},
    {"E-mail Type", Col::Quiet},
    {"E-mail Display Name", Col::Quiet},
    {"E-mail 2 Type", Col::Quiet},
    {"E-mail 2 Display Name", Col::Quiet},
    {"E-mail 3 Type", Col::Quiet},
    {"E-mail 3 Display Name", Col::Quiet},
    {"Web Page", Col::Wireless},
    {"Web Page 1", Col::Wireless},
    {"Web Page 2", Col::Wireless},
    {"Webseite", Col::Wireless},
    {"Website Home Page", Col::Wireless},
    {"Website Work", Col::Wireless},
};

// Google's separator of several values in one field.
constexpr std::string_view kGoogleSeparator = " ::: ";

std::string Trim(std::string_view s) {
    const auto b = s.find_first_not_of(" \t");
    if (b == std::string_view::npos) return {};
    return std::string(s.substr(b, s.find_last_not_of(" \t") - b + 1));
}

std::optional<int> Int(std::string_view text) {
    return ParseWholeNumber(Trim(text));
}

// Google's numbered columns: "Phone 2 - Value", "E-mail 1 - Type" (or "- Label").
std::optional<Heading> GoogleHeading(const std::string& lower) {
    struct Pattern {
        std::string_view prefix;
        std::string_view suffix;
        Col col;
    };
    static constexpr std::array<Pattern, 9> kPatterns = {{
        {"phone ", " - value", Col::GooglePhoneValue},
        {"phone ", " - type", Col::GooglePhoneType},
        {"phone ", " - label", Col::GooglePhoneType},
        {"e-mail ", " - value", Col::GoogleEmailValue},
        {"website ", " - value", Col::GoogleWebsiteValue},
        {"e-mail ", " - type", Col::GoogleEmailType},
        {"e-mail ", " - label", Col::GoogleEmailType},
        {"website ", " - type", Col::Quiet},
        {"website ", " - label", Col::Quiet},
    }};
    for (const Pattern& p : kPatterns) {
        if (!lower.starts_with(p.prefix) || !lower.ends_with(p.suffix)) continue;
        if (lower.size() <= p.prefix.size() + p.suffix.size()) continue;
        const std::string_view middle = std::string_view(lower).substr(
            p.prefix.size(), lower.size() - p.prefix.size() - p.suffix.size());
        const auto n = ParseWholeNumber(middle);
        if (n && *n >= 1) return Heading{{}, p.col, *n};
    }
    return std::nullopt;
}

// Every known heading by its lower-case name: a header of any width is looked up in one pass.
std::optional<Heading> FindHeading(std::string lower) {
    // Web and CRM exports write their headings in snake case ("first_name").
    std::replace(lower.begin(), lower.end(), '_', ' ');
    static const std::unordered_map<std::string, Heading> kByName = [] {
        std::unordered_map<std::string, Heading> map;
        for (const Heading& h : kBookHeadings)
            map.emplace(LowerAscii(h.name), h);
        for (const Heading& h : kOtherHeadings)
            map.emplace(LowerAscii(h.name), h);
        return map;
    }();
    if (const auto it = kByName.find(lower); it != kByName.end()) return it->second;
    return GoogleHeading(lower);
}

std::string Quote(std::string_view field) {
    if (field.find_first_of(",;\t\"\r\n") == std::string_view::npos) return std::string(field);
    std::string out = "\"";
    for (const char c : field) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
    return out;
}

// A one-line field as CSV writes it: a line break becomes a space.
std::string OneLine(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            out += ' ';
        } else {
            out += text[i];
        }
    }
    return out;
}

// The separator of the fields: the one of comma, semicolon (European exports) and tab that the
// header line holds most often outside quotes.
char Separator(std::string_view text) {
    int commas = 0;
    int semicolons = 0;
    int tabs = 0;
    bool quoted = false;
    for (const char c : text) {
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        if (c == '\n' || c == '\r') break;
        commas += c == ',';
        semicolons += c == ';';
        tabs += c == '\t';
    }
    if (semicolons > commas && semicolons >= tabs) return ';';
    if (tabs > commas && tabs > semicolons) return '\t';
    return ',';
}

struct Row {
    std::vector<std::string> fields;
    int line = 1;  // where the row starts in the file
};

// RFC 4180 records; a row ends at CR LF, CR or LF, and a quoted field keeps its line breaks as
// they are. A quote opens a quoted field only at the start of a field; elsewhere it is a
// character of the field. A quote never closed would swallow the rest of the file: it is
// reported, taken as a plain character, and the row read again from there.
std::vector<Row> Records(std::string_view text, char separator,
                         std::vector<std::string>& problems) {
    std::vector<Row> rows;
    Row row;
    std::string field;
    bool quoted = false;
    bool any = false;
    int line = 1;
    // Where the open quote stood, to go back to when it is never closed.
    std::size_t quoteAt = 0;
    int quoteLine = 0;
    Row rowAtQuote;
    std::size_t literalQuote = std::string_view::npos;
    const auto lineBreakAt = [&](std::size_t i) -> std::size_t {
        if (text[i] == '\n') return 1;
        if (text[i] == '\r') return text.substr(i, 2) == "\r\n" ? 2 : 1;
        return 0;
    };
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size()) {
            if (!quoted) break;
            problems.push_back("row at line " + std::to_string(rowAtQuote.line) +
                               ": a quote opened on line " + std::to_string(quoteLine) +
                               " is never closed; read as a plain character");
            row = rowAtQuote;
            field.clear();
            line = quoteLine;
            quoted = false;
            any = true;
            literalQuote = quoteAt;
            i = quoteAt;
        }
        const char c = text[i];
        if (quoted) {
            if (text.substr(i, 2) == "\"\"") {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                if (const std::size_t n = lineBreakAt(i); n > 0) {
                    ++line;
                    field.append(text.substr(i, n));
                    i += n - 1;
                } else {
                    field += c;
                }
            }
            continue;
        }
        if (c == '"' && field.empty() && i != literalQuote) {
            quoted = true;
            any = true;
            quoteAt = i;
            quoteLine = line;
            rowAtQuote = row;
        } else if (c == separator) {
            row.fields.push_back(std::move(field));
            field.clear();
            any = true;
        } else if (const std::size_t n = lineBreakAt(i); n > 0) {
            i += n - 1;
            if (any || !field.empty()) {
                row.fields.push_back(std::move(field));
                rows.push_back(std::move(row));
            }
            row = Row{};
            row.line = ++line;
            field.clear();
            any = false;
        } else {
            field += c;
            any = true;
        }
    }
    if (any || !field.empty()) {
        row.fields.push_back(std::move(field));
        rows.push_back(std::move(row));
    }
    return rows;
}

// Splits a field Google filled with several values.
std::vector<std::string> Values(const std::string& field) {
    std::vector<std::string> out;
    for (std::size_t start = 0;;) {
        const std::size_t sep = field.find(kGoogleSeparator, start);
        const std::string v = Trim(std::string_view(field).substr(start, sep - start));
        if (!v.empty()) out.push_back(v);
        if (sep == std::string::npos) break;
        start = sep + kGoogleSeparator.size();
    }
    return out;
}

// Google marks the preferred value's type with "* " ("* Mobile").
std::pair<std::string, bool> GoogleType(const std::string& type) {
    const std::string t = Trim(type);
    if (t.starts_with("* ")) return {Trim(std::string_view(t).substr(2)), true};
    return {t, false};
}

// The kind of a Google phone type ("Mobile", "Work Fax"...), or none of the book's.
std::optional<int> GooglePhoneKind(const std::string& type) {
    const std::string t = LowerAscii(type);
    if (t == "mobile" || t == "cell") return 0;
    if (t == "home") return 1;
    if (t == "work") return 2;
    if (t == "pager" || t == "work pager") return 3;
    if (t.find("fax") != std::string::npos) return 4;
    return std::nullopt;
}

bool LooksLikeEmail(std::string_view v) {
    const auto at = v.find('@');
    return at != std::string_view::npos && at > 0 && v.find(' ') == std::string_view::npos &&
           v.find('.', at) != std::string_view::npos;
}

bool LooksLikeNumber(std::string_view v) {
    int digits = 0;
    for (const char c : v) {
        if (c >= '0' && c <= '9') {
            ++digits;
        } else if (std::string_view(" +-()./").find(c) == std::string_view::npos) {
            return false;
        }
    }
    return digits >= 3;
}

// A date as address books write a birthday ("1960-05-10", "17.02.2016", "5/10/60"): three
// groups of digits with one separator, a year at one end.
bool LooksLikeDate(std::string_view v) {
    const std::size_t first = v.find_first_of("-./");
    if (first == std::string_view::npos) return false;
    const char separator = v[first];
    std::array<int, 3> values{};
    std::array<std::size_t, 3> widths{};
    for (std::size_t k = 0; k < values.size(); ++k) {
        const std::size_t end = k + 1 < values.size() ? v.find(separator) : v.size();
        if (end == std::string_view::npos) return false;
        const std::string_view group = v.substr(0, end);
        if (group.empty() || group.size() > 4 ||
            group.find_first_not_of("0123456789") != std::string_view::npos) {
            return false;
        }
        values[k] = ParseWholeNumber(group).value_or(0);
        widths[k] = group.size();
        v.remove_prefix(std::min(end + 1, v.size()));
    }
    const auto dayAndMonth = [](int a, int b) {
        return a >= 1 && b >= 1 && ((a <= 31 && b <= 12) || (a <= 12 && b <= 31));
    };
    if (widths[0] == 4) {
        return widths[1] <= 2 && widths[2] <= 2 && dayAndMonth(values[2], values[1]);
    }
    return widths[0] <= 2 && widths[1] <= 2 && (widths[2] == 2 || widths[2] == 4) &&
           dayAndMonth(values[0], values[1]);
}

class RowReader {
public:
    explicit RowReader(Contact& c) : m_c(c), m_builder(c) {}

    void Take(const Heading& h, const std::string& heading, const std::string& v) {
        switch (h.col) {
            case Col::Slot:
                if (const auto n = Int(v); n && *n >= 0 && *n < kEntrySlots) {
                    m_c.slot = *n;
                } else {
                    m_c.leftOut.push_back("slot \"" + Clip(v) + "\"");
                }
                break;
            case Col::Name:
                if (m_c.name.empty()) m_c.name = v;
                break;
            case Col::GivenName:
            case Col::MiddleName:
            case Col::FamilyName:
            case Col::NamePrefix:
            case Col::NameSuffix:
                NamePart(h.col) = Trim(v);
                break;
            case Col::Group:
                m_builder.Group(v);
                break;
            case Col::GoogleLabels:
                // Google's own system groups start with "* " ("* myContacts", "* starred").
                for (const std::string& label : Values(v)) {
                    if (!label.starts_with("* ")) m_builder.Group(label);
                }
                break;
            case Col::Categories:
                for (std::size_t start = 0;;) {
                    const std::size_t semi = v.find(';', start);
                    m_builder.Group(Trim(std::string_view(v).substr(start, semi - start)));
                    if (semi == std::string::npos) break;
                    start = semi + 1;
                }
                break;
            case Col::Secret: {
                const std::string t = LowerAscii(Trim(v));
                m_c.secret = t == "yes" || t == "true" || t == "1";
                break;
            }
            case Col::Sensitivity: {
                const std::string t = LowerAscii(Trim(v));
                m_c.secret =
                    t == "private" || t == "confidential" || t == "privat" || t == "vertraulich";
                break;
            }
            case Col::Number:
                m_typed.push_back({v, h.kind, heading});
                break;
            case Col::OtherNumber:
                m_builder.Number(v, std::nullopt, false, std::nullopt, heading);
                break;
            case Col::SpeedDial:
                if (Trim(v) == "X") break;
                if (const auto dial = Int(v)) {
                    m_dials[h.kind] = *dial;
                } else {
                    m_c.leftOut.push_back("speed dial \"" + Clip(v) + "\"");
                }
                break;
            case Col::Email:
            case Col::OtherEmail:
                m_builder.Email(Trim(v), false);
                break;
            case Col::Wireless:
                m_builder.Web(Trim(v), false);
                break;
            case Col::Memo:
                m_builder.Memo(v);
                break;
            case Col::Ringer:
            case Col::MsgRinger: {
                const auto n = Int(v);
                if (!n || *n < 0 || *n > 0xFFFF) {
                    m_c.leftOut.push_back(heading + " \"" + Clip(v) + "\"");
                } else if (h.col == Col::Ringer) {
                    m_c.ringer = static_cast<uint16_t>(*n);
                } else {
                    m_c.msgRinger = static_cast<uint16_t>(*n);
                }
                break;
            }
            case Col::GooglePhoneType:
                m_phones[h.kind].first = v;
                break;
            case Col::GooglePhoneValue:
                m_phones[h.kind].second = v;
                break;
            case Col::GoogleEmailType:
                m_emails[h.kind].first = v;
                break;
            case Col::GoogleEmailValue:
                m_emails[h.kind].second = v;
                break;
            case Col::GoogleWebsiteValue:
                for (const std::string& w : Values(v))
                    m_builder.Web(w, false);
                break;
            case Col::Quiet:
                break;
        }
    }

    // A row without a header: each field is taken by its look.
    void Guess(const std::string& v, std::size_t column) {
        const std::string t = Trim(v);
        if (LooksLikeEmail(t)) {
            m_builder.Email(t, false);
        } else if (LooksLikeDate(t)) {
            m_c.leftOut.push_back("date \"" + Clip(t) + "\"");
        } else if (LooksLikeNumber(t)) {
            m_builder.Number(t, std::nullopt, false);
        } else if (m_c.name.empty()) {
            m_c.name = t;
        } else {
            m_c.leftOut.push_back("field " + std::to_string(column + 1) + " \"" + Clip(t) + "\"");
        }
    }

    // What only the whole row tells: the name from its parts, Google's numbers by their type.
    void Finish() {
        for (const Typed& t : m_typed) {
            const auto dial = m_dials.find(t.kind);
            m_builder.Number(
                t.text, t.kind, false,
                dial == m_dials.end() ? std::nullopt : std::optional<int>(dial->second), t.heading);
        }
        for (const auto& [n, phone] : m_phones) {
            const auto [type, preferred] = GoogleType(phone.first);
            for (const std::string& number : Values(phone.second)) {
                m_builder.Number(number, GooglePhoneKind(type), preferred, std::nullopt,
                                 "Phone " + std::to_string(n));
            }
        }
        for (const auto& [n, email] : m_emails) {
            const bool preferred = GoogleType(email.first).second;
            for (const std::string& address : Values(email.second))
                m_builder.Email(address, preferred);
        }
        m_builder.Finish();
        if (!m_parts.given.empty() || !m_parts.family.empty() || !m_parts.middle.empty()) {
            m_c.nameParts = m_parts;
            if (Trim(m_c.name).empty()) m_c.name = FullName(m_parts);
        }
    }

private:
    std::string& NamePart(Col col) {
        switch (col) {
            case Col::NamePrefix:
                return m_parts.prefix;
            case Col::MiddleName:
                return m_parts.middle;
            case Col::FamilyName:
                return m_parts.family;
            case Col::NameSuffix:
                return m_parts.suffix;
            default:
                return m_parts.given;
        }
    }

    Contact& m_c;
    ContactBuilder m_builder;
    NameParts m_parts;
    struct Typed {
        std::string text;
        int kind;
        std::string heading;
    };
    std::vector<Typed> m_typed;
    std::map<int, int> m_dials;                                   // kind -> speed dial
    std::map<int, std::pair<std::string, std::string>> m_phones;  // n -> (type, value)
    std::map<int, std::pair<std::string, std::string>> m_emails;  // n -> (type, value)
};

void PutRow(std::string& out, const std::vector<std::string>& fields) {
    for (std::size_t k = 0; k < fields.size(); ++k) {
        if (k > 0) out += ',';
        out += Quote(fields[k]);
    }
    out += "\r\n";
}

std::string BookShape(const std::vector<Contact>& contacts) {
    std::string out;
    std::vector<std::string> f;
    f.reserve(kBookHeadings.size());
    for (const Heading& h : kBookHeadings)
        f.emplace_back(h.name);
    PutRow(out, f);
    for (const Contact& c : contacts) {
        f.assign(kBookHeadings.size(), {});
        if (c.slot) f[0] = std::to_string(*c.slot);
        f[1] = OneLine(c.name);
        f[2] = OneLine(c.group);
        f[3] = c.secret ? "YES" : "NO";
        for (std::size_t n = 0; n < kNumberKinds; ++n) {
            f[4 + 2 * n] = c.numbers[n];
            if (c.speedDials[n] != 0) f[5 + 2 * n] = std::to_string(c.speedDials[n]);
        }
        f[14] = OneLine(c.email);
        f[15] = OneLine(c.wireless);
        f[16] = c.memo;
        if (c.ringer) f[17] = std::to_string(*c.ringer);
        if (c.msgRinger) f[18] = std::to_string(*c.msgRinger);
        PutRow(out, f);
    }
    return out;
}

std::string GoogleShape(const std::vector<Contact>& contacts) {
    static constexpr std::array<std::string_view, kNumberKinds> kTypes = {"Mobile", "Home", "Work",
                                                                          "Pager", "Work Fax"};
    std::string out;
    std::vector<std::string> f = {"Name",
                                  "Given Name",
                                  "Family Name",
                                  "Notes",
                                  "Group Membership",
                                  "E-mail 1 - Type",
                                  "E-mail 1 - Value"};
    for (int n = 1; n <= kNumberKinds; ++n) {
        f.push_back("Phone " + std::to_string(n) + " - Type");
        f.push_back("Phone " + std::to_string(n) + " - Value");
    }
    f.emplace_back("Website 1 - Type");
    f.emplace_back("Website 1 - Value");
    PutRow(out, f);
    for (const Contact& c : contacts) {
        f = {OneLine(c.name),
             OneLine(c.name),
             "",
             c.memo,
             c.group.empty() ? std::string("* myContacts") : "* myContacts ::: " + OneLine(c.group),
             c.email.empty() ? "" : "* Other",
             c.email};
        for (std::size_t n = 0; n < kNumberKinds; ++n) {
            f.push_back(c.numbers[n].empty() ? "" : std::string(kTypes[n]));
            f.push_back(c.numbers[n]);
        }
        f.emplace_back(c.wireless.empty() ? "" : "Other");
        f.push_back(c.wireless);
        PutRow(out, f);
    }
    return out;
}

std::string OutlookShape(const std::vector<Contact>& contacts) {
    std::string out;
    PutRow(out,
           {"First Name", "Last Name", "Mobile Phone", "Home Phone", "Business Phone", "Pager",
            "Business Fax", "E-mail Address", "Web Page", "Notes", "Categories", "Sensitivity"});
    for (const Contact& c : contacts) {
        PutRow(out, {OneLine(c.name), "", c.numbers[0], c.numbers[1], c.numbers[2], c.numbers[3],
                     c.numbers[4], c.email, c.wireless, c.memo, OneLine(c.group),
                     c.secret ? "Private" : "Normal"});
    }
    return out;
}

}  // namespace

std::string ContactsToCsv(const std::vector<Contact>& contacts, CsvShape shape) {
    switch (shape) {
        case CsvShape::Google:
            return GoogleShape(contacts);
        case CsvShape::Outlook:
            return OutlookShape(contacts);
        case CsvShape::Book:
            break;
    }
    return BookShape(contacts);
}

ContactsRead ReadCsv(std::string_view bytes, const Charsets& charsets) {
    ContactsRead result;
    ContactsText decoding(charsets);
    const std::string text = decoding.Value(decoding.File(bytes));
    result.encoding = decoding.Encoding();
    result.problems = std::move(decoding.Problems());
    const auto rows = Records(text, Separator(text), result.problems);
    if (rows.empty()) return result;

    const std::vector<std::string>& names = rows[0].fields;
    std::vector<std::optional<Heading>> columns(names.size());
    std::unordered_set<std::string> seen;
    seen.reserve(names.size());
    bool known = false;
    for (std::size_t k = 0; k < names.size(); ++k) {
        const std::string heading = Trim(names[k]);
        if (heading.empty()) continue;
        const std::string lower = LowerAscii(heading);
        if (!seen.insert(lower).second) {
            result.problems.push_back("column \"" + Clip(heading) +
                                      "\" appears twice: the second one is left out");
            continue;
        }
        columns[k] = FindHeading(lower);
        known = known || columns[k].has_value();
    }
    // A first row without one heading of ours is a contact too: a file without a header.
    const bool headed = known;
    if (!headed) {
        result.problems.emplace_back(
            "the first row holds no column heading Numora knows: each row is read as a "
            "contact, its fields taken by their look");
    }
    for (std::size_t r = headed ? 1 : 0; r < rows.size(); ++r) {
        Contact c;
        c.source = static_cast<int>(headed ? r : r + 1);
        RowReader reader(c);
        const std::vector<std::string>& fields = rows[r].fields;
        for (std::size_t k = 0; k < fields.size(); ++k) {
            const std::string& v = fields[k];
            if (v.find_first_not_of(" \t") == std::string::npos) continue;
            if (!headed) {
                reader.Guess(v, k);
            } else if (k < columns.size() && columns[k]) {
                reader.Take(*columns[k], Trim(names[k]), v);
            } else if (k < columns.size()) {
                // A heading the book has no place for (or a second one of a name): its value is
                // reported, not lost silently.
                const std::string heading = Trim(names[k]);
                c.leftOut.push_back(
                    (heading.empty() ? "a column without heading" : "\"" + Clip(heading) + "\"") +
                    " value \"" + Clip(v) + "\"");
            }
        }
        reader.Finish();
        const auto beyond =
            headed && fields.size() > columns.size()
                ? std::count_if(fields.begin() + static_cast<std::ptrdiff_t>(columns.size()),
                                fields.end(), [](const std::string& f) { return !Trim(f).empty(); })
                : 0;
        if (beyond > 0) c.leftOut.push_back(std::to_string(beyond) + " field(s) beyond the header");
        result.contacts.push_back(std::move(c));
    }
    return result;
}

std::vector<Contact> ContactsFromCsv(std::string_view bytes, std::vector<std::string>& problems) {
    ContactsRead r = ReadCsv(bytes, BuiltinCharsets());
    problems.insert(problems.end(), r.problems.begin(), r.problems.end());
    return std::move(r.contacts);
}

}  // namespace numora
