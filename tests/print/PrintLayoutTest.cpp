#include "print/PrintLayout.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>

namespace numora {
namespace {

// count printable rows spread over the list (7 and 300 share no factor); rows gets them in order.
std::array<bool, kEntrySlots> Spread(int count, std::vector<int>& rows) {
    std::array<bool, kEntrySlots> printable{};
    for (int i = 0; i < count; ++i)
        printable[static_cast<std::size_t>((7 * i + 1) % 300)] = true;
    for (int r = 0; r < kEntrySlots; ++r) {
        if (printable[static_cast<std::size_t>(r)]) rows.push_back(r);
    }
    return printable;
}

std::vector<int> RowsOf(const std::vector<PrintPage>& pages) {
    std::vector<int> rows;
    for (const PrintPage& page : pages) {
        for (const PrintBox& box : page) {
            if (box.row) rows.push_back(*box.row);
        }
    }
    return rows;
}

TEST(PrintPagesTest, TwelveEntryBoxesAPageBelowTheHeaderBox) {
    for (const auto& [entries, pageCount] :
         {std::pair{0, 0u}, std::pair{12, 1u}, std::pair{13, 2u}, std::pair{300, 25u}}) {
        SCOPED_TRACE(entries);
        std::vector<int> rows;
        const auto pages = PaginatePrintRows(Spread(entries, rows));
        ASSERT_EQ(pages.size(), pageCount);
        EXPECT_EQ(RowsOf(pages), rows) << "every printable row once, in row order";
        for (const PrintPage& page : pages) {
            EXPECT_EQ(page[0], (PrintBox{170, std::nullopt}));
            for (std::size_t b = 1; b < page.size(); ++b) {
                EXPECT_EQ(page[b].top, 650 + 480 * static_cast<int>(b - 1));
            }
        }
        if (entries == 13) {
            EXPECT_EQ(pages[1].size(), 2u) << "the header box and one entry box";
        }
    }
}

TEST(PrintPagesTest, ARangePrintsTheEntriesOfItsOwnPages) {
    std::vector<int> rows;
    const auto pages = PaginatePrintRows(Spread(40, rows));  // 12, 12, 12 and 4 entries
    EXPECT_EQ(SelectPrintPages(pages, 0, 0), pages);
    const auto middle = SelectPrintPages(pages, 2, 3);
    EXPECT_EQ(middle, std::vector<PrintPage>(pages.begin() + 1, pages.begin() + 3));
    EXPECT_EQ(RowsOf(middle), std::vector<int>(rows.begin() + 12, rows.begin() + 36));
    EXPECT_EQ(RowsOf(SelectPrintPages(pages, 4, 9)),
              std::vector<int>(rows.begin() + 36, rows.end()));
    EXPECT_TRUE(SelectPrintPages(pages, 5, 5).empty());
}

TEST(PrintLayoutTest, EachValueStandsUnderItsOwnHeading) {
    std::vector<ListRowTexts> rows(kEntrySlots);
    rows[7] = {"  7 ", "Ada",  "Friends", "0170",  "5",    "0302", "X",   "0403", "12",   "0504",
               "X",    "0605", "9",       "ada@x", "wap.", "Memo", "YES", "Ring", "Tone", "Pic"};
    rows[8] = rows[7];
    rows[8][static_cast<std::size_t>(col::Number(0))] = "";  // Mobile gone, its speed dial kept
    const std::map<std::string, std::optional<std::string>> under = {{"No.", "  7 "},
                                                                     {"Name", "Ada"},
                                                                     {"Group", "Friends"},
                                                                     {"Home", "0302"},
                                                                     {"Mobile", "0170 (SDial 5)"},
                                                                     {"Office", "0403 (SDial 12)"},
                                                                     {"Pager", "0504"},
                                                                     {"Fax", "0605 (SDial 9)"},
                                                                     {"Voice", std::nullopt},
                                                                     {"Secret", "YES"},
                                                                     {"E-Mail", "ada@x"},
                                                                     {"Wireless Address", "wap."},
                                                                     {"Memo", "Memo"},
                                                                     {"SDial", std::nullopt}};
    const PrintPageLayout layout =
        LayOutPrintPage({{170, std::nullopt}, {650, 7}, {1130, 8}}, rows);
    const auto textAt = [&](int x, int y) -> std::optional<std::string> {
        for (const PrintText& t : layout.texts) {
            if (t.x == x && t.y == y) return t.text;
        }
        return std::nullopt;
    };
    int headings = 0, values = 0;
    for (const PrintText& t : layout.texts) {
        if (t.y >= 650) {
            values += t.y < 1130 ? 1 : 0;
            continue;
        }
        ++headings;
        ASSERT_EQ(under.count(t.text), 1u) << t.text;
        EXPECT_EQ(textAt(t.x, t.y + 480), under.at(t.text)) << "under " << t.text;
    }
    EXPECT_EQ(headings, 16);
    EXPECT_EQ(values, 12) << "nothing but the values under headings; no ringer or picture";
    EXPECT_EQ(textAt(2390, 1130 + 110), "(SDial 5)");
}

TEST(PrintLayoutTest, SixHundredDotsAnInchUnlessThePaperIsTooSmall) {
    EXPECT_EQ(PrintResolutionFor(8.5 - 28.0 / 72, 11), 600) << "the tool's Letter page";
    EXPECT_EQ(PrintResolutionFor(20, 30), 600);
    EXPECT_EQ(PrintResolutionFor(8.5 - 0.34, 11 - 0.34), 609) << "Letter, 0.17 inch margins";
    const int a4 = PrintResolutionFor((210 - 20) / 25.4, (297 - 20) / 25.4);  // 10 mm margins
    EXPECT_EQ(a4, 649) << "the layout's 4850 units across 190 mm";
}

}  // namespace
}  // namespace numora
