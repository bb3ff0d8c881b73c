// numora-cli merge and duplicates as a user runs them: listings, exit statuses, answers that
// are remembered between runs.
#include <gtest/gtest.h>

#include <string>

#include "support/ToolTest.h"

namespace {

using MergeCliTest = numora::test::ToolTest;

const char* const kBook =
    R"({"entries":[{"slot":0,"name":"Anna Meyer","group":6,"numbers":{"mobile":"01701234567"}},)"
    R"({"slot":1,"name":"Mum","group":6,"numbers":{"home":"0301234567"}},)"
    R"({"slot":2,"name":"Pizza","group":6,"numbers":{"office":"0307654321"}}],)"
    R"("groups":[{"slot":6,"name":"Etc.","members":[0,1,2]}],)"
    R"("speedDials":[{"number":2,"entry":1,"kind":"home"}]})";

const char* const kCards =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Meyer\\, Anna\r\nTEL;TYPE=CELL:+49 170 1234567\r\n"
    "EMAIL:anna@example.org\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Tom Meyer\r\nTEL;TYPE=HOME:030 1234567\r\nEND:VCARD\r\n";

TEST_F(MergeCliTest, MergeListsWhatChangesAndDryRunExitsAsDiffDoes) {
    WriteFile("book.json", kBook);
    WriteFile("cards.vcf", kCards);
    const std::string args = Path("book.json") + " " + Path("cards.vcf") + " --region DE";
    auto r = Cli("merge " + args + " --dry-run");
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.out,
              "entry 0 \"Anna Meyer\": E-mail \"\" -> \"anna@example.org\"\n"
              "entry 3 \"Tom Meyer\": added (Home 0301234567)\n"
              "likely: entry 1 \"Mum\" and contact 2 \"Tom Meyer\": a shared number under other "
              "names (--same 1=2 or --different 1=2)\n");
    EXPECT_FALSE(std::filesystem::exists(Path("data/numora/likely-pairs.json")));

    // The answer decides the pair, is remembered, and the book's own file merged again
    // changes nothing.
    r = Cli("merge " + args + " --same 1=2 -o " + Path("out.pb"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("conflict: entry 1 \"Mum\": Name \"Mum\" kept; contact 2 \"Tom Meyer\" "
                         "has \"Tom Meyer\""),
              std::string::npos)
        << r.out;
    r = Cli("merge " + args + " --dry-run");
    EXPECT_EQ(r.out.find("likely:"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("added"), std::string::npos) << r.out;
    // A remembered answer can be given anew.
    r = Cli("merge " + args + " --different 1=2 --dry-run");
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.out.find("entry 3 \"Tom Meyer\": added"), std::string::npos) << r.out;
    r = Cli("merge " + Path("out.pb") + " " + Path("cards.vcf") + " " + Path("out.pb") +
            " --region DE --dry-run");
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(Cli("dump " + Path("out.pb")).out.find("Pizza"), std::string::npos);
}

// Names go out in UTF-8 whatever the book's single-byte text holds.
TEST_F(MergeCliTest, MergeListsNamesInUtf8) {
    WriteFile("book.json", kBook);
    WriteFile("zoe.vcf",
              "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Zo\xC3\xAB M\xC3\xBCller\r\n"
              "TEL;TYPE=HOME:030 1234567\r\nNOTE:\xE2\x82\xAC\r\nEND:VCARD\r\n");
    const auto r =
        Cli("merge " + Path("book.json") + " " + Path("zoe.vcf") + " --region DE --dry-run");
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.out.find("likely: entry 1 \"Mum\" and contact 1 \"Zo\xC3\xAB M\xC3\xBCller\""),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("does not fit: contact 1 \"Zo\xC3\xAB M\xC3\xBCller\""), std::string::npos)
        << r.out;
}

TEST_F(MergeCliTest, MistakesAreRefusedWithStatusTwoAndNoFile) {
    WriteFile("book.json", kBook);
    WriteFile("cards.vcf", kCards);
    WriteFile("empty.vcf", "nothing\n");
    const std::string book = Path("book.json") + " ";
    for (const std::string& args :
         {book + Path("cards.vcf"), book + Path("cards.vcf") + " --prefer mine --dry-run",
          book + Path("cards.vcf") + " --region XX --dry-run",
          book + Path("cards.vcf") + " --same 7 --dry-run",
          book + Path("cards.vcf") + " --same 0=9 --dry-run",
          book + Path("empty.vcf") + " --dry-run",
          book + Path("none.vcf") + " -o " + Path("o.pb")}) {
        const auto r = Cli("merge " + args);
        EXPECT_EQ(r.status, 2) << args << "\n" << r.err;
        EXPECT_FALSE(r.err.empty()) << args;
    }
    EXPECT_FALSE(std::filesystem::exists(Path("o.pb")));
}

TEST_F(MergeCliTest, DuplicatesListsTheSureAndLikelyPairs) {
    WriteFile(
        "twice.json",
        R"({"entries":[{"slot":3,"name":"Anna Meyer","group":6,"numbers":{"mobile":"00447700900123"}},)"
        R"({"slot":5,"name":"Meyer, Anna","group":6,"numbers":{"mobile":"07700 900123"}},)"
        R"({"slot":8,"name":"Bo","group":6,"numbers":{"home":"01632960001"}},)"
        R"({"slot":9,"name":"Cy","group":6,"numbers":{"home":"01632 960001"}}],)"
        R"("groups":[{"slot":6,"name":"Etc.","members":[3,5,8,9]}]})");
    auto r = Cli("duplicates " + Path("twice.json") + " --region GB");
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.out,
              "sure: entry 3 \"Anna Meyer\" and entry 5 \"Meyer, Anna\": a shared number, the "
              "names agree\n"
              "likely: entry 8 \"Bo\" and entry 9 \"Cy\": a shared number under other names\n");
    r = Cli("duplicates --json " + Path("twice.json") + " --region GB");
    EXPECT_NE(r.out.find(R"({"likeness":"likely","entry":8,"name":"Bo","otherEntry":9,)"),
              std::string::npos)
        << r.out;
    WriteFile("once.json", kBook);
    r = Cli("duplicates " + Path("once.json") + " --region DE");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
}

}  // namespace
