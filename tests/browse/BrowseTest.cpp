// Finding and ordering the book as the list shows it: what a search finds, how it combines with
// the group filter, the order a heading click gives, and the status line's figures.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "browse/BookFigures.h"
#include "browse/BookSearch.h"
#include "browse/ListText.h"
#include "browse/RowOrder.h"
#include "support/BookBuilder.h"

namespace numora {
namespace {

using test::AddEntry;
using test::MakeEntry;

// Zoë (Friends) 0170 1234567, zoe@example.org; Meyer (Work) office +49 (0)30 555-0101, memo
// "Call after 6pm"; Ada (Etc.) 0171 9876543 and wireless wap.example.org.
PhoneBook SearchBook() {
    PhoneBook book;
    book.SetGroup(0, "All");
    book.SetGroup(1, "Friends");
    book.SetGroup(2, "Work");
    book.SetGroup(6, "Etc.");
    PBEntry zoe = MakeEntry(3, "Zo\xEB", 1, "0170 1234567");
    SetText(zoe.email, "zoe@example.org");
    book.SetEntry(zoe);
    PBEntry meyer = MakeEntry(10, "Hans MEYER", 2, "");
    SetNumber(meyer.numbers[2], "+49 (0)30 555-0101");
    SetText(meyer.memo, "Call after 6pm");
    book.SetEntry(meyer);
    PBEntry ada = MakeEntry(42, "Ada", kEtcGroup, "01719876543");
    SetText(ada.wireless, "wap.example.org");
    book.SetEntry(ada);
    return book;
}

std::vector<int> Slots(const SlotSet& set) {
    std::vector<int> slots;
    for (int s = 0; s < kEntrySlots; ++s) {
        if (set.test(static_cast<std::size_t>(s))) slots.push_back(s);
    }
    return slots;
}

TEST(BookSearchTest, FindsByFoldedTextAndByNumbersInAnyWrittenForm) {
    struct Case {
        const char* typed;
        const char* region;
        std::vector<int> found;
    };
    const Case cases[] = {
        {"zoe", "", {3}},
        {"ZO\xCB", "", {3}},  // "ZOË"
        {"meyer", "", {10}},
        {"  mey ", "", {10}},
        {"example.org", "", {3, 42}},  // e-mail and wireless address
        {"6pm", "", {10}},             // memo
        {"170 123", "", {3}},
        {"0170-1234", "", {3}},
        {"555 01", "", {10}},
        {"1234567", "", {3}},  // the last digits
        {"+49170123", "DE", {3}},
        {"+49 30 555", "DE", {10}},
        {"+49170123", "", {}},  // without a home region only the digits count
        {"4930", "", {}},       // nor the number's international form
        {"0171 98", "DE", {42}},
        {"7", "", {3, 42}},
        {"6", "", {3, 10, 42}},  // digits of two numbers, and the memo's "6pm"
        {"zoeexample", "", {}},  // the fields are not run together
        {"hans 0", "", {}},      // letters and digits: text only
    };
    const PhoneBook book = SearchBook();
    for (const Case& c : cases) {
        BookSearch search(c.region);
        search.Index(book);
        EXPECT_EQ(Slots(search.Find(c.typed)), c.found) << c.typed << " in " << c.region;
    }
}

TEST(BookSearchTest, TheSearchCombinesWithTheGroupFilter) {
    const PhoneBook book = SearchBook();
    BookSearch search;
    search.Index(book);
    // No search: every row shows, used or not (the group filter blanks rows, it hides none).
    EXPECT_EQ(ShownRows(book, 2, "  ", search).count(), std::size_t{kEntrySlots});
    EXPECT_EQ(Slots(ShownRows(book, kAllGroup, "example", search)), (std::vector<int>{3, 42}));
    EXPECT_EQ(Slots(ShownRows(book, 1, "example", search)), (std::vector<int>{3}));
    EXPECT_EQ(Slots(ShownRows(book, 2, "example", search)), std::vector<int>{});
}

RowTexts Row(int column, const std::string& text) {
    RowTexts row;
    row[static_cast<std::size_t>(column)] = text;
    return row;
}

TEST(RowOrderTest, ColumnsSortByFoldedTextDigitsAndNumberWithEmptyCellsLast) {
    struct Case {
        int column;
        std::vector<std::string> cells;  // rows 0, 1, ...
        std::vector<int> ascending;
        std::vector<int> descending;
    };
    const Case cases[] = {
        {col::kName,
         {"frank", "", "\xC9mile", "Eddy", "emile", "ada"},  // "Émile" and "emile" tie
         {5, 3, 2, 4, 0, 1},
         {0, 2, 4, 3, 5, 1}},
        {col::Number(0), {"(030) 5", "0170 1", "", "030 4"}, {1, 3, 0, 2}, {0, 3, 1, 2}},
        {col::SpeedDial(1), {"12", "X", "2", "20", ""}, {2, 0, 3, 1, 4}, {3, 0, 2, 1, 4}},
        {col::kGroup, {"Work", "Family", "", "family"}, {1, 3, 0, 2}, {0, 1, 3, 2}},
        {col::kEmail, {"b2@x", "A@x", ""}, {1, 0, 2}, {0, 1, 2}},  // text, not digits
        {col::kWireless, {"B.org", "a.org", ""}, {1, 0, 2}, {0, 1, 2}},
    };
    for (const Case& c : cases) {
        std::vector<RowTexts> rows;
        for (const std::string& cell : c.cells)
            rows.push_back(Row(c.column, cell));
        EXPECT_EQ(SortedRows(rows, {c.column, SortOrder::Ascending}), c.ascending) << c.column;
        EXPECT_EQ(SortedRows(rows, {c.column, SortOrder::Descending}), c.descending) << c.column;
        std::vector<int> slots(rows.size());
        for (std::size_t i = 0; i < slots.size(); ++i)
            slots[i] = static_cast<int>(i);
        EXPECT_EQ(SortedRows(rows, {c.column, SortOrder::Slots}), slots) << c.column;
    }
}

TEST(RowOrderTest, ClicksOnAHeadingGoAscendingDescendingAndBackToSlots) {
    const ListSort slots;
    const ListSort nameUp{col::kName, SortOrder::Ascending};
    const ListSort nameDown{col::kName, SortOrder::Descending};
    const ListSort groupUp{col::kGroup, SortOrder::Ascending};
    struct Click {
        ListSort before;
        int column;
        ListSort after;
    };
    const Click clicks[] = {
        {slots, col::kName, nameUp},      {nameUp, col::kName, nameDown},
        {nameDown, col::kName, slots},    {nameUp, col::kGroup, groupUp},
        {nameDown, col::kGroup, groupUp}, {{col::kName, SortOrder::Slots}, col::kName, nameUp},
        {nameUp, col::kSlot, slots},  // "#"
        {nameUp, kListColumns, slots},
    };
    for (const Click& c : clicks) {
        EXPECT_EQ(NextSort(c.before, c.column), c.after) << c.before.column << " then " << c.column;
    }
}

TEST(BookFiguresTest, TheStatusLineCountsEntriesAndSpeedDialsInUse) {
    PhoneBook book;
    EXPECT_EQ(BookStatusLine(book), "0 of 300 entries, 300 free; 19 of 19 speed dials free");
    for (int slot = 0; slot < 40; ++slot)
        AddEntry(book, slot, "P", kEtcGroup);
    book.SetSpeedDial(5, 7, NumberKind::Mobile);
    book.SetSpeedDial(9, 250, NumberKind::Mobile);  // names an empty slot: free
    EXPECT_EQ(BookStatusLine(book), "40 of 300 entries, 260 free; 18 of 19 speed dials free");
    book.DeleteEntry(7);
    EXPECT_EQ(BookStatusLine(book), "39 of 300 entries, 261 free; 19 of 19 speed dials free");
}

}  // namespace
}  // namespace numora
