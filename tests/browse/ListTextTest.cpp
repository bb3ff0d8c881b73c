// What the list shows of the book: each cell of an entry's row.
#include "browse/ListText.h"

#include <gtest/gtest.h>

#include "support/BookBuilder.h"

namespace numora {
namespace {

TEST(ListTextTest, SpeedDialsShowTheirNumberOrX) {
    EXPECT_EQ(SpeedDialText(0), "2");
    EXPECT_EQ(SpeedDialText(18), "20");
    EXPECT_EQ(SpeedDialText(std::nullopt), "X");
}

TEST(ListTextTest, RowsShowWhatTheBookHolds) {
    PhoneBook book;
    book.SetGroup(2, "Friends");
    PBEntry e = test::MakeEntry(7, "Ada", 2, "0123");
    SetNumber(e.numbers[4], "999");
    SetText(e.memo, "memo");
    e.secret = 1;
    e.ringer = 104;
    e.msgRinger = 302;
    book.SetEntry(e);
    book.SetSpeedDial(5, 7, NumberKind::Mobile);  // element 3

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

}  // namespace
}  // namespace numora
