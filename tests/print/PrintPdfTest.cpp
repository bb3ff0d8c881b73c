// The printout as numora-cli writes it, read back with poppler's pdfinfo and pdftotext.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "support/BookBuilder.h"
#include "support/ToolTest.h"

namespace numora {
namespace {

namespace fs = std::filesystem;

// Points from the page's top-left corner to a layout position: 600 units an inch, the printable
// area 14 points in from the left edge.
double X(int units) {
    return 14 + units * 72.0 / 600;
}
double Y(int units) {
    return units * 72.0 / 600;
}

std::string Name(int slot) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "Person %03d", slot);
    return buf;
}

int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

class PrintPdfTest : public test::ToolTest {
protected:
    // A book with entries in the given slots, each with a name and a Mobile number.
    std::string Book(const std::vector<int>& slots, const std::string& file = "book.pb") const {
        CPBData book;
        for (const int slot : slots)
            test::AddEntry(book, slot, Name(slot), kEtcGroup);
        SaveBook(book, file);
        return Path(file);
    }

    // The text of each page in drawing order, as many as pdfinfo counts.
    std::vector<std::string> Pages() const {
        std::smatch m;
        const std::string info = Run("pdfinfo " + Pdf()).out;
        EXPECT_TRUE(std::regex_search(info, m, std::regex(R"(Pages:\s+(\d+))")));
        std::string text = Run("pdftotext -raw " + Pdf() + " -").out;
        std::vector<std::string> pages;
        for (auto at = text.find('\f'); at != std::string::npos; at = text.find('\f')) {
            pages.push_back(text.substr(0, at));
            text.erase(0, at + 1);
        }
        EXPECT_EQ(std::to_string(pages.size()), m[1].str());
        return pages;
    }

    // Left and top edges, in points, of the first word on page 1 that begins with text and
    // lies left of xBelow.
    std::array<double, 2> Corner(const std::string& text, double xBelow = 1e9) const {
        const std::string boxes = Run("pdftotext -bbox -l 1 " + Pdf() + " -").out;
        static const std::regex word(R"re(<word xMin="([\d.]+)" yMin="([\d.]+)"[^>]*>([^<]*)<)re");
        for (std::sregex_iterator it(boxes.begin(), boxes.end(), word), end; it != end; ++it) {
            const double x = std::stod((*it)[1]);
            if ((*it)[3].str().starts_with(text) && x < xBelow) return {x, std::stod((*it)[2])};
        }
        ADD_FAILURE() << "no word " << text;
        return {-100, -100};
    }

    std::string Pdf() const { return Path("out.pdf"); }
};

// Forty entries: four pages of twelve entry boxes, and the second and third alone, each page
// with its headings.
TEST_F(PrintPdfTest, PagesAndRangesHoldTheirEntries) {
    std::vector<int> slots;
    for (int i = 0; i < 40; ++i)
        slots.push_back(3 + 7 * i);
    const std::string book = Book(slots);
    for (const auto& [range, first] : {std::pair{"", 0u}, std::pair{" --pages 2-3", 1u}}) {
        SCOPED_TRACE(range);
        const test::ToolRun r = Cli("print " + book + " -o " + Pdf() + range);
        ASSERT_EQ(r.status, 0) << r.err;
        const std::vector<std::string> pages = Pages();
        ASSERT_EQ(pages.size(), first == 0 ? 4u : 2u);
        for (std::size_t p = 0; p < pages.size(); ++p) {
            EXPECT_EQ(Count(pages[p], "Wireless Address"), 1);
            EXPECT_EQ(Count(pages[p], Name(slots[(first + p) * 12])), 1) << "page " << p + 1;
        }
    }
}

TEST_F(PrintPdfTest, TextsHaveTheirTopLeftCornersOnTheirPositions) {
    const test::ToolRun r = Cli("print " + Book({7, 17, 107}) + " -o " + Pdf());
    ASSERT_EQ(r.status, 0) << r.err;
    const auto memo = Corner("Memo");
    EXPECT_NEAR(memo[0], X(1170), 0.1);
    EXPECT_NEAR(memo[1], Y(170 + 470), 0.3);

    // The list's slot labels "  7 ", " 17 " and "107 " from the first cell of their boxes.
    const auto seven = Corner("7", X(200));
    const auto hundredSeven = Corner("107", X(200));
    const double space = Corner("17", X(200))[0] - X(100);
    EXPECT_GT(space, 1.0);
    EXPECT_NEAR(seven[0] - X(100), 2 * space, 0.1);
    EXPECT_NEAR(hundredSeven[0], X(100), 0.1);
    EXPECT_NEAR(seven[1], Y(650 + 110), 0.3);
    EXPECT_NEAR(hundredSeven[1], Y(650 + 2 * 480 + 110), 0.3);

    // The top rule: 151 "_" of 30 units each from (100, 170).
    const auto rule = Corner(std::string(151, '_'));
    EXPECT_NEAR(rule[0], X(100), 0.1);
    EXPECT_NEAR(rule[1], Y(170), 0.3);
    const std::string boxes = Run("pdftotext -bbox -l 1 " + Pdf() + " -").out;
    std::smatch m;
    ASSERT_TRUE(std::regex_search(boxes, m, std::regex(R"re(xMax="([\d.]+)"[^>]*>_{151}<)re")));
    EXPECT_NEAR(std::stod(m[1]), X(100 + 150 * 30 + 30), 0.6 * 30 * 72 / 600);
}

TEST_F(PrintPdfTest, NothingToPrintAndBadOptions) {
    const std::string book = Book({1, 2, 3});
    for (const std::string& args :
         {Book({}, "none.pb") + " -o " + Pdf(), book + " -o " + Pdf() + " --pages 2-3",
          "--style directory " + Path("none.pb") + " -o " + Pdf(),
          "--style directory " + book + " -o " + Pdf() + " --pages 90-99"}) {
        const test::ToolRun r = Cli("print " + args);
        EXPECT_EQ(r.status, 1);
        // Qt may have spoken first where the directory was laid out (XDG_RUNTIME_DIR unset).
        EXPECT_TRUE(r.err.ends_with("Nothing to print.\n")) << r.err;
        EXPECT_FALSE(fs::exists(Pdf()));
    }
    EXPECT_EQ(Cli("print " + book + " -o " + Pdf() + " --pages 3-2").status, 2);
    EXPECT_EQ(Cli("print " + book + " -o " + Pdf() + " --style columns").status, 2);
    const test::ToolRun r = Cli("print " + book + " -o " + Path("no/such/folder.pdf"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "File save failed!\n");
}

// The directory of a full book in the printer's own fonts: no word of the PDF over another
// (poppler's word boxes come from the font's own ascent and descent).
TEST_F(PrintPdfTest, TheDirectoryPrintsAFullBookWithoutOneWordOverAnother) {
    SaveBook(test::LargestBook(), "full.pb");
    const test::ToolRun r = Cli("print --style directory " + Path("full.pb") + " -o " + Pdf());
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> pages = Pages();
    ASSERT_GT(pages.size(), 10u);
    EXPECT_EQ(Count(pages.back(), "Page " + std::to_string(pages.size()) + " of "), 1);

    const std::string boxes = Run("pdftotext -bbox " + Pdf() + " -").out;
    struct Box {
        double x0, y0, x1, y1;
        std::string text;
    };
    static const std::regex page(
        R"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)<)re");
    std::vector<std::vector<Box>> words;
    for (std::sregex_iterator it(boxes.begin(), boxes.end(), page), end; it != end; ++it) {
        if ((*it)[1].length() == 0) {
            words.emplace_back();
            continue;
        }
        words.back().push_back({std::stod((*it)[1]), std::stod((*it)[2]), std::stod((*it)[3]),
                                std::stod((*it)[4]), (*it)[5]});
    }
    ASSERT_EQ(words.size(), pages.size());
    int overlaps = 0;
    for (std::size_t p = 0; p < words.size(); ++p) {
        for (std::size_t i = 0; i < words[p].size(); ++i) {
            const Box& a = words[p][i];
            for (std::size_t j = i + 1; j < words[p].size(); ++j) {
                const Box& b = words[p][j];
                const bool over = a.x0 + 0.01 < b.x1 && b.x0 + 0.01 < a.x1 && a.y0 + 0.01 < b.y1 &&
                                  b.y0 + 0.01 < a.y1;
                if (over && ++overlaps < 5)
                    ADD_FAILURE() << "page " << p + 1 << ": " << a.text << " over " << b.text;
            }
        }
    }
    EXPECT_EQ(overlaps, 0);
    EXPECT_EQ(Count(boxes, ">(speed"), 19);
}

}  // namespace
}  // namespace numora
