#include "link/ProtocolLog.h"

#include <gtest/gtest.h>

#include "support/FakeClock.h"

namespace numora {
namespace {

TEST(ProtocolLogTest, KeepsTheLastRunWithTimesFromItsStart) {
    test::FakeClock clock;
    CProtocolLog log(clock, 3);
    const std::vector<uint8_t> poll{0x3F};
    const std::vector<uint8_t> ready{0x3F, 0x00, 0x0C, 0x39, 0x7E};
    log.Trace(TraceDir::Out, poll);
    clock.Advance(1500);
    log.StartRun();
    clock.Advance(12);
    log.Trace(TraceDir::Out, poll);
    clock.Advance(60);
    log.Trace(TraceDir::In, ready);
    ASSERT_EQ(log.Lines().size(), 2u);
    EXPECT_EQ(log.Text(),
              "        0.012 > Status           3F\n"
              "        0.072 < Status           3F 00 0C 39 7E\n");

    // A run that never goes quiet keeps only the newest lines.
    for (int k = 0; k < 5; ++k) log.Trace(TraceDir::Out, poll);
    EXPECT_EQ(log.Lines().size(), 3u);
}

}  // namespace
}  // namespace numora
