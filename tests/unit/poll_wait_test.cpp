#include "engine/poll_wait.h"

#include <gtest/gtest.h>

#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_fine_timer.h"

namespace {

using Waits = std::vector<uint32_t>;

struct PollWaitTest : ::testing::Test {
    FakeFineTimer& timer = TheFakeFineTimer();
    Waits sleeps;

    PollWaitTest() {
        timer = FakeFineTimer{};
        TheFakeClock() = FakeClock{};
        TheFakeClock().onSleep = [this](uint32_t ms) { sleeps.push_back(ms); };
    }
    void WaitAll(const Waits& intervals) {
        PollWait wait;
        for (uint32_t ms : intervals)
            WaitMilliseconds(wait, ms);
    }
};

TEST_F(PollWaitTest, HighResolutionTimer_TakesEveryWait_NoPeriodAskedFor) {
    timer.knowsHighResolution = true;
    WaitAll({3, 10, 5000});
    EXPECT_EQ(timer.timerWaits, (Waits{3, 10, 5000}));
    EXPECT_EQ(sleeps, Waits{});
    EXPECT_EQ(timer.periodsBegun, 0);
    EXPECT_EQ(timer.timersOpen, 1) << "one timer, kept for every wait";
}

TEST_F(PollWaitTest, NoHighResolutionTimer_SleepsWithTheFinePeriodAskedForOnce) {
    // Older Windows refuses the flag; a system that takes any flag would give an ordinary timer.
    for (bool takesAnyFlag : {false, true}) {
        timer = FakeFineTimer{};
        timer.knowsHighResolution = takesAnyFlag;
        timer.takesAnyFlag = takesAnyFlag;
        sleeps.clear();
        WaitAll({3, 3, 5000});
        EXPECT_EQ(sleeps, (Waits{3, 3, 5000})) << takesAnyFlag;
        EXPECT_EQ(timer.timerWaits, Waits{}) << takesAnyFlag;
        EXPECT_EQ(timer.periodsBegun, 1) << takesAnyFlag;
        EXPECT_EQ(timer.timersOpen, 0) << "the probe is closed; " << takesAnyFlag;
    }
}

TEST_F(PollWaitTest, TimerThatCannotBeSet_ItsWaitIsSleptInFull_LaterOnesSleepToo) {
    timer.knowsHighResolution = true;
    timer.waitsFail = true;
    WaitAll({4, 4, 4});
    EXPECT_EQ(timer.timerWaits, (Waits{4})) << "not tried again";
    EXPECT_EQ(sleeps, (Waits{4, 4, 4})) << "the loop never runs without a pause";
    EXPECT_EQ(timer.periodsBegun, 1);
    EXPECT_EQ(timer.timersOpen, 0);
}

} // namespace
