#include "formats/VCardText.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace numora {

namespace {

constexpr std::size_t kFoldAt = 75;

bool StartsWithNoCase(std::string_view s, std::string_view upperPrefix) {
    if (s.size() < upperPrefix.size()) return false;
    for (std::size_t i = 0; i < upperPrefix.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(s[i])) != upperPrefix[i]) return false;
    }
    return true;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool IsNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '_';
}

// Whether a line begins a property of its own: a known name or an X- name (with a group)
// before ';' or ':'.
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
    std::string name = UpperAscii(line.substr(0, end));
    if (const auto dot = name.rfind('.'); dot != std::string::npos) name.erase(0, dot + 1);
    return name.starts_with("X-") || std::find(kKnown.begin(), kKnown.end(), name) != kKnown.end();
}

bool IsQuotedPrintable(std::string_view line) {
    const std::string_view head = line.substr(0, line.find(':'));
    for (std::size_t at = head.find_first_of("Qq"); at != std::string_view::npos;
         at = head.find_first_of("Qq", at + 1)) {
        if (StartsWithNoCase(head.substr(at), "QUOTED-PRINTABLE")) return true;
    }
    return false;
}

// A card's edge, wherever a program put it: "BEGIN:VCARD" or "END:VCARD" with blanks around.
bool IsCardEdge(std::string_view line) {
    const std::string_view trimmed = TrimBlanks(line);
    return StartsWithNoCase(trimmed, "BEGIN:VCARD") || StartsWithNoCase(trimmed, "END:VCARD");
}

}  // namespace

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

std::string EscapeVCardText(std::string_view text, std::string_view lineBreak) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\' || c == ',' || c == ';') {
            out += '\\';
            out += c;
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            out += lineBreak;
        } else {
            out += c;
        }
    }
    return out;
}

std::string UnescapeVCardText(std::string_view value, std::string_view lineBreak) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            const char c = value[++i];
            if (c == 'n' || c == 'N') {
                out += lineBreak;
            } else {
                out += c;
            }
        } else {
            out += value[i];
        }
    }
    return out;
}

std::vector<std::string> VCardComponents(std::string_view value, char separator,
                                         std::string_view lineBreak) {
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            parts.back() += value.substr(i, 2);
            ++i;
        } else if (value[i] == separator) {
            parts.emplace_back();
        } else {
            parts.back() += value[i];
        }
    }
    for (std::string& part : parts)
        part = UnescapeVCardText(part, lineBreak);
    return parts;
}

std::string DecodeQuotedPrintable(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '=' && i + 2 < value.size() && HexValue(value[i + 1]) >= 0 &&
            HexValue(value[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(value[i + 1]) * 16 + HexValue(value[i + 2]));
            i += 2;
        } else {
            out += value[i];
        }
    }
    return out;
}

std::size_t VCardValueColon(std::string_view line) {
    bool quoted = false;
    for (std::size_t k = 0; k < line.size(); ++k) {
        if (line[k] == '"') quoted = !quoted;
        if (line[k] == ':' && !quoted) return k;
    }
    return std::string_view::npos;
}

std::string FoldVCardLine(std::string_view line, std::string_view lineEnd) {
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
    out.append(line, start, std::string_view::npos);
    out += lineEnd;
    return out;
}

std::vector<VCardLine> UnfoldVCardLines(std::string_view text) {
    std::vector<VCardLine> lines;
    std::vector<VCardLine> blanks;  // since the last line of text, until it is clear whose
    bool quotedPrintable = false;
    bool softBreak = false;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t end = text.find_first_of("\r\n", i);
        std::size_t next = text.size();
        if (end == std::string_view::npos) {
            end = text.size();
        } else {
            next = end +
                   ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
        }
        const std::string_view line = text.substr(i, end - i);
        const std::size_t begin = i;
        i = next;
        if (TrimBlanks(line).empty()) {
            softBreak = false;
            blanks.push_back({{}, begin, next});
            continue;
        }
        if (!lines.empty() && softBreak && !StartsProperty(line) && !IsCardEdge(line)) {
            lines.back().text += line;
            lines.back().end = next;
        } else if (!lines.empty() && (line[0] == ' ' || line[0] == '\t') && !IsCardEdge(line)) {
            lines.back().text += line.substr(1);
            lines.back().end = next;  // the blank lines before it are its bytes too
            blanks.clear();
        } else {
            lines.insert(lines.end(), blanks.begin(), blanks.end());
            blanks.clear();
            lines.push_back({std::string(IsCardEdge(line) ? TrimBlanks(line) : line), begin, next});
            quotedPrintable = IsQuotedPrintable(line);
        }
        std::string& logical = lines.back().text;
        softBreak = quotedPrintable && logical.size() > 1 && logical.back() == '=';
        if (softBreak) logical.pop_back();
    }
    lines.insert(lines.end(), blanks.begin(), blanks.end());
    return lines;
}

}  // namespace numora
