// Numbers typed by people or kept as text (options, profile values, file fields): the one
// place where text becomes a number, so every reader agrees on what a number looks like.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace numora {

// A whole decimal number filling the text ("12", "-3"); nothing for blanks, signs other than a
// leading minus, other characters or a value outside int.
[[nodiscard]] std::optional<int> ParseWholeNumber(std::string_view text);

// The number at the start of the text: leading blanks and tabs skipped, digits up to the first
// other character ("3abc" is 3); nothing when no digit comes first.
[[nodiscard]] std::optional<int> ParseLeadingNumber(std::string_view text);

// Hex digit pairs filling the text, one byte a pair, either case ("0A1b" is 0x0A 0x1B); false,
// with out unchanged, unless the text is exactly out.size() pairs.
bool ParseHexBytes(std::string_view text, std::span<uint8_t> out);

}  // namespace numora
