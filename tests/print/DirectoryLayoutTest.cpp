#include "print/DirectoryLayout.h"

#include <gtest/gtest.h>

#include <set>

namespace numora {
namespace {

using namespace std::string_literals;

// A font where every character is as wide as its size times 0.6 (bold a little wider).
double FakeWidth(std::string_view text, DirFont font) {
    return static_cast<double>(text.size()) * DirFontSize(font) *
           (font == DirFont::Text ? 0.55 : 0.62);
}

ListRowTexts Entry(int slot, std::string name) {
    ListRowTexts cells;
    cells[col::kSlot] = SlotLabel(slot);
    cells[col::kName] = std::move(name);
    cells[col::kGroup] = "Etc.";
    cells[col::kSecret] = "NO";
    cells[static_cast<std::size_t>(col::Number(0))] = "0301234";
    for (int k = 0; k < kNumberKinds; ++k)
        cells[static_cast<std::size_t>(col::SpeedDial(k))] = std::string(kNoSpeedDial);
    return cells;
}

// Every slot at its fullest: 16-character names, five 32-digit numbers with speed dials, and an
// e-mail, wireless address and memo of 48 characters each, one without a space.
std::vector<ListRowTexts> FullBook() {
    std::vector<ListRowTexts> rows;
    for (int s = 0; s < kEntrySlots; ++s) {
        ListRowTexts cells = Entry(s, "Person " + std::to_string((s * 37) % 300) + " Longname");
        cells[col::kName].resize(16, 'x');
        for (int k = 0; k < kNumberKinds; ++k) {
            cells[static_cast<std::size_t>(col::Number(k))] = std::string(32, '0' + (s + k) % 10);
            cells[static_cast<std::size_t>(col::SpeedDial(k))] = std::to_string(2 + (s + k) % 19);
        }
        cells[col::kEmail] = std::string(40, 'e') + "@mail.xy";
        cells[col::kWireless] = "http://wireless.example/" + std::string(24, 'w');
        cells[col::kMemo] = "call after six on weekdays, never on a sunday ok";
        rows.push_back(cells);
    }
    return rows;
}

// Boxes that share more than a rounding error's worth of space.
bool Overlap(const DirRun& a, const DirRun& b) {
    constexpr double e = 1e-6;
    return a.x + e < b.x + b.width && b.x + e < a.x + a.width && a.y + e < b.y + b.height &&
           b.y + e < a.y + a.height;
}

std::vector<std::string> PrintedNames(const std::vector<DirPage>& pages) {
    std::vector<std::string> names;
    for (const DirPage& page : pages) {
        for (const DirRun& run : page.runs) {
            if (run.font == DirFont::Bold && run.y > page.runs[1].y) names.push_back(run.text);
        }
    }
    return names;
}

TEST(DirectoryLayoutTest, NamesInOrderWithoutCaseOrAccentsAndTheNamelessLast) {
    std::vector<ListRowTexts> rows(kEntrySlots);
    const std::vector<std::pair<int, std::string>> book = {
        {0, "bob"},  {1, ""},    {2, "\xC1lvaro"}, {3, "Zo\xEB"},
        {4, "adam"}, {5, "Bob"}, {6, "zoe"},       {7, "  Carl"}};
    for (const auto& [slot, name] : book)
        rows[static_cast<std::size_t>(slot)] = Entry(slot, name);
    rows[9][col::kName] = "Not in use";  // a row the list leaves blank does not print

    const std::vector<DirPage> pages = LayOutDirectory(rows, kPaperA4, FakeWidth);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(PrintedNames(pages),
              (std::vector<std::string>{"adam", "\xC1lvaro", "Bob", "bob", "Carl", "Zo\xEB", "zoe",
                                        "(no name)"}));
    EXPECT_EQ(pages[0].rows, (std::vector<int>{4, 2, 5, 0, 7, 3, 6, 1}));
    EXPECT_TRUE(
        LayOutDirectory(std::vector<ListRowTexts>(kEntrySlots), kPaperA4, FakeWidth).empty());
    // Paper too small for anything still gets every entry, each on a page of its own.
    EXPECT_EQ(LayOutDirectory(rows, DirPaper{50, 50}, FakeWidth).size(), 8u);
}

TEST(DirectoryLayoutTest, AFullBookFillsPagesWithoutOneTextOverAnother) {
    const std::vector<ListRowTexts> rows = FullBook();
    for (const DirPaper paper : {kPaperA4, kPaperLetter}) {
        SCOPED_TRACE(paper.height);
        const std::vector<DirPage> pages = LayOutDirectory(rows, paper, FakeWidth);
        ASSERT_GT(pages.size(), 10u);
        std::multiset<int> printed;
        for (std::size_t p = 0; p < pages.size(); ++p) {
            const DirPage& page = pages[p];
            printed.insert(page.rows.begin(), page.rows.end());
            EXPECT_EQ(page.runs.back().text,
                      "Page " + std::to_string(p + 1) + " of " + std::to_string(pages.size()));
            for (std::size_t i = 0; i < page.runs.size(); ++i) {
                const DirRun& a = page.runs[i];
                EXPECT_GE(a.x, 36);
                EXPECT_LE(a.x + a.width, paper.width - 36) << a.text;
                EXPECT_GE(a.y, 36);
                EXPECT_LE(a.y + a.height, paper.height - 36) << a.text;
                for (std::size_t j = i + 1; j < page.runs.size(); ++j)
                    EXPECT_FALSE(Overlap(a, page.runs[j])) << a.text << " | " << page.runs[j].text;
                for (const DirRule& r : page.rules)
                    EXPECT_FALSE(r.y > a.y + 1e-6 && r.y + 1e-6 < a.y + a.height)
                        << "rule through " << a.text;
            }
        }
        EXPECT_EQ(printed.size(), 300u);
        EXPECT_EQ(std::set<int>(printed.begin(), printed.end()).size(), 300u);
        const std::vector<std::string> names = PrintedNames(pages);
        EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    }
}

TEST(DirectoryLayoutTest, EveryValueIsPrintedWholeWithItsLabel) {
    std::vector<ListRowTexts> rows(kEntrySlots);
    rows[4] = FullBook()[4];
    rows[4][static_cast<std::size_t>(col::Number(2))] = "";  // no Office number
    rows[4][col::kWireless] = "";
    const DirPage page = LayOutDirectory(rows, kPaperLetter, FakeWidth).at(0);
    std::string text;
    for (const DirRun& run : page.runs)
        text += run.text + ' ';
    // Each speed dial is one word, kept together by no-break spaces.
    const std::string sp = "\xA0";
    for (const std::string& expected :
         {"Mobile 4444"s, "(speed" + sp + "dial" + sp + "6)", "Home 5555"s,
          "(speed" + sp + "dial" + sp + "7)", "Pager"s, "Fax"s, "Etc."s, "E-mail eeeeeee"s,
          "mail.xy"s, "Memo call after six"s, "Page 1 of 1"s, "Phone Book"s, "Numbers"s})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << " in " << text;
    for (const char* absent : {"Office", "Wireless"})
        EXPECT_EQ(text.find(absent), std::string::npos) << absent;
    std::string joined;
    for (const DirRun& run : page.runs)
        joined += run.text;
    EXPECT_NE(joined.find(rows[4][col::kEmail]), std::string::npos)
        << "wrapped inside its column, nothing lost";
}

TEST(DirectoryLayoutTest, LetterWhereTheLocaleUsesIt) {
    for (const auto& [locale, letter] :
         {std::pair{"en_US.UTF-8", true}, std::pair{"fr_CA", true}, std::pair{"es_MX.UTF-8", true},
          std::pair{"de_DE.UTF-8", false}, std::pair{"en_GB", false}, std::pair{"C.UTF-8", false},
          std::pair{"", false}}) {
        EXPECT_EQ(PaperForLocale(locale).height, letter ? kPaperLetter.height : kPaperA4.height)
            << locale;
    }
}

}  // namespace
}  // namespace numora
