// The port search and the opening handshake, driven reply by reply.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "book/Records.h"
#include "link/FrameCodec.h"
#include "support/FakeClock.h"
#include "support/FakePage.h"
#include "sync/PhoneSession.h"

namespace numora {
namespace {

// A port that opens the named devices only and remembers what was written to it. Every name
// may stand for one device, as a device named with --port does.
class RecordingPort : public Port {
public:
    explicit RecordingPort(std::set<std::string> answering = {}) : m_answering(answering) {}
    bool Open(const std::string& name, int) override {
        opened.push_back(name);
        m_open = m_answering.count(name) != 0;
        return m_open;
    }
    OpenError LastOpenError() const override { return m_open ? OpenError::None : openError; }
    std::string DeviceName(const std::string& name) const override {
        return device.empty() ? name : device;
    }
    void Close() override { m_open = false; }
    bool IsOpen() const override { return m_open; }
    int Write(std::span<const uint8_t> bytes) override {
        if (!m_open) return 0;
        writes.emplace_back(bytes.begin(), bytes.end());
        return static_cast<int>(bytes.size());
    }

    // The last write as a packet (frame decoded) or as text (AT texts).
    std::vector<uint8_t> LastPacket() const {
        std::vector<uint8_t> copy = writes.back();
        copy.resize(UnescapeBlock(copy) - 3);
        return copy;
    }
    std::string LastText() const { return {writes.back().begin(), writes.back().end()}; }

    std::vector<std::string> opened;
    std::vector<std::vector<uint8_t>> writes;
    OpenError openError = OpenError::NoDevice;
    std::string device;

private:
    std::set<std::string> m_answering;
    bool m_open = false;
};

struct Search : ::testing::Test {
    void Build(std::set<std::string> answering) {
        port = std::make_unique<RecordingPort>(std::move(answering));
        session = std::make_unique<PhoneSession>(book, page, *port, clock, profile);
    }
    void Reply(std::string_view text) {
        std::vector<uint8_t> raw(text.begin(), text.end());
        session->OnReceivedBlock(raw);
    }
    void ReplyPacket(std::vector<uint8_t> packet) {
        auto frame = EncodeFrame(packet);
        session->OnReceivedBlock(frame);
    }
    LinkPhase Phase() const { return session->Search().Phase(); }

    // Starts a run on COM3 and answers the probe and the mode switch.
    void Connect(bool reading) {
        Build({"COM3"});
        PortTable found{};
        found[3] = true;
        session->Search().ChooseFirstPort(found);
        if (reading) {
            session->Engine().OnReadFromPhone();
        } else {
            session->Engine().OnWriteToPhone();
        }
        clock.Advance(kFirstCommandPauseMs);
        Reply("\r\nOK\r\n");
        Reply("\r\nOK\r\n");
        ASSERT_EQ(Phase(), LinkPhase::Framed);
        ASSERT_EQ(port->LastPacket(), (std::vector<uint8_t>{0x29, 0x01, 0x00}));
        port->writes.clear();
    }

    test::FakeClock clock;
    PhoneBook book;
    test::FakePage page;
    MemoryProfile profile;
    std::unique_ptr<RecordingPort> port;
    std::unique_ptr<PhoneSession> session;
};

TEST_F(Search, WithNothingToFindItWalksThePortsUntilTheWatchdog) {
    Build({});
    session->Search().ChooseFirstPort(PortTable{});
    EXPECT_EQ(page.statuses, (std::vector<std::string>{"0:2"}));
    session->Engine().OnReadFromPhone();
    clock.Advance(52 * kOpenFailedIntervalMs - 1);
    std::vector<std::string> expected;
    for (int n = 2; n <= 50; ++n)
        expected.push_back("COM" + std::to_string(n));
    for (int n = 1; n <= 3; ++n)
        expected.push_back("COM" + std::to_string(n));
    EXPECT_EQ(port->opened, expected);

    // The search gives up when the watchdog runs out, with the controls unlocked, and says
    // that no port could be opened.
    clock.RunUntilIdle();
    EXPECT_EQ(page.messages,
              (std::vector<std::string>{"Check Phone connection and power on !!!     ",
                                        "No handset answered: no serial port could be opened. Is "
                                        "the handset plugged in?"}));
    EXPECT_TRUE(page.enabled);
    EXPECT_FALSE(clock.HasTimers());
}

// Ports that open but never answer are named, so that the user sees where the search looked.
TEST_F(Search, PortsThatOpenedButNeverAnsweredAreNamed) {
    const std::pair<std::set<std::string>, std::string> cases[] = {
        {{"COM2", "COM4", "COM7"}, "COM2, COM4 and COM7."},
        {{"COM2", "COM3", "COM4", "COM5", "COM6", "COM7"}, "COM2, COM3, COM4, COM5 and 2 more."},
    };
    for (const auto& [answering, named] : cases) {
        Build(answering);
        session->Search().ChooseFirstPort(PortTable{});
        session->Engine().OnReadFromPhone();
        clock.RunUntilIdle();
        EXPECT_EQ(session->Engine().Failure().cause, RunFailure::NoHandset);
        EXPECT_EQ(page.messages.back(), "No handset answered on the ports tried: " + named);
    }
}

// Permission does not come back within a run: a device refused twice ends it at once, and the
// message names the device and what to do.
TEST_F(Search, APortRefusedForLackOfPermissionIsNamedWithTheRemedy) {
    Build({});
    port->openError = OpenError::Denied;
    port->device = "/dev/ttyS0";
    session->Search().ChooseFirstPort(PortTable{});
    session->Engine().OnReadFromPhone();
    clock.RunUntilIdle();
    EXPECT_EQ(port->opened.size(), 2u);
    EXPECT_EQ(session->Engine().Failure().cause, RunFailure::PortDenied);
    ASSERT_EQ(page.messages.size(), 2u);
    EXPECT_EQ(page.messages[1],
              "Permission to open /dev/ttyS0 was denied. Add yourself to the group \"dialout\" "
              "(sudo adduser $USER dialout) and log in again.");
    EXPECT_TRUE(page.enabled);
}

// Replies without "OK" move the search on; the numbers wrap at 50 as the timer's do.
TEST_F(Search, ADeviceThatNeverSaysOkIsLeftForTheNextNumberWithinTheRange) {
    std::set<std::string> all;
    for (int n = 1; n <= kHighestPort; ++n)
        all.insert("COM" + std::to_string(n));
    Build(all);
    PortTable found{};
    found[49] = true;
    session->Search().ChooseFirstPort(found);
    session->Engine().OnReadFromPhone();
    for (int round = 0; round < 3; ++round) {
        clock.Advance(kFirstCommandPauseMs);
        for (int burst = 0; burst < 5; ++burst)
            Reply("console text");
    }
    EXPECT_EQ(port->opened, (std::vector<std::string>{"COM49", "COM50", "COM1", "COM2"}));
}

TEST_F(Search, FirstPortIsTheHighestHandsetModemOrTheRememberedOne) {
    Build({});
    PortTable found{};
    found[5] = found[kMaxPortTable - 1] = true;
    session->Search().ChooseFirstPort(found);
    session->Engine().OnReadFromPhone();
    EXPECT_EQ(port->opened.front(), "COM" + std::to_string(kMaxPortTable - 1));

    // A remembered port beyond 50 that cannot be opened: the next try is COM1.
    profile.SetString(kPortSection, kPortKey, "60");
    Build({});
    session->Search().ChooseFirstPort(PortTable{});
    session->Engine().OnReadFromPhone();
    clock.Advance(kOpenFailedIntervalMs);
    EXPECT_EQ(port->opened, (std::vector<std::string>{"COM60", "COM1"}));
}

TEST_F(Search, OkToTheProbeSwitchesModeAndRemembersThePort) {
    Build({"COM3"});
    profile.SetString(kPortSection, kPortKey, "3");
    session->Search().ChooseFirstPort(PortTable{});
    session->Engine().OnReadFromPhone();
    ASSERT_EQ(port->writes.size(), 1u);
    EXPECT_EQ(port->writes[0], (std::vector<uint8_t>{0x44, 0x58, 0xF4, 0x7E}));
    clock.Advance(kFirstCommandPauseMs - 1);
    EXPECT_EQ(port->writes.size(), 1u);  // a new port gets a second before the probe
    clock.Advance(1);
    EXPECT_EQ(port->LastText(), "at$CHKP\r");

    profile.SetString(kPortSection, kPortKey, "9");
    Reply("\r\nOK\r\n");
    EXPECT_EQ(Phase(), LinkPhase::ModeSent);
    EXPECT_EQ(profile.GetString(kPortSection, kPortKey, ""), "3");
    EXPECT_TRUE(page.Called("CloseSearchDialog"));
    EXPECT_EQ(page.statuses, (std::vector<std::string>{"0:3", "2:3", "3:3"}));
    EXPECT_EQ(page.progress, 3);  // the button's 2, and one for the answer
    EXPECT_EQ(port->LastText(), std::string("AT$PCDMG\r\0", 10));
}

TEST_F(Search, OnlyAnOkBeforeAnyZeroByteCountsAndFiveMissesMoveOn) {
    Build({"COM3", "COM4"});
    PortTable found{};
    found[3] = true;
    session->Search().ChooseFirstPort(found);
    session->Engine().OnReadFromPhone();
    clock.Advance(kFirstCommandPauseMs);
    Reply(std::string_view("\0OK", 3));
    EXPECT_EQ(Phase(), LinkPhase::Probing);
    for (int i = 0; i < 3; ++i)
        Reply("ERROR");
    EXPECT_EQ(port->opened, (std::vector<std::string>{"COM3"}));
    EXPECT_EQ(port->LastText(), "at$CHKP\r");  // four probes re-sent so far
    Reply("ERROR");
    EXPECT_EQ(port->opened, (std::vector<std::string>{"COM3", "COM4"}));
}

TEST_F(Search, ModeReplyOpensTheHandshakeOnceEachWay) {
    Connect(true);
    ReplyPacket({0x29, 0x01, 0x00});
    EXPECT_EQ(page.progress, 3);
    EXPECT_EQ(port->LastPacket(), (std::vector<uint8_t>{0x3F}));
    // The search's timer asks for framed mode again; that second answer starts nothing.
    port->writes.clear();
    ReplyPacket({0x29, 0x01, 0x00});
    EXPECT_TRUE(port->writes.empty());

    Connect(false);
    ReplyPacket({0x29, 0x01, 0x00});
    EXPECT_EQ(port->LastPacket()[0], 0x46);
    EXPECT_EQ(port->LastPacket().size(), 9u);
}

TEST_F(Search, ThePasswordComesFromTheProfile) {
    profile.SetString(kPortSection, "Password", "0102030405060708");
    Connect(true);
    ReplyPacket({0x29, 0x01, 0x00});
    ReplyPacket({0x3F, 0x00});
    EXPECT_EQ(port->LastPacket(), (std::vector<uint8_t>{0x46, 1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST_F(Search, UnknownRepliesLeaveTheRunWaitingARefusedPasswordEndsIt) {
    Connect(true);
    ReplyPacket({0x29, 0x01, 0x00});
    port->writes.clear();
    const int progress = page.progress;
    session->OnReceivedBlock(std::span<uint8_t>());
    ReplyPacket({0x99, 0x01});
    EXPECT_TRUE(port->writes.empty());
    EXPECT_EQ(page.progress, progress);
    EXPECT_FALSE(page.enabled);

    // A refused mode asks again and a new handshake may begin.
    ReplyPacket({0x18});
    EXPECT_EQ(port->LastPacket(), (std::vector<uint8_t>{0x29, 0x01, 0x00}));
    ReplyPacket({0x29, 0x01, 0x00});
    EXPECT_EQ(port->LastPacket(), (std::vector<uint8_t>{0x3F}));
    ReplyPacket({0x3F, 0x00});
    ASSERT_EQ(port->LastPacket()[0], 0x46);

    // The password request coming back, as from a line that echoes, is no acceptance.
    port->writes.clear();
    ReplyPacket(std::vector<uint8_t>{0x46, '5', '5', '0', '7', '7', '0', '5', '5'});
    EXPECT_TRUE(port->writes.empty());
    EXPECT_FALSE(page.enabled);

    // A refusal ends the run at once and says so.
    ReplyPacket({0x46, 0x00});
    EXPECT_TRUE(page.enabled);
    EXPECT_EQ(session->Engine().Failure().cause, RunFailure::PasswordRefused);
    EXPECT_EQ(page.messages.size(), 2u);
}

}  // namespace
}  // namespace numora
