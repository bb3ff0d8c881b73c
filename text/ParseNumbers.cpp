#include "text/ParseNumbers.h"

#include <charconv>

namespace numora {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<int> ParseWholeNumber(std::string_view text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end) return std::nullopt;
    return value;
}

std::optional<int> ParseLeadingNumber(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return std::nullopt;
    const char* begin = text.data() + first;
    int value = 0;
    const auto [ptr, ec] = std::from_chars(begin, text.data() + text.size(), value);
    if (ec != std::errc() || ptr == begin) return std::nullopt;
    return value;
}

bool ParseHexBytes(std::string_view text, std::span<uint8_t> out) {
    if (text.size() != 2 * out.size()) return false;
    for (const char c : text) {
        if (HexDigit(c) < 0) return false;
    }
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<uint8_t>(HexDigit(text[2 * i]) << 4 | HexDigit(text[2 * i + 1]));
    return true;
}

}  // namespace numora
