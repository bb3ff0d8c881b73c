// Acceptance: the real numora-sim on a real pseudo-terminal, given a book, driven by hand through
// a whole read sequence with the program's command layer, returns every entry of that book.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "book/PbFile.h"
#include "book/Records.h"
#include "link/FrameCodec.h"
#include "link/PhoneLink.h"
#include "sim/SampleBook.h"
#include "support/FakeClock.h"

extern char** environ;

namespace numora {
namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

// Only ends a wait for an answer that should come at once.
constexpr int kReplyLimitMs = 5000;

// Starts the simulator with fd as its descriptor target.
bool Spawn(const std::vector<std::string>& args, int fd, int target, pid_t* pid) {
    std::string program = NUMORA_SIM_PATH;
    std::vector<std::string> copies = args;
    std::vector<char*> argv{program.data()};
    for (auto& a : copies)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fd, target);
    const int rc = posix_spawn(pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0;
}

struct Simulator {
    pid_t pid = -1;
    std::string tty;

    bool Start(const std::vector<std::string>& args) {
        int out[2];
        if (pipe(out) != 0) return false;
        const bool spawned = Spawn(args, out[1], STDOUT_FILENO, &pid);
        close(out[1]);
        if (!spawned) {
            close(out[0]);
            return false;
        }
        // The first line is the terminal's path.
        char c = 0;
        pollfd pfd{out[0], POLLIN, 0};
        while (poll(&pfd, 1, kReplyLimitMs) == 1 && read(out[0], &c, 1) == 1 && c != '\n') {
            tty.push_back(c);
        }
        close(out[0]);
        return !tty.empty();
    }

    // Stops it as a user would and gives its exit status.
    int Stop() {
        if (pid <= 0) return -1;
        kill(pid, SIGTERM);
        int status = 0;
        waitpid(pid, &status, 0);
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    ~Simulator() { Stop(); }
};

// A blocking stand-in for the program's port: writes go straight to the terminal, and each
// exchange reads until the reply's closing flag.
class BlockingLine : public IByteSink {
public:
    explicit BlockingLine(const std::string& path) {
        m_fd = open(path.c_str(), O_RDWR | O_NOCTTY);
        termios raw{};
        if (m_fd >= 0 && tcgetattr(m_fd, &raw) == 0) {
            cfmakeraw(&raw);
            tcsetattr(m_fd, TCSANOW, &raw);
        }
    }
    ~BlockingLine() override {
        if (m_fd >= 0) close(m_fd);
    }
    bool IsOpen() const { return m_fd >= 0; }

    int Write(std::span<const uint8_t> bytes) override {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = write(m_fd, bytes.data() + done, bytes.size() - done);
            if (n <= 0) return 0;
            done += static_cast<std::size_t>(n);
        }
        return static_cast<int>(done);
    }

    // Reads until the text holds the marker byte sequence, or the limit passes.
    Bytes ReadUntil(const Bytes& marker) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(kReplyLimitMs);
        while (std::search(m_buffer.begin(), m_buffer.end(), marker.begin(), marker.end()) ==
               m_buffer.end()) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd pfd{m_fd, POLLIN, 0};
            if (left.count() <= 0 || poll(&pfd, 1, static_cast<int>(left.count())) != 1) return {};
            uint8_t buf[1024];
            const ssize_t n = read(m_fd, buf, sizeof buf);
            if (n <= 0) return {};
            m_buffer.insert(m_buffer.end(), buf, buf + n);
        }
        const auto end =
            std::search(m_buffer.begin(), m_buffer.end(), marker.begin(), marker.end()) +
            static_cast<long>(marker.size());
        Bytes got(m_buffer.begin(), end);
        m_buffer.erase(m_buffer.begin(), end);
        return got;
    }

    // The next reply, un-escaped, without its FCS and flag; empty when none came.
    Bytes Reply() {
        Bytes frame = ReadUntil({0x7E});
        frame.resize(UnescapeBlock(frame));
        if (frame.size() < 3) return {};
        Bytes packet(frame.begin(), frame.end() - 3);
        EXPECT_EQ(Crc16X25(packet), Le16(frame, packet.size()));
        return packet;
    }

private:
    int m_fd = -1;
    Bytes m_buffer;
};

class SimEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("numora-e2e-" + std::to_string(getpid()));
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    fs::path File(const char* name) const { return m_dir / name; }

    static void WriteBook(CPBData book, const fs::path& path) {
        Bytes bytes;
        ASSERT_TRUE(WritePbRecords(book, bytes, nullptr));
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
    }

    static CPBData LoadBook(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        const Bytes bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        CPBData book;
        ReadPbRecords(book, bytes, nullptr);
        return book;
    }

private:
    fs::path m_dir;
};

TEST_F(SimEndToEndTest, AWholeReadSequenceReturnsEveryEntryOfTheBook) {
    WriteBook(test::SampleBook(), File("B.pb"));
    Simulator sim;
    ASSERT_TRUE(sim.Start({"--book", File("B.pb").string(), "--save", File("S.pb").string()}));
    BlockingLine line(sim.tty);
    ASSERT_TRUE(line.IsOpen());
    test::FakeClock clock;  // the pauses are not needed when every reply is waited for
    CLinkPacer pacer(clock);
    CPhoneLink link(line, pacer);
    const auto code = [&](uint8_t want) {
        Bytes r = line.Reply();
        EXPECT_FALSE(r.empty()) << "no reply to 0x" << std::hex << int{want};
        if (!r.empty()) {
            EXPECT_EQ(r[0], want);
        }
        return r;
    };
    const Bytes ok{'O', 'K', '\r', '\n'};

    // A newly opened port: End, the probe, the mode switch, mode control 1.
    link.SendCmd44();
    code(0x44);
    const std::string probe = "at$CHKP\r";
    line.Write(Bytes(probe.begin(), probe.end()));
    ASSERT_FALSE(line.ReadUntil(ok).empty());
    const std::string modeSwitch = std::string("AT$PCDMG\r") + '\0';
    line.Write(Bytes(modeSwitch.begin(), modeSwitch.end()));
    ASSERT_FALSE(line.ReadUntil(ok).empty());
    link.SendModeControl(1);
    EXPECT_EQ(code(0x29), (Bytes{0x29, 0x01, 0x00}));
    link.SendCmd3F();
    EXPECT_EQ(code(0x3F), (Bytes{0x3F, 0x00}));
    link.SendPassword();
    EXPECT_EQ(code(0x46), (Bytes{0x46, 0x01}));

    CPBData book;
    for (uint8_t e = 0; e < 20; ++e) {
        link.SendNvRead(kItemSpeedDials, e);
        book.TakeSpeedDialItem(code(0x26));
    }
    for (uint8_t k = 0; k < 6; ++k) {
        link.SendNvRead(kItemSmsGroups, k);
        const Bytes r = code(0x26);
        if (k < kSmsGroupSlots) book.TakeSmsGroupItem(r);
    }
    link.SendNvRead(kItemRecordPhase, 0);
    code(0x26);
    link.SendPbRequest85();
    const Bytes mask = code(0x85);
    ASSERT_EQ(mask.size(), 301u);
    book.SetReceivedMask(std::span(mask).subspan(1));
    for (uint8_t g = 0; g < 8; ++g) {
        link.SendPbRecordRequest81(g);
        book.TakeGroupRecord(code(0x81));
    }
    int entries = 0;
    for (int s = book.NextReceivedSlot(kEntrySlots); s < kEntrySlots;
         s = book.NextReceivedSlot(s)) {
        link.SendPbRequest83(static_cast<uint16_t>(s));
        EXPECT_TRUE(book.TakeEntryRecord(code(0x83))) << "slot " << s;
        ++entries;
    }
    link.SendCmd44();
    code(0x44);

    EXPECT_EQ(entries, 5);
    test::ExpectSameBook(book, test::SampleBook());

    // Stopped, it saves what it holds, which is the book it was given.
    EXPECT_EQ(sim.Stop(), 0);
    test::ExpectSameBook(LoadBook(File("S.pb")), test::SampleBook());
}

TEST_F(SimEndToEndTest, TheDeviceMayBeOpenedAgainAndAgain) {
    Simulator sim;
    ASSERT_TRUE(sim.Start({"--link", File("tty").string()}));
    EXPECT_EQ(fs::read_symlink(File("tty")).string(), sim.tty);
    for (int run = 0; run < 3; ++run) {
        BlockingLine line(File("tty").string());
        ASSERT_TRUE(line.IsOpen());
        test::FakeClock clock;
        CLinkPacer pacer(clock);
        CPhoneLink link(line, pacer);
        link.SendCmd3F();
        EXPECT_EQ(line.Reply(), (Bytes{0x3F, 0x00})) << "run " << run;
    }
    EXPECT_EQ(sim.Stop(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(File("tty"))));
}

TEST_F(SimEndToEndTest, AHangUpEndsTheLineAndSavesTheBook) {
    WriteBook(test::SampleBook(), File("B.pb"));
    Simulator sim;
    ASSERT_TRUE(sim.Start(
        {"--book", File("B.pb").string(), "--save", File("S.pb").string(), "--hangup", "2"}));
    BlockingLine line(sim.tty);
    test::FakeClock clock;
    CLinkPacer pacer(clock);
    CPhoneLink link(line, pacer);
    link.SendCmd3F();
    EXPECT_EQ(line.Reply(), (Bytes{0x3F, 0x00}));
    link.SendCmd3F();
    EXPECT_TRUE(line.Reply().empty());  // the line went down instead
    int status = 0;
    ASSERT_EQ(waitpid(sim.pid, &status, 0), sim.pid);
    sim.pid = -1;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    test::ExpectSameBook(LoadBook(File("S.pb")), test::SampleBook());
}

TEST_F(SimEndToEndTest, BadArgumentsOrAnUnreadableBookStopAtOnce) {
    const int devNull = open("/dev/null", O_WRONLY);
    for (const std::string bad : {"--drop=0", "--book"}) {
        pid_t pid = -1;
        std::vector<std::string> args{bad};
        if (bad == "--book") args.push_back(File("missing.pb").string());
        ASSERT_TRUE(Spawn(args, devNull, STDERR_FILENO, &pid));
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << bad;
    }
    close(devNull);
}

}  // namespace
}  // namespace numora
