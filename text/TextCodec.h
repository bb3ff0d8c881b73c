// Text between the encodings Numora meets: the book's single bytes (Latin-1), UTF-8 and UTF-16.
// Plain functions, no state; the character sets of other programs are decoded by the platform.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace numora {

// The book's bytes, each the Latin-1 character of its value, as UTF-8.
[[nodiscard]] std::string Latin1ToUtf8(std::string_view bytes);
// Characters beyond Latin-1 take their nearest form, or '?' when they have none; lost counts
// them.
[[nodiscard]] std::string Utf8ToLatin1(std::string_view utf8, int* lost = nullptr);

// Whether the bytes are well-formed UTF-8 (no overlong two-byte forms, no cut sequences).
[[nodiscard]] bool IsUtf8(std::string_view bytes);
void AppendUtf8(std::string& out, char32_t cp);
// The code point of the UTF-8 sequence that starts at `at` (at least one byte), moving `at` past
// it; a broken sequence gives U+FFFD and moves past what was read of it.
[[nodiscard]] char32_t NextCodePoint(std::string_view utf8, std::size_t& at);

// UTF-16 in the given byte order, without its byte-order mark. Broken units (half a surrogate
// pair, an odd last byte) become U+FFFD and are counted in broken.
[[nodiscard]] std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian,
                                      int* broken = nullptr);

}  // namespace numora
