// The handset's characters and the encodings text arrives in.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>

#include "text/Charsets.h"
#include "text/Folding.h"
#include "text/HandsetText.h"
#include "text/TextCodec.h"

namespace numora {
namespace {

TEST(HandsetTextTest, EachCharacterTakesItsNearestLatin1Form) {
    struct Case {
        char32_t cp;
        std::optional<std::string> form;
    };
    const Case cases[] = {
        // Latin-1 stays.
        {U'A', "A"},
        {0xE9, "\xE9"},
        {0xFF, "\xFF"},
        // Latin Extended-A, both ends and letters between, ligatures as two letters.
        {0x100, "A"},
        {0x141, "L"},
        {0x142, "l"},
        {0x150, "O"},
        {0x178, "Y"},
        {0x17E, "z"},
        {0x17F, "s"},
        {0x152, "OE"},
        {0x133, "ij"},
        // Word-processor punctuation, spaces, fullwidth letters; a combining mark goes with
        // the letter before it.
        {0x20AC, "EUR"},
        {0x2018, "'"},
        {0x201D, "\""},
        {0x2013, "-"},
        {0x2026, "..."},
        {0x2009, " "},
        {0xFF21, "A"},
        {0x301, ""},
        // No form.
        {0x180, std::nullopt},
        {0x416, std::nullopt},
        {0x4E2D, std::nullopt},
        {0x1F600, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NearestLatin1(c.cp), c.form) << "U+" << std::hex << static_cast<uint32_t>(c.cp);
    }
}

TEST(HandsetTextTest, ImportedTextCountsEveryCharacterItChanges) {
    int changed = 0;
    // "Zoë € Łódź ☎"
    EXPECT_EQ(Utf8ToLatin1("Zo\xC3\xAB \xE2\x82\xAC \xC5\x81\xC3\xB3"
                           "d\xC5\xBA \xE2\x98\x8E",
                           &changed),
              "Zo\xEB EUR L\xF3"
              "dz ?");
    EXPECT_EQ(changed, 4);
    // The last Latin-1 letter is no change either.
    EXPECT_EQ(Utf8ToLatin1("Caf\xC3\xA9 L'Ha\xC3\xBF", &changed), "Caf\xE9 L'Ha\xFF");
    EXPECT_EQ(changed, 0);
}

// Broken UTF-8 gives U+FFFD and never swallows the byte that follows a cut sequence, so one
// bad byte costs one character, not the next letter too.
TEST(TextCodecTest, NextCodePointReadsOneSequenceAndStopsAtABrokenOne) {
    struct Case {
        std::string bytes;
        char32_t cp;
        std::size_t next;
    };
    const Case cases[] = {
        {"A", U'A', 1},
        {"\xC3\xA9", 0xE9, 2},
        {"\xE2\x82\xAC", 0x20AC, 3},
        {"\xF0\x9F\x98\x80", 0x1F600, 4},
        {"\x80!", 0xFFFD, 1},     // a stray continuation byte
        {"\xC3!", 0xFFFD, 1},     // cut short before a letter
        {"\xE2\x82", 0xFFFD, 2},  // cut short by the end
    };
    for (const Case& c : cases) {
        std::size_t at = 0;
        EXPECT_EQ(NextCodePoint(c.bytes, at), c.cp) << c.bytes;
        EXPECT_EQ(at, c.next) << c.bytes;
    }
    EXPECT_EQ(Utf8ToLatin1("\xC3!\xC3\xA9"), "?!\xE9");
}

// The decoder of builds without Qt: the Unicode forms and Latin-1, and nothing it cannot vouch
// for (a legacy set is left to the platform's decoder, broken bytes are refused).
TEST(CharsetsTest, TheBuiltInDecoderKnowsTheUnicodeFormsAndLatin1) {
    using namespace std::string_literals;
    struct Case {
        const char* charset;
        std::string bytes;
        std::optional<std::string> text;
    };
    const Case cases[] = {
        {"UTF-8", "caf\xC3\xA9", "caf\xC3\xA9"},
        {"utf8", "\xEF\xBB\xBFok", "ok"},
        {"UTF-8", "caf\xE9", std::nullopt},
        {"ISO_8859-1", "caf\xE9", "caf\xC3\xA9"},
        {"latin1", "\x80", "\xC2\x80"},
        {"US-ASCII", "caf\xE9", std::nullopt},
        {"UTF-16LE", "a\0\xAC\x20"s, "a\xE2\x82\xAC"},
        {"UTF-16",
         "\xFF\xFE"
         "a\0"s,
         "a"},
        {"UTF-16", "\0a"s, "a"},  // big-endian without a mark
        {"UTF-16BE", "\xD8\x00"s, std::nullopt},
        {"UTF-32LE", "a\0\0\0"s, "a"},
        {"UTF-32", "\0\0\xFE\xFF\0\x01\xF6\x00"s, "\xF0\x9F\x98\x80"},
        {"UTF-32BE", "\0\0\xD8\0"s, std::nullopt},
        {"UTF-32BE", "\0\0\xE0\0"s, "\xEE\x80\x80"},  // the first after the surrogates
        {"UTF-32", "\0\0\xFE\xFF"s, ""},              // a mark and no text
        {"windows-1252", "\x80", std::nullopt},
        {"Shift_JIS", "x", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BuiltinCharsets().Decode(c.charset, c.bytes), c.text) << c.charset;
    EXPECT_TRUE(SameCharset("utf-8", "UTF8"));
    EXPECT_TRUE(SameCharset("ISO_8859-1", "iso-8859-1"));
    EXPECT_FALSE(SameCharset("ISO-8859-1", "ISO-8859-15"));
}

// Names compare and sort without case or accents, as a person reads them.
TEST(FoldingTest, LettersLoseCaseAndAccents) {
    const std::pair<std::string, std::string> cases[] = {
        {"\xC9mile Zo\xEB", "emile zoe"},
        {"Stra\xDF"
         "e",
         "strasse"},
        {"5 \xD7 2 \xF7 3", "5 \xD7 2 \xF7 3"},  // the two signs among the letters stay
    };
    for (const auto& [text, folded] : cases)
        EXPECT_EQ(FoldLetters(text), folded) << text;
}

}  // namespace
}  // namespace numora
