#include "link/FrameCodec.h"

#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace numora {
namespace {

using Bytes = std::vector<uint8_t>;

// Test names from the cases' descriptions.
template <typename Case>
std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
    std::string name;
    for (const char* c = info.param.what; *c != '\0'; ++c) {
        if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
    }
    return name;
}

struct EncodeCase {
    const char* what;
    Bytes packet;
    Bytes frame;
};

void PrintTo(const EncodeCase& c, std::ostream* os) {
    *os << c.what;
}

class EncodeFrameTest : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(EncodeFrameTest, GivesTheFrameOnTheWire) {
    EXPECT_EQ(EncodeFrame(GetParam().packet), GetParam().frame) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    KnownFrames, EncodeFrameTest,
    ::testing::Values(EncodeCase{"end", {0x44}, {0x44, 0x58, 0xF4, 0x7E}},
                      EncodeCase{"status", {0x3F}, {0x3F, 0x0C, 0x39, 0x7E}},
                      EncodeCase{
                          "mode 1", {0x29, 0x01, 0x00}, {0x29, 0x01, 0x00, 0x31, 0x40, 0x7E}},
                      // The CRC covers 0x7E itself, not the escaped pair.
                      EncodeCase{"flag in packet", {0x7E}, {0x7D, 0x5E, 0x81, 0x6A, 0x7E}},
                      EncodeCase{"flag in FCS", {0x2A}, {0x2A, 0x20, 0x7D, 0x5E, 0x7E}},
                      EncodeCase{"escape in FCS", {0x19}, {0x19, 0x38, 0x7D, 0x5D, 0x7E}},
                      EncodeCase{"empty", {}, {0x00, 0x00, 0x7E}}),
    CaseName<EncodeCase>);

TEST(Crc16X25, MatchesThePublishedCheckValue) {
    const std::string_view digits = "123456789";
    const Bytes bytes(digits.begin(), digits.end());
    EXPECT_EQ(Crc16X25(bytes), 0x906E);
    EXPECT_EQ(EncodeFrame(bytes)[9], 0x6E);  // low byte first
    EXPECT_EQ(EncodeFrame(bytes)[10], 0x90);
}

struct UnescapeCase {
    const char* what;
    Bytes received;
    Bytes delivered;
};

void PrintTo(const UnescapeCase& c, std::ostream* os) {
    *os << c.what;
}

class UnescapeBlockTest : public ::testing::TestWithParam<UnescapeCase> {};

TEST_P(UnescapeBlockTest, RemovesOnlyTheTwoPairsAndZeroesTheTail) {
    Bytes block = GetParam().received;
    const std::size_t n = UnescapeBlock(block);
    const Bytes& want = GetParam().delivered;
    ASSERT_EQ(n, want.size()) << GetParam().what;
    EXPECT_EQ(Bytes(block.begin(), block.begin() + static_cast<long>(n)), want);
    for (std::size_t k = n; k < block.size(); ++k)
        EXPECT_EQ(block[k], 0) << "byte " << k;
}

INSTANTIATE_TEST_SUITE_P(
    KnownBlocks, UnescapeBlockTest,
    ::testing::Values(
        UnescapeCase{"both pairs", {0x26, 0x7D, 0x5E, 0x7D, 0x5D, 0x41}, {0x26, 0x7E, 0x7D, 0x41}},
        UnescapeCase{"other pair vanishes", {0x01, 0x7D, 0x31, 0x02}, {0x01, 0x02}},
        UnescapeCase{"trailing escape dropped", {0x3F, 0x00, 0x7D}, {0x3F, 0x00}},
        UnescapeCase{"flags stay data",
                     {0x44, 0x58, 0xF4, 0x7E, 0x3F, 0x7E},
                     {0x44, 0x58, 0xF4, 0x7E, 0x3F, 0x7E}},
        UnescapeCase{"empty", {}, {}}),
    CaseName<UnescapeCase>);

// Encoding then un-escaping gives back the packet, its FCS (low byte first) and the flag,
// whatever the packet holds; and the only flag on the wire is the closing one.
TEST(FrameRoundTrip, RandomPacketsComeBackWithTheirFcs) {
    std::mt19937 random(5507);
    for (int round = 0; round < 500; ++round) {
        Bytes packet(random() % 400);
        // Lean towards the two special values so that runs of escapes occur.
        for (auto& b : packet) {
            const auto r = random();
            b = static_cast<uint8_t>(r % 4 == 0 ? 0x7D + (r >> 8) % 2 : r >> 8);
        }
        Bytes frame = EncodeFrame(packet);
        ASSERT_LE(frame.size(), 2 * packet.size() + 5);
        for (std::size_t k = 0; k + 1 < frame.size(); ++k)
            ASSERT_NE(frame[k], 0x7E);
        ASSERT_EQ(frame.back(), 0x7E);

        frame.resize(UnescapeBlock(frame));
        const uint16_t fcs = Crc16X25(packet);
        Bytes expected = packet;
        expected.push_back(static_cast<uint8_t>(fcs & 0xFF));
        expected.push_back(static_cast<uint8_t>(fcs >> 8));
        expected.push_back(0x7E);
        ASSERT_EQ(frame, expected) << "round " << round;
        // Appending the FCS makes the CRC over packet and FCS the fixed X.25 residue.
        ASSERT_EQ(Crc16X25(std::span(expected).first(expected.size() - 1)), 0x0F47);
    }
}

struct ReadFrames {
    std::vector<std::pair<std::vector<uint8_t>, bool>> frames;
    FrameReader reader;
    void Feed(std::vector<uint8_t> bytes) {
        reader.Feed(bytes, [this](std::span<const uint8_t> packet, bool checked) {
            frames.emplace_back(std::vector<uint8_t>(packet.begin(), packet.end()), checked);
        });
    }
};

TEST(FrameReader, ReassemblesAcrossBurstsAndCutsAtEachFlag) {
    const std::vector<uint8_t> a{0x26, 0x7E, 0x7D, 0x13, 0x04};  // escapes inside
    const std::vector<uint8_t> b{0x44};
    std::vector<uint8_t> wire = EncodeFrame(a);
    const auto second = EncodeFrame(b);
    wire.insert(wire.end(), second.begin(), second.end());
    ReadFrames r;
    // Split inside an escape pair, then the rest with a second frame in the same burst.
    r.Feed({wire.begin(), wire.begin() + 2});
    EXPECT_TRUE(r.frames.empty());
    EXPECT_EQ(r.reader.Pending(), 2u);
    r.Feed({wire.begin() + 2, wire.end()});
    ASSERT_EQ(r.frames.size(), 2u);
    EXPECT_EQ(r.frames[0], std::make_pair(a, true));
    EXPECT_EQ(r.frames[1], std::make_pair(b, true));
    EXPECT_EQ(r.reader.Pending(), 0u);
}

TEST(FrameReader, DamagedShortAndOverlongFramesFailTheirCheck) {
    ReadFrames r;
    auto bad = EncodeFrame(std::vector<uint8_t>{0x83, 0x05, 0x00});
    bad[1] ^= 0x01;  // a digit changed in transit
    r.Feed(bad);
    r.Feed({0x7E});        // an opening flag, or noise: nothing
    r.Feed({0x44, 0x7E});  // too short to hold a check sequence
    r.Feed(std::vector<uint8_t>(FrameReader::kMaxFrame + 10, 0x11));
    r.Feed({0x7E});
    auto good = EncodeFrame(std::vector<uint8_t>{0x3F, 0x00});
    r.Feed(good);
    ASSERT_EQ(r.frames.size(), 4u);
    EXPECT_FALSE(r.frames[0].second);
    EXPECT_FALSE(r.frames[1].second);
    EXPECT_FALSE(r.frames[2].second);
    EXPECT_TRUE(r.frames[3].second);
    EXPECT_EQ(r.frames[3].first, (std::vector<uint8_t>{0x3F, 0x00}));
}

// A line that talks without flags is never held beyond one reply's length: each stretch that
// long is handed on as damaged at once, and the next flag starts afresh.
TEST(FrameReader, NoiseWithoutFlagsIsHandedOnAsItComesAndNeverPilesUp) {
    ReadFrames r;
    for (int burst = 0; burst < 30; ++burst) {
        r.Feed(std::vector<uint8_t>(100, 'x'));
        EXPECT_LE(r.reader.Pending(), FrameReader::kMaxFrame);
    }
    EXPECT_EQ(r.frames.size(), 3000 / (FrameReader::kMaxFrame + 1));
    for (const auto& frame : r.frames)
        EXPECT_FALSE(frame.second);
    r.Feed({0x7E});
    r.Feed(EncodeFrame(std::vector<uint8_t>{0x44}));
    EXPECT_TRUE(r.frames.back().second);
}

}  // namespace
}  // namespace numora
