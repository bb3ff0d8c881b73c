#include "text/TextCodec.h"

#include <cstdint>

#include "text/HandsetText.h"

namespace numora {

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian, int* broken) {
    std::string out;
    int bad = 0;
    const auto unit = [&](std::size_t i) -> uint32_t {
        const auto a = static_cast<uint8_t>(bytes[i]);
        const auto b = static_cast<uint8_t>(bytes[i + 1]);
        return bigEndian ? (a << 8u) | b : (b << 8u) | a;
    };
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        uint32_t cp = unit(i);
        if (cp >= 0xD800 && cp < 0xDC00 && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 &&
            unit(i + 2) < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (cp >= 0xD800 && cp < 0xE000) {
            cp = 0xFFFD;
            ++bad;
        }
        AppendUtf8(out, cp);
    }
    if (bytes.size() % 2 != 0) ++bad;
    if (broken != nullptr) *broken = bad;
    return out;
}

bool IsUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<uint8_t>(s[i]);
        const std::size_t len = b < 0x80             ? 1
                                : (b & 0xE0) == 0xC0 ? 2
                                : (b & 0xF0) == 0xE0 ? 3
                                : (b & 0xF8) == 0xF0 ? 4
                                                     : 0;
        if (len == 0 || (len == 2 && b < 0xC2) || i + len > s.size()) return false;
        for (std::size_t k = 1; k < len; ++k) {
            if ((static_cast<uint8_t>(s[i + k]) & 0xC0) != 0x80) return false;
        }
        i += len;
    }
    return true;
}

std::string Latin1ToUtf8(std::string_view bytes) {
    std::string out;
    for (const char c : bytes) {
        const auto b = static_cast<uint8_t>(c);
        if (b < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (b >> 6));
            out += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return out;
}

char32_t NextCodePoint(std::string_view s, std::size_t& at) {
    const auto lead = static_cast<uint8_t>(s[at++]);
    if (lead < 0x80) return lead;
    const int more = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    char32_t cp = lead & (0x3Fu >> more);
    for (int k = 0; k < more; ++k) {
        if (at >= s.size() || (static_cast<uint8_t>(s[at]) & 0xC0) != 0x80) return 0xFFFD;
        cp = (cp << 6) | (static_cast<uint8_t>(s[at++]) & 0x3Fu);
    }
    return more == 0 ? 0xFFFD : cp;  // a stray continuation byte
}

std::string Utf8ToLatin1(std::string_view s, int* lost) {
    std::string out;
    int missing = 0;
    for (std::size_t i = 0; i < s.size();) {
        const char32_t cp = NextCodePoint(s, i);
        if (const auto form = NearestLatin1(cp)) {
            out += *form;
            if (cp > 0xFF) ++missing;
        } else {
            out += '?';
            ++missing;
        }
    }
    if (lost != nullptr) *lost = missing;
    return out;
}

}  // namespace numora
