#include "link/Pacer.h"

#include "link/PacedTimer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/FakeClock.h"

namespace numora {
namespace {

struct PacerTest : ::testing::Test {
    test::FakeClock clock;
    LinkPacer pacer{clock};
    std::vector<std::string> log;

    std::function<void()> Note(std::string what) {
        return [this, what] { log.push_back(what + "@" + std::to_string(clock.NowMs())); };
    }
};

TEST_F(PacerTest, StepsRunAtOnceWhileNothingIsPaused) {
    pacer.Do(Note("a"));
    pacer.Do(Note("b"));
    EXPECT_EQ(log, (std::vector<std::string>{"a@0", "b@0"}));
}

TEST_F(PacerTest, PausesInOneStepAddUpAndHoldLaterSteps) {
    // An entry request pauses 150 ms and the read adds 100 ms: the next reply is handled
    // only 250 ms after the request went out, even though it arrived at once.
    pacer.Do([&] {
        log.push_back("request@" + std::to_string(clock.NowMs()));
        pacer.Pause(150);
        pacer.Pause(100);
    });
    pacer.Do(Note("reply"));
    clock.Advance(249);
    EXPECT_EQ(log, (std::vector<std::string>{"request@0"}));
    clock.Advance(1);
    EXPECT_EQ(log, (std::vector<std::string>{"request@0", "reply@250"}));
}

TEST_F(PacerTest, WhatAStepDoesAfterItsPauseComesBeforeStepsQueuedEarlier) {
    pacer.Do([&] { pacer.Pause(100); });
    pacer.Do(Note("queued"));  // arrives during the pause
    clock.Advance(100);
    EXPECT_EQ(log, (std::vector<std::string>{"queued@100"}));
    log.clear();

    // A step that pauses and then continues: its continuation runs before anything that was
    // queued while it was running, as the code after a blocking pause would.
    pacer.Do([&] {
        pacer.Do(Note("first"));
        pacer.Pause(100);
        pacer.Do(Note("continuation"));
    });
    pacer.Do(Note("later"));
    clock.Advance(100);
    EXPECT_EQ(log, (std::vector<std::string>{"first@100", "continuation@200", "later@200"}));
}

TEST_F(PacerTest, ResetForgetsQueuedStepsAndThePause) {
    pacer.Do([&] { pacer.Pause(500); });
    pacer.Do(Note("stale"));
    pacer.Reset();
    EXPECT_FALSE(pacer.Paused());
    pacer.Do(Note("fresh"));
    clock.RunUntilIdle();
    EXPECT_EQ(log, (std::vector<std::string>{"fresh@0"}));

    // A pacer that goes away takes its timer with it.
    {
        LinkPacer gone(clock);
        gone.Pause(500);
        EXPECT_TRUE(clock.HasTimers());
    }
    EXPECT_FALSE(clock.HasTimers());
}

TEST_F(PacerTest, APauseRunningOutInsideAStepWaitsForThatStepToEnd) {
    // A message box runs its own event loop, so a pause a step took can run out while that
    // step is still under way. What follows the step must still run after it, in order.
    pacer.Do([&] { pacer.Pause(10); });
    pacer.Do([&] {
        pacer.Pause(10);
        pacer.Do(Note("continuation"));
        clock.Advance(20);  // the box's event loop
        log.push_back("step ends");
    });
    pacer.Do(Note("queued earlier"));
    clock.RunUntilIdle();
    EXPECT_EQ(log, (std::vector<std::string>{"step ends", "continuation@30", "queued earlier@30"}));
}

// A tick that fell due during a pause waits for it; a timer stopped or armed again meanwhile
// (a reply came first) must not tick for the old time.
TEST_F(PacerTest, ATimerStoppedOrArmedAgainWhileItsTickWaitsDoesNotTickForTheOldTime) {
    PacedTimer timer(clock, pacer, Note("tick"));
    pacer.Pause(100);
    timer.Arm(50);
    clock.Advance(60);  // the tick waits for the pause
    timer.Arm(200);
    clock.RunUntilIdle();
    EXPECT_EQ(log, (std::vector<std::string>{"tick@260"}));

    pacer.Pause(100);
    timer.Arm(50);
    clock.Advance(60);
    timer.Stop();
    clock.RunUntilIdle();
    EXPECT_EQ(log.size(), 1u);
}

}  // namespace
}  // namespace numora
