// The three programs as a shell and a desktop meet them: --help and --version (the window's
// without a display), a failed write to standard output or to a file as an error with the
// system's reason, and a simulator that ends with the window however the window ends.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/ToolTest.h"

extern char** environ;

namespace numora {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
constexpr auto npos = std::string::npos;

// Nothing a program could show a window on.
const std::string kNoDisplay = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ";

class ProgramsTest : public test::ToolTest {};

TEST_F(ProgramsTest, EveryProgramTakesHelpAndVersionWithoutADisplay) {
    const struct {
        std::string program;
        std::string name;
        std::string usage;  // how its help begins
    } programs[] = {
        {NUMORA_APP, "numora", "Usage: numora [options] [FILE]\n"},
        {NUMORA_CLI, "numora-cli", "usage: numora-cli dump"},
        {NUMORA_SIM, "numora-sim", "Usage: numora-sim [options]\n"},
    };
    for (const auto& p : programs) {
        for (const char* help : {" --help", " -h"}) {
            const test::ToolRun r = Run(kNoDisplay + p.program + help);
            EXPECT_EQ(r.status, 0) << p.name << help << ": " << r.err;
            EXPECT_EQ(r.out.rfind(p.usage, 0), 0u) << p.name << help << ": " << r.out;
            EXPECT_EQ(r.err, "") << p.name << help;
        }
        for (const char* version : {" --version", " -v"}) {
            const test::ToolRun r = Run(kNoDisplay + p.program + version);
            EXPECT_EQ(r.status, 0) << p.name << version << ": " << r.err;
            EXPECT_EQ(r.out, p.name + " " NUMORA_VERSION "\n") << p.name << version;
        }
    }
    // Qt's own options of the window neither hide the help nor read as it.
    EXPECT_EQ(Run(kNoDisplay + NUMORA_APP + " -platform offscreen --help").status, 0);
    const test::ToolRun qt = Run("QT_QPA_PLATFORM=offscreen " + std::string(NUMORA_APP) +
                                 " -reverse -stylesheet none.qss --frobnicate");
    EXPECT_EQ(qt.status, 2) << qt.out;
    EXPECT_NE(qt.err.find("Unknown option 'frobnicate'"), npos) << qt.err;
    const test::ToolRun wrong = Run(std::string(NUMORA_SIM) + " --frobnicate");
    EXPECT_EQ(wrong.status, 2);
    EXPECT_EQ(
        wrong.err,
        "numora-sim: Unknown option 'frobnicate'.\nTry 'numora-sim --help' for the options.\n");
    EXPECT_EQ(Run(std::string(NUMORA_SIM) + " book.pb").status, 2);
}

TEST_F(ProgramsTest, AFailedWriteIsAnErrorWithTheSystemsReason) {
    WriteFile("book.json", R"({"entries":[{"slot":4,"name":"Ada","numbers":{"mobile":"1"}}]})");
    ASSERT_EQ(Cli("convert " + Path("book.json") + " " + Path("book.pb")).status, 0);
    fs::create_directory(Path("folder.pb"));
    const std::string full = ": cannot write to standard output: No space left on device\n";
    const std::string book = Path("book.pb");
    const struct {
        std::string command;
        std::string err;  // the end of stderr
    } cases[] = {
        {std::string(NUMORA_CLI) + " dump " + book + " >/dev/full", "numora-cli" + full},
        {std::string(NUMORA_CLI) + " dump --json " + book + " >/dev/full", "numora-cli" + full},
        {std::string(NUMORA_CLI) + " --help >/dev/full", "numora-cli" + full},
        {kNoDisplay + NUMORA_APP + " --version >/dev/full", "numora" + full},
        {std::string(NUMORA_SIM) + " >/dev/full", "numora-sim" + full},
        {std::string(NUMORA_CLI) + " convert " + book + " " + Path("no/such/folder/b.vcf"),
         "File save failed!\nnumora-cli: cannot write " + Path("no/such/folder/b.vcf") +
             ": No such file or directory\n"},
        {std::string(NUMORA_CLI) + " convert " + book + " " + Path("folder.pb"),
         "File save failed!\nnumora-cli: cannot write " + Path("folder.pb") + ": Is a directory\n"},
        {std::string(NUMORA_CLI) + " print " + book + " -o " + Path("no/such/folder/b.pdf"),
         "File save failed!\nnumora-cli: cannot write " + Path("no/such/folder/b.pdf") +
             ": No such file or directory\n"},
    };
    for (const auto& c : cases) {
        const std::string cmd = "(" + c.command + ") 2>" + Path("err.txt");
        const int status = std::system(cmd.c_str());
        EXPECT_EQ(WEXITSTATUS(status), 1) << c.command;
        const std::string err = Slurp(Path("err.txt"));
        EXPECT_TRUE(err.size() >= c.err.size() &&
                    err.compare(err.size() - c.err.size(), npos, c.err) == 0)
            << c.command << ":\n"
            << err;
    }
}

// The children of a process, from /proc: the pids whose parent it is.
std::vector<pid_t> ChildrenOf(pid_t parent) {
    std::vector<pid_t> out;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        pid_t pid = 0;
        std::string comm;
        char state = 0;
        pid_t ppid = 0;
        if (stat >> pid >> comm >> state >> ppid && ppid == parent) out.push_back(pid);
    }
    return out;
}

// Gone, or a zombie no one has reaped yet.
bool Ended(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    pid_t ignored = 0;
    std::string comm;
    char state = 0;
    return !(stat >> ignored >> comm >> state) || state == 'Z';
}

bool Eventually(const std::function<bool()>& done) {
    for (auto waited = 0ms; waited < 20s; waited += 50ms) {
        if (done()) return true;
        std::this_thread::sleep_for(50ms);
    }
    return false;
}

TEST_F(ProgramsTest, TheSimulatorEndsWithAWindowThatIsKilled) {
    std::vector<std::string> args{"/usr/bin/env", "QT_QPA_PLATFORM=offscreen", NUMORA_APP,
                                  "--simulate"};
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t window = -1;
    ASSERT_EQ(posix_spawn(&window, argv[0], nullptr, nullptr, argv.data(), environ), 0);
    std::optional<pid_t> sim;
    EXPECT_TRUE(Eventually([&] {
        const std::vector<pid_t> children = ChildrenOf(window);
        if (!children.empty()) sim = children.front();
        return sim.has_value();
    }));
    // Killed, the window can do nothing on its way out: the system ends the simulator.
    kill(window, SIGKILL);
    waitpid(window, nullptr, 0);
    ASSERT_TRUE(sim);
    EXPECT_TRUE(Eventually([&] { return Ended(*sim); }));
    if (!Ended(*sim)) kill(*sim, SIGKILL);
}

}  // namespace
}  // namespace numora
