// The serial port against a pseudo-terminal: the test writes the handset's side on the master.
#include "link/CommPort.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "link/FrameCodec.h"

namespace numora {
namespace {

using Bytes = std::vector<uint8_t>;

// Generous bounds: these only end a wait for something that should happen at once.
constexpr int kWaitLimitMs = 5000;

void Spin(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool WaitUntil(const std::function<bool()>& done) {
    QElapsedTimer elapsed;
    elapsed.start();
    while (!done()) {
        if (elapsed.elapsed() > kWaitLimitMs) return false;
        Spin(5);
    }
    return true;
}

// Bytes without a frame flag, so that only the quiet (or a full block) ends a block.
Bytes Pattern(std::size_t n, uint8_t seed) {
    Bytes b(n);
    for (std::size_t k = 0; k < n; ++k) {
        b[k] = static_cast<uint8_t>(seed + k * 7);
        if (b[k] == kFrameFlag) b[k] = 0;
    }
    return b;
}

class CommPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_master = posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_TRUE(m_master >= 0 && grantpt(m_master) == 0 && unlockpt(m_master) == 0);
        m_slavePath = ptsname(m_master);
        // Held open like the simulator does, so the line stays up between opens.
        m_slave = ::open(m_slavePath.c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(m_slave, 0);
        termios raw{};
        tcgetattr(m_slave, &raw);
        cfmakeraw(&raw);
        ASSERT_EQ(tcsetattr(m_slave, TCSANOW, &raw), 0);
        fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);

        port.SetOnBlock(
            [this](std::span<uint8_t> block) { blocks.emplace_back(block.begin(), block.end()); });
        port.SetOnOpenFailed([this] { ++openFailures; });
        port.SetOnLost([this] { ++losses; });
    }

    void TearDown() override {
        port.Close();
        if (m_slave >= 0) ::close(m_slave);
        if (m_master >= 0) ::close(m_master);
    }

    // Writes all bytes from the handset's side, letting the port read while the line is full.
    void HandsetWrites(const Bytes& bytes) {
        std::size_t done = 0;
        ASSERT_TRUE(WaitUntil([&] {
            const ssize_t n = ::write(m_master, bytes.data() + done, bytes.size() - done);
            if (n > 0) done += static_cast<std::size_t>(n);
            return done == bytes.size();
        }));
    }

    Bytes Joined() const {
        Bytes all;
        for (const auto& b : blocks)
            all.insert(all.end(), b.begin(), b.end());
        return all;
    }

    CommPort port;
    std::vector<Bytes> blocks;
    int openFailures = 0;
    int losses = 0;
    std::string m_slavePath;
    int m_master = -1;
    int m_slave = -1;
};

TEST_F(CommPortTest, OneReplyIsOneBlockAndOnlyAQuietLineEndsIt) {
    ASSERT_TRUE(port.Open(m_slavePath, 115200));
    const Bytes reply = Pattern(133, 0x26);
    HandsetWrites(reply);
    ASSERT_TRUE(WaitUntil([&] { return !blocks.empty(); }));
    Spin(200);
    ASSERT_EQ(blocks, std::vector<Bytes>{reply});

    // Pieces spread over longer than the quiet time still make one block, because every
    // arrival starts the quiet time again.
    blocks.clear();
    port.SetQuietMs(300);
    Bytes sent;
    for (uint8_t piece = 0; piece < 4; ++piece) {
        const Bytes bytes = Pattern(10, piece);
        sent.insert(sent.end(), bytes.begin(), bytes.end());
        HandsetWrites(bytes);
        Spin(100);
    }
    ASSERT_TRUE(WaitUntil([&] { return Joined().size() >= sent.size(); }));
    EXPECT_EQ(blocks, std::vector<Bytes>{sent});
}

TEST_F(CommPortTest, AFrameGoesOnAtItsFlagWithoutWaitingForQuiet) {
    ASSERT_TRUE(port.Open(m_slavePath, 115200));
    port.SetQuietMs(3000);
    Bytes burst = Pattern(40, 3);
    burst[19] = kFrameFlag;  // one frame, then the start of the next
    HandsetWrites(burst);
    ASSERT_TRUE(WaitUntil([&] { return !blocks.empty(); }));
    EXPECT_EQ(blocks[0], Bytes(burst.begin(), burst.begin() + 20));
    EXPECT_EQ(port.GatheredBytes(), 20u);
    ASSERT_TRUE(WaitUntil([&] { return blocks.size() == 2; }));
    EXPECT_EQ(blocks[1], Bytes(burst.begin() + 20, burst.end()));
}

TEST_F(CommPortTest, ALongBurstIsCutIntoFullBlocksAndAReceiverMayCloseThePort) {
    ASSERT_TRUE(port.Open(m_slavePath, 115200));
    const Bytes burst = Pattern(5000, 9);
    HandsetWrites(burst);
    ASSERT_TRUE(WaitUntil([&] { return Joined().size() >= burst.size(); }));
    ASSERT_GE(blocks.size(), 2u);
    EXPECT_EQ(blocks[0].size(), 4096u);
    for (const auto& b : blocks)
        EXPECT_LE(b.size(), 4096u);
    EXPECT_EQ(Joined(), burst);

    blocks.clear();
    port.SetOnBlock([this](std::span<uint8_t> block) {
        blocks.emplace_back(block.begin(), block.end());
        port.Close();
    });
    HandsetWrites(burst);
    ASSERT_TRUE(WaitUntil([&] { return !blocks.empty(); }));
    Spin(300);
    EXPECT_EQ(blocks.size(), 1u);
    EXPECT_FALSE(port.IsOpen());
}

TEST_F(CommPortTest, NothingIsDeliveredAfterCloseAndReopeningStartsClean) {
    ASSERT_TRUE(port.Open(m_slavePath, 115200));
    port.SetQuietMs(300);
    HandsetWrites(Pattern(10, 1));
    ASSERT_TRUE(WaitUntil([&] { return port.GatheredBytes() > 0; }));
    port.Close();
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.GatheredBytes(), 0u);
    HandsetWrites(Pattern(10, 2));  // left over for the next open
    Spin(600);
    EXPECT_TRUE(blocks.empty());
    EXPECT_EQ(port.Write(Pattern(3, 3)), 0);
    port.Close();  // twice is harmless

    ASSERT_TRUE(port.Open(m_slavePath, 115200));
    Spin(200);
    EXPECT_TRUE(blocks.empty());
    HandsetWrites(Pattern(8, 7));
    ASSERT_TRUE(WaitUntil([&] { return !blocks.empty(); }));
    EXPECT_EQ(Joined(), Pattern(8, 7));
}

TEST_F(CommPortTest, WritesReachTheHandsetUntilTheDeviceVanishes) {
    ASSERT_TRUE(port.Open(m_slavePath, 115200));
    const Bytes frame = Pattern(700, 5);
    EXPECT_EQ(port.Write(frame), 700);
    Bytes got(frame.size());
    std::size_t read = 0;
    ASSERT_TRUE(WaitUntil([&] {
        const ssize_t n = ::read(m_master, got.data() + read, got.size() - read);
        if (n > 0) read += static_cast<std::size_t>(n);
        return read == got.size();
    }));
    EXPECT_EQ(got, frame);

    ::close(m_master);
    m_master = -1;
    ASSERT_TRUE(WaitUntil([&] { return losses == 1; }));
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.Write(Pattern(3, 1)), 0);
}

TEST_F(CommPortTest, NamesGoThroughTheResolver) {
    std::vector<std::string> asked;
    CommPort mapped([&](const std::string& name) {
        asked.push_back(name);
        return name == "COM3" ? QString::fromStdString(m_slavePath) : QString();
    });
    int failures = 0;
    mapped.SetOnOpenFailed([&] { ++failures; });
    EXPECT_TRUE(mapped.Open("COM3", 115200));
    mapped.Close();
    EXPECT_FALSE(mapped.Open("COM4", 115200));
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(asked, (std::vector<std::string>{"COM3", "COM4"}));

    // Without a resolver a name is the device's path.
    EXPECT_FALSE(port.Open("/dev/numora-no-such-device", 115200));
    EXPECT_EQ(openFailures, 1);
}

}  // namespace
}  // namespace numora

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
