// numora-cli against numora-sim over a real pseudo-terminal, in real time: the tool's wiring of
// whole read and write runs, its history, a few faults and an interrupt. The engine's sequences
// and every fault are tested on the tests' clock.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/BookBuilder.h"
#include "support/SimProcess.h"
#include "support/ToolTest.h"

namespace numora {
namespace {

namespace fs = std::filesystem;
constexpr auto npos = std::string::npos;

class CliSimTest : public test::ToolTest {
protected:
    test::SimProcess StartSim(const std::vector<std::string>& args) const {
        return test::SimProcess(NUMORA_SIM, args, Path("sim-trace.txt"));
    }
    static std::string On(const test::SimProcess& sim) {
        return " --no-progress --port " + sim.Device() + " ";
    }
};

PhoneBook EveryGroupBook() {
    PhoneBook book;
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
    book.SetSpeedDial(4, 64, NumberKind::Mobile);
    return book;
}

TEST_F(CliSimTest, WriteThenReadRoundTripsAndTheHandsetKeepsIt) {
    SaveBook(EveryGroupBook(), "book.pb");
    SaveBook(PhoneBook(), "empty.pb");
    auto sim = StartSim({"--book", Path("empty.pb"), "--save", Path("saved.pb")});
    ASSERT_FALSE(sim.Device().empty());
    test::ToolRun r = Cli("write" + On(sim) + Path("book.pb"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("Phonebook Write Completed!"), npos) << r.err;
    // A work file left in the tool's folder goes when a read starts.
    const fs::path workFile = fs::path(NUMORA_CLI).parent_path() / "backup.efs";
    std::ofstream(workFile) << "left over";
    r = Cli("read" + On(sim) + "-o " + Path("back.json"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Slurp(Path("back.json")), Json("book.pb"));
    EXPECT_FALSE(fs::exists(workFile));
    EXPECT_EQ(sim.Stop(), 0);
    EXPECT_EQ(Json("saved.pb"), Json("book.pb"));
}

// The book's history from the tool: a read and a write keep their books, a dry run writes
// nothing and lists what a write would change, a verified write reads the book back.
TEST_F(CliSimTest, HistoryDryRunAndVerifiedWrite) {
    SaveBook(EveryGroupBook(), "phone.pb");
    auto sim = StartSim({"--book", Path("phone.pb")});
    test::ToolRun r = Cli("read" + On(sim) + "-o " + Path("read.pb"));
    ASSERT_EQ(r.status, 0) << r.err;
    r = Cli("history");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, 2), "1 ") << r.out;
    EXPECT_NE(r.out.find("8 entries  read from phone"), npos) << r.out;
    EXPECT_EQ(Cli("history show 1").out, Cli("dump " + Path("read.pb")).out);

    PhoneBook edited = EveryGroupBook();
    edited.DeleteEntry(17);
    test::AddEntry(edited, 64, "Entry 64", 64 % 7, "0999");
    SaveBook(edited, "edited.pb");
    r = Cli("write --dry-run" + On(sim) + Path("edited.pb"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "entry 17 \"Entry 17\": removed (Mobile 0100017)\n"
              "entry 64 \"Entry 64\": Mobile \"0100064\" -> \"0999\"\n");
    ASSERT_EQ(Cli("read" + On(sim) + "-o " + Path("after-dry-run.pb")).status, 0);
    EXPECT_EQ(Cli("diff " + Path("read.pb") + " " + Path("after-dry-run.pb")).status, 0);

    // One of the eight entries the handset held goes: more than a tenth, so only with --force.
    r = Cli("write" + On(sim) + Path("edited.pb"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Writing this book removes 1 of the 8 entries the phone held when it "
                         "was last read or written.\nThe handset's book as last read is kept in "
                         "the history as @1."),
              npos)
        << r.err;
    r = Cli("write --verify --force" + On(sim) + Path("edited.pb"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("The phone holds the book as written."), npos) << r.err;
    EXPECT_NE(r.err.find("Writing this book removes 1 of the 8 entries"), npos) << r.err;
    r = Cli("history");
    EXPECT_EQ(r.out.substr(0, 2), "2 ") << r.out;
    EXPECT_NE(r.out.find("written to phone"), npos) << r.out;
    EXPECT_EQ(Cli("diff @2 " + Path("edited.pb")).status, 0);
    r = Cli("diff @1 @2");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("entry 17 \"Entry 17\": removed"), npos) << r.out;
}

struct Fault {
    const char* name;
    const char* simArgs;
    const char* command;  // the tool's command and options before the port
    bool succeeds;
    const char* said;  // what the tool's stderr holds
};

void PrintTo(const Fault& f, std::ostream* os) {
    *os << f.name;
}

class CliSimFaultTest : public CliSimTest, public ::testing::WithParamInterface<Fault> {};

TEST_P(CliSimFaultTest, EndsWithTheBookOrSaysWhy) {
    const Fault& f = GetParam();
    SaveBook(EveryGroupBook(), "book.pb");
    std::vector<std::string> args{"--book", Path("book.pb")};
    std::istringstream extra(f.simArgs);
    for (std::string a; extra >> a;)
        args.push_back(a);
    auto sim = StartSim(args);
    const bool write = std::string(f.command) == "write";
    const test::ToolRun r = Cli(std::string(f.command) + " --timeout 10" + On(sim) +
                                (write ? Path("book.pb") : "-o " + Path("c.pb")));
    EXPECT_EQ(r.status, f.succeeds ? 0 : 1) << r.err;
    EXPECT_NE(r.err.find(f.said), npos) << r.err;
    if (!write) {
        EXPECT_EQ(r.err.find("The write stopped"), npos) << r.err;
        ASSERT_EQ(fs::exists(Path("c.pb")), f.succeeds);
        if (f.succeeds) {
            EXPECT_EQ(Json("c.pb"), Json("book.pb"));
        }
    }
}

// Request numbers count the simulator's framed requests: 1 the search's End, 2 the mode
// control, then the handshake and the sequence.
INSTANTIATE_TEST_SUITE_P(
    Faults, CliSimFaultTest,
    ::testing::Values(
        Fault{"SplitAndRepeatedReplies", "--split 20 --split-pause 1500 --twice 28 --bad-fcs 33",
              "read", true, ""},
        Fault{"FastReadFallsBackWhenRepliesGoMissing", "--drop 10 --drop 14",
              "read --pace fast --trace", true, "the specified pace from here"},
        Fault{"HangUpInWrite", "--hangup 40", "write", false, "the phone now holds no entries"},
        Fault{"RefusedPassword", "--refuse-password", "write", false,
              "!!!     \nThe handset refused the password."},
        // Not a handset: console text without pause, left at the time-out.
        Fault{"TalkingPort", "--talk text", "read", false,
              "!!!     \nNo handset answered on the ports tried: /dev/pts/"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(CliSimTest, AnInterruptedWriteClosesThePortAndSaysWhatThePhoneHolds) {
    PhoneBook book;
    for (int slot = 59; slot >= 0; --slot)
        test::AddEntry(book, slot, "Entry " + std::to_string(slot), kEtcGroup);
    SaveBook(book, "book.pb");
    auto sim = StartSim({"--book", Path("book.pb")});
    const std::string cmd =
        std::string(NUMORA_CLI) + " write" + On(sim) + Path("book.pb") + " 2>" + Path("err.txt");
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
    EXPECT_NE(err.find("Interrupted."), npos) << err;
    EXPECT_NE(err.find("the phone now holds no entries"), npos) << err;
}

}  // namespace
}  // namespace numora
