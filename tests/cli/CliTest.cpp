// numora-cli as a user runs it: exit codes, messages on stderr, files on disk.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "support/ToolTest.h"

namespace {

namespace fs = std::filesystem;

using CliTest = numora::test::ToolTest;
using CliRun = numora::test::ToolRun;

TEST_F(CliTest, ConvertsJsonToAPhoneBookFileAndBack) {
    const std::string json =
        "{\"entries\":[{\"slot\":4,\"name\":\"Ada\",\"group\":2,\"numbers\":{\"mobile\":\"0123\"},"
        "\"ringer\":104},{\"slot\":1,\"name\":\"Bo\",\"group\":2,\"numbers\":{\"fax\":\"99\"}}],"
        "\"groups\":[{\"slot\":2,\"name\":\"Friends\",\"members\":[4,1]}],"
        "\"smsGroups\":[{\"slot\":3,\"name\":\"Club\"}],"
        "\"speedDials\":[{\"number\":5,\"entry\":4,\"kind\":\"mobile\"}]}";
    WriteFile("in.json", json);
    CliRun r = Cli("convert " + Path("in.json") + " " + Path("book.pb"));
    ASSERT_EQ(r.status, 0) << r.err;

    r = Cli("dump --json " + Path("book.pb"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\"members\":[4,1]"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("{\"number\":5,\"entry\":4,\"kind\":\"mobile\"}"), std::string::npos);

    r = Cli("dump " + Path("book.pb"));
    ASSERT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("(speed dial 5)"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Behind Story"), std::string::npos) << r.out;
}

TEST_F(CliTest, ContactsConvertThroughVCardAndCsvAndReportWhatDoesNotFit) {
    std::string cards =
        "BEGIN:VCARD\r\nFN:Abroad\r\nTEL;TYPE=CELL:+49 170 1234567\r\nEND:VCARD\r\n";
    for (int k = 1; k < 302; ++k) {
        cards += "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Person " + std::to_string(k) +
                 "\r\nTEL;TYPE=CELL:" + std::to_string(5550000 + k) + "\r\nEND:VCARD\r\n";
    }
    WriteFile("many.vcf", cards);
    CliRun r = Cli("convert --region DE " + Path("many.vcf") + " " + Path("many.csv"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, Path("many.vcf") + ": read as UTF-8\n" + Path("many.vcf") +
                         ": contact 301 \"Person 300\": left out: the handset holds 300 entries\n" +
                         Path("many.vcf") +
                         ": contact 302 \"Person 301\": left out: the handset holds 300 entries\n");
    EXPECT_NE(Slurp(Path("many.csv")).find(",Abroad,Etc.,NO,01701234567,"), std::string::npos);

    // The Google shape says what it cannot hold; an unknown region is a usage error.
    r = Cli("convert " + Path("many.csv") + " " + Path("many.google.csv"));
    EXPECT_NE(r.err.find("has no place for entry slots (300)"), std::string::npos) << r.err;
    r = Cli("convert --region XX " + Path("many.vcf") + " " + Path("x.csv"));
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--region takes a country code"), std::string::npos) << r.err;
}

// Each failure gives its message and exit status, and leaves no output behind.
TEST_F(CliTest, FailuresGiveTheirMessageAndExit) {
    WriteFile("bad.json", "{\"entries\":[{\"slot\":1,\"group\":9}]}");
    WriteFile("good.json", "{}");
    fs::create_directory(Path("folder.pb"));
    WriteFile("in.json", "{\"entries\":[{\"slot\":4,\"numbers\":{\"mobile\":\"1\"}}]}");
    ASSERT_EQ(Cli("convert " + Path("in.json") + " " + Path("a.pb")).status, 0);
    const std::string whole = Slurp(Path("a.pb"));
    WriteFile("cut.pb", whole.substr(0, whole.size() - 60));
    WriteFile("empty.pb", "");
    WriteFile("between.pb", whole.substr(0, whole.size() - 19 * 133));  // cut between records
    WriteFile("twice.pb", whole + whole);
    WriteFile("huge.pb", std::string((16 << 20) + 1, '\x26'));
    WriteFile("empty.vcf", "\r\n");
    WriteFile("heading.csv", "Name,Mobile\r\n");
    // A contacts file is no book file: one card with a long note passes the books' 16 MB.
    WriteFile("note.vcf", "BEGIN:VCARD\r\nFN:Ada\r\nTEL:0123\r\nNOTE:" +
                              std::string((16 << 20) + 1, 'n') + "\r\nEND:VCARD\r\n");
    WriteFile("huge.vcf", "");
    fs::resize_file(Path("huge.vcf"), (std::uintmax_t{256} << 20) + 1);
    const std::string write = "write --no-progress --timeout 1 --port " + Path("none") + " ";
    const struct {
        std::string args;
        int status;
        std::string err;
    } cases[] = {
        {"dump " + Path("missing.pb"), 1,
         "File open failed!\nnumora-cli: cannot read " + Path("missing.pb") +
             ": No such file or directory\n"},
        {"merge " + Path("good.json") + " " + Path("missing.vcf") + " -o " + Path("out.pb"), 2,
         "cannot read " + Path("missing.vcf") + ": No such file or directory"},
        {"convert " + Path("bad.json") + " " + Path("out.pb"), 1,
         "\"group\" must be a whole number from 0 to 6"},
        {"convert " + Path("good.json") + " " + Path("folder.pb"), 1, "File save failed!\n"},
        {"frobnicate", 2, "unknown command \"frobnicate\"\nusage:"},
        // An extension of no format is refused, not written as a phone-book file.
        {"convert " + Path("good.json") + " " + Path("notes.txt"), 2,
         "no format is written as .txt"},
        // A damaged book is written only with --force.
        {write + Path("cut.pb"), 1, "cut short"},
        {write + Path("cut.pb"), 1, "nothing was written to the handset"},
        {write + "--force " + Path("empty.pb"), 1, "The file is empty"},
        {"dump " + Path("empty.pb"), 1, "The file is empty"},
        {write + Path("between.pb"), 1, "19 of the 19 speed dials"},
        {write + Path("twice.pb"), 1, "a slot that an earlier record already filled"},
        {write + "--force " + Path("cut.pb"), 1, "Check Phone connection"},
        {write + "--force " + Path("cut.pb"), 1, "no serial port could be opened"},
        {"dump " + Path("huge.pb"), 1, "File open failed!\nThe file is larger than 16 MB"},
        // Without a book, convert says why no contact came.
        {"convert " + Path("empty.vcf") + " " + Path("out.pb"), 1,
         "no contact could be read from the file: the file is empty\n"},
        {"convert " + Path("heading.csv") + " " + Path("out.pb"), 1,
         "no contact could be read from the file: it holds no row below its heading\n"},
        {"convert " + Path("note.vcf") + " " + Path("note.json"), 0, "memo"},
        {"convert " + Path("huge.vcf") + " " + Path("out.pb"), 1,
         "huge.vcf: the file is larger than 256 MB"},
        // A read whose output cannot be written fails before any port is tried.
        {"read --no-progress --timeout 30 --port " + Path("none") + " -o " +
             Path("no/such/folder/x.pb"),
         1, "File save failed!\n"},
    };
    for (const auto& c : cases) {
        const CliRun r = Cli(c.args);
        EXPECT_EQ(r.status, c.status) << c.args;
        EXPECT_NE(r.err.find(c.err), std::string::npos) << c.args << ": " << r.err;
        EXPECT_EQ(r.out, "") << c.args;
    }
    EXPECT_EQ(Cli(write + Path("cut.pb")).err.find("Check Phone"), std::string::npos);
    EXPECT_FALSE(fs::exists(Path("out.pb")));
    EXPECT_FALSE(fs::exists(Path("notes.txt")));
}

TEST_F(CliTest, DiffExitsAsDiffDoes) {
    const std::string a =
        "{\"entries\":[{\"slot\":4,\"name\":\"Ada\",\"group\":6,\"numbers\":{\"mobile\":\"0123\"}}]"
        ","
        "\"groups\":[{\"slot\":6,\"name\":\"Etc.\",\"members\":[4]}]}";
    std::string b = a;
    b.replace(b.find("0123"), 4, "0456");
    WriteFile("a.json", a);
    WriteFile("b.json", b);
    ASSERT_EQ(Cli("convert " + Path("a.json") + " " + Path("a.pb")).status, 0);

    CliRun r = Cli("diff " + Path("a.pb") + " " + Path("a.json"));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    r = Cli("diff " + Path("a.pb") + " " + Path("b.json"));
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.out, "entry 4 \"Ada\": Mobile \"0123\" -> \"0456\"\n");
    r = Cli("diff --json " + Path("a.pb") + " " + Path("b.json"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.rfind("[{\"item\":\"entry\",\"change\":\"changed\",\"slot\":4,", 0), 0u)
        << r.out;
    EXPECT_EQ(Cli("diff " + Path("a.pb") + " " + Path("none.pb")).status, 2);
    EXPECT_EQ(Cli("diff " + Path("a.pb") + " @7").status, 2);
    EXPECT_EQ(Cli("diff " + Path("a.pb")).status, 2);
}

TEST_F(CliTest, EveryCommandHasItsHelpAndRefusesWhatItDoesNotKnow) {
    for (const char* command : {"dump", "convert", "read", "write", "print", "diff", "history"}) {
        CliRun r = Cli(std::string(command) + " --help");
        EXPECT_EQ(r.status, 0) << command;
        EXPECT_EQ(r.out.rfind(std::string("usage: numora-cli ") + command, 0), 0u) << r.out;
        r = Cli(std::string(command) + " --no-such-option x");
        EXPECT_EQ(r.status, 2) << command;
        EXPECT_NE(r.err.find("no-such-option"), std::string::npos) << r.err;
    }
    EXPECT_EQ(Cli("history").out, "");
    EXPECT_EQ(Cli("history show 1").status, 1);
    for (const char* usage : {"history restore 1", "write --dry-run --verify x.pb",
                              "read --timeout 0 -o x.pb", "read --timeout 3601 -o x.pb",
                              "read --timeout 12x -o x.pb", "read --timeout 3000000 -o x.pb",
                              "read --timeout '' -o x.pb", "read --pace slow -o x.pb"})
        EXPECT_EQ(Cli(usage).status, 2) << usage;
}

TEST_F(CliTest, TheWorkFileGoesOnlyFromTheProgramsFolderAndDumpEscapesForATerminal) {
    // Started through the PATH from a folder holding a "backup.efs" of the user's.
    WriteFile("backup.efs", "mine");
    const std::string tool = NUMORA_CLI;
    const std::string bin = tool.substr(0, tool.rfind('/'));
    const std::string run = "cd " + Path("") + " && PATH=" + bin +
                            ":$PATH numora-cli read --no-progress --timeout 1 --port none -o x.pb"
                            " >/dev/null 2>&1";
    EXPECT_NE(std::system(run.c_str()), -1);
    EXPECT_EQ(Slurp(Path("backup.efs")), "mine");

    WriteFile("in.json",
              "{\"entries\":[{\"slot\":4,\"name\":\"\\u001b[2Jx\\u00e9\","
              "\"numbers\":{\"mobile\":\"1\"}}]}");
    ASSERT_EQ(Cli("convert " + Path("in.json") + " " + Path("a.pb")).status, 0);
    // Through a pseudo-terminal, as a user sees it.
    const std::string dump =
        "script -qec '" + tool + " dump " + Path("a.pb") + "' /dev/null >" + Path("tty.txt");
    ASSERT_EQ(std::system(dump.c_str()), 0);
    const std::string seen = Slurp(Path("tty.txt"));
    EXPECT_NE(seen.find("\\x1b[2Jx\xc3\xa9"), std::string::npos) << seen;
    EXPECT_EQ(seen.find('\x1b'), std::string::npos);
    // To a file or a pipe the text goes in UTF-8 as it is, controls and all.
    EXPECT_NE(Cli("dump " + Path("a.pb")).out.find("\x1b[2Jx\xc3\xa9"), std::string::npos);
}

}  // namespace
