// The real numora-sim on a real pseudo-terminal: the terminal behaves as a serial device may,
// and the simulator's book goes in with --book and comes out with --save however it ends.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "book/BookDiff.h"
#include "book/PbFile.h"
#include "link/FrameCodec.h"
#include "link/PhoneLink.h"
#include "support/BookBuilder.h"
#include "support/FakeClock.h"
#include "support/SimProcess.h"

namespace numora {
namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

// Only ends a wait for an answer that should come at once.
constexpr int kReplyLimitMs = 5000;

// A raw line to the simulator: frames go out through the program's command layer, and each
// reply is read up to its closing flag.
class Line : public IByteSink {
public:
    explicit Line(const std::string& path) : m_fd(open(path.c_str(), O_RDWR | O_NOCTTY)) {
        termios raw{};
        if (m_fd >= 0 && tcgetattr(m_fd, &raw) == 0) {
            cfmakeraw(&raw);
            tcsetattr(m_fd, TCSANOW, &raw);
        }
    }
    ~Line() override {
        if (m_fd >= 0) close(m_fd);
    }
    bool IsOpen() const { return m_fd >= 0; }

    int Write(std::span<const uint8_t> bytes) override {
        return write(m_fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()) ? 1
                                                                                             : 0;
    }

    // The next reply's packet, read by the program's own frame reader and checked against its
    // FCS; empty when none came.
    Bytes Reply() {
        FrameReader reader;
        std::optional<Bytes> packet;
        uint8_t b = 0;
        pollfd pfd{m_fd, POLLIN, 0};
        while (!packet && poll(&pfd, 1, kReplyLimitMs) == 1 && read(m_fd, &b, 1) == 1) {
            reader.Feed(std::span(&b, 1), [&](std::span<const uint8_t> p, bool checked) {
                EXPECT_TRUE(checked);
                packet.emplace(p.begin(), p.end());
            });
        }
        return packet.value_or(Bytes{});
    }

    // Sends the status poll and gives its reply.
    Bytes Poll() {
        test::FakeClock clock;
        LinkPacer pacer(clock);
        PhoneLink link(*this, pacer);
        link.RequestStatus();
        return Reply();
    }

private:
    int m_fd = -1;
};

class SimEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("numora-e2e-" + std::to_string(getpid()));
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string File(const char* name) const { return (m_dir / name).string(); }

    test::SimProcess Start(const std::vector<std::string>& args) const {
        return test::SimProcess(NUMORA_SIM_PATH, args, File("trace.txt"));
    }

    void WriteBook(PhoneBook book, const std::string& path) const {
        Bytes bytes;
        ASSERT_TRUE(WritePbRecords(book, bytes, nullptr));
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
    }

    static PhoneBook LoadBook(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        const Bytes bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        PhoneBook book;
        ReadPbRecords(book, bytes, nullptr);
        return book;
    }

private:
    fs::path m_dir;
};

TEST_F(SimEndToEndTest, TheDeviceMayBeOpenedAgainAndAgainThroughItsLink) {
    test::SimProcess sim = Start({"--link", File("tty"), "--trace"});
    ASSERT_FALSE(sim.Device().empty());
    EXPECT_EQ(fs::read_symlink(File("tty")).string(), sim.Device());
    for (int run = 0; run < 3; ++run) {
        Line line(File("tty"));
        ASSERT_TRUE(line.IsOpen());
        EXPECT_EQ(line.Poll(), (Bytes{0x3F, 0x00})) << "run " << run;
    }
    EXPECT_EQ(sim.Stop(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(File("tty"))));
    EXPECT_NE(sim.Trace().find("Status"), std::string::npos);
}

TEST_F(SimEndToEndTest, AHangUpEndsTheLineAndSavesTheBookItWasGiven) {
    PhoneBook book;
    book.SetGroup(2, "Work");
    test::AddEntry(book, 5, "Bob", 2);
    test::AddEntry(book, 9, "Cy", kEtcGroup);
    book.SetSpeedDial(2, 5, NumberKind::Mobile);
    WriteBook(book, File("B.pb"));
    test::SimProcess sim = Start({"--book", File("B.pb"), "--save", File("S.pb"), "--hangup", "2"});
    Line line(sim.Device());
    EXPECT_EQ(line.Poll(), (Bytes{0x3F, 0x00}));
    EXPECT_TRUE(line.Poll().empty());  // the line went down instead
    EXPECT_EQ(sim.Stop(), 0);
    EXPECT_TRUE(CompareBooks(LoadBook(File("S.pb")), book).empty());
}

TEST_F(SimEndToEndTest, BadArgumentsOrAnUnreadableBookStopAtOnce) {
    std::ofstream(File("plain")) << "not a link";
    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--drop=0"},
                                                {"--book", File("missing.pb")},
                                                {"--link", File("plain")}}) {
        test::SimProcess sim = Start(bad);
        EXPECT_TRUE(sim.Device().empty()) << bad[0];
        EXPECT_EQ(sim.Stop(), 2) << bad[0];
        EXPECT_NE(sim.Trace().find("numora-sim: "), std::string::npos) << bad[0];
    }
}

TEST_F(SimEndToEndTest, ABookThatCannotBeSavedEndsWithAnError) {
    test::SimProcess sim = Start({"--save", File("no-such-folder/S.pb")});
    ASSERT_FALSE(sim.Device().empty());
    EXPECT_EQ(sim.Stop(), 1);
    EXPECT_NE(sim.Trace().find("cannot write"), std::string::npos);
}

}  // namespace
}  // namespace numora
