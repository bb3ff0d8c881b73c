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

#include <cerrno>
#include <cstdlib>
#include <functional>
#include <numeric>
#include <string>
#include <vector>

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
        if (b[k] == CCommPort::kFrameFlag) b[k] = 0;
    }
    return b;
}

class CommPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_master = posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(m_master, 0);
        ASSERT_EQ(grantpt(m_master), 0);
        ASSERT_EQ(unlockpt(m_master), 0);
        const char* name = ptsname(m_master);
        ASSERT_NE(name, nullptr);
        m_slavePath = name;
        // Held open like the simulator does, so the line stays up between opens.
        m_slave = ::open(m_slavePath.c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(m_slave, 0);
        termios raw{};
        ASSERT_EQ(tcgetattr(m_slave, &raw), 0);
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
        QElapsedTimer elapsed;
        elapsed.start();
        while (done < bytes.size() && elapsed.elapsed() < kWaitLimitMs) {
            const ssize_t n = ::write(m_master, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
            } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
                break;
            } else {
                Spin(1);
            }
        }
        ASSERT_EQ(done, bytes.size());
    }

    Bytes HandsetReads(std::size_t n) {
        Bytes got;
        WaitUntil([&] {
            uint8_t buf[512];
            const ssize_t r = ::read(m_master, buf, sizeof buf);
            if (r > 0) got.insert(got.end(), buf, buf + r);
            return got.size() >= n;
        });
        return got;
    }

    std::size_t Delivered() const {
        return std::accumulate(blocks.begin(), blocks.end(), std::size_t{0},
                               [](std::size_t sum, const Bytes& b) { return sum + b.size(); });
    }

    Bytes Joined() const {
        Bytes all;
        for (const auto& b : blocks)
            all.insert(all.end(), b.begin(), b.end());
        return all;
    }

    void CloseMaster() {
        ::close(m_master);
        m_master = -1;
    }

    CCommPort port;
    std::vector<Bytes> blocks;
    int openFailures = 0;
    int losses = 0;
    std::string m_slavePath;

private:
    int m_master = -1;
    int m_slave = -1;
};

TEST_F(CommPortTest, OneReplyIsOneBlockAndAQuietLineEndsIt) {
    ASSERT_TRUE(port.Open(m_slavePath, 115200));
    const Bytes reply = Pattern(133, 0x26);
    HandsetWrites(reply);
    ASSERT_TRUE(WaitUntil([&] { return !blocks.empty(); }));
    Spin(200);
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0], reply);
    HandsetWrites(Pattern(4, 2));
    ASSERT_TRUE(WaitUntil([&] { return blocks.size() == 2; }));
    EXPECT_EQ(blocks[1], Pattern(4, 2));
}

TEST_F(CommPortTest, BytesThatKeepComingAreGatheredIntoOneBlock) {
    ASSERT_TRUE(port.Open(m_slavePath, 115200));
    HandsetWrites(Pattern(5, 1));
    HandsetWrites(Pattern(7, 2));
    ASSERT_TRUE(WaitUntil([&] { return Delivered() >= 12; }));
    EXPECT_EQ(blocks.size(), 1u);

    // Pieces spread over longer than the quiet time still make one block, because every
    // arrival starts the quiet time again.
    blocks.clear();
    port.SetQuietMs(300);
    Bytes sent;
    for (int piece = 0; piece < 4; ++piece) {
        const Bytes bytes = Pattern(10, static_cast<uint8_t>(piece));
        sent.insert(sent.end(), bytes.begin(), bytes.end());
        HandsetWrites(bytes);
        Spin(100);
    }
    ASSERT_TRUE(WaitUntil([&] { return Delivered() >= sent.size(); }));
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0], sent);
}

TEST_F(CommPortTest, AFrameGoesOnAtItsFlagWithoutWaitingForQuiet) {
    ASSERT_TRUE(port.Open(m_slavePath, 115200));
    port.SetQuietMs(3000);
    Bytes burst = Pattern(40, 3);
    burst[19] = CCommPort::kFrameFlag;  // one frame, then the start of the next
    QElapsedTimer elapsed;
    elapsed.start();
    HandsetWrites(burst);
    ASSERT_TRUE(WaitUntil([&] { return !blocks.empty(); }));
    EXPECT_LT(elapsed.elapsed(), 2000);
    EXPECT_EQ(blocks[0], Bytes(burst.begin(), burst.begin() + 20));
    EXPECT_EQ(port.GatheredBytes(), 20u);
    ASSERT_TRUE(WaitUntil([&] { return blocks.size() == 2; }));
    EXPECT_EQ(blocks[1], Bytes(burst.begin() + 20, burst.end()));
}

TEST_F(CommPortTest, ALongBurstComesAsAFullBlockThenTheRest) {
    ASSERT_TRUE(port.Open(m_slavePath, 115200));
    const Bytes burst = Pattern(5000, 9);
    HandsetWrites(burst);
    ASSERT_TRUE(WaitUntil([&] { return Delivered() >= burst.size(); }));
    ASSERT_GE(blocks.size(), 2u);
    EXPECT_EQ(blocks[0].size(), 4096u);
    for (const auto& b : blocks)
        EXPECT_LE(b.size(), 4096u);
    EXPECT_EQ(Joined(), burst);
}

TEST_F(CommPortTest, NothingIsDeliveredAfterClose) {
    ASSERT_TRUE(port.Open(m_slavePath, 115200));
    port.SetQuietMs(300);
    HandsetWrites(Pattern(10, 1));
    ASSERT_TRUE(WaitUntil([&] { return port.GatheredBytes() > 0; }));
    port.Close();
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.GatheredBytes(), 0u);
    HandsetWrites(Pattern(10, 2));
    Spin(600);
    EXPECT_TRUE(blocks.empty());
    EXPECT_EQ(port.Write(Pattern(3, 3)), 0);
    port.Close();  // twice is harmless
}

TEST_F(CommPortTest, AReceiverThatClosesThePortGetsNothingMore) {
    ASSERT_TRUE(port.Open(m_slavePath, 115200));
    port.SetOnBlock([this](std::span<uint8_t> block) {
        blocks.emplace_back(block.begin(), block.end());
        port.Close();
    });
    HandsetWrites(Pattern(5000, 4));
    ASSERT_TRUE(WaitUntil([&] { return !blocks.empty(); }));
    Spin(300);
    EXPECT_EQ(blocks.size(), 1u);
    EXPECT_FALSE(port.IsOpen());
}

TEST_F(CommPortTest, WritesReachTheHandset) {
    ASSERT_TRUE(port.Open(m_slavePath, 115200));
    const Bytes frame = Pattern(700, 5);
    EXPECT_EQ(port.Write(frame), 700);
    EXPECT_EQ(HandsetReads(frame.size()), frame);
}

TEST_F(CommPortTest, ReopeningStartsClean) {
    ASSERT_TRUE(port.Open(m_slavePath, 115200));
    port.Close();
    HandsetWrites(Pattern(20, 6));  // left over from an earlier run
    Spin(100);
    ASSERT_TRUE(port.Open(m_slavePath, 115200));
    Spin(200);
    EXPECT_TRUE(blocks.empty());
    HandsetWrites(Pattern(8, 7));
    ASSERT_TRUE(WaitUntil([&] { return !blocks.empty(); }));
    EXPECT_EQ(Joined(), Pattern(8, 7));
}

TEST_F(CommPortTest, NamesGoThroughTheResolver) {
    std::vector<std::string> asked;
    CCommPort mapped([&](const std::string& name) {
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
    EXPECT_FALSE(mapped.IsOpen());
    EXPECT_EQ(mapped.Write(Pattern(3, 1)), 0);

    // Without a resolver a name is the device's path.
    EXPECT_FALSE(port.Open("/dev/numora-no-such-device", 115200));
    EXPECT_EQ(openFailures, 1);
}

TEST_F(CommPortTest, AVanishedDeviceClosesThePort) {
    ASSERT_TRUE(port.Open(m_slavePath, 115200));
    CloseMaster();
    ASSERT_TRUE(WaitUntil([&] { return losses == 1; }));
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.Write(Pattern(3, 1)), 0);
}

}  // namespace
}  // namespace numora

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
