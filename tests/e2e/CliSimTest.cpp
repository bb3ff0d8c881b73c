// numora-cli against numora-sim over a real pseudo-terminal, in real time: what a user with a
// handset would see, and what the handset sees, for whole read and write runs and each fault.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "book/BookJson.h"
#include "book/PbFile.h"
#include "support/BookBuilder.h"
#include "support/SimProcess.h"
#include "support/ToolTest.h"

namespace numora {
namespace {

namespace fs = std::filesystem;

class CliSimTest : public test::ToolTest {
protected:
    test::SimProcess StartSim(std::vector<std::string> args) const {
        args.push_back("--trace");
        return test::SimProcess(NUMORA_SIM, args, Path("sim-trace.txt"));
    }

    // The names of the requests the simulator took, from its trace, after the password and
    // without the mode controls the port search may repeat.
    static std::vector<std::string> RequestsAfterPassword(const std::string& trace) {
        std::vector<std::string> names;
        std::istringstream lines(trace);
        std::string line;
        bool open = false;
        while (std::getline(lines, line)) {
            std::istringstream words(line);
            std::string ms, what, number;
            words >> ms >> what >> number;
            if (what != "in") continue;
            std::string name;
            std::getline(words, name, ':');
            name.erase(0, name.find_first_not_of(' '));
            if (name == "Password") {
                open = true;
                continue;
            }
            if (open && name != "ModeControl") names.push_back(name);
            if (open && name == "ModeControl" && line.find(": 29 02") != std::string::npos) {
                names.push_back("ModeControl 2");
            }
        }
        return names;
    }
};

void Repeat(std::vector<std::string>& v, const std::string& name, int times) {
    v.insert(v.end(), static_cast<std::size_t>(times), name);
}

CPBData EveryGroupBook() {
    CPBData book;
    book.SetGroup(0, "All");
    for (int g = 1; g <= 5; ++g)
        book.SetGroup(g, "Group " + std::to_string(g));
    // Added from the highest slot down, so that each chain runs in slot order as a read
    // builds it.
    for (int i : {299, 128, 64, 31, 17, 9, 5, 0}) {
        test::AddEntry(book, i, "Entry " + std::to_string(i), static_cast<uint8_t>(i % 7),
                       "0" + std::to_string(100000 + i));
    }
    book.SetSmsGroupName(1, "Team");
    book.SetSpeedDial(4, 64, kMobile);
    return book;
}

TEST_F(CliSimTest, ReadGivesBackEveryEntryInTheHandsetsOrder) {
    CPBData book;
    book.SetGroup(2, "Friends");
    for (int slot : {9, 5, 0})
        test::AddEntry(book, slot, "P" + std::to_string(slot), 2);
    SaveBook(book, "b.pb");
    auto sim = StartSim({"--book", Path("b.pb")});
    ASSERT_FALSE(sim.Device().empty());
    const test::ToolRun r =
        Cli("read --no-progress --port " + sim.Device() + " -o " + Path("c.pb"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Json("c.pb"), Json("b.pb"));
    sim.Stop();

    std::vector<std::string> expected;
    Repeat(expected, "NvRead 0x0413", 20);
    Repeat(expected, "NvRead 0x0414", 6);
    expected.push_back("NvRead 0x00DD");
    expected.push_back("MaskRead");
    Repeat(expected, "GroupRead", 8);
    Repeat(expected, "EntryRequest", 3);
    expected.push_back("End");
    EXPECT_EQ(RequestsAfterPassword(sim.Trace()), expected);
}

// The book's history from the tool: a read and a write keep their books, a dry run writes
// nothing and lists what a write would change, a verified write reads the book back.
TEST_F(CliSimTest, HistoryDryRunAndVerifiedWrite) {
    SaveBook(EveryGroupBook(), "phone.pb");
    auto sim = StartSim({"--book", Path("phone.pb")});
    const std::string port = " --no-progress --port " + sim.Device() + " ";
    test::ToolRun r = Cli("read" + port + "-o " + Path("read.pb"));
    ASSERT_EQ(r.status, 0) << r.err;
    r = Cli("history");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, 2), "1 ") << r.out;
    EXPECT_NE(r.out.find("8 entries  read from phone"), std::string::npos) << r.out;
    EXPECT_EQ(Cli("diff @1 " + Path("read.pb")).status, 0);
    EXPECT_EQ(Cli("history show 1").out, Cli("dump " + Path("read.pb")).out);
    ASSERT_EQ(Cli("history restore 1 -o " + Path("back.json")).status, 0);
    EXPECT_EQ(Slurp(Path("back.json")), Json("read.pb"));

    CPBData edited = EveryGroupBook();
    edited.DeleteEntry(17);
    test::AddEntry(edited, 64, "Entry 64", 64 % 7, "0999");
    SaveBook(edited, "edited.pb");
    r = Cli("write --dry-run" + port + Path("edited.pb"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "entry 17 \"Entry 17\": removed (Mobile 0100017)\n"
              "entry 64 \"Entry 64\": Mobile \"0100064\" -> \"0999\"\n");
    ASSERT_EQ(Cli("read" + port + "-o " + Path("after-dry-run.pb")).status, 0);
    EXPECT_EQ(Cli("diff " + Path("read.pb") + " " + Path("after-dry-run.pb")).status, 0);

    r = Cli("write --verify" + port + Path("edited.pb"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("The phone holds the book as written."), std::string::npos) << r.err;
    r = Cli("history");
    EXPECT_EQ(r.out.substr(0, 2), "2 ") << r.out;
    EXPECT_NE(r.out.find("written to phone"), std::string::npos) << r.out;
    EXPECT_EQ(Cli("diff @2 " + Path("edited.pb")).status, 0);
    r = Cli("diff @1 @2");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("entry 17 \"Entry 17\": removed"), std::string::npos) << r.out;
}

TEST_F(CliSimTest, ReadOfAnEmptyBookAndOfEveryGroup) {
    SaveBook(CPBData(), "empty.pb");
    {
        // A work file left in the tool's folder goes when a read starts; no run makes one.
        const fs::path workFile = fs::path(NUMORA_CLI).parent_path() / "backup.efs";
        std::ofstream(workFile) << "left over";
        auto sim = StartSim({"--book", Path("empty.pb")});
        const test::ToolRun r =
            Cli("read --no-progress --port " + sim.Device() + " -o " + Path("e.pb"));
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(Json("e.pb"), Json("empty.pb"));
        EXPECT_FALSE(fs::exists(workFile));
    }
    SaveBook(EveryGroupBook(), "groups.pb");
    auto sim = StartSim({"--book", Path("groups.pb")});
    const test::ToolRun r =
        Cli("read --no-progress --port " + sim.Device() + " -o " + Path("g.json"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Slurp(Path("g.json")), Json("groups.pb"));
}

TEST_F(CliSimTest, ReadOfAFullBook) {
    CPBData book;
    for (int g = 1; g <= 5; ++g)
        book.SetGroup(g, "Group " + std::to_string(g));
    for (int i = kEntrySlots - 1; i >= 0; --i) {
        PBEntry e = test::MakeEntry(i, "Person " + std::to_string(i),
                                    static_cast<uint8_t>(1 + i % 6), std::string(32, '7'));
        SetText(e.email, "person" + std::to_string(i) + "@example.org");
        book.SetEntry(e);
    }
    SaveBook(book, "full.pb");
    auto sim = StartSim({"--book", Path("full.pb")});
    const test::ToolRun r =
        Cli("read --no-progress --port " + sim.Device() + " -o " + Path("c.pb"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Json("c.pb"), Json("full.pb"));
}

TEST_F(CliSimTest, WriteThenReadRoundTripsAndTheHandsetKeepsIt) {
    SaveBook(EveryGroupBook(), "book.pb");
    SaveBook(CPBData(), "empty.pb");
    auto sim = StartSim({"--book", Path("empty.pb"), "--save", Path("saved.pb")});
    test::ToolRun r = Cli("write --no-progress --port " + sim.Device() + " " + Path("book.pb"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("Phonebook Write Completed!"), std::string::npos) << r.err;
    r = Cli("read --no-progress --port " + sim.Device() + " -o " + Path("back.pb"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Json("back.pb"), Json("book.pb"));
    EXPECT_EQ(sim.Stop(), 0);
    EXPECT_EQ(Json("saved.pb"), Json("book.pb"));
}

TEST_F(CliSimTest, WriteSendsTheTwoPassesInOrder) {
    CPBData book;
    book.SetGroup(2, "Friends");
    test::AddEntry(book, 9, "Nine", 2);
    test::AddEntry(book, 4, "Four", 2);
    test::AddEntry(book, 1, "One", kEtcGroup);
    SaveBook(book, "book.pb");
    auto sim = StartSim({});
    const test::ToolRun r =
        Cli("write --no-progress --port " + sim.Device() + " " + Path("book.pb"));
    ASSERT_EQ(r.status, 0) << r.err;
    sim.Stop();
    std::vector<std::string> expected;
    Repeat(expected, "NvWrite 0x0413", 19);
    Repeat(expected, "NvWrite 0x0414", 5);
    expected.push_back("MaskWrite");
    Repeat(expected, "GroupWrite", 8);
    Repeat(expected, "EntryWrite", 3);
    Repeat(expected, "GroupWrite", 7);
    expected.push_back("MaskWrite");
    Repeat(expected, "NvWrite 0x0413", 19);
    expected.push_back("ModeControl 2");
    EXPECT_EQ(RequestsAfterPassword(sim.Trace()), expected);
}

struct Fault {
    const char* name;
    const char* simArgs;
    bool write;
    bool succeeds;
    bool phoneBroken = false;  // a failed write says the phone's book is incomplete
};

void PrintTo(const Fault& f, std::ostream* os) {
    *os << f.name;
}

class CliSimFaultTest : public CliSimTest, public ::testing::WithParamInterface<Fault> {};

TEST_P(CliSimFaultTest, EndsInADefinedState) {
    const Fault& f = GetParam();
    SaveBook(EveryGroupBook(), "book.pb");
    std::vector<std::string> args{"--book", Path("book.pb")};
    std::istringstream extra(f.simArgs);
    for (std::string a; extra >> a;)
        args.push_back(a);
    auto sim = StartSim(args);
    const std::string port = " --no-progress --timeout 10 --port " + sim.Device() + " ";
    const test::ToolRun r =
        f.write ? Cli("write" + port + Path("book.pb")) : Cli("read" + port + "-o " + Path("c.pb"));
    if (f.succeeds) {
        EXPECT_EQ(r.status, 0) << r.err;
        if (!f.write) {
            EXPECT_EQ(Json("c.pb"), Json("book.pb"));
        }
    } else {
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("Check Phone connection and power on !!!"), std::string::npos)
            << r.err;
        EXPECT_FALSE(fs::exists(Path("c.pb")));
    }
    EXPECT_EQ(r.err.find("incomplete") != std::string::npos, f.phoneBroken) << r.err;
}

// Request numbers count the simulator's framed requests: 1 the search's End, 2 the mode
// control, then the handshake and the sequence.
INSTANTIATE_TEST_SUITE_P(
    Faults, CliSimFaultTest,
    ::testing::Values(Fault{"BusyPolls", "--busy 3", false, true},
                      Fault{"RefusedPassword", "--refuse-password", false, false},
                      Fault{"ModeRefusedInWrite", "--refuse-mode-at 20", true, true},
                      Fault{"DroppedReply", "--drop 15", false, false},
                      Fault{"GarbledReplyIsAskedForAgain", "--garble 25", false, true},
                      Fault{"SplitAndRepeatedReplies",
                            "--split 20 --split-pause 1500 --twice 28 --bad-fcs 33", false, true},
                      Fault{"HangUp", "--hangup 30", false, false},
                      Fault{"HangUpInWrite", "--hangup 40", true, false, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CliSimTest, AnInterruptedWriteClosesThePortAndSaysWhatThePhoneHolds) {
    CPBData book;
    for (int slot = 59; slot >= 0; --slot)
        test::AddEntry(book, slot, "Entry " + std::to_string(slot), kEtcGroup);
    SaveBook(book, "book.pb");
    auto sim = StartSim({"--book", Path("book.pb")});
    const std::string cmd = std::string(NUMORA_CLI) + " write --no-progress --port " +
                            sim.Device() + " " + Path("book.pb") + " 2>" + Path("err.txt");
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        execl("/bin/sh", "sh", "-c", ("exec " + cmd).c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    // In the middle of the entries: the search takes a second, the entries 100 ms each.
    usleep(2500 * 1000);
    kill(pid, SIGINT);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    const std::string err = Slurp(Path("err.txt"));
    EXPECT_NE(err.find("Interrupted."), std::string::npos) << err;
    EXPECT_NE(err.find("incomplete"), std::string::npos) << err;
}

TEST_F(CliSimTest, TimeoutsOutOfRangeAndUnknownPacesAreUsageErrors) {
    for (const char* t : {"0", "3601", "3000000", "12x", ""}) {
        const test::ToolRun r = Cli(std::string("read --timeout '") + t + "' -o " + Path("c.pb"));
        EXPECT_EQ(r.status, 2) << t;
    }
    EXPECT_EQ(Cli("read --pace slow -o " + Path("c.pb")).status, 2);
}

TEST_F(CliSimTest, FastPaceGivesTheSameBookAndFallsBackWhenRepliesGoMissing) {
    SaveBook(EveryGroupBook(), "book.pb");
    for (const bool slow : {false, true}) {
        std::vector<std::string> args{"--book", Path("book.pb")};
        if (slow) args.insert(args.end(), {"--drop", "10", "--drop", "14"});
        auto sim = StartSim(args);
        std::filesystem::remove(Path("c.pb"));
        const test::ToolRun r = Cli("read --pace fast --trace --no-progress --port " +
                                    sim.Device() + " -o " + Path("c.pb"));
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(Json("c.pb"), Json("book.pb"));
        EXPECT_EQ(r.err.find("the specified pace from here") != std::string::npos, slow);
    }
}

TEST_F(CliSimTest, NoHandsetGivesUpAfterTheTimeout) {
    const test::ToolRun r = Cli("read --no-progress --timeout 3 --port " + Path("no-such-device") +
                                " -o " + Path("c.pb"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Check Phone connection and power on !!!"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace numora
