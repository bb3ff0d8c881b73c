// Reads and writes a full 300-entry book with numora-cli against numora-sim --wire-speed, and
// prints each run's wall time as a ratio to its floor. At the specified pace the floor is the
// time the protocol's own pauses and the wire at 115200 baud (10 bits a byte) leave no way
// around: for every exchange the next request can go neither before the pause after the request
// has run out nor before the reply has crossed the wire, so the floor adds up
// max(pause, request + reply on the wire). At the fast pace (--pace fast) the floor is the wire
// alone: the bytes of every request and reply at 11,520 bytes a second. The simulator paces
// only its own replies (a pseudo-terminal passes requests at once), so a fast run is also shown
// against the replies' share of that floor.
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "book/PbFile.h"
#include "support/BookBuilder.h"
#include "support/SimProcess.h"

namespace {

using namespace numora;
namespace fs = std::filesystem;

constexpr double kBytesPerMs = 115200.0 / 10.0 / 1000.0;

struct Exchange {
    std::string name;
    double requestMs = 0;
    double replyMs = 0;
};

// Wire time of a packet as the trace shows it: escapes, the check sequence and the flag added.
double WireMs(const std::string& hex, bool framed) {
    std::istringstream in(hex);
    std::string byte;
    std::size_t n = 0;
    while (in >> byte) {
        n += (byte == "7e" || byte == "7d") ? 2 : 1;
    }
    if (framed) n += 3;
    return static_cast<double>(n) / kBytesPerMs;
}

std::vector<Exchange> Exchanges(const std::string& trace) {
    std::vector<Exchange> out;
    std::istringstream lines(trace);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string ms, what, number;
        words >> ms >> what >> number;
        std::string name;
        std::getline(words, name, ':');
        name.erase(0, name.find_first_not_of(' '));
        std::string hex;
        std::getline(words, hex);
        const bool framed = name != "AT text";
        if (what == "in") {
            out.push_back({name, WireMs(hex, framed), 0});
        } else if (what == "out" && !out.empty()) {
            out.back().replyMs += WireMs(hex, framed);
        }
    }
    return out;
}

double WireFloorMs(const std::vector<Exchange>& exchanges, bool repliesOnly = false) {
    double floor = 0;
    for (const Exchange& x : exchanges)
        floor += (repliesOnly ? 0 : x.requestMs) + x.replyMs;
    return floor;
}

double FloorMs(const std::vector<Exchange>& exchanges, bool reading) {
    double floor = 0;
    bool firstEntry = true;
    bool firstEnd = true;
    for (const Exchange& x : exchanges) {
        double pause = 0;
        if (x.name == "EntryRequest") {
            pause = 150 + (firstEntry ? 0 : 100);
            firstEntry = false;
        } else if (x.name == "EntryWrite") {
            pause = 100;
        } else if (x.name == "End" && firstEnd) {
            pause = 1000;  // a newly opened port waits a second after its first command
            firstEnd = false;
        } else if (x.name == "ModeControl" && !reading && &x == &exchanges.back()) {
            pause = 500;  // the pause before the port closes at the end of a write
        }
        floor += std::max(pause, x.requestMs + x.replyMs);
    }
    return floor;
}

double RunMs(const std::string& command) {
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(command.c_str());
    const auto end = std::chrono::steady_clock::now();
    if (WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "failed: %s\n", command.c_str());
        std::exit(1);
    }
    return std::chrono::duration<double, std::milli>(end - start).count();
}

std::string Slurp(const std::string& p) {
    std::ifstream in(p);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

int main() {
    const fs::path dir = fs::temp_directory_path() / ("numora-wire-" + std::to_string(getpid()));
    fs::create_directories(dir);
    setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);

    PhoneBook book = test::LargestBook();
    std::vector<uint8_t> bytes;
    WritePbRecords(book, bytes, nullptr);
    const std::string bookPath = (dir / "full.pb").string();
    std::ofstream(bookPath, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));

    for (const bool fast : {false, true}) {
        for (const bool reading : {true, false}) {
            const std::string trace = (dir / (reading ? "read.trace" : "write.trace")).string();
            test::SimProcess sim(NUMORA_SIM, {"--book", bookPath, "--wire-speed", "--trace"},
                                 trace);
            const std::string cli =
                std::string(NUMORA_CLI) + " " + (reading ? "read" : "write") +
                (fast ? " --pace fast" : "") + " --no-progress --port " + sim.Device() + " " +
                (reading ? "-o " + (dir / "back.pb").string() : bookPath) + " 2>/dev/null";
            const double wall = RunMs(cli);
            sim.Stop();
            const auto exchanges = Exchanges(Slurp(trace));
            const double floor = fast ? WireFloorMs(exchanges) : FloorMs(exchanges, reading);
            std::printf("%-5s %-9s  wall %7.2f s   %s floor %7.2f s   ratio %.3f",
                        reading ? "read" : "write", fast ? "fast" : "specified", wall / 1000,
                        fast ? "wire" : "pace", floor / 1000, wall / floor);
            if (fast) {
                const double replies = WireFloorMs(exchanges, true);
                std::printf("   (replies alone %.2f s, ratio %.3f)", replies / 1000,
                            wall / replies);
            }
            std::printf("\n");
            std::fflush(stdout);
        }
    }
    fs::remove_all(dir);
    return 0;
}
