#include "addressbook/Card.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "formats/VCardText.h"

namespace numora {

namespace {

bool SameWord(std::string_view a, std::string_view b) {
    return a.size() == b.size() && UpperAscii(a) == UpperAscii(b);
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

// Fills name, group, params and value from a logical line; false when it has no colon.
bool ParseHead(std::string_view line, CardProperty& p) {
    const std::size_t colon = VCardValueColon(line);
    if (colon == std::string_view::npos) return false;
    p.value = std::string(line.substr(colon + 1));
    auto parts = SplitOutsideQuotes(line.substr(0, colon), ';');
    std::string name = parts.front();
    if (const auto dot = name.find('.'); dot != std::string::npos) {
        p.group = name.substr(0, dot);
        name.erase(0, dot + 1);
    }
    p.name = UpperAscii(name);
    p.params.assign(parts.begin() + 1, parts.end());
    return true;
}

std::string Serialise(const CardProperty& p) {
    std::string line = p.group.empty() ? p.name : p.group + "." + p.name;
    for (const std::string& param : p.params)
        line += ";" + param;
    return line + ":" + p.value;
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
    return UnescapeVCardText(IsQuotedPrintable(*this) ? DecodeQuotedPrintable(value) : value, "\n");
}

std::optional<Card> Card::Parse(std::string_view text) {
    Card card;
    if (text.find("\r\n") == std::string_view::npos && text.find('\n') != std::string_view::npos) {
        card.m_lineEnd = "\n";
    }
    // The logical lines as the contacts import reads them, each with the bytes it came in.
    bool begun = false;
    bool ended = false;
    for (const VCardLine& line : UnfoldVCardLines(text)) {
        CardProperty p;
        p.raw = std::string(text.substr(line.begin, line.end - line.begin));
        if (!ParseHead(line.text, p)) p.name.clear();  // a blank or stray line, kept as it is
        if (p.name == "BEGIN" && SameWord(p.value, "VCARD")) {
            // A card inside a card (AGENT) is not one the sync edits: it stays as it is.
            if (begun) return std::nullopt;
            begun = true;
        }
        ended = p.name == "END" && SameWord(p.value, "VCARD") && begun;
        card.m_props.push_back(std::move(p));
        if (ended) break;
    }
    if (!ended) return std::nullopt;
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
            out += FoldVCardLine(Serialise(p), m_lineEnd);
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
    return EscapeVCardText(text, "\\n");
}

void Card::SetText(CardProperty& p, std::string_view text) {
    SetRawValue(p, Escape(text));
}

void Card::SetRawValue(CardProperty& p, std::string value) {
    // The new value is plain UTF-8: an encoding or character set of the old one no longer holds.
    std::erase_if(p.params, [](const std::string& param) {
        const std::string key = UpperAscii(param.substr(0, param.find('=')));
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
    p.name = UpperAscii(name);
    p.params = std::move(params);
    p.value = std::move(value);
    p.edited = true;
    return *m_props.insert(at, std::move(p));
}

void Card::Remove(CardProperty* p) {
    *p = CardProperty{};  // writes nothing and is found by no name
}

}  // namespace numora
