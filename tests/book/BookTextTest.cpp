// What the book shows as text: list rows, media titles, numbers.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "book/ListText.h"
#include "book/MediaLists.h"
#include "book/ParseNumbers.h"
#include "support/BookBuilder.h"

namespace numora {
namespace {

TEST(ListTextTest, SpeedDialsShowTheirNumberOrX) {
    EXPECT_EQ(SpeedDialText(0), "2");
    EXPECT_EQ(SpeedDialText(18), "20");
    EXPECT_EQ(SpeedDialText(-1), "X");
}

TEST(ListTextTest, RowsShowWhatTheBookHolds) {
    CPBData book;
    book.SetGroup(2, "Friends");
    PBEntry e = test::MakeEntry(7, "Ada", 2, "0123");
    SetNumber(e.numbers[4], "999");
    SetText(e.memo, "memo");
    e.secret = 1;
    e.ringer = 104;
    e.msgRinger = 302;
    book.SetEntry(e);
    book.SetSpeedDial(5, 7, kMobile);  // element 3

    const auto row = EntryRowTexts(book, 7);
    EXPECT_EQ(row[col::kSlot], "  7 ");
    EXPECT_EQ(row[col::kName], "Ada");
    EXPECT_EQ(row[col::kGroup], "Friends");
    EXPECT_EQ(row[col::Number(0)], "0123");
    EXPECT_EQ(row[col::SpeedDial(0)], "5");
    EXPECT_EQ(row[col::SpeedDial(1)], "X");
    EXPECT_EQ(row[col::Number(4)], "999");
    EXPECT_EQ(row[col::kMemo], "memo");
    EXPECT_EQ(row[col::kSecret], "YES");
    EXPECT_EQ(row[col::kRinger], "Behind Story");
    EXPECT_EQ(row[col::kMsgRinger], "Tone 3");
    EXPECT_EQ(row[col::kPicture], "Select Graphic");

    // An empty slot has only its label; an entry of a group not in use shows no group.
    const auto empty = EntryRowTexts(book, 8);
    EXPECT_EQ(empty[col::kSlot], "  8 ");
    for (int c = 1; c < kListColumns; ++c)
        EXPECT_TRUE(empty[static_cast<std::size_t>(c)].empty());
    book.DeleteGroup(2);  // moves Ada to "Etc."
    EXPECT_EQ(EntryRowTexts(book, 7)[col::kGroup], "Etc.");

    PBEntry ess = test::MakeEntry(9, "Ess", kEtcGroup, "ess");
    SetNumber(ess.numbers[1], "1");
    book.SetEntry(ess);
    EXPECT_EQ(EntryRowTexts(book, 9)[col::Number(0)], "");
}

struct CodeCase {
    MediaList list;
    uint16_t code;
    int item;
    const char* title;
};

TEST(MediaListsTest, CodesSelectTheirItemsAndTitles) {
    const CodeCase cases[] = {
        {MediaList::Ringer, 0xFFFF, 0, "Select Ringer"},
        {MediaList::Ringer, 100, 1, "Radetzky March"},
        {MediaList::Ringer, 104, 5, "Behind Story"},
        {MediaList::Ringer, 109, 10, "Music 3"},
        {MediaList::Ringer, 200, 11, "Bell_1"},
        {MediaList::Ringer, 204, 15, "Bell_5"},
        {MediaList::Ringer, 150, 0, "150"},  // a downloaded sound
        {MediaList::Ringer, 110, 0, "110"},
        {MediaList::MsgRinger, 0xFFFF, 0, "Select Ringer"},
        {MediaList::MsgRinger, 302, 3, "Tone 3"},
        {MediaList::MsgRinger, 305, 0, "305"},
        {MediaList::MsgRinger, 104, 0, "104"},
        {MediaList::Graphic, 0xFFFF, 0, "Select Graphic"},
        {MediaList::Graphic, 3200, 0, "3200"},
    };
    for (const CodeCase& c : cases) {
        EXPECT_EQ(ItemForCode(c.list, c.code), c.item) << c.code;
        EXPECT_EQ(TitleForCode(c.list, c.code), c.title) << c.code;
    }
}

TEST(MediaListsTest, ItemsGiveBackTheirCodes) {
    EXPECT_EQ(FixedItems(MediaList::Ringer).size(), 16u);
    EXPECT_EQ(FixedItems(MediaList::MsgRinger).size(), 6u);
    EXPECT_EQ(FixedItems(MediaList::Graphic).size(), 1u);
    EXPECT_EQ(CodeForItem(MediaList::Ringer, 0), 0xFFFF);
    EXPECT_EQ(CodeForItem(MediaList::Ringer, 12), 201);  // "Bell_2"
    EXPECT_EQ(CodeForItem(MediaList::Ringer, 10), 109);
    EXPECT_EQ(CodeForItem(MediaList::MsgRinger, 5), 304);  // "Tone 5"
    EXPECT_EQ(CodeForItem(MediaList::Graphic, 0), 0xFFFF);
    EXPECT_FALSE(CodeForItem(MediaList::Ringer, 16).has_value());
    EXPECT_FALSE(CodeForItem(MediaList::Ringer, -1).has_value());
    EXPECT_FALSE(CodeForItem(MediaList::Graphic, 1).has_value());
    // Every item round-trips through its code.
    for (MediaList list : {MediaList::Ringer, MediaList::MsgRinger, MediaList::Graphic}) {
        for (int i = 0; i < static_cast<int>(FixedItems(list).size()); ++i) {
            EXPECT_EQ(ItemForCode(list, *CodeForItem(list, i)), i);
        }
    }
}

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
