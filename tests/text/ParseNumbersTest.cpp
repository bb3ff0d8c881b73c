#include "text/ParseNumbers.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string_view>
#include <tuple>
#include <vector>

namespace numora {
namespace {

TEST(ParseNumbersTest, WholeAndLeadingNumbers) {
    const std::vector<std::tuple<std::string_view, std::optional<int>, std::optional<int>>> cases =
        {
            // text, whole number, leading number
            {"12", 12, 12},
            {"-3", -3, -3},
            {"  7", std::nullopt, 7},
            {"\t9x", std::nullopt, 9},
            {"3abc", std::nullopt, 3},
            {"+4", std::nullopt, std::nullopt},
            {"", std::nullopt, std::nullopt},
            {"  ", std::nullopt, std::nullopt},
            {"x1", std::nullopt, std::nullopt},
            {"99999999999", std::nullopt, std::nullopt},
        };
    for (const auto& [text, whole, leading] : cases) {
        EXPECT_EQ(ParseWholeNumber(text), whole) << text;
        EXPECT_EQ(ParseLeadingNumber(text), leading) << text;
    }
}

TEST(ParseNumbersTest, HexBytesFillTheirBufferExactlyOrNotAtAll) {
    std::array<uint8_t, 3> out{1, 2, 3};
    EXPECT_TRUE(ParseHexBytes("0aA9fF", out));
    EXPECT_EQ(out, (std::array<uint8_t, 3>{0x0A, 0xA9, 0xFF}));
    for (const std::string_view bad :
         {"0aA9", "0aA9fF0", "0aA9f/", "0aA9f:", "0aA9f@", "0aA9fG", "0aA9f`", "0aA9fg"}) {
        std::array<uint8_t, 3> kept{1, 2, 3};
        EXPECT_FALSE(ParseHexBytes(bad, kept)) << bad;
        EXPECT_EQ(kept, (std::array<uint8_t, 3>{1, 2, 3})) << bad;
    }
}

}  // namespace
}  // namespace numora
