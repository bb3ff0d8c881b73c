#include "sim/HandsetSim.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "book/Records.h"
#include "link/FrameCodec.h"
#include "link/PhoneLink.h"
#include "sim/TraceLine.h"
#include "support/FakeClock.h"

namespace numora {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Text(std::string_view s) {
    return {s.begin(), s.end()};
}

Bytes Packet(std::initializer_list<uint8_t> head, std::size_t size) {
    Bytes p(size, 0);
    std::copy(head.begin(), head.end(), p.begin());
    return p;
}

// Drives the simulator with the program's own command layer and collects its answers.
struct SimTest : ::testing::Test, ByteSink {
    explicit SimTest(HandsetTables tables = {}, SimFaults faults = {})
        : sim(std::move(tables), std::move(faults)) {
        sim.SetReplySink([this](std::span<const uint8_t> wire) {
            received.insert(received.end(), wire.begin(), wire.end());
        });
        sim.SetHangupHook([this] { ++hangups; });
    }

    int Write(std::span<const uint8_t> bytes) override {
        sim.Feed(bytes);
        return static_cast<int>(bytes.size());
    }

    void Feed(const Bytes& bytes) { sim.Feed(bytes); }

    // The replies received so far, each checked for its FCS; the raw bytes are used up.
    std::vector<Bytes> Replies(bool checkFcs = true) {
        std::vector<Bytes> out;
        FrameReader reader;
        reader.Feed(received, [&](std::span<const uint8_t> packet, bool checked) {
            EXPECT_TRUE(checked || !checkFcs);
            out.emplace_back(packet.begin(), packet.end());
        });
        EXPECT_EQ(reader.Pending(), 0u) << "a reply without its flag";
        received.clear();
        return out;
    }

    Bytes OnlyReply() {
        auto r = Replies();
        EXPECT_EQ(r.size(), 1u);
        return r.empty() ? Bytes{} : r[0];
    }

    void SwitchToFramedMode() {
        Feed(Text("AT$PCDMG\r"));
        Feed(Bytes{0});
        received.clear();
    }

    HandsetSim sim;
    test::FakeClock clock;
    LinkPacer pacer{clock};
    PhoneLink link{*this, pacer};
    Bytes received;
    int hangups = 0;
};

TEST_F(SimTest, AtLinesAreAnsweredInEitherMode) {
    Feed(Text("at$CHKP\r"));
    EXPECT_EQ(received, Text("\r\nOK\r\n"));
    EXPECT_FALSE(sim.Framed());
    received.clear();

    // The mode switch ends in a zero byte; the frame right after it is still understood.
    Feed(Text("AT$PCDMG\r"));
    Feed(Bytes{0});
    EXPECT_EQ(received, Text("\r\nOK\r\n"));
    EXPECT_TRUE(sim.Framed());
    received.clear();
    link.SwitchMode(1);
    EXPECT_EQ(OnlyReply(), (Bytes{0x29, 0x01, 0x00}));

    Feed(Text("At$ChKp\r"));  // every run probes again
    EXPECT_EQ(received, Text("\r\nOK\r\n"));
    received.clear();
    Feed(Text("at$WHAT\r"));
    EXPECT_EQ(received, Text("\r\nERROR\r\n"));
    received.clear();
    Feed(Text("hello\r\nATZ\r"));
    EXPECT_TRUE(received.empty());
    EXPECT_EQ(sim.Requests(), 1);  // AT lines are not requests
}

TEST_F(SimTest, AFrameIsAnsweredInAtModeToo) {
    // Every newly opened port gets End first, whatever mode the handset is in.
    link.EndSession();
    EXPECT_EQ(OnlyReply(), (Bytes{0x44}));
    EXPECT_FALSE(sim.Framed());
}

TEST_F(SimTest, HandshakeRequestsGetTheirAnswers) {
    SwitchToFramedMode();
    link.SwitchMode(1);
    EXPECT_EQ(OnlyReply(), (Bytes{0x29, 0x01, 0x00}));
    EXPECT_TRUE(sim.Framed());
    link.RequestStatus();
    EXPECT_EQ(OnlyReply(), (Bytes{0x3F, 0x00}));
    link.SendPassword();
    EXPECT_EQ(OnlyReply(), (Bytes{0x46, 0x01}));
    const Password other{1, 2, 3, 4, 5, 6, 7, 8};
    link.SetPassword(other);
    link.SendPassword();
    EXPECT_EQ(OnlyReply(), (Bytes{0x46, 0x00}));
    sim.SetPassword(other);  // --password
    link.SendPassword();
    EXPECT_EQ(OnlyReply(), (Bytes{0x46, 0x01}));
    link.SwitchMode(2);
    EXPECT_EQ(OnlyReply(), (Bytes{0x29, 0x02, 0x00}));
    EXPECT_FALSE(sim.Framed());

    SwitchToFramedMode();
    link.EndSession();
    EXPECT_EQ(OnlyReply(), (Bytes{0x44}));
    EXPECT_FALSE(sim.Framed());

    link.SendFrame(Bytes{0x99, 0x01});
    EXPECT_EQ(OnlyReply(), (Bytes{0x13, 0x99, 0x01}));
}

TEST_F(SimTest, DamagedOrShortFramesGetNoAnswer) {
    Bytes frame = EncodeFrame(Bytes{0x3F});
    frame[1] ^= 0x01;  // FCS no longer fits
    Feed(frame);
    Feed(Bytes{0x3F, 0x7E});        // too short
    Feed(Bytes{0x00, 0x00, 0x7E});  // an empty packet
    Feed(Bytes{0x7D, 0x31, 0x7E});  // nothing left after the escapes
    EXPECT_TRUE(received.empty());
    EXPECT_EQ(sim.Requests(), 0);

    // A slot outside the tables is answered with an empty record, and a write to the slot after
    // the last changes no table, nor does one to the SMS group after the last.
    link.RequestEntry(0xFFFF);
    EXPECT_EQ(OnlyReply(), Packet({0x83, 0xFF, 0xFF}, 344));
    link.RequestEntry(kEntrySlots);
    EXPECT_EQ(OnlyReply(), Packet({0x83, 0x2C, 0x01}, 344));
    Bytes outside(entryrec::kSize, 'x');
    PutLe16(outside, entryrec::kSlot, kEntrySlots);
    link.WriteEntry(outside);
    EXPECT_EQ(OnlyReply().size(), 344u);
    Bytes noSmsGroup(item::kSize, 'x');
    noSmsGroup[item::kElement] = kSmsGroupSlots;
    link.WriteItem(kItemSmsGroups, noSmsGroup);
    EXPECT_EQ(OnlyReply().size(), item::kSize);
    EXPECT_EQ(sim.Tables().smsGroups, HandsetTables().smsGroups);
    EXPECT_EQ(sim.Tables().groups, HandsetTables().groups);
    EXPECT_EQ(sim.Tables().entries, HandsetTables().entries);

    // A frame longer than any request is thrown away up to its flag; the next one is answered.
    Feed(Bytes(5000, 0x41));
    Feed(Bytes{0x7E});
    link.RequestStatus();
    EXPECT_EQ(OnlyReply(), (Bytes{0x3F, 0x00}));
}

TEST_F(SimTest, FramesMayArriveInPieces) {
    Bytes frame = EncodeFrame(Packet({0x26, 0x13, 0x04, 0x07}, 133));
    for (const uint8_t b : frame)
        Feed(Bytes{b});
    const Bytes reply = OnlyReply();
    ASSERT_EQ(reply.size(), 133u);
    EXPECT_EQ(reply[3], 7);

    // Two requests in one piece get two answers, in order.
    Bytes two = EncodeFrame(Bytes{0x3F});
    const Bytes end = EncodeFrame(Bytes{0x44});
    two.insert(two.end(), end.begin(), end.end());
    Feed(two);
    EXPECT_EQ(Replies(), (std::vector<Bytes>{{0x3F, 0x00}, {0x44}}));
}

struct SimFaultTest : SimTest {
    explicit SimFaultTest(SimFaults faults) : SimTest({}, std::move(faults)) {}
};

template <typename Fn>
SimFaults Faults(Fn&& set) {
    SimFaults f;
    set(f);
    return f;
}

struct RequestFaultTest : SimFaultTest {
    RequestFaultTest()
        : SimFaultTest(Faults([](SimFaults& f) {
              f.refuseModeAt = {2};
              f.dropAt = {3};
              f.garbleAt = {4};
              f.hangupAt = {6};
          })) {}
};

TEST_F(RequestFaultTest, FaultsHitTheNumberedRequests) {
    link.SwitchMode(1);  // 1: answered
    EXPECT_EQ(OnlyReply(), (Bytes{0x29, 0x01, 0x00}));
    link.SwitchMode(1);  // 2: refused with the request
    EXPECT_EQ(OnlyReply(), (Bytes{0x18, 0x29, 0x01, 0x00}));

    Bytes entry = Packet({0x82, 7, 0, 0, 1}, 344);
    entry[entryrec::kName] = 'Z';
    link.WriteEntry(entry);  // 3: carried out, echo lost
    EXPECT_TRUE(received.empty());
    EXPECT_EQ(sim.Tables().entries[7][entryrec::kName], 'Z');

    link.RequestEntry(7);  // 4: damaged on the way, FCS of the sound reply
    auto garbled = Replies(false);
    ASSERT_EQ(garbled.size(), 1u);
    Bytes sound = entry;
    sound[0] = 0x83;
    Bytes damaged = sound;
    for (std::size_t k = 0; k < damaged.size(); k += 7)
        damaged[k] ^= 0x5A;
    EXPECT_EQ(garbled[0], damaged);
    const Bytes wire = ReplyFrame(sound, true);
    Bytes tail(wire.end() - 3, wire.end());
    const uint16_t fcs = Crc16X25(sound);
    EXPECT_EQ(tail,
              (Bytes{static_cast<uint8_t>(fcs & 0xFF), static_cast<uint8_t>(fcs >> 8), 0x7E}));

    link.RequestStatus();  // 5: answered
    EXPECT_EQ(OnlyReply(), (Bytes{0x3F, 0x00}));
    link.RequestStatus();  // 6: the handset hangs up
    EXPECT_TRUE(received.empty());
    EXPECT_EQ(hangups, 1);
    EXPECT_TRUE(sim.HungUp());
    link.RequestStatus();
    Feed(Text("at$CHKP\r"));
    EXPECT_TRUE(received.empty());
    EXPECT_EQ(sim.Requests(), 6);
}

struct WireFaultTest : SimFaultTest {
    WireFaultTest()
        : SimFaultTest(Faults([](SimFaults& f) {
              f.twiceAt = {1};
              f.splitAt = {2};
              f.splitPauseMs = 1500;
              f.badFcsAt = {3};
              f.recordDelayMs = 40;
          })) {
        sim.SetGapSink([this](int ms) {
            gaps.push_back(ms);
            gapAt.push_back(received.size());
        });
    }
    std::vector<int> gaps;
    std::vector<std::size_t> gapAt;
};

TEST_F(WireFaultTest, RepliesComeTwiceSplitOrWithABadCheckSequence) {
    link.SwitchMode(1);  // 1: twice, back to back
    EXPECT_EQ(Replies(), (std::vector<Bytes>{{0x29, 0x01, 0x00}, {0x29, 0x01, 0x00}}));
    link.RequestStatus();  // 2: two halves with the pause between them
    const Bytes whole = ReplyFrame(Bytes{0x3F, 0x00});
    EXPECT_EQ(gaps, (std::vector<int>{1500}));
    EXPECT_EQ(gapAt, (std::vector<std::size_t>{whole.size() / 2}));
    EXPECT_EQ(received, whole);
    received.clear();
    link.RequestStatus();  // 3: the packet intact, its check sequence not
    const auto bad = Replies(false);
    ASSERT_EQ(bad.size(), 1u);
    EXPECT_EQ(bad[0], (Bytes{0x3F, 0x00}));
    EXPECT_EQ(BadFcsFrame(Bytes{0x3F, 0x00}).size(), whole.size());
    EXPECT_NE(BadFcsFrame(Bytes{0x3F, 0x00}), whole);
    // Only item and record requests wait for the slow handset.
    link.RequestEntry(7);
    EXPECT_EQ(gaps, (std::vector<int>{1500, 40}));
}

TEST(SimTimedFaultTest, BusyForAWhileAndTheModeRefusedForEver) {
    for (const bool refuse : {false, true}) {
        SimFaults faults;
        faults.busyForMs = refuse ? 0 : 20000;
        faults.refuseMode = refuse;
        HandsetSim sim({}, faults);
        int64_t now = 0;
        sim.SetClock([&] { return now; });
        std::vector<Bytes> replies;
        sim.SetReplySink([&](std::span<const uint8_t> wire) {
            Bytes b(wire.begin(), wire.end());
            b.resize(UnescapeBlock(b) - 3);
            replies.push_back(b);
        });
        const auto send = [&](Bytes packet) { sim.Feed(EncodeFrame(packet)); };
        send({0x3F});
        now = 19999;
        send({0x3F});
        now = 20000;
        send({0x3F});
        send({0x29, 0x01, 0x00});
        const std::vector<Bytes> busy{{0x3F, 0x05}, {0x3F, 0x05}, {0x3F, 0x00}, {0x29, 0x01, 0x00}};
        const std::vector<Bytes> refused{
            {0x18, 0x3F}, {0x18, 0x3F}, {0x18, 0x3F}, {0x29, 0x01, 0x00}};
        EXPECT_EQ(replies, refuse ? refused : busy);
    }
}

TEST_F(SimTest, TheTraceNumbersRequestsAndNamesThem) {
    std::vector<std::string> lines;
    sim.SetTrace([&](std::string_view what, int request, std::string_view name,
                     std::span<const uint8_t> bytes) {
        lines.push_back(std::string(what) + " " + std::to_string(request) + " " +
                        std::string(name) + " " + std::to_string(bytes.size()));
    });
    Feed(Text("at$CHKP\r"));
    link.RequestItem(kItemSpeedDials, 3);
    EXPECT_EQ(lines,
              (std::vector<std::string>{"in 0 AT text 7", "out 0 AT text 6",
                                        "in 1 NvRead 0x0413 133", "out 1 NvRead 0x0413 133"}));
    EXPECT_EQ(TraceLine(1234.5678, "in", 12, "ModeControl", Bytes{0x29, 0x01, 0x00}),
              "    1234.568 in     #12    ModeControl: 29 01 00");
    EXPECT_EQ(TraceLine(0, "out", 0, "AT text", Bytes{0x0D}),
              "       0.000 out    -      AT text: 0d");
}

}  // namespace
}  // namespace numora
