#include "link/ProtocolLog.h"

#include <gtest/gtest.h>

#include "link/TraceFormat.h"
#include "support/FakeClock.h"

namespace numora {
namespace {

TEST(ProtocolLogTest, KeepsTheLastRunWithTimesFromItsStart) {
    test::FakeClock clock;
    ProtocolLog log(clock, 3);
    std::vector<std::string> shown;  // the window's log follows each line as it comes
    log.SetOnLine([&](const ProtocolLog::Line& l) { shown.push_back(log.FormatLine(l)); });
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
    for (int k = 0; k < 5; ++k)
        log.Trace(TraceDir::Out, poll);
    EXPECT_EQ(log.Lines().size(), 3u);
    EXPECT_EQ(shown.size(), 8u);
    EXPECT_EQ(shown[2], "        0.072 < Status           3F 00 0C 39 7E");
}

TEST(TraceFormatTest, LongPacketsAreCutAndNotesFollowOrStandAlone) {
    std::vector<uint8_t> item(133, 0);
    item[0] = 0x26;
    item[1] = 0x13;
    item[2] = 0x04;
    EXPECT_EQ(FormatTraceLine(61234, TraceDir::Out, item, 4, ""),
              "       61.234 > NvRead 0x0413    26 13 04 00 ... (133 bytes)");
    EXPECT_EQ(FormatTraceLine(7, TraceDir::In, std::vector<uint8_t>{0x3F, 0x00}, 4, "ignored"),
              "        0.007 < Status           3F 00  [ignored]");
    EXPECT_EQ(FormatTraceLine(1000, TraceDir::In, {}, 0, "pace falls back"),
              "        1.000 * pace falls back");
}

}  // namespace
}  // namespace numora
