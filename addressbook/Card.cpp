#include "addressbook/Card.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace numora {

namespace {

constexpr std::size_t kFoldAt = 75;

std::string Upper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

bool SameWord(std::string_view a, std::string_view b) {
    return a.size() == b.size() && Upper(a) == Upper(b);
}

std::string_view StripLineEnd(std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);
    return line;
}

// Splits "a;b;c" at the separators outside double quotes.
std::vector<std::string> SplitOutsideQuotes(std::string_view s, char sep) {
    std::vector<std::string> parts(1);
    bool quoted = false;
    for (const char c : s) {
        if (c == '"') quoted = !quoted;
        if (c == sep && !quoted) {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

bool IsQuotedPrintable(const CardProperty& p) {
    return SameWord(p.Param("ENCODING"), "QUOTED-PRINTABLE") || p.HasType("QUOTED-PRINTABLE");
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string DecodeQuotedPrintable(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '=' && i + 2 < s.size() && HexValue(s[i + 1]) >= 0 && HexValue(s[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(s[i + 1]) * 16 + HexValue(s[i + 2]));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

// Fills name, group, params and value from a logical line; false when it has no colon.
bool ParseHead(std::string_view line, CardProperty& p) {
    std::size_t colon = std::string_view::npos;
    bool quoted = false;
    for (std::size_t k = 0; k < line.size(); ++k) {
        if (line[k] == '"') quoted = !quoted;
        if (line[k] == ':' && !quoted) {
            colon = k;
            break;
        }
    }
    if (colon == std::string_view::npos) return false;
    p.value = std::string(line.substr(colon + 1));
    auto parts = SplitOutsideQuotes(line.substr(0, colon), ';');
    std::string name = parts.front();
    if (const auto dot = name.find('.'); dot != std::string::npos) {
        p.group = name.substr(0, dot);
        name.erase(0, dot + 1);
    }
    p.name = Upper(name);
    p.params.assign(parts.begin() + 1, parts.end());
    return true;
}

std::string Serialise(const CardProperty& p) {
    std::string line = p.group.empty() ? p.name : p.group + "." + p.name;
    for (const std::string& param : p.params)
        line += ";" + param;
    return line + ":" + p.value;
}

// Lines longer than 75 octets are folded, never inside a UTF-8 character.
std::string Fold(const std::string& line, const std::string& lineEnd) {
    std::string out;
    std::size_t start = 0;
    bool first = true;
    while (line.size() - start > kFoldAt - (first ? 0 : 1)) {
        const std::size_t limit = start + kFoldAt - (first ? 0 : 1);
        std::size_t cut = limit;
        while (cut > start && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
            --cut;
        if (cut == start) cut = limit;  // no character starts here: bytes that are no UTF-8
        if (!first) out += ' ';
        out.append(line, start, cut - start);
        out += lineEnd;
        start = cut;
        first = false;
    }
    if (!first) out += ' ';
    out.append(line, start, std::string::npos);
    return out + lineEnd;
}

}  // namespace

bool CardProperty::HasType(std::string_view type) const {
    for (const std::string& param : params) {
        const auto eq = param.find('=');
        if (eq == std::string::npos) {
            if (SameWord(param, type)) return true;
            continue;
        }
        if (!SameWord(std::string_view(param).substr(0, eq), "TYPE")) continue;
        std::string values = param.substr(eq + 1);
        values.erase(std::remove(values.begin(), values.end(), '"'), values.end());
        for (const std::string& v : SplitOutsideQuotes(values, ',')) {
            if (SameWord(v, type)) return true;
        }
    }
    return false;
}

std::string CardProperty::Param(std::string_view key) const {
    for (const std::string& param : params) {
        const auto eq = param.find('=');
        if (eq == std::string::npos || !SameWord(std::string_view(param).substr(0, eq), key)) {
            continue;
        }
        std::string v = param.substr(eq + 1);
        v.erase(std::remove(v.begin(), v.end(), '"'), v.end());
        return v;
    }
    return {};
}

std::string CardProperty::Text() const {
    const std::string decoded = IsQuotedPrintable(*this) ? DecodeQuotedPrintable(value) : value;
    std::string out;
    for (std::size_t i = 0; i < decoded.size(); ++i) {
        if (decoded[i] == '\\' && i + 1 < decoded.size()) {
            const char c = decoded[++i];
            out += (c == 'n' || c == 'N') ? '\n' : c;
        } else {
            out += decoded[i];
        }
    }
    return out;
}

std::optional<Card> Card::Parse(std::string_view text) {
    Card card;
    if (text.find("\r\n") == std::string_view::npos && text.find('\n') != std::string_view::npos) {
        card.m_lineEnd = "\n";
    }
    bool begun = false;
    bool ended = false;
    bool softBreak = false;  // a quoted-printable value whose line ended in '='
    std::string logical;     // the last property's unfolded line
    for (std::size_t i = 0; i < text.size() && !ended;) {
        // A line ends in CR LF, LF or a lone CR, as the contacts import reads it.
        std::size_t end = text.find_first_of("\r\n", i);
        if (end == std::string_view::npos) {
            end = text.size();
        } else {
            end += (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1;
        }
        const std::string_view physical = text.substr(i, end - i);
        i = end;
        const std::string_view line = StripLineEnd(physical);
        const bool continues =
            !card.m_props.empty() &&
            (softBreak || (!line.empty() && (line[0] == ' ' || line[0] == '\t')));
        if (continues) {
            // Blank lines between a property and its continuation do not end it: they go into
            // its bytes, so that the card reads as the contacts import reads it.
            std::string blanks;
            while (card.m_props.size() > 1 && card.m_props.back().name.empty() &&
                   StripLineEnd(card.m_props.back().raw).empty() && !softBreak) {
                blanks.insert(0, card.m_props.back().raw);
                card.m_props.pop_back();
            }
            card.m_props.back().raw += blanks;
            if (softBreak) {
                logical.pop_back();  // the '=' of the soft break
                logical += line;
            } else {
                logical += line.substr(1);
            }
            CardProperty& p = card.m_props.back();
            std::string raw = std::move(p.raw) + std::string(physical);
            p = CardProperty{};
            if (!ParseHead(logical, p)) p.name.clear();
            p.raw = std::move(raw);
        } else {
            if (!line.empty()) logical = std::string(line);
            CardProperty p;
            p.raw = std::string(physical);
            if (!ParseHead(line, p)) p.name.clear();  // a blank or stray line, kept as it is
            card.m_props.push_back(std::move(p));
        }
        const CardProperty& p = card.m_props.back();
        if (p.name == "BEGIN" && SameWord(p.value, "VCARD")) {
            // A card inside a card (AGENT) is not one the sync edits: it stays as it is.
            if (begun) return std::nullopt;
            begun = true;
        }
        if (p.name == "END" && SameWord(p.value, "VCARD") && begun) ended = true;
        softBreak = IsQuotedPrintable(p) && !p.value.empty() && p.value.back() == '=';
    }
    if (!begun || !ended) return std::nullopt;
    return card;
}

Card Card::Make(std::string_view uid) {
    Card card;
    const auto add = [&card](std::string name, std::string value) {
        CardProperty p;
        p.name = std::move(name);
        p.value = std::move(value);
        p.edited = true;
        card.m_props.push_back(std::move(p));
    };
    add("BEGIN", "VCARD");
    add("VERSION", "3.0");
    add("UID", Escape(uid));
    add("END", "VCARD");
    return card;
}

std::string Card::Text() const {
    std::string out;
    for (const CardProperty& p : m_props) {
        if (!p.edited) {
            out += p.raw;
        } else {
            if (!out.empty() && out.back() != '\n') out += m_lineEnd;
            out += Fold(Serialise(p), m_lineEnd);
        }
    }
    return out;
}

const CardProperty* Card::Find(std::string_view name) const {
    for (const CardProperty& p : m_props) {
        if (p.name == name) return &p;
    }
    return nullptr;
}

CardProperty* Card::Find(std::string_view name) {
    return const_cast<CardProperty*>(std::as_const(*this).Find(name));
}

std::string Card::Uid() const {
    const CardProperty* p = Find("UID");
    return p != nullptr ? p->Text() : std::string();
}

std::string Card::Escape(std::string_view text) {
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

void Card::SetText(CardProperty& p, std::string_view text) {
    SetRawValue(p, Escape(text));
}

void Card::SetRawValue(CardProperty& p, std::string value) {
    // The new value is plain UTF-8: an encoding or character set of the old one no longer holds.
    std::erase_if(p.params, [](const std::string& param) {
        const std::string key = Upper(param.substr(0, param.find('=')));
        return key == "ENCODING" || key == "CHARSET" || key == "QUOTED-PRINTABLE";
    });
    p.value = std::move(value);
    p.edited = true;
}

CardProperty& Card::Add(std::string_view name, std::vector<std::string> params, std::string value) {
    auto at = m_props.end();
    for (auto it = m_props.begin(); it != m_props.end(); ++it) {
        if (it->name == "END") at = it;
    }
    CardProperty p;
    p.name = Upper(name);
    p.params = std::move(params);
    p.value = std::move(value);
    p.edited = true;
    return *m_props.insert(at, std::move(p));
}

void Card::Remove(CardProperty* p) {
    *p = CardProperty{};  // writes nothing and is found by no name
}

}  // namespace numora
