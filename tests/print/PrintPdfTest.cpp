// The printout as numora-cli writes it, read back with poppler's pdfinfo and pdftotext.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#ifndef NUMORA_CLI
#error "NUMORA_CLI must name the command-line tool"
#endif

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

class PrintPdfTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = fs::temp_directory_path() / ("numora-print-" + std::string(info->name()));
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string Path(const std::string& name) const { return (m_dir / name).string(); }

    // A book with entries in the given slots, each with a name and a Home number.
    std::string Book(const std::vector<int>& slots, const std::string& file = "book.json") const {
        std::ofstream json(Path(file));
        json << "{\"entries\":[";
        for (std::size_t i = 0; i < slots.size(); ++i) {
            json << (i ? "," : "") << "{\"slot\":" << slots[i] << ",\"name\":\"" << Name(slots[i])
                 << "\",\"numbers\":{\"home\":\"030\"}}";
        }
        json << "]}";
        return Path(file);
    }

    // Runs a command; returns its exit status, with its stdout in m_out and stderr in m_err.
    int Run(const std::string& cmd) {
        const int raw = std::system((cmd + " >" + Path("out") + " 2>" + Path("err")).c_str());
        m_out = Slurp(Path("out"));
        m_err = Slurp(Path("err"));
        return WEXITSTATUS(raw);
    }
    int Print(const std::string& args) { return Run(std::string(NUMORA_CLI) + " print " + args); }

    // The text of each page in drawing order, as many as pdfinfo counts.
    std::vector<std::string> Pages() {
        std::smatch m;
        EXPECT_EQ(Run("pdfinfo " + Pdf()), 0);
        EXPECT_TRUE(std::regex_search(m_out, m, std::regex(R"(Pages:\s+(\d+))")));
        const std::string count = m[1];
        EXPECT_EQ(Run("pdftotext -raw " + Pdf() + " -"), 0);
        std::vector<std::string> pages;
        for (auto at = m_out.find('\f'); at != std::string::npos; at = m_out.find('\f')) {
            pages.push_back(m_out.substr(0, at));
            m_out.erase(0, at + 1);
        }
        EXPECT_EQ(std::to_string(pages.size()), count);
        return pages;
    }

    // Left and top edges, in points, of the first word on page 1 that begins with text and
    // lies left of xBelow.
    std::array<double, 2> Corner(const std::string& text, double xBelow = 1e9) {
        EXPECT_EQ(Run("pdftotext -bbox -l 1 " + Pdf() + " -"), 0);
        static const std::regex word(R"re(<word xMin="([\d.]+)" yMin="([\d.]+)"[^>]*>([^<]*)<)re");
        for (std::sregex_iterator it(m_out.begin(), m_out.end(), word), end; it != end; ++it) {
            const double x = std::stod((*it)[1]);
            if ((*it)[3].str().starts_with(text) && x < xBelow) return {x, std::stod((*it)[2])};
        }
        ADD_FAILURE() << "no word " << text;
        return {-100, -100};
    }

    std::string Pdf() const { return Path("out.pdf"); }

    std::string m_out;
    std::string m_err;

private:
    static std::string Slurp(const std::string& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    fs::path m_dir;
};

TEST_F(PrintPdfTest, EveryPageHasTheHeadingsAndTwelveEntriesInSlotOrder) {
    const char* const headings[] = {
        "No.", "Name",  "Group",  "Home",   "Mobile",           "Office", "Pager",
        "Fax", "Voice", "Secret", "E-Mail", "Wireless Address", "Memo"};
    for (const auto& [entries, pageCount] :
         {std::pair{12, 1u}, std::pair{13, 2u}, std::pair{300, 25u}}) {
        SCOPED_TRACE(entries);
        std::vector<int> slots;
        for (int i = 0; i < entries; ++i)
            slots.push_back(entries == 300 ? i : 3 + 20 * i);
        ASSERT_EQ(Print(Book(slots) + " -o " + Pdf()), 0) << m_err;
        const std::vector<std::string> pages = Pages();
        ASSERT_EQ(pages.size(), pageCount);
        for (std::size_t p = 0; p < pages.size(); ++p) {
            for (const char* h : headings)
                EXPECT_EQ(Count(pages[p], h), 1) << h;
            EXPECT_EQ(Count(pages[p], "SDial"), 3);
            for (std::size_t i = 0; i < slots.size(); ++i) {
                EXPECT_EQ(Count(pages[p], Name(slots[i])), p == i / 12 ? 1 : 0)
                    << Name(slots[i]) << " on page " << p + 1;
            }
        }
    }
}

TEST_F(PrintPdfTest, TextsHaveTheirTopLeftCornersOnTheirPositions) {
    ASSERT_EQ(Print(Book({7, 17, 107}) + " -o " + Pdf()), 0) << m_err;
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
    ASSERT_EQ(Run("pdftotext -bbox -l 1 " + Pdf() + " -"), 0);
    std::smatch m;
    ASSERT_TRUE(std::regex_search(m_out, m, std::regex(R"re(xMax="([\d.]+)"[^>]*>_{151}<)re")));
    EXPECT_NEAR(std::stod(m[1]), X(100 + 150 * 30 + 30), 0.6 * 30 * 72 / 600);
}

TEST_F(PrintPdfTest, PageRangesAndNothingToPrint) {
    std::vector<int> slots(300);
    for (int s = 0; s < 300; ++s)
        slots[static_cast<std::size_t>(s)] = s;
    const std::string book = Book(slots);
    ASSERT_EQ(Print(book + " -o " + Pdf() + " --pages 2-3"), 0) << m_err;
    std::vector<std::string> pages = Pages();
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(Count(pages[0], Name(11)) + Count(pages[1], Name(36)), 0);
    EXPECT_EQ(Count(pages[0], Name(12)) + Count(pages[1], Name(35)), 2);
    ASSERT_EQ(Print(book + " -o " + Pdf() + " --pages 25-30"), 0) << m_err;
    pages = Pages();
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(Count(pages[0], Name(288)) + Count(pages[0], Name(299)), 2);
    fs::remove(Pdf());

    for (const std::string& args :
         {Book({}, "none.json") + " -o " + Pdf(), book + " -o " + Pdf() + " --pages 26-27",
          "--style directory " + Path("none.json") + " -o " + Pdf(),
          "--style directory " + book + " -o " + Pdf() + " --pages 90-99"}) {
        EXPECT_EQ(Print(args), 1);
        // Qt may have spoken first where the directory was laid out (XDG_RUNTIME_DIR unset).
        EXPECT_TRUE(m_err.ends_with("Nothing to print.\n")) << m_err;
        EXPECT_FALSE(fs::exists(Pdf()));
    }
    EXPECT_EQ(Print(book + " -o " + Pdf() + " --pages 3-2"), 2);
    EXPECT_EQ(Print(book + " -o " + Pdf() + " --style columns"), 2);
    EXPECT_EQ(Print(book + " -o " + Path("no/such/folder.pdf")), 1);
    EXPECT_EQ(m_err, "File save failed!\n");
}

// The directory of a full book whose names are not in slot order, each entry at its fullest:
// every name once, in order, over pages numbered in their footers, and no word of the PDF over
// another (poppler's word boxes come from the font's own ascent and descent).
TEST_F(PrintPdfTest, TheDirectoryListsEveryEntryByNameWithoutOneWordOverAnother) {
    std::vector<std::string> names;
    {
        std::ofstream json(Path("full.json"));
        json << "{\"entries\":[";
        for (int s = 0; s < 300; ++s) {
            const int k = (s * 37) % 300;  // a name order unlike the slot order
            std::string name = "Dir";
            name += {static_cast<char>('a' + k / 26 / 26), static_cast<char>('a' + k / 26 % 26),
                     static_cast<char>('a' + k % 26)};
            names.push_back(name);
            const std::string digits(32, static_cast<char>('0' + s % 10));
            json << (s ? "," : "") << "{\"slot\":" << s << ",\"name\":\"" << name
                 << " Wolfgang\",\"group\":" << 1 + s % 6 << ",\"numbers\":{\"mobile\":\"" << digits
                 << "\",\"home\":\"" << digits << "\",\"office\":\"0301234\","
                 << "\"pager\":\"0301234\",\"fax\":\"" << digits << "\"},\"email\":\""
                 << std::string(36, 'm') << "@example.org\",\"wireless\":\"wap.example.net/"
                 << std::string(32, 'w') << "\",\"memo\":\"" << std::string(48, 'W') << "\"}";
        }
        json << "],\"speedDials\":[";
        for (int n = 2; n <= 20; ++n)
            json << (n > 2 ? "," : "") << "{\"number\":" << n << ",\"entry\":" << n * 7
                 << ",\"kind\":\"fax\"}";
        json << "]}";
    }
    std::sort(names.begin(), names.end());
    ASSERT_EQ(Print("--style directory " + Path("full.json") + " -o " + Pdf()), 0) << m_err;
    const std::vector<std::string> pages = Pages();
    ASSERT_GT(pages.size(), 10u);

    ASSERT_EQ(Run("pdftotext -bbox " + Pdf() + " -"), 0);
    struct Box {
        double x0, y0, x1, y1;
        std::string text;
    };
    static const std::regex page(
        R"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)<)re");
    std::vector<std::vector<Box>> words;
    for (std::sregex_iterator it(m_out.begin(), m_out.end(), page), end; it != end; ++it) {
        if ((*it)[1].length() == 0) {
            words.emplace_back();
            continue;
        }
        words.back().push_back({std::stod((*it)[1]), std::stod((*it)[2]), std::stod((*it)[3]),
                                std::stod((*it)[4]), (*it)[5]});
    }
    ASSERT_EQ(words.size(), pages.size());
    std::vector<std::string> printed;
    int overlaps = 0;
    for (std::size_t p = 0; p < words.size(); ++p) {
        const std::string footer =
            "Page " + std::to_string(p + 1) + " of " + std::to_string(pages.size());
        EXPECT_EQ(Count(pages[p], footer), 1) << footer;
        for (std::size_t i = 0; i < words[p].size(); ++i) {
            const Box& a = words[p][i];
            if (a.text.starts_with("Dir")) printed.push_back(a.text);
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
    EXPECT_EQ(printed, names);
    EXPECT_EQ(Count(m_out, ">(speed"), 19);
}

}  // namespace
