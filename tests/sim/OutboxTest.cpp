#include "sim/Outbox.h"

#include <gtest/gtest.h>

#include <vector>

namespace numora {
namespace {

using Bytes = std::vector<uint8_t>;

// A terminal that takes at most `room` bytes a write, on a clock the test moves.
struct OutboxTest : ::testing::Test {
    double now = 1e6;
    std::size_t room = 1 << 20;
    bool fail = false;
    Bytes sent;
    std::vector<double> sentAt;
    Outbox::Writer terminal = [this](std::span<const uint8_t> b) -> long {
        if (fail) return -1;
        const std::size_t n = std::min(b.size(), room);
        sent.insert(sent.end(), b.begin(), b.begin() + static_cast<long>(n));
        sentAt.insert(sentAt.end(), n, now);
        return static_cast<long>(n);
    };
    Outbox Make(bool wireSpeed) {
        return Outbox(wireSpeed, [this] { return now; });
    }
};

TEST_F(OutboxTest, WithoutWireSpeedRepliesGoAtOnceAndAGapHoldsTheRest) {
    Outbox out = Make(false);
    EXPECT_EQ(out.WaitMs(), -1);
    out.Add(Bytes{1, 2});
    out.Gap(1500);
    out.Add(Bytes{3});
    EXPECT_TRUE(out.Flush(terminal));
    EXPECT_EQ(sent, (Bytes{1, 2}));
    EXPECT_EQ(out.WaitMs(), 1501);  // rounded up: the sleep never ends before the byte is due
    now += 1499e3;
    EXPECT_TRUE(out.Flush(terminal));
    EXPECT_EQ(sent.size(), 2u);
    now += 1e3;
    EXPECT_TRUE(out.Flush(terminal));
    EXPECT_EQ(sent, (Bytes{1, 2, 3}));
    EXPECT_TRUE(out.Empty());
    EXPECT_EQ(out.Queued(), 0u);
    // A gap before bytes not yet flushed counts from now.
    out.Gap(500);
    out.Add(Bytes{4});
    EXPECT_EQ(out.WaitMs(), 501);
}

TEST_F(OutboxTest, AtWireSpeedEachByteTakesTenBitTimes) {
    Outbox out = Make(true);
    out.Add(Bytes(100, 0x55));
    EXPECT_TRUE(out.Flush(terminal));
    EXPECT_EQ(sent.size(), 1u);  // the first byte is due at once
    EXPECT_EQ(out.WaitMs(), 1);
    now += 50 * Outbox::kByteMicros;
    EXPECT_TRUE(out.Flush(terminal));
    EXPECT_EQ(sent.size(), 51u);
    now += 1e6;
    EXPECT_TRUE(out.Flush(terminal));
    EXPECT_EQ(sent.size(), 100u);
    EXPECT_EQ(out.WaitMs(), -1);
}

TEST_F(OutboxTest, AFullTerminalKeepsTheRestAndAFailedOneEndsTheLine) {
    Outbox out = Make(false);
    room = 3;
    out.Add(Bytes{1, 2, 3, 4, 5});
    EXPECT_TRUE(out.Flush(terminal));
    EXPECT_EQ(sent, (Bytes{1, 2, 3}));
    EXPECT_EQ(out.Queued(), 2u);
    EXPECT_EQ(out.WaitMs(), Outbox::kFullRetryMs);
    room = 10;
    EXPECT_TRUE(out.Flush(terminal));
    EXPECT_EQ(sent, (Bytes{1, 2, 3, 4, 5}));

    out.Add(Bytes{6});
    fail = true;
    EXPECT_FALSE(out.Flush(terminal));
}

TEST_F(OutboxTest, RepliesNobodyReadsAreDroppedOldestFirst) {
    Outbox out = Make(false);
    const Bytes big(Outbox::kMaxQueued / 2, 1);
    out.Add(big);
    out.Add(big);
    EXPECT_EQ(out.Queued(), Outbox::kMaxQueued);
    out.Add(Bytes{2});
    EXPECT_EQ(out.Queued(), big.size() + 1);
    EXPECT_TRUE(out.Flush(terminal));
    EXPECT_EQ(sent.size(), big.size() + 1);
    EXPECT_EQ(sent.back(), 2);

    // The newest reply stays, even one larger than the limit.
    sent.clear();
    const Bytes huge(Outbox::kMaxQueued + 1, 3);
    out.Add(Bytes{4});
    out.Add(huge);
    EXPECT_EQ(out.Queued(), huge.size());
    EXPECT_TRUE(out.Flush(terminal));
    EXPECT_EQ(sent, huge);
}

}  // namespace
}  // namespace numora
