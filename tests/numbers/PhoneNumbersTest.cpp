// Numbers as people write them, brought to what the handset dials and compared under a home
// region.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "numbers/PhoneNumbers.h"

namespace numora {
namespace {

TEST(PhoneNumbersTest, HomeRegionComesFromTheFirstLocaleThatNamesOne) {
    EXPECT_EQ(RegionOfLocale("de_DE.UTF-8"), "DE");
    EXPECT_EQ(RegionOfLocale("pt_BR@euro"), "BR");
    EXPECT_EQ(RegionOfLocale("C.UTF-8"), "");
    EXPECT_EQ(RegionOfLocale("en"), "");
    EXPECT_EQ(RegionOfLocale("xx_QQ"), "");
    EXPECT_EQ(HomeRegionFromLocale("", "fr_FR.UTF-8", "de_DE.UTF-8"), "FR");
    EXPECT_EQ(HomeRegionFromLocale("C", "", "en_GB.UTF-8"), "GB");
    EXPECT_EQ(HomeRegionFromLocale("POSIX", "C", ""), "");
    EXPECT_TRUE(IsKnownRegion("de"));
    EXPECT_FALSE(IsKnownRegion("ZZ"));
    EXPECT_EQ(PhoneNumbers("xx").HomeRegion(), "");
}

TEST(PhoneNumbersTest, WrittenNumbersBecomeWhatThePhoneDialsFromHome) {
    struct Case {
        const char* region;
        const char* written;
        const char* digits;
        const char* extension;
        std::vector<std::string> dropped;
    };
    const Case cases[] = {
        // International form, dialled from home and from abroad.
        {"DE", "+49 170 1234567", "01701234567", "", {}},
        {"FR", "+49 170 1234567", "00491701234567", "", {}},
        {"US", "+44 20 7946 0958", "011442079460958", "", {}},
        {"GB", "+44 (0)20 7946 0958", "02079460958", "", {}},
        // A number the numbering plan does not know keeps its trunk prefix at home.
        {"DE", "+49 151 2345678", "01512345678", "", {}},
        {"", "+49 170 1234567", "00491701234567", "", {}},
        // Where each carrier has its own international prefix, one the region takes.
        {"KR", "+49 170 1234567", "001491701234567", "", {}},
        {"BR", "+49 170 1234567", "0021491701234567", "", {}},
        {"CO", "+1 418 656 9254", "00914186569254", "", {}},
        {"CL", "+49 170 1234567", "00491701234567", "", {}},
        {"ID", "+49 170 1234567", "009491701234567", "", {}},
        {"TH", "+44 20 7946 0958", "001442079460958", "", {}},
        // "(0)" is the trunk digit, dialled only inside the country, unless the number needs it.
        {"", "+49 (0)170 1234567", "00491701234567", "", {}},
        {"FR", "+49 (0) 30 1234567", "0049301234567", "", {}},
        {"KR", "+49 (0)30 1234567", "00149301234567", "", {}},
        {"DE", "+39 (0)6 1234 5678", "00390612345678", "", {}},
        // National form stays as written, without its layout.
        {"DE", "(0170) 123-45.67", "01701234567", "", {}},
        {"DE", "0170/1234567", "01701234567", "", {}},
        // tel: URIs and extensions.
        {"US", "tel:+1-418-656-9254;ext=102", "14186569254P102", "102", {}},
        {"CA", "tel:+1-418-656-9254;phone-context=x", "14186569254", "", {}},
        {"DE", "030 1234567 x102", "0301234567P102", "102", {}},
        {"DE", "030 1234567 ext. 102", "0301234567P102", "102", {}},
        {"DE", "0301234567extension 7", "0301234567P7", "7", {}},
        // Pause and wait marks; the handset's own letters stay.
        {"DE", "0301234567p12w3", "0301234567P12T3", "", {}},
        {"DE", "0301234567,12;3", "0301234567P12T3", "", {}},
        {"DE", "0123P45T6#*", "0123P45T6#*", "", {}},
        // A code after a number in international form is dialled after it.
        {"DE", "+49 30 1234567*1#", "0301234567*1#", "", {}},
        {"FR", "+49 30 1234567#", "0049301234567#", "", {}},
        // Words and strange characters go, and are named.
        {"DE", "+49 PRIVAT", "", "", {"PRIVAT"}},
        {"DE", "mainphone 0301234567", "0301234567", "", {"mainphone"}},
        {"DE", "0301234567 \xE2\x98\x8E", "0301234567", "", {"\xE2\x98\x8E"}},
        {"DE", "@0301234567", "0301234567", "", {"@"}},
        {"FR", "T\xC3\xA9l. : 01 23 45 67 89", "0123456789", "", {"T\xC3\xA9l", ":"}},
        {"RU",
         "\xD1\x80\xD0\xB0\xD0\xB1. 8 495 123-45-67",
         "84951234567",
         "",
         {"\xD1\x80\xD0\xB0\xD0\xB1"}},
        {"DE", "", "", "", {}},
    };
    for (const Case& c : cases) {
        const DialableNumber d = PhoneNumbers(c.region).Dialable(c.written);
        EXPECT_EQ(d.digits, c.digits) << c.region << " " << c.written;
        EXPECT_EQ(d.extension, c.extension) << c.written;
        EXPECT_EQ(d.dropped, c.dropped) << c.written;
    }
    // A country code alone is no number: left out, and why.
    EXPECT_EQ(PhoneNumbers("FR").Dialable("+49 PRIVAT").leftOut,
              "no number after the country code");
    EXPECT_EQ(PhoneNumbers().Dialable("+4").leftOut, "no number after the country code");
}

// From every home region the library knows, a number in international form is dialled so that
// the region's own numbering plan reads it back as that number.
TEST(PhoneNumbersTest, InternationalNumbersDialFromEveryHomeRegion) {
    const char* const numbers[] = {"+491701234567", "+14186569254", "+819012345678",
                                   "+442079460958"};
    int regions = 0;
    for (char a = 'A'; a <= 'Z'; ++a) {
        for (char b = 'A'; b <= 'Z'; ++b) {
            const std::string region{a, b};
            if (!IsKnownRegion(region)) continue;
            ++regions;
            const PhoneNumbers home(region);
            for (const char* number : numbers) {
                const std::string digits = home.Dialable(number).digits;
                EXPECT_EQ(digits.find_first_not_of("0123456789"), std::string::npos)
                    << region << " " << digits;
                EXPECT_EQ(home.Key(digits), number) << region << " dials " << digits;
            }
        }
    }
    EXPECT_GT(regions, 200);
}

TEST(PhoneNumbersTest, OneNumberWrittenFourWaysHasOneKey) {
    struct Group {
        const char* region;
        std::vector<const char*> forms;
    };
    const Group groups[] = {
        {"DE", {"+49 170 1234567", "0170/1234567", "01701234567", "0049 170 1234567"}},
        {"GB", {"+44 20 7946 0958", "020 7946 0958", "(020) 7946-0958", "00442079460958"}},
        {"US", {"+1 (415) 555-2671", "415-555-2671", "1 415 555 2671", "011 1 415 555 2671"}},
        {"FR", {"+33 6 12 34 56 78", "06 12 34 56 78", "0612345678", "0033612345678"}},
        {"US", {"tel:+1-418-656-9254;ext=102", "418 656 9254 x102", "4186569254P102"}},
    };
    for (const Group& g : groups) {
        const PhoneNumbers numbers(g.region);
        const std::string key = numbers.Key(g.forms.front());
        EXPECT_FALSE(key.empty());
        for (const char* form : g.forms) {
            EXPECT_EQ(numbers.Key(form), key) << g.region << " " << form;
            // The form the handset stores keys as the written one.
            EXPECT_EQ(numbers.Key(numbers.Dialable(form).digits), key) << form;
        }
    }
}

TEST(PhoneNumbersTest, DifferentNumbersNeverShareAKey) {
    const PhoneNumbers de("DE");
    // A short number is not a long one by its tail, an extension is part of the number, and a
    // national number belongs to the home region only.
    EXPECT_FALSE(de.Same("1234567", "0170 1234567"));
    EXPECT_FALSE(de.Same("030 1234567", "030 1234567 x1"));
    EXPECT_FALSE(de.Same("0170 1234567", "+33 170 1234567"));
    EXPECT_FALSE(de.Same("", ""));
    EXPECT_TRUE(de.Same("112", "112"));
    // Without a home region a national number is only its digits.
    const PhoneNumbers nowhere;
    EXPECT_TRUE(nowhere.Same("+49 170 1234567", "0049 1701234567"));
    EXPECT_FALSE(nowhere.Same("+49 170 1234567", "0170 1234567"));
    EXPECT_TRUE(nowhere.Same("0170 1234567", "01701234567"));
}

}  // namespace
}  // namespace numora
