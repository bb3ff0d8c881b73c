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
        PhoneBook book;
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

    std::string Pdf() const { return Path("out.pdf"); }
};

// Forty entries: four pages of twelve entry boxes, and the second and third alone, each page
// with its headings; pages 2 and 3 printed last.
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
    // A text's top-left corner, not its baseline, lands on its layout position, and characters
    // keep the layout's width: the Memo heading, and the top rule of 151 "_" of 30 units from
    // (100, 170).
    const std::string boxes = Run("pdftotext -bbox -l 1 " + Pdf() + " -").out;
    std::smatch m;
    ASSERT_TRUE(std::regex_search(boxes, m,
                                  std::regex(R"re(xMin="([\d.]+)" yMin="([\d.]+)"[^>]*>Memo<)re")));
    EXPECT_NEAR(std::stod(m[1]), X(1170), 0.1);
    EXPECT_NEAR(std::stod(m[2]), Y(170 + 470), 0.3);
    ASSERT_TRUE(std::regex_search(
        boxes, m,
        std::regex(R"re(xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)"[^>]*>_{151}<)re")));
    EXPECT_NEAR(std::stod(m[1]), X(100), 0.1);
    EXPECT_NEAR(std::stod(m[2]), Y(170), 0.3);
    EXPECT_NEAR(std::stod(m[3]), X(100 + 150 * 30 + 30), 0.6 * 30 * 72 / 600);
}

}  // namespace
}  // namespace numora
