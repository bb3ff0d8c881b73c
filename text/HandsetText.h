// The handset shows single-byte text: the Latin-1 characters. Text from anywhere else (typing,
// pasting, imported contacts) is brought to it character by character by this one rule: a
// Latin-1 character stays as it is; a character with a near Latin-1 form takes that form
// (Ł → L, € → EUR, curly quotes → straight, dashes → "-"); any other character (Greek, Cyrillic,
// CJK, emoji...) has no form, and the caller refuses it or reports it.
#pragma once

#include <optional>
#include <string>

namespace numora {

// The Latin-1 bytes that stand for one character (a Unicode code point), or nothing when it has
// no form. A combining mark has an empty form: the letter before it stands for both.
[[nodiscard]] std::optional<std::string> NearestLatin1(char32_t cp);

}  // namespace numora
