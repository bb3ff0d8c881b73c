// numora-sim: a handset on a pseudo-terminal. The program under test opens the terminal's path as
// its serial port; the simulator answers on the other side until it is told to stop.
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "book/PbFile.h"
#include "cmdline/ProgramOptions.h"
#include "sim/HandsetSim.h"
#include "sim/Outbox.h"
#include "sim/SimArgs.h"
#include "sim/TraceLine.h"

namespace {

using numora::HandsetSim;
using SteadyClock = std::chrono::steady_clock;

constexpr int kExitBadUse = 2;
constexpr std::size_t kReadChunk = 4096;

int g_wakePipe[2] = {-1, -1};

void OnStopSignal(int) {
    const char b = 1;
    [[maybe_unused]] const ssize_t n = write(g_wakePipe[1], &b, 1);
}

int Fail(const std::string& message) {
    std::cerr << "numora-sim: " << message << "\n";
    return kExitBadUse;
}

bool ReadFile(const std::string& path, std::vector<uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// Saves as one step: a temporary file in the same folder, every write and the close checked,
// then renamed over the target (a link there is replaced, not followed; a folder refuses).
bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::string temp = path + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) return false;
    bool ok = fchmod(fd, 0644) == 0;
    for (std::size_t at = 0; ok && at < bytes.size();) {
        const ssize_t n = write(fd, bytes.data() + at, bytes.size() - at);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) at += static_cast<std::size_t>(n);
    }
    ok = fsync(fd) == 0 && ok;
    ok = close(fd) == 0 && ok;
    ok = ok && rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        const int reason = errno;
        unlink(temp.c_str());
        errno = reason;
    }
    return ok;
}

// The terminal: the master is ours, the slave is what the program opens. The simulator keeps
// its own slave descriptor open so that the program may open and close the device as often as
// it likes without the master seeing a hang-up.
struct Terminal {
    int master = -1;
    int slave = -1;
    std::string path;

    bool Open(std::string& error) {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
            error = std::string("cannot create a terminal: ") + std::strerror(errno);
            return false;
        }
        const char* name = ptsname(master);
        if (name == nullptr) {
            error = "cannot name the terminal";
            return false;
        }
        path = name;
        slave = open(path.c_str(), O_RDWR | O_NOCTTY);
        termios raw{};
        if (slave < 0 || tcgetattr(slave, &raw) != 0) {
            error = "cannot open " + path + ": " + std::strerror(errno);
            return false;
        }
        cfmakeraw(&raw);
        cfsetispeed(&raw, B115200);
        cfsetospeed(&raw, B115200);
        if (tcsetattr(slave, TCSANOW, &raw) != 0) {
            error = "cannot set up " + path + ": " + std::strerror(errno);
            return false;
        }
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
        return true;
    }

    void Close() {
        if (slave >= 0) close(slave);
        if (master >= 0) close(master);
        slave = master = -1;
    }
};

}  // namespace

int main(int argc, char** argv) {
    QCommandLineParser parser;
    numora::AddStandardOptions(parser);
    numora::DeclareSimOptions(parser);
    const QString program = QStringLiteral("numora-sim");
    if (const auto status =
            numora::ParseProgramOptions(parser, numora::ArgumentList(argc, argv), program, 0)) {
        return *status;
    }
    std::string error;
    const auto parsed = numora::TakeSimArgs(parser, error);
    if (!parsed) return Fail(error + "\nTry 'numora-sim --help' for the options.");
    const numora::SimArgs& opts = *parsed;

    numora::HandsetTables tables;
    if (!opts.bookPath.empty()) {
        std::vector<uint8_t> bytes;
        if (!ReadFile(opts.bookPath, bytes)) {
            return Fail("cannot read " + opts.bookPath + ": " + std::strerror(errno));
        }
        numora::PhoneBook book;
        numora::ReadPbRecords(book, bytes, nullptr);
        tables = numora::TablesFromBook(book);
    }

    Terminal terminal;
    if (!terminal.Open(error)) return Fail(error);
    if (!opts.linkPath.empty()) {
        struct stat st {};
        if (lstat(opts.linkPath.c_str(), &st) == 0) {
            if (!S_ISLNK(st.st_mode)) return Fail(opts.linkPath + " exists and is no link");
            unlink(opts.linkPath.c_str());
        }
        if (symlink(terminal.path.c_str(), opts.linkPath.c_str()) != 0) {
            return Fail("cannot link " + opts.linkPath + ": " + std::strerror(errno));
        }
    }

    if (pipe(g_wakePipe) != 0) return Fail("cannot create a pipe");
    struct sigaction stop {};
    stop.sa_handler = OnStopSignal;
    sigemptyset(&stop.sa_mask);
    sigaction(SIGINT, &stop, nullptr);
    sigaction(SIGTERM, &stop, nullptr);
    signal(SIGPIPE, SIG_IGN);  // a closed trace reader must not end the handset

    const auto started = SteadyClock::now();
    HandsetSim sim(tables, opts.faults);
    if (opts.password) sim.SetPassword(*opts.password);
    numora::Outbox outbox(opts.wireSpeed, [] {
        return std::chrono::duration<double, std::micro>(SteadyClock::now().time_since_epoch())
            .count();
    });
    const auto toTerminal = [&](std::span<const uint8_t> bytes) -> long {
        const ssize_t n = write(terminal.master, bytes.data(), bytes.size());
        if (n >= 0) return n;
        return errno == EAGAIN || errno == EINTR ? 0 : -1;
    };
    bool hungUp = false;
    sim.SetReplySink([&](std::span<const uint8_t> wire) { outbox.Add(wire); });
    sim.SetGapSink([&](int ms) { outbox.Gap(ms); });
    sim.SetClock([&] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - started)
            .count();
    });
    sim.SetHangupHook([&] { hungUp = true; });
    if (opts.trace) {
        sim.SetTrace([&](std::string_view what, int request, std::string_view name,
                         std::span<const uint8_t> bytes) {
            const double ms =
                std::chrono::duration<double, std::milli>(SteadyClock::now() - started).count();
            std::cerr << numora::TraceLine(ms, what, request, name, bytes) << "\n";
        });
    }

    // Whoever started the simulator learns the terminal only from this line.
    std::cout << terminal.path << std::endl;
    if (!std::cout) {
        const int reason = errno;
        terminal.Close();
        if (!opts.linkPath.empty()) unlink(opts.linkPath.c_str());
        std::cerr << "numora-sim: cannot write to standard output: " << std::strerror(reason)
                  << "\n";
        return 1;
    }

    // A talking port keeps the line full, whatever is read from it.
    constexpr std::size_t kChatter = 4096;
    bool running = true;
    while (running && !hungUp) {
        if (sim.Talks() && outbox.Queued() < kChatter) outbox.Add(sim.Chatter(kChatter));
        pollfd fds[2] = {{terminal.master, POLLIN, 0}, {g_wakePipe[0], POLLIN, 0}};
        // A talking port writes again the moment the terminal takes more.
        const bool talking = sim.Talks() && !opts.wireSpeed;
        if (!outbox.Empty() && (outbox.WaitMs() == 0 || talking)) fds[0].events |= POLLOUT;
        const int ready = poll(fds, 2, talking ? -1 : outbox.WaitMs());
        if (ready < 0 && errno != EINTR) break;
        if (fds[1].revents & POLLIN) running = false;
        if (fds[0].revents & POLLIN) {
            uint8_t buf[kReadChunk];
            const ssize_t n = read(terminal.master, buf, sizeof buf);
            if (n > 0) sim.Feed(std::span<const uint8_t>(buf, static_cast<std::size_t>(n)));
            if (n < 0 && errno != EAGAIN && errno != EINTR) running = false;
        } else if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) {
            running = false;
        }
        if (!hungUp && !outbox.Flush(toTerminal)) running = false;
    }

    // A hang-up closes the line at once, before anything else is written.
    terminal.Close();
    if (!opts.linkPath.empty()) unlink(opts.linkPath.c_str());
    if (!opts.savePath.empty()) {
        numora::PhoneBook book = numora::BookFromTables(sim.Tables());
        std::vector<uint8_t> bytes;
        numora::WritePbRecords(book, bytes, nullptr);
        if (!WriteFile(opts.savePath, bytes)) {
            std::cerr << "numora-sim: cannot write " << opts.savePath << ": "
                      << std::strerror(errno) << "\n";
            return 1;
        }
    }
    return 0;
}
