// The near Latin-1 forms of characters the handset cannot show: data for NearestLatin1.
#pragma once

#include <array>
#include <string_view>

namespace numora::latin1 {

// Latin Extended-A (U+0100 to U+017F), the letters of Central European and Baltic languages,
// each as its base letter. '~' marks the ligatures, which take two letters.
inline constexpr std::string_view kExtendedA =
    "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIi~~JjKkkLlLlLlLlLlNnNnNnnNnOoOoOo~~RrRrRr"
    "SsSsSsSsTtTtTtUuUuUuUuUuUuWwYyYZzZzZzs";
static_assert(kExtendedA.size() == 0x80);

struct Form {
    char32_t first;
    char32_t last;
    std::string_view text;
};

// Everything else with a near form: punctuation from word processors, spaces, a few symbols
// and letters. Fullwidth ASCII is handled apart.
inline constexpr std::array<Form, 33> kForms{{
    {0x0132, 0x0132, "IJ"},  {0x0133, 0x0133, "ij"},   {0x0152, 0x0152, "OE"},
    {0x0153, 0x0153, "oe"},  {0x0192, 0x0192, "f"},    {0x0218, 0x0218, "S"},
    {0x0219, 0x0219, "s"},   {0x021A, 0x021A, "T"},    {0x021B, 0x021B, "t"},
    {0x02B9, 0x02BC, "'"},   {0x02C6, 0x02C6, "^"},    {0x02C8, 0x02C8, "'"},
    {0x02DC, 0x02DC, "~"},   {0x0300, 0x036F, ""},     {0x1E9E, 0x1E9E, "SS"},
    {0x2000, 0x200A, " "},   {0x200B, 0x200D, ""},     {0x2010, 0x2015, "-"},
    {0x2018, 0x201B, "'"},   {0x201C, 0x201F, "\""},   {0x2022, 0x2022, "\xB7"},
    {0x2026, 0x2026, "..."}, {0x202F, 0x202F, "\xA0"}, {0x2032, 0x2032, "'"},
    {0x2033, 0x2033, "\""},  {0x2039, 0x2039, "<"},    {0x203A, 0x203A, ">"},
    {0x2044, 0x2044, "/"},   {0x2060, 0x2060, ""},     {0x20AC, 0x20AC, "EUR"},
    {0x2122, 0x2122, "TM"},  {0x2212, 0x2212, "-"},    {0xFEFF, 0xFEFF, ""},
}};

inline constexpr char32_t kFullwidthFirst = 0xFF01;
inline constexpr char32_t kFullwidthLast = 0xFF5E;
inline constexpr char32_t kFullwidthOffset = 0xFEE0;

}  // namespace numora::latin1
