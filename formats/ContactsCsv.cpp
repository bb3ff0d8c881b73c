#include "formats/ContactsCsv.h"

#include "book/ParseNumbers.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <map>
#include <optional>

namespace numora {

namespace {

// What a column holds. Numbers and speed dials are followed by their kind (Mobile .. Fax).
enum class Col {
    Slot,
    Name,
    GivenName,
    MiddleName,
    FamilyName,
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

// Headings of Google Contacts' and Outlook's exports that the book has a place for. Google's
// numbered columns ("Phone 1 - Value") are matched by pattern below.
constexpr std::array<Heading, 38> kOtherHeadings = {{
    {"Given Name", Col::GivenName},
    {"First Name", Col::GivenName},
    {"Additional Name", Col::MiddleName},
    {"Middle Name", Col::MiddleName},
    {"Family Name", Col::FamilyName},
    {"Last Name", Col::FamilyName},
    {"Group Membership", Col::GoogleLabels},
    {"Labels", Col::GoogleLabels},
    {"Categories", Col::Categories},
    {"Sensitivity", Col::Sensitivity},
    {"Notes", Col::Memo},
    {"Mobile Phone", Col::Number, 0},
    {"Home Phone", Col::Number, 1},
    {"Business Phone", Col::Number, 2},
    {"Business Fax", Col::Number, 4},
    {"Home Fax", Col::Number, 4},
    {"Other Fax", Col::Number, 4},
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
    {"E-mail Address", Col::Email},
    {"E-mail 2 Address", Col::OtherEmail},
    {"E-mail 3 Address", Col::OtherEmail},
    {"E-mail Type", Col::Quiet},
    {"E-mail Display Name", Col::Quiet},
    {"E-mail 2 Type", Col::Quiet},
    {"E-mail 2 Display Name", Col::Quiet},
    {"E-mail 3 Type", Col::Quiet},
    {"Web Page", Col::Wireless},
}};

// Google's separator of several values in one field.
constexpr std::string_view kGoogleSeparator = " ::: ";

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

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
    static constexpr std::array<Pattern, 7> kPatterns = {{
        {"phone ", " - value", Col::GooglePhoneValue},
        {"phone ", " - type", Col::GooglePhoneType},
        {"phone ", " - label", Col::GooglePhoneType},
        {"e-mail ", " - value", Col::GoogleEmailValue},
        {"website ", " - value", Col::GoogleWebsiteValue},
        {"e-mail ", " - type", Col::Quiet},
        {"e-mail ", " - label", Col::Quiet},
    }};
    for (const Pattern& p : kPatterns) {
        if (!lower.starts_with(p.prefix) || !lower.ends_with(p.suffix)) continue;
        const std::string_view middle = std::string_view(lower).substr(
            p.prefix.size(), lower.size() - p.prefix.size() - p.suffix.size());
        const auto n = ParseWholeNumber(middle);
        if (n && *n >= 1) return Heading{{}, p.col, *n};
    }
    if ((lower.starts_with("website ") &&
         (lower.ends_with(" - type") || lower.ends_with(" - label")))) {
        return Heading{{}, Col::Quiet};
    }
    return std::nullopt;
}

std::optional<Heading> FindHeading(std::string_view heading) {
    const std::string lower = Lower(Trim(heading));
    for (const Heading& h : kBookHeadings) {
        if (Lower(h.name) == lower) return h;
    }
    for (const Heading& h : kOtherHeadings) {
        if (Lower(h.name) == lower) return h;
    }
    return GoogleHeading(lower);
}

std::string Quote(std::string_view field) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(field);
    std::string out = "\"";
    for (const char c : field) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
    return out;
}

struct Row {
    std::vector<std::string> fields;
    int line = 1;  // where the row starts in the file
};

// RFC 4180 records in LF-only text. A quote opens a quoted field only at the start of a field;
// elsewhere it is a character of the field. A quote never closed would swallow the rest of the
// file: it is reported, taken as a plain character, and the row read again from there.
std::vector<Row> Records(std::string_view text, std::vector<std::string>& problems) {
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
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                if (c == '\n') ++line;
                field += c;
            }
            continue;
        }
        if (c == '"' && field.empty() && i != literalQuote) {
            quoted = true;
            any = true;
            quoteAt = i;
            quoteLine = line;
            rowAtQuote = row;
        } else if (c == ',') {
            row.fields.push_back(std::move(field));
            field.clear();
            any = true;
        } else if (c == '\n') {
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

// The kind of a Google phone type ("Mobile", "Work Fax"...): 0..4, or -1 for none of them.
int GooglePhoneKind(const std::string& type) {
    const std::string t = Lower(Trim(type));
    if (t == "mobile" || t == "cell") return 0;
    if (t == "home") return 1;
    if (t == "work") return 2;
    if (t == "pager" || t == "work pager") return 3;
    if (t.find("fax") != std::string::npos) return 4;
    return -1;
}

class RowReader {
public:
    explicit RowReader(Contact& c) : m_c(c) {}

    void Number(int kind, const std::string& value, std::string_view heading) {
        if (kind < 0) {
            for (int k = 0; k < 3 && kind < 0; ++k) {
                if (m_c.numbers[static_cast<std::size_t>(k)].empty()) kind = k;
            }
        }
        if (kind < 0 || !m_c.numbers[static_cast<std::size_t>(kind)].empty()) {
            m_c.leftOut.push_back(std::string(heading) + " \"" + Clip(value) + "\"");
            return;
        }
        m_c.numbers[static_cast<std::size_t>(kind)] = value;
    }

    void Email(const std::string& value, std::string_view heading) {
        if (m_c.email.empty()) {
            m_c.email = value;
        } else {
            m_c.leftOut.push_back("second e-mail (" + std::string(heading) + ") \"" + Clip(value) +
                                  "\"");
        }
    }

    void Group(const std::string& name) {
        if (m_c.group.empty()) {
            m_c.group = name;
        } else {
            m_c.leftOut.push_back("group \"" + Clip(name) + "\"");
        }
    }

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
                m_c.name = v;
                break;
            case Col::GivenName:
                m_given = v;
                break;
            case Col::MiddleName:
                m_middle = v;
                break;
            case Col::FamilyName:
                m_family = v;
                break;
            case Col::Group:
                Group(v);
                break;
            case Col::GoogleLabels:
                // Google's own system groups start with "* " ("* myContacts", "* starred").
                for (const std::string& label : Values(v)) {
                    if (!label.starts_with("* ")) Group(label);
                }
                break;
            case Col::Categories:
                for (std::size_t start = 0;;) {
                    const std::size_t semi = v.find(';', start);
                    const std::string name = Trim(std::string_view(v).substr(start, semi - start));
                    if (!name.empty()) Group(name);
                    if (semi == std::string::npos) break;
                    start = semi + 1;
                }
                break;
            case Col::Secret: {
                const std::string t = Lower(Trim(v));
                m_c.secret = t == "yes" || t == "true" || t == "1";
                break;
            }
            case Col::Sensitivity: {
                const std::string t = Lower(Trim(v));
                m_c.secret = t == "private" || t == "confidential";
                break;
            }
            case Col::Number:
                Number(h.kind, v, heading);
                break;
            case Col::OtherNumber:
                Number(-1, v, heading);
                break;
            case Col::SpeedDial:
                if (Trim(v) == "X") break;
                if (const auto dial = Int(v)) {
                    m_c.speedDials[static_cast<std::size_t>(h.kind)] = *dial;
                } else {
                    m_c.leftOut.push_back("speed dial \"" + Clip(v) + "\"");
                }
                break;
            case Col::Email:
            case Col::OtherEmail:
                Email(v, heading);
                break;
            case Col::Wireless:
                if (m_c.wireless.empty()) {
                    m_c.wireless = v;
                } else {
                    m_c.leftOut.push_back("second web address \"" + Clip(v) + "\"");
                }
                break;
            case Col::Memo:
                m_c.memo = v;
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
            case Col::GoogleEmailValue:
                for (const std::string& e : Values(v))
                    Email(e, heading);
                break;
            case Col::GoogleWebsiteValue:
                for (const std::string& w : Values(v))
                    Take(Heading{{}, Col::Wireless}, heading, w);
                break;
            case Col::Quiet:
                break;
        }
    }

    // What only the whole row tells: the name from its parts, Google's numbers by their type.
    void Finish() {
        if (m_c.name.empty()) {
            for (const std::string* part : {&m_given, &m_middle, &m_family}) {
                if (part->empty()) continue;
                if (!m_c.name.empty()) m_c.name += ' ';
                m_c.name += *part;
            }
        }
        for (const auto& [n, phone] : m_phones) {
            const std::string heading = "Phone " + std::to_string(n);
            for (const std::string& number : Values(phone.second))
                Number(GooglePhoneKind(phone.first), number, heading);
        }
    }

private:
    Contact& m_c;
    std::string m_given;
    std::string m_middle;
    std::string m_family;
    std::map<int, std::pair<std::string, std::string>> m_phones;  // n -> (type, value)
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
    for (const Heading& h : kBookHeadings)
        f.emplace_back(h.name);
    PutRow(out, f);
    for (const Contact& c : contacts) {
        f.assign(kBookHeadings.size(), {});
        if (c.slot) f[0] = std::to_string(*c.slot);
        f[1] = c.name;
        f[2] = c.group;
        f[3] = c.secret ? "YES" : "NO";
        for (std::size_t n = 0; n < kNumberKinds; ++n) {
            f[4 + 2 * n] = c.numbers[n];
            if (c.speedDials[n] != 0) f[5 + 2 * n] = std::to_string(c.speedDials[n]);
        }
        f[14] = c.email;
        f[15] = c.wireless;
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
        f = {c.name,
             c.name,
             "",
             c.memo,
             c.group.empty() ? std::string("* myContacts") : "* myContacts ::: " + c.group,
             c.email.empty() ? "" : "* Other",
             c.email};
        for (std::size_t n = 0; n < kNumberKinds; ++n) {
            f.push_back(c.numbers[n].empty() ? "" : std::string(kTypes[n]));
            f.push_back(c.numbers[n]);
        }
        f.push_back(c.wireless.empty() ? "" : "Other");
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
        PutRow(out,
               {c.name, "", c.numbers[0], c.numbers[1], c.numbers[2], c.numbers[3], c.numbers[4],
                c.email, c.wireless, c.memo, c.group, c.secret ? "Private" : "Normal"});
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

std::vector<Contact> ContactsFromCsv(std::string_view bytes, std::vector<std::string>& problems) {
    const std::string text = ContactsText(bytes, true, problems);
    const auto rows = Records(text, problems);
    std::vector<Contact> out;
    if (rows.empty()) return out;

    const std::vector<std::string>& names = rows[0].fields;
    std::vector<std::optional<Heading>> columns(names.size());
    std::vector<std::string> seen;
    for (std::size_t k = 0; k < names.size(); ++k) {
        const std::string heading = Trim(names[k]);
        if (heading.empty()) continue;
        const std::string lower = Lower(heading);
        if (std::find(seen.begin(), seen.end(), lower) != seen.end()) {
            problems.push_back("column \"" + Clip(heading) +
                               "\" appears twice: the second one is left out");
            continue;
        }
        seen.push_back(lower);
        columns[k] = FindHeading(heading);
    }
    for (std::size_t r = 1; r < rows.size(); ++r) {
        Contact c;
        c.source = static_cast<int>(r);
        RowReader reader(c);
        const std::vector<std::string>& fields = rows[r].fields;
        for (std::size_t k = 0; k < fields.size() && k < columns.size(); ++k) {
            const std::string& v = fields[k];
            if (v.empty()) continue;
            if (columns[k]) {
                reader.Take(*columns[k], Trim(names[k]), v);
            } else {
                // A heading the book has no place for (or a second one of a name): its value is
                // reported, not lost silently.
                const std::string heading = Trim(names[k]);
                c.leftOut.push_back(
                    (heading.empty() ? "a column without heading" : "\"" + Clip(heading) + "\"") +
                    " value \"" + Clip(v) + "\"");
            }
        }
        reader.Finish();
        if (fields.size() > columns.size()) {
            c.leftOut.push_back(std::to_string(fields.size() - columns.size()) +
                                " field(s) beyond the header");
        }
        out.push_back(std::move(c));
    }
    return out;
}

}  // namespace numora
