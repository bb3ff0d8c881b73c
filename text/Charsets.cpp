#include "text/Charsets.h"

#include <cctype>
#include <cstdint>

#include "text/TextCodec.h"

namespace numora {

namespace {

std::string Folded(std::string_view name) {
    std::string out;
    for (const char c : name) {
        if (c == '-' || c == '_' || c == ' ') continue;
        out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return out;
}

std::optional<std::string> Utf32ToUtf8(std::string_view bytes, bool bigEndian) {
    if (bytes.size() % 4 != 0) return std::nullopt;
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 4) {
        uint32_t cp = 0;
        for (std::size_t k = 0; k < 4; ++k) {
            const auto b = static_cast<uint8_t>(bytes[i + (bigEndian ? k : 3 - k)]);
            cp = (cp << 8u) | b;
        }
        if (cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) return std::nullopt;
        AppendUtf8(out, static_cast<char32_t>(cp));
    }
    return out;
}

class Builtin : public Charsets {
public:
    std::optional<std::string> Decode(std::string_view charset,
                                      std::string_view bytes) const override {
        const std::string name = Folded(charset);
        if (name == "UTF8") {
            if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
            if (!IsUtf8(bytes)) return std::nullopt;
            return std::string(bytes);
        }
        if (name == "ISO88591" || name == "LATIN1" || name == "L1" || name == "CP819") {
            return Latin1ToUtf8(bytes);
        }
        if (name == "USASCII" || name == "ASCII") {
            for (const char c : bytes) {
                if (static_cast<uint8_t>(c) >= 0x80) return std::nullopt;
            }
            return std::string(bytes);
        }
        if (name == "UTF16" || name == "UTF16LE" || name == "UTF16BE") {
            // Without a mark, plain UTF-16 is big-endian.
            bool big = name != "UTF16LE";
            if (name == "UTF16" &&
                (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF"))) {
                big = bytes[0] == '\xFE';
                bytes.remove_prefix(2);
            }
            int broken = 0;
            std::string out = Utf16ToUtf8(bytes, big, &broken);
            if (broken > 0) return std::nullopt;
            return out;
        }
        if (name == "UTF32" || name == "UTF32LE" || name == "UTF32BE") {
            bool big = name != "UTF32LE";
            if (name == "UTF32" && (bytes.starts_with(std::string_view("\xFF\xFE\0\0", 4)) ||
                                    bytes.starts_with(std::string_view("\0\0\xFE\xFF", 4)))) {
                big = bytes[0] == '\0';
                bytes.remove_prefix(4);
            }
            return Utf32ToUtf8(bytes, big);
        }
        return std::nullopt;
    }
};

}  // namespace

const Charsets& BuiltinCharsets() {
    static const Builtin builtin;
    return builtin;
}

bool SameCharset(std::string_view a, std::string_view b) {
    return Folded(a) == Folded(b);
}

}  // namespace numora
