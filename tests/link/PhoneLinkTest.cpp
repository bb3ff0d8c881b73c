#include "link/PhoneLink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "link/FrameCodec.h"
#include "support/FakeClock.h"

namespace numora {
namespace {

using Bytes = std::vector<uint8_t>;

// A port that keeps every write, or refuses them all.
struct RecordingSink : ByteSink {
    std::vector<Bytes> writes;
    bool refuse = false;
    int Write(std::span<const uint8_t> bytes) override {
        if (refuse) return 0;
        writes.emplace_back(bytes.begin(), bytes.end());
        return static_cast<int>(bytes.size());
    }
};

// The packet carried by a written frame.
Bytes PacketOf(Bytes frame) {
    frame.resize(UnescapeBlock(frame));
    EXPECT_GE(frame.size(), 3u);
    const Bytes packet(frame.begin(), frame.end() - 3);
    const uint16_t fcs = Crc16X25(packet);
    EXPECT_EQ(frame[frame.size() - 3], fcs & 0xFF);
    EXPECT_EQ(frame[frame.size() - 2], fcs >> 8);
    return packet;
}

Bytes Packet(std::initializer_list<uint8_t> head, std::size_t size) {
    Bytes p(size, 0);
    std::copy(head.begin(), head.end(), p.begin());
    return p;
}

struct PhoneLinkTest : ::testing::Test {
    test::FakeClock clock;
    LinkPacer pacer{clock};
    RecordingSink port;
    PhoneLink link{port, pacer};

    Bytes OnlyPacket() {
        EXPECT_EQ(port.writes.size(), 1u);
        return port.writes.empty() ? Bytes{} : PacketOf(port.writes.back());
    }
};

TEST_F(PhoneLinkTest, RequestsGoOutAtFullLengthWithZeroPadding) {
    struct Case {
        std::string what;
        std::function<bool()> send;
        Bytes packet;
    };
    Bytes mask(300, 0x03);
    Bytes maskPacket(301, 0x03);
    maskPacket[0] = 0x84;
    const std::vector<Case> cases = {
        {"NvRead", [&] { return link.RequestItem(0x0413, 5); },
         Packet({0x26, 0x13, 0x04, 0x05}, 133)},
        {"NvRead keeps the low 16 bits", [&] { return link.RequestItem(0x100DD, 0); },
         Packet({0x26, 0xDD, 0x00, 0x00}, 133)},
        {"GroupRead", [&] { return link.RequestGroup(7); }, Packet({0x81, 0x07}, 344)},
        {"EntryRequest", [&] { return link.RequestEntry(0x0102); },
         Packet({0x83, 0x02, 0x01}, 344)},
        {"MaskRead", [&] { return link.RequestFieldMasks(); }, Packet({0x85}, 301)},
        {"ModeControl", [&] { return link.SwitchMode(2); }, Bytes{0x29, 0x02, 0x00}},
        {"Status", [&] { return link.RequestStatus(); }, Bytes{0x3F}},
        {"End", [&] { return link.EndSession(); }, Bytes{0x44}},
        {"MaskWrite", [&] { return link.WriteFieldMasks(mask); }, maskPacket},
    };
    for (const auto& c : cases) {
        port.writes.clear();
        EXPECT_TRUE(c.send()) << c.what;
        EXPECT_EQ(OnlyPacket(), c.packet) << c.what;
    }
}

TEST_F(PhoneLinkTest, WritesFillCodeAndItemIntoTheCallersBuffer) {
    Bytes item(133, 0xAA);
    EXPECT_TRUE(link.WriteItem(0x0414, item));
    EXPECT_EQ(item[0], 0x27);
    EXPECT_EQ(item[1], 0x14);
    EXPECT_EQ(item[2], 0x04);
    EXPECT_EQ(item[3], 0xAA);
    EXPECT_EQ(OnlyPacket(), item);

    port.writes.clear();
    Bytes speedDial(140, 0x11);  // longer than the request: only 133 bytes go out
    EXPECT_TRUE(link.WriteSpeedDials(speedDial));
    Bytes expected(speedDial.begin(), speedDial.begin() + 133);
    expected[0] = 0x27;
    expected[1] = 0x13;
    expected[2] = 0x04;
    EXPECT_EQ(OnlyPacket(), expected);

    port.writes.clear();
    Bytes group(344, 0x22);
    EXPECT_TRUE(link.WriteGroup(group));
    EXPECT_EQ(group[0], 0x80);
    EXPECT_EQ(OnlyPacket(), group);

    port.writes.clear();
    Bytes entry(344, 0x33);
    EXPECT_TRUE(link.WriteEntry(entry));
    EXPECT_EQ(entry[0], 0x82);
    EXPECT_EQ(OnlyPacket(), entry);
}

TEST_F(PhoneLinkTest, ShortCallerBuffersAreRefusedWithoutWriting) {
    Bytes item(132);
    Bytes record(343);
    Bytes mask(299);
    EXPECT_FALSE(link.WriteItem(0x0414, item));
    EXPECT_FALSE(link.WriteSpeedDials(item));
    EXPECT_FALSE(link.WriteGroup(record));
    EXPECT_FALSE(link.WriteEntry(record));
    EXPECT_FALSE(link.WriteFieldMasks(mask));
    EXPECT_TRUE(port.writes.empty());
    EXPECT_EQ(item[0], 0);  // untouched
}

TEST_F(PhoneLinkTest, PasswordIsTheModelNumberAndItsMirror) {
    const Password p = DefaultPassword();
    EXPECT_EQ(std::string(p.begin(), p.begin() + 4), "5507");
    EXPECT_TRUE(std::equal(p.begin(), p.begin() + 4, p.rbegin()));

    EXPECT_TRUE(link.SendPassword());
    Bytes expected{0x46};
    expected.insert(expected.end(), p.begin(), p.end());
    EXPECT_EQ(OnlyPacket(), expected);

    port.writes.clear();
    link.SetPassword(Password{1, 2, 3, 4, 5, 6, 7, 8});
    link.SendPassword();
    EXPECT_EQ(OnlyPacket(), (Bytes{0x46, 1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST_F(PhoneLinkTest, EntryRequestsAndWritesHoldLaterStepsWithoutBlocking) {
    std::vector<int64_t> stepTimes;
    pacer.Do([&] { link.RequestEntry(0x0102); });
    EXPECT_EQ(port.writes.size(), 1u);  // written at once, the call did not wait
    pacer.Do([&] { stepTimes.push_back(clock.NowMs()); });
    clock.Advance(149);
    EXPECT_TRUE(stepTimes.empty());
    clock.Advance(1);
    EXPECT_EQ(stepTimes, (std::vector<int64_t>{150}));

    Bytes entry(344);
    pacer.Do([&] { link.WriteEntry(entry); });
    pacer.Do([&] { stepTimes.push_back(clock.NowMs()); });
    clock.RunUntilIdle();
    EXPECT_EQ(stepTimes, (std::vector<int64_t>{150, 250}));
}

TEST_F(PhoneLinkTest, FailedWritesGiveFalseAndStillPause) {
    port.refuse = true;
    Bytes item(133);
    Bytes record(344);
    Bytes mask(300);
    EXPECT_FALSE(link.RequestItem(0x0413, 0));
    EXPECT_FALSE(link.WriteItem(0x0414, item));
    EXPECT_FALSE(link.SwitchMode(1));
    EXPECT_FALSE(link.RequestStatus());
    EXPECT_FALSE(link.EndSession());
    EXPECT_FALSE(link.SendPassword());
    EXPECT_FALSE(link.WriteGroup(record));
    EXPECT_FALSE(link.RequestGroup(0));
    EXPECT_FALSE(link.WriteFieldMasks(mask));
    EXPECT_FALSE(link.RequestFieldMasks());
    EXPECT_FALSE(pacer.Paused());

    EXPECT_FALSE(link.RequestEntry(5));
    EXPECT_TRUE(pacer.Paused());
    clock.Advance(150);
    EXPECT_FALSE(pacer.Paused());
    EXPECT_FALSE(link.WriteEntry(record));
    EXPECT_TRUE(pacer.Paused());
}

struct MatchCase {
    const char* name;
    std::vector<uint8_t> request;
    std::vector<uint8_t> reply;
    bool answers;
};

void PrintTo(const MatchCase& c, std::ostream* os) {
    *os << c.name;
}

std::vector<uint8_t> Sized(std::vector<uint8_t> head, std::size_t size) {
    head.resize(size, 0);
    return head;
}

class AnswersRequestTest : public ::testing::TestWithParam<MatchCase> {};

TEST_P(AnswersRequestTest, OnlyTheReplyToTheRequestAnswersIt) {
    const MatchCase& c = GetParam();
    EXPECT_EQ(AnswersRequest(c.request, c.reply), c.answers);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, AnswersRequestTest,
    ::testing::Values(
        MatchCase{"ItemElement", Sized({0x26, 0x13, 0x04, 5}, 133),
                  Sized({0x26, 0x13, 0x04, 5}, 133), true},
        MatchCase{"OtherElement", Sized({0x26, 0x13, 0x04, 5}, 133),
                  Sized({0x26, 0x13, 0x04, 6}, 133), false},
        MatchCase{"OtherItem", Sized({0x26, 0x13, 0x04, 5}, 133), Sized({0x26, 0x14, 0x04, 5}, 133),
                  false},
        MatchCase{"ShortItemReply", Sized({0x26, 0x13, 0x04, 5}, 133),
                  Sized({0x26, 0x13, 0x04, 5}, 60), false},
        MatchCase{"ItemEcho", Sized({0x27, 0x14, 0x04, 2}, 133), {0x27, 0x14, 0x04, 2}, true},
        MatchCase{"OtherEcho", Sized({0x27, 0x14, 0x04, 2}, 133), {0x27, 0x14, 0x04, 3}, false},
        MatchCase{"EntrySlot", Sized({0x83, 0x2C, 0x01}, 344), Sized({0x83, 0x2C, 0x01}, 344),
                  true},
        MatchCase{"OtherEntrySlot", Sized({0x83, 0x2C, 0x01}, 344), Sized({0x83, 0x2B, 0x01}, 344),
                  false},
        MatchCase{"HalfAnEntry", Sized({0x83, 0x2C, 0x01}, 344), Sized({0x83, 0x2C, 0x01}, 200),
                  false},
        MatchCase{"EntryEcho", Sized({0x82, 0x09, 0x00}, 344), {0x82, 0x09, 0x00}, true},
        MatchCase{"OtherEntryEcho", Sized({0x82, 0x09, 0x00}, 344), {0x82, 0x04, 0x00}, false},
        MatchCase{"GroupSlot", Sized({0x81, 7}, 344), Sized({0x81, 7, 7}, 344), true},
        MatchCase{"OtherGroupSlot", Sized({0x81, 7}, 344), Sized({0x81, 6, 6}, 344), false},
        MatchCase{"GroupEcho", Sized({0x80, 3, 3}, 344), {0x80, 3}, true},
        MatchCase{"OtherGroupEcho", Sized({0x80, 3, 3}, 344), {0x80, 4}, false},
        MatchCase{"Mask", Sized({0x85}, 301), Sized({0x85}, 301), true},
        MatchCase{"ShortMask", Sized({0x85}, 301), Sized({0x85}, 100), false},
        MatchCase{"ModeOne", {0x29, 1, 0}, {0x29, 1, 0}, true},
        MatchCase{"ModeTwo", {0x29, 1, 0}, {0x29, 2, 0}, false},
        MatchCase{"Status", {0x3F}, {0x3F, 0x05}, true},
        MatchCase{"StatusWithoutByte", {0x3F}, {0x3F}, false},
        MatchCase{"End", {0x44}, {0x44}, true}, MatchCase{"OtherCode", {0x44}, {0x3F, 0x00}, false},
        MatchCase{"Nothing", {0x44}, {}, false}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(RefusesRequest, ARefusalNamesTheRequestOrNothing) {
    const std::vector<uint8_t> poll{0x3F};
    EXPECT_TRUE(RefusesRequest(poll, std::vector<uint8_t>{0x18}));
    EXPECT_TRUE(RefusesRequest(poll, std::vector<uint8_t>{0x1F, 0x3F}));
    EXPECT_FALSE(RefusesRequest(poll, std::vector<uint8_t>{0x18, 0x46, 1}));  // an older one
    EXPECT_FALSE(RefusesRequest(poll, std::vector<uint8_t>{0x3F, 0x18}));
}

TEST_F(PhoneLinkTest, ResendRepeatsThePacketAndItsPause) {
    link.RequestEntry(0x0102);
    const std::vector<uint8_t> first = port.writes.back();
    const std::vector<uint8_t> request = link.LastRequest();
    clock.Advance(kEntryRequestPauseMs);
    link.Resend(request);
    EXPECT_EQ(port.writes.back(), first);
    EXPECT_EQ(link.RequestCount(), 2u);
    bool ran = false;
    pacer.Do([&] { ran = true; });
    clock.Advance(kEntryRequestPauseMs - 1);
    EXPECT_FALSE(ran);
    clock.Advance(1);
    EXPECT_TRUE(ran);
}

// In a fast run a reply is late after three times its time on the wire, request and reply
// at 115200 baud, and 150 ms for the turnaround.
TEST(FastReplyTimeout, IsThreeTimesTheWireAndTheTurnaround) {
    EXPECT_EQ(FastReplyTimeoutMs(std::vector<uint8_t>{0x3F}), 152);
    EXPECT_EQ(FastReplyTimeoutMs(Packet({0x26}, 133)), 220);
    EXPECT_EQ(FastReplyTimeoutMs(Packet({0x83}, 344)), 330);
    EXPECT_EQ(FastReplyTimeoutMs(Packet({0x84}, 301)), 308);
}

TEST(CommandName, NamesEachRequestAndReply) {
    struct Case {
        Bytes packet;
        std::string_view name;
    };
    const std::vector<Case> cases = {
        {{0x29, 0x01, 0x00}, "ModeControl"},
        {{0x3F}, "Status"},
        {{0x46, 1}, "Password"},
        {{0x44}, "End"},
        {{0x26, 0x13, 0x04, 0x05}, "NvRead 0x0413"},
        {{0x26, 0x14, 0x04}, "NvRead 0x0414"},
        {{0x26, 0xDD, 0x00}, "NvRead 0x00DD"},
        {{0x27, 0x14, 0x04}, "NvWrite 0x0414"},
        {{0x27, 0x13, 0x04}, "NvWrite 0x0413"},
        {{0x26}, "NvRead"},  // too short for an item number
        {{0x80}, "GroupWrite"},
        {{0x81, 7}, "GroupRead"},
        {{0x82}, "EntryWrite"},
        {{0x83, 2, 1}, "EntryRequest"},
        {{0x84}, "MaskWrite"},
        {{0x85}, "MaskRead"},
        {{0x18, 0x29}, "Refused 0x18"},
        {{0x1F}, "Refused 0x1F"},
        {{0x13, 0x99}, "BadCommand"},
        {{'a', 't', '$'}, "AT text"},
        {{'A', 't'}, "AT text"},
        {{'a'}, "?? 0x61"},
        {{'a', 'x', '$'}, "?? 0x61"},
        {{0x00}, "?? 0x00"},
        {{0xFE, 0x01}, "?? 0xFE"},
        {{}, "(empty)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CommandName(c.packet), c.name);
}

TEST(PhoneLinkPasswordTest, TheProfileMayNameAnotherHandsetsPassword) {
    MemoryProfile profile;
    EXPECT_EQ(PasswordFromProfile(profile), DefaultPassword());
    profile.SetString(kPortSection, "Password", "0102A0b0C0d0E0F0");
    EXPECT_EQ(PasswordFromProfile(profile),
              (Password{0x01, 0x02, 0xA0, 0xB0, 0xC0, 0xD0, 0xE0, 0xF0}));
    for (const char* bad : {"0102", "0102A0b0C0d0E0FG", "0102A0b0C0d0E0F0FF"}) {
        profile.SetString(kPortSection, "Password", bad);
        EXPECT_EQ(PasswordFromProfile(profile), DefaultPassword()) << bad;
    }
}

}  // namespace
}  // namespace numora
