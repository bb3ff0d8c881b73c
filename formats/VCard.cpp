#include "formats/VCard.h"

#include "book/ParseNumbers.h"
#include "text/TextCodec.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>

namespace numora {

namespace {

constexpr std::array<std::string_view, kNumberKinds> kTelTypes = {"CELL", "HOME,VOICE",
                                                                  "WORK,VOICE", "PAGER", "FAX"};
constexpr std::size_t kFoldAt = 75;

std::string Upper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

// ---------------------------------------------------------------------------------------------
// Writing

std::string Escape(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '\\' || c == ',' || c == ';') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c != '\r') {
            out += c;
        }
    }
    return out;
}

// Lines longer than 75 octets are folded, never inside a UTF-8 character.
void PutLine(std::string& out, const std::string& line) {
    std::size_t start = 0;
    bool first = true;
    while (line.size() - start > kFoldAt - (first ? 0 : 1)) {
        std::size_t cut = start + kFoldAt - (first ? 0 : 1);
        while (cut > start && (static_cast<uint8_t>(line[cut]) & 0xC0) == 0x80)
            --cut;
        if (!first) out += ' ';
        out.append(line, start, cut - start);
        out += "\r\n";
        start = cut;
        first = false;
    }
    if (!first) out += ' ';
    out.append(line, start, std::string::npos);
    out += "\r\n";
}

// ---------------------------------------------------------------------------------------------
// Reading

struct Property {
    std::string name;                // upper case, group prefix removed
    std::vector<std::string> types;  // upper case: TYPE values and bare 2.1 parameters
    std::string speedDial;           // X-SPEED-DIAL
    bool quotedPrintable = false;
    bool latin1 = false;
    std::string value;  // raw, still escaped or encoded
};

bool IsNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-';
}

// Whether a line begins a property of its own (a known name, or an X- name, before ';' or ':').
// Used after a quoted-printable value's trailing '=': a line that begins a property is not the
// value's continuation.
bool StartsProperty(std::string_view line) {
    static constexpr std::array<std::string_view, 44> kKnown = {
        "BEGIN",  "END",         "VERSION",    "FN",    "N",     "TEL",    "EMAIL",
        "URL",    "NOTE",        "CATEGORIES", "CLASS", "ADR",   "BDAY",   "ORG",
        "TITLE",  "PHOTO",       "NICKNAME",   "ROLE",  "LABEL", "REV",    "UID",
        "PRODID", "SORT-STRING", "KIND",       "GEO",   "TZ",    "LOGO",   "SOUND",
        "KEY",    "MAILER",      "AGENT",      "IMPP",  "LANG",  "GENDER", "ANNIVERSARY",
        "SOURCE", "MEMBER",      "RELATED",    "XML",   "FBURL", "CALURI", "CALADRURI",
        "NAME",   "PROFILE"};
    std::size_t end = 0;
    while (end < line.size() && (IsNameChar(line[end]) || line[end] == '.'))
        ++end;
    if (end == 0 || end >= line.size() || (line[end] != ';' && line[end] != ':')) return false;
    std::string name = Upper(line.substr(0, end));
    if (const auto dot = name.rfind('.'); dot != std::string::npos) name.erase(0, dot + 1);
    return name.starts_with("X-") || std::find(kKnown.begin(), kKnown.end(), name) != kKnown.end();
}

bool IsQuotedPrintable(std::string_view line) {
    return Upper(line.substr(0, line.find(':'))).find("QUOTED-PRINTABLE") != std::string::npos;
}

// Logical lines of LF-only text: folded lines joined, quoted-printable soft line breaks joined.
// Each line is looked at once, so the work grows with the text, never with its square.
std::vector<std::string> Unfold(std::string_view text) {
    std::vector<std::string> lines;
    bool quotedPrintable = false;
    bool softBreak = false;
    for (std::size_t i = 0; i <= text.size();) {
        std::size_t end = text.find('\n', i);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(i, end - i);
        i = end + 1;
        if (softBreak && !line.empty() && !StartsProperty(line)) {
            lines.back() += line;
        } else if (!lines.empty() && !line.empty() && (line[0] == ' ' || line[0] == '\t')) {
            lines.back() += line.substr(1);
        } else if (!line.empty()) {
            lines.emplace_back(line);
            quotedPrintable = IsQuotedPrintable(line);
        } else {
            softBreak = false;
            continue;
        }
        softBreak = quotedPrintable && lines.back().size() > 1 && lines.back().back() == '=';
        if (softBreak) lines.back().pop_back();
    }
    return lines;
}

std::optional<Property> ParseLine(const std::string& line) {
    // The colon that ends the name and parameters is the first one outside quotes.
    std::size_t colon = std::string::npos;
    bool quoted = false;
    for (std::size_t k = 0; k < line.size(); ++k) {
        if (line[k] == '"') quoted = !quoted;
        if (line[k] == ':' && !quoted) {
            colon = k;
            break;
        }
    }
    if (colon == std::string::npos) return std::nullopt;
    Property p;
    p.value = line.substr(colon + 1);
    std::vector<std::string> parts;
    std::string head = line.substr(0, colon);
    for (std::size_t start = 0;;) {
        const std::size_t semi = head.find(';', start);
        parts.push_back(head.substr(start, semi - start));
        if (semi == std::string::npos) break;
        start = semi + 1;
    }
    p.name = Upper(parts[0]);
    if (const auto dot = p.name.rfind('.'); dot != std::string::npos) p.name.erase(0, dot + 1);
    for (std::size_t k = 1; k < parts.size(); ++k) {
        const std::string param = parts[k];
        const auto eq = param.find('=');
        const std::string key = Upper(param.substr(0, eq));
        std::string value = eq == std::string::npos ? std::string() : param.substr(eq + 1);
        value.erase(std::remove(value.begin(), value.end(), '"'), value.end());
        if (eq == std::string::npos) {
            if (key == "QUOTED-PRINTABLE") {
                p.quotedPrintable = true;
            } else {
                p.types.push_back(key);
            }
        } else if (key == "TYPE") {
            for (std::size_t s = 0;;) {
                const std::size_t comma = value.find(',', s);
                p.types.push_back(Upper(value.substr(s, comma - s)));
                if (comma == std::string::npos) break;
                s = comma + 1;
            }
        } else if (key == "ENCODING") {
            p.quotedPrintable = Upper(value) == "QUOTED-PRINTABLE";
        } else if (key == "CHARSET") {
            const std::string cs = Upper(value);
            p.latin1 = cs == "ISO-8859-1" || cs == "WINDOWS-1252" || cs == "LATIN1";
        } else if (key == "X-SPEED-DIAL") {
            p.speedDial = value;
        }
    }
    return p;
}

std::string DecodeQuotedPrintable(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        uint8_t byte = 0;
        if (s[i] == '=' && i + 2 < s.size() && ParseHexBytes(s.substr(i + 1, 2), {&byte, 1})) {
            out += static_cast<char>(byte);
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

// The text of a value: decoded, unescaped, in UTF-8. Components (N, ADR) stay separated by ';'.
std::string Text(const Property& p) {
    std::string raw = p.quotedPrintable ? DecodeQuotedPrintable(p.value) : p.value;
    if (p.latin1) raw = Latin1ToUtf8(raw);
    std::string out;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\\' && i + 1 < raw.size()) {
            const char c = raw[++i];
            out += (c == 'n' || c == 'N') ? '\n' : c;
        } else {
            out += raw[i];
        }
    }
    return out;
}

bool Has(const Property& p, std::string_view type) {
    return std::find(p.types.begin(), p.types.end(), type) != p.types.end();
}

int TelKind(const Property& p) {
    if (Has(p, "FAX")) return 4;
    if (Has(p, "PAGER")) return 3;
    if (Has(p, "CELL")) return 0;
    if (Has(p, "HOME")) return 1;
    if (Has(p, "WORK")) return 2;
    return -1;
}

void TakeTel(Contact& c, const Property& p) {
    const std::string number = Text(p);
    int kind = TelKind(p);
    if (kind < 0) {
        // A number of no particular kind takes the first free of Mobile, Home, Office.
        for (int k = 0; k < 3 && kind < 0; ++k) {
            if (c.numbers[static_cast<std::size_t>(k)].empty()) kind = k;
        }
    }
    if (kind < 0 || !c.numbers[static_cast<std::size_t>(kind)].empty()) {
        c.leftOut.push_back("number \"" + Clip(number) + "\"");
        return;
    }
    c.numbers[static_cast<std::size_t>(kind)] = number;
    if (!p.speedDial.empty()) {
        const auto dial = ParseWholeNumber(p.speedDial);
        if (dial) {
            c.speedDials[static_cast<std::size_t>(kind)] = *dial;
        } else {
            c.leftOut.push_back("speed dial \"" + Clip(p.speedDial) + "\"");
        }
    }
}

void SetOnce(std::string& field, const std::string& value, const char* what, Contact& c) {
    if (field.empty()) {
        field = value;
    } else if (!value.empty()) {
        c.leftOut.push_back(std::string("second ") + what + " \"" + Clip(value) + "\"");
    }
}

// Properties of no meaning for the handset that carry nothing a user would miss.
bool IsHousekeeping(const std::string& name) {
    return name == "VERSION" || name == "PRODID" || name == "REV" || name == "UID" || name == "N" ||
           name == "SORT-STRING" || name == "KIND" || name.starts_with("X-");
}

std::string Describe(const Property& p) {
    static const std::array<std::pair<std::string_view, std::string_view>, 8> kNames{{
        {"ADR", "address"},
        {"BDAY", "birthday"},
        {"ORG", "organisation"},
        {"TITLE", "title"},
        {"PHOTO", "photo"},
        {"NICKNAME", "nickname"},
        {"ROLE", "role"},
        {"LABEL", "address label"},
    }};
    for (const auto& [name, word] : kNames) {
        if (p.name == name) return std::string(word);
    }
    return Clip(p.name);
}

void TakeProperty(Contact& c, const Property& p) {
    if (p.name == "FN") {
        c.name = Text(p);
    } else if (p.name == "TEL") {
        TakeTel(c, p);
    } else if (p.name == "EMAIL") {
        SetOnce(c.email, Text(p), "e-mail", c);
    } else if (p.name == "URL") {
        SetOnce(c.wireless, Text(p), "web address", c);
    } else if (p.name == "NOTE") {
        SetOnce(c.memo, Text(p), "note", c);
    } else if (p.name == "CATEGORIES") {
        // Categories are separated by unescaped commas.
        std::vector<std::string> names(1);
        const std::string raw = p.value;
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] == '\\' && i + 1 < raw.size()) {
                names.back() += raw[++i];
            } else if (raw[i] == ',') {
                names.emplace_back();
            } else {
                names.back() += raw[i];
            }
        }
        for (const std::string& n : names) {
            if (n.empty()) continue;
            if (c.group.empty()) {
                c.group = p.latin1 ? Latin1ToUtf8(n) : n;
            } else {
                c.leftOut.push_back("category \"" + Clip(n) + "\"");
            }
        }
    } else if (p.name == "CLASS") {
        const std::string v = Upper(Text(p));
        c.secret = v == "PRIVATE" || v == "CONFIDENTIAL";
    } else if (p.name == "X-NUMORA-SLOT") {
        if (const auto v = ParseWholeNumber(Text(p)); v && *v >= 0 && *v < kEntrySlots) c.slot = *v;
    } else if (p.name == "X-NUMORA-RINGER") {
        if (const auto v = ParseWholeNumber(Text(p)); v && *v >= 0 && *v <= 0xFFFF) c.ringer = *v;
    } else if (p.name == "X-NUMORA-MSG-RINGER") {
        if (const auto v = ParseWholeNumber(Text(p)); v && *v >= 0 && *v <= 0xFFFF)
            c.msgRinger = *v;
    } else if (p.name == "PHOTO" || p.name == "LOGO" || p.name == "SOUND" || p.name == "KEY") {
        c.leftOut.push_back(Describe(p));  // binary data: nothing worth showing
    } else if (!IsHousekeeping(p.name)) {
        c.leftOut.push_back(Describe(p) + " \"" + Clip(Text(p)) + "\"");
    }
}

// A card with no FN names its person from N (family;given;middle;prefix;suffix).
std::string NameFromN(const Property& n) {
    const std::string text = Text(n);
    std::vector<std::string> parts(1);
    for (const char ch : text) {
        if (ch == ';') {
            parts.emplace_back();
        } else {
            parts.back() += ch;
        }
    }
    std::string name = parts.size() > 1 ? parts[1] : std::string();
    if (!parts[0].empty()) name += (name.empty() ? "" : " ") + parts[0];
    return name;
}

}  // namespace

std::string ContactsToVCard(const std::vector<Contact>& contacts) {
    std::string out;
    for (const Contact& c : contacts) {
        out += "BEGIN:VCARD\r\nVERSION:3.0\r\n";
        PutLine(out, "FN:" + Escape(c.name));
        PutLine(out, "N:" + Escape(c.name) + ";;;;");
        for (std::size_t k = 0; k < kNumberKinds; ++k) {
            if (c.numbers[k].empty()) continue;
            std::string line = "TEL;TYPE=" + std::string(kTelTypes[k]);
            if (c.speedDials[k] != 0) line += ";X-SPEED-DIAL=" + std::to_string(c.speedDials[k]);
            PutLine(out, line + ":" + Escape(c.numbers[k]));
        }
        if (!c.email.empty()) PutLine(out, "EMAIL;TYPE=INTERNET:" + Escape(c.email));
        if (!c.wireless.empty()) PutLine(out, "URL:" + Escape(c.wireless));
        if (!c.memo.empty()) PutLine(out, "NOTE:" + Escape(c.memo));
        if (!c.group.empty()) PutLine(out, "CATEGORIES:" + Escape(c.group));
        if (c.secret) out += "CLASS:PRIVATE\r\n";
        if (c.slot) out += "X-NUMORA-SLOT:" + std::to_string(*c.slot) + "\r\n";
        if (c.ringer) out += "X-NUMORA-RINGER:" + std::to_string(*c.ringer) + "\r\n";
        if (c.msgRinger) out += "X-NUMORA-MSG-RINGER:" + std::to_string(*c.msgRinger) + "\r\n";
        out += "END:VCARD\r\n";
    }
    return out;
}

std::vector<Contact> ContactsFromVCard(std::string_view bytes, std::vector<std::string>& problems) {
    const std::string text = ContactsText(bytes, false, problems);
    std::vector<Contact> out;
    std::optional<Contact> card;
    std::optional<Property> n;
    int started = 0;
    for (const std::string& line : Unfold(text)) {
        const auto p = ParseLine(line);
        if (!p) continue;
        if (p->name == "BEGIN" && Upper(p->value) == "VCARD") {
            if (card) {
                problems.push_back("card " + std::to_string(card->source) +
                                   " has no END: left out");
            }
            card.emplace();
            card->source = ++started;
            n.reset();
            continue;
        }
        if (!card) continue;
        if (p->name == "END" && Upper(p->value) == "VCARD") {
            if (card->name.empty() && n) card->name = NameFromN(*n);
            out.push_back(std::move(*card));
            card.reset();
            continue;
        }
        if (p->name == "N") n = *p;
        TakeProperty(*card, *p);
    }
    if (card) {
        problems.push_back("card " + std::to_string(card->source) + " has no END: left out");
    }
    return out;
}

}  // namespace numora
