#include "formats/VCard.h"

#include "formats/ContactFields.h"
#include "formats/ContactsText.h"
#include "formats/VCardText.h"
#include "text/ParseNumbers.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <map>
#include <optional>

namespace numora {

namespace {

constexpr std::array<std::string_view, kNumberKinds> kTelTypes = {"CELL", "HOME,VOICE",
                                                                  "WORK,VOICE", "PAGER", "FAX"};
// ---------------------------------------------------------------------------------------------
// Writing

// A one-line text: a line break (a name read from a file may hold one) is written as a space.
std::string Escape(std::string_view text) {
    return EscapeVCardText(text, " ");
}

// Whether every line break of the text is CR LF, the handset's own, which "\n" stands for.
bool OnlyCrLfBreaks(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
        } else if (text[i] == '\r' || text[i] == '\n') {
            return false;
        }
    }
    return true;
}

std::string NoteLine(std::string_view memo) {
    if (OnlyCrLfBreaks(memo)) return "NOTE:" + EscapeVCardText(memo, "\\n");
    // A lone CR or LF has no escape of its own: quoted-printable keeps every byte.
    std::string out = "NOTE;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:";
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const char c : memo) {
        const auto b = static_cast<uint8_t>(c);
        if (b >= 0x21 && b <= 0x7E && b != '=') {
            out += c;
        } else {
            out += '=';
            out += kHex[b >> 4];
            out += kHex[b & 0xF];
        }
    }
    return out;
}

void PutLine(std::string& out, const std::string& line) {
    out += FoldVCardLine(line, "\r\n");
}

// ---------------------------------------------------------------------------------------------
// Reading

enum class Encoding { None, QuotedPrintable, Base64 };

struct Property {
    std::string group;               // "item1" of "item1.TEL", upper case
    std::string name;                // upper case, group prefix removed
    std::string written;             // the name as the file writes it, for reports
    std::vector<std::string> types;  // upper case: TYPE values and bare 2.1 parameters
    std::string speedDial;           // X-SPEED-DIAL
    std::string charset;             // CHARSET, as written
    Encoding encoding = Encoding::None;
    bool preferred = false;
    std::string value;  // raw, still escaped or encoded
};

void SplitInto(std::string_view s, char separator, std::vector<std::string>& out) {
    for (std::size_t start = 0;;) {
        const std::size_t at = s.find(separator, start);
        out.emplace_back(s.substr(start, at - start));
        if (at == std::string_view::npos) break;
        start = at + 1;
    }
}

std::optional<Property> ParseLine(const std::string& line) {
    const std::size_t colon = VCardValueColon(line);
    if (colon == std::string::npos) return std::nullopt;
    Property p;
    p.value = line.substr(colon + 1);
    std::vector<std::string> parts;
    SplitInto(std::string_view(line).substr(0, colon), ';', parts);
    p.written = std::string(TrimBlanks(parts[0]));
    if (const auto dot = p.written.rfind('.'); dot != std::string::npos) {
        p.group = UpperAscii(p.written.substr(0, dot));
        p.written.erase(0, dot + 1);
    }
    p.name = UpperAscii(p.written);
    for (std::size_t k = 1; k < parts.size(); ++k) {
        const std::string& param = parts[k];
        const auto eq = param.find('=');
        const std::string key = UpperAscii(TrimBlanks(std::string_view(param).substr(0, eq)));
        std::string value = eq == std::string::npos ? std::string() : param.substr(eq + 1);
        value.erase(std::remove(value.begin(), value.end(), '"'), value.end());
        if (eq == std::string::npos) {
            if (key == "QUOTED-PRINTABLE") {
                p.encoding = Encoding::QuotedPrintable;
            } else if (key == "BASE64") {
                p.encoding = Encoding::Base64;
            } else if (key == "PREF") {
                p.preferred = true;
            } else {
                p.types.push_back(key);
            }
        } else if (key == "TYPE") {
            std::vector<std::string> types;
            SplitInto(value, ',', types);
            for (const std::string& t : types) {
                const std::string type = UpperAscii(TrimBlanks(t));
                if (type == "PREF") p.preferred = true;
                p.types.push_back(type);
            }
        } else if (key == "ENCODING") {
            const std::string e = UpperAscii(value);
            if (e == "QUOTED-PRINTABLE") p.encoding = Encoding::QuotedPrintable;
            if (e == "B" || e == "BASE64") p.encoding = Encoding::Base64;
        } else if (key == "CHARSET") {
            p.charset = value;
        } else if (key == "PREF") {
            p.preferred = true;
        } else if (key == "X-SPEED-DIAL") {
            p.speedDial = value;
        }
    }
    return p;
}

std::string DecodeBase64(std::string_view s) {
    std::string out;
    uint32_t bits = 0;
    int count = 0;
    for (const char c : s) {
        int v = -1;
        if (c >= 'A' && c <= 'Z') v = c - 'A';
        if (c >= 'a' && c <= 'z') v = c - 'a' + 26;
        if (c >= '0' && c <= '9') v = c - '0' + 52;
        if (c == '+') v = 62;
        if (c == '/') v = 63;
        if (v < 0) continue;
        bits = (bits << 6u) | static_cast<uint32_t>(v);
        count += 6;
        if (count >= 8) {
            count -= 8;
            out += static_cast<char>((bits >> static_cast<uint32_t>(count)) & 0xFFu);
        }
    }
    return out;
}

// The value's text in UTF-8, still escaped: decoded from its transfer encoding and its
// character set (in that order: a Shift_JIS byte may be a backslash).
std::string Decoded(const Property& p, ContactsText& text) {
    std::string raw = p.encoding == Encoding::QuotedPrintable ? DecodeQuotedPrintable(p.value)
                      : p.encoding == Encoding::Base64        ? DecodeBase64(p.value)
                                                              : p.value;
    return text.Value(raw, p.charset);
}

// Escapes undone: "\n" is a line break (CR LF, as the handset keeps it), "\," a comma.
std::string Unescaped(std::string_view s) {
    return UnescapeVCardText(s, "\r\n");
}

std::vector<std::string> Components(std::string_view s, char separator) {
    return VCardComponents(s, separator, "\r\n");
}

bool Has(const Property& p, std::string_view type) {
    return std::find(p.types.begin(), p.types.end(), type) != p.types.end();
}

std::optional<int> TelKind(const Property& p) {
    if (Has(p, "FAX")) return 4;
    if (Has(p, "PAGER")) return 3;
    if (Has(p, "CELL") || Has(p, "MOBILE") || Has(p, "IPHONE")) return 0;
    if (Has(p, "HOME")) return 1;
    if (Has(p, "WORK")) return 2;
    return std::nullopt;
}

// The kind an address-book label gives a grouped number ("_$!<Mobile>!$_", "homeFax").
std::optional<int> LabelKind(std::string label) {
    for (char& c : label)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (label.find("fax") != std::string::npos) return 4;
    if (label.find("pager") != std::string::npos) return 3;
    if (label.find("mobile") != std::string::npos || label.find("iphone") != std::string::npos ||
        label.find("cell") != std::string::npos) {
        return 0;
    }
    if (label.find("home") != std::string::npos) return 1;
    if (label.find("work") != std::string::npos) return 2;
    return std::nullopt;
}

std::string Describe(const Property& p) {
    static constexpr std::pair<std::string_view, std::string_view> kWords[] = {
        {"ADR", "address"},
        {"BDAY", "birthday"},
        {"ORG", "organisation"},
        {"TITLE", "title"},
        {"PHOTO", "photo"},
        {"LOGO", "logo"},
        {"SOUND", "sound"},
        {"KEY", "key"},
        {"NICKNAME", "nickname"},
        {"ROLE", "role"},
        {"LABEL", "address label"},
        {"IMPP", "instant messaging"},
        {"RELATED", "related person"},
        {"ANNIVERSARY", "anniversary"},
        {"GENDER", "gender"},
        {"GEO", "position"},
        {"TZ", "time zone"},
        {"LANG", "language"},
        {"MEMBER", "group member"},
        {"AGENT", "agent"},
        {"MAILER", "mail program"},
        {"FBURL", "free/busy address"},
        {"CALURI", "calendar address"},
        {"CALADRURI", "calendar address"},
        {"BIRTHPLACE", "birthplace"},
        {"DEATHPLACE", "place of death"},
        {"DEATHDATE", "date of death"},
        {"EXPERTISE", "expertise"},
        {"HOBBY", "hobby"},
        {"INTEREST", "interest"},
        {"ORG-DIRECTORY", "directory"},
        {"XML", "XML"},
    };
    for (const auto& [name, words] : kWords) {
        if (p.name == name) return std::string(words);
    }
    if (const auto words = VendorPropertyWords(p.name)) return std::string(*words);
    return Clip(p.written);
}

// One card as it is read: numbers wait for the end of the card, where an address-book label
// may still give a grouped number its kind.
struct Card {
    Card() = default;
    Card(const Card&) = delete;
    Card& operator=(const Card&) = delete;

    Contact contact;
    ContactBuilder builder{contact};
    std::vector<Property> tels;
    std::map<std::string, std::string> labels;  // group -> X-ABLabel
    std::optional<NameParts> parts;
    bool agentPending = false;
};

class CardReader {
public:
    explicit CardReader(ContactsText& text) : m_text(text) {}

    void Take(Card& card, const Property& p) {
        Contact& c = card.contact;
        card.agentPending = false;
        if (p.name == "FN") {
            if (c.name.empty()) c.name = Text(p);
        } else if (p.name == "N") {
            if (card.parts) return;
            const auto n = Components(Decoded(p, m_text), ';');
            const auto at = [&](std::size_t k) {
                std::string part = k < n.size() ? n[k] : std::string();
                std::replace(part.begin(), part.end(), ',', ' ');
                return std::string(TrimBlanks(part));
            };
            card.parts = NameParts{at(3), at(1), at(2), at(0), at(4)};
        } else if (p.name == "TEL") {
            card.tels.push_back(p);
        } else if (p.name == "X-ABLABEL") {
            if (!p.group.empty()) card.labels[p.group] = Text(p);
        } else if (p.name == "EMAIL") {
            card.builder.Email(Text(p), p.preferred);
        } else if (p.name == "URL") {
            card.builder.Web(Text(p), p.preferred);
        } else if (p.name == "NOTE") {
            card.builder.Memo(Text(p));
        } else if (p.name == "CATEGORIES") {
            for (const std::string& name : Components(Decoded(p, m_text), ','))
                card.builder.Group(std::string(TrimBlanks(name)));
        } else if (p.name == "CLASS") {
            const std::string v = UpperAscii(TrimBlanks(Text(p)));
            c.secret = v == "PRIVATE" || v == "CONFIDENTIAL";
        } else if (p.name == "X-NUMORA-SLOT") {
            if (const auto v = ParseWholeNumber(Text(p)); v && *v >= 0 && *v < kEntrySlots)
                c.slot = *v;
        } else if (p.name == "X-NUMORA-RINGER") {
            if (const auto v = ParseWholeNumber(Text(p)); v && *v >= 0 && *v <= 0xFFFF)
                c.ringer = *v;
        } else if (p.name == "X-NUMORA-MSG-RINGER") {
            if (const auto v = ParseWholeNumber(Text(p)); v && *v >= 0 && *v <= 0xFFFF)
                c.msgRinger = *v;
        } else if (p.name == "AGENT" && TrimBlanks(p.value).empty()) {
            card.agentPending = true;  // the agent's own card follows
        } else if (p.name == "PHOTO" || p.name == "LOGO" || p.name == "SOUND" || p.name == "KEY" ||
                   p.name == "X-MS-CARDPICTURE") {
            c.leftOut.push_back(Describe(p));  // binary data: nothing worth showing
        } else if (!IsHousekeepingProperty(p.name)) {
            const std::string text = Text(p);
            if (!TrimBlanks(text).empty())
                c.leftOut.push_back(Describe(p) + " \"" + Clip(text) + "\"");
        }
    }

    // What only the whole card tells: the name from N, the numbers by their kinds.
    Contact Finish(Card& card) {
        Contact& c = card.contact;
        ContactBuilder& builder = card.builder;
        for (const Property& tel : card.tels) {
            std::optional<int> kind = TelKind(tel);
            if (!kind && !tel.group.empty()) {
                if (const auto label = card.labels.find(tel.group); label != card.labels.end())
                    kind = LabelKind(label->second);
            }
            std::optional<int> dial;
            if (!tel.speedDial.empty()) {
                dial = ParseWholeNumber(tel.speedDial);
                if (!dial) c.leftOut.push_back("speed dial \"" + Clip(tel.speedDial) + "\"");
            }
            builder.Number(Text(tel), kind, tel.preferred, dial);
        }
        builder.Finish();
        c.nameParts = card.parts;
        if (TrimBlanks(c.name).empty() && card.parts) c.name = FullName(*card.parts);
        return std::move(c);
    }

private:
    std::string Text(const Property& p) { return Unescaped(Decoded(p, m_text)); }

    ContactsText& m_text;
};

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
        if (!c.memo.empty()) PutLine(out, NoteLine(c.memo));
        if (!c.group.empty()) PutLine(out, "CATEGORIES:" + Escape(c.group));
        if (c.secret) out += "CLASS:PRIVATE\r\n";
        if (c.slot) out += "X-NUMORA-SLOT:" + std::to_string(*c.slot) + "\r\n";
        if (c.ringer) out += "X-NUMORA-RINGER:" + std::to_string(*c.ringer) + "\r\n";
        if (c.msgRinger) out += "X-NUMORA-MSG-RINGER:" + std::to_string(*c.msgRinger) + "\r\n";
        out += "END:VCARD\r\n";
    }
    return out;
}

ContactsRead ReadVCard(std::string_view bytes, const Charsets& charsets) {
    ContactsRead result;
    ContactsText text(charsets);
    const std::string file = text.File(bytes);

    CardReader reader(text);
    std::optional<Card> card;
    int started = 0;
    int nested = 0;  // depth inside a card nested in the current one
    const auto close = [&](const char* unterminated) {
        if (unterminated != nullptr) {
            result.problems.push_back("card " + std::to_string(card->contact.source) +
                                      " has no END: " + unterminated);
        }
        result.contacts.push_back(reader.Finish(*card));
        card.reset();
    };
    for (const VCardLine& line : UnfoldVCardLines(file)) {
        const auto p = ParseLine(line.text);
        if (!p) continue;
        const bool begin = p->name == "BEGIN" && UpperAscii(TrimBlanks(p->value)) == "VCARD";
        const bool end = p->name == "END" && UpperAscii(TrimBlanks(p->value)) == "VCARD";
        if (card && nested > 0) {
            nested += begin ? 1 : end ? -1 : 0;
            continue;
        }
        // A card inside the card (an agent's), on the lines after an empty AGENT or starting
        // on the AGENT line itself: its properties are not the parent's.
        const bool agentBegins =
            p->name == "AGENT" && UpperAscii(TrimBlanks(p->value)) == "BEGIN:VCARD";
        if (card && ((begin && card->agentPending) || agentBegins)) {
            nested = 1;
            card->agentPending = false;
            card->contact.leftOut.emplace_back("agent (a card inside the card)");
            continue;
        }
        if (begin) {
            if (card) close("read up to the next card");
            card.emplace();
            card->contact.source = ++started;
            continue;
        }
        if (!card) continue;
        if (end) {
            close(nullptr);
            continue;
        }
        reader.Take(*card, *p);
    }
    if (card) close("read to the end of the file");
    if (started == 0 && !file.empty())
        result.problems.emplace_back("the file holds no BEGIN:VCARD");
    result.encoding = text.Encoding();
    result.problems.insert(result.problems.begin(), text.Problems().begin(), text.Problems().end());
    return result;
}

std::vector<Contact> ContactsFromVCard(std::string_view bytes, std::vector<std::string>& problems) {
    ContactsRead r = ReadVCard(bytes, BuiltinCharsets());
    problems.insert(problems.end(), r.problems.begin(), r.problems.end());
    return std::move(r.contacts);
}

}  // namespace numora
