#include "engine/poll_loop.h"

#include <atomic>

#include "app/tray.h"
#include "engine/calibration.h"
#include "tests/unit/engine_fixture.h"

namespace {

constexpr uint32_t kUnplugged = 167;

// Default key map (button 1 Return, button 2 Tab), no repeat.
struct PollLoopTest : EngineTest {
    JoystickSample sample{};
    std::vector<uint32_t> sleeps;
    std::atomic<bool> stop{false};

    PollLoopTest() {
        ResetKeyMapDefaults(s, ScanCodeOfKey);
        s.typematicOn = 0;
        Calibrate(s);
    }
    void HoldButtons(uint32_t buttons) {
        JoystickSample j = TheFakeJoystick().sample;
        j.buttons = buttons;
        SetFakeJoystickSample(j);
    }
    InputWord Published() const { return s.engine.currentInput.load(); }
    // Runs the loop; `script` acts after the n-th sleep (1-based) and says whether to stop.
    template <class Script> void RunLoop(Script script) {
        TheFakeClock().onSleep = [&](uint32_t ms) {
            sleeps.push_back(ms);
            stop = script(sleeps.size());
        };
        RunPollLoop(s, ShowTrayState, &stop);
    }
};

TEST_F(PollLoopTest, Cycle_PublishesWordMaskedByEnabledMaskAndFires) {
    s.joystickId = 5;
    s.enabledMask = ~Button(1);
    HoldButtons(0b11);
    EXPECT_TRUE(PollCycle(s, sample));
    EXPECT_EQ(Published(), Button(2));
    EXPECT_EQ(TakeEvents(), (Events{"+9"}));
    EXPECT_EQ(TheFakeJoystick().lastReadId, 5u);
}

TEST_F(PollLoopTest, CaptureOrDialogActiveOrUnreadable_InjectsNothingButPublishes) {
    HoldButtons(0b1);
    PollCycle(s, sample);
    TakeEvents();
    const int32_t counter = Counter(4);

    for (int pause = 0; pause < 3; ++pause) {
        s.captureActive = pause == 0;
        s.dialogActive = pause == 1;
        SetFakeJoystickReadResult(pause == 2 ? kUnplugged : kJoyNoError);
        HoldButtons(pause == 2 ? 0b100 : 0b10); // an unreadable joystick's change is not seen
        s.engine.currentInput = 0;
        PollCycle(s, sample);
        PollCycle(s, sample);
        EXPECT_EQ(TakeEvents(), Events{}) << pause;
        EXPECT_EQ(Counter(4), counter) << pause;
        EXPECT_EQ(Published(), Button(2)) << pause;
    }
    s.dialogActive = false;
    SetFakeJoystickReadResult(kJoyNoError);
    HoldButtons(0);
    PollCycle(s, sample);
    EXPECT_EQ(TakeEvents(), (Events{"-13"})) << "released once events flow again";
}

TEST_F(PollLoopTest, Loop_ReadableFromStart_ShowsActiveOnceAndCyclesAtPollingInterval) {
    RunLoop([](size_t n) { return n == 3; });
    EXPECT_EQ(TheFakeTray().states, (std::vector<bool>{true}));
    EXPECT_EQ(TheFakeTray().tip, kActiveTip);
    EXPECT_EQ(sleeps, (std::vector<uint32_t>{100, 100, 100}));
    EXPECT_EQ(TheFakeFineTimer().periodsBegun, 1) << "the fine wait, chosen once";
}

TEST_F(PollLoopTest, Loop_InactiveEveryFiveSecondsUntilReadable_FailedCycleStillSleeps) {
    SetFakeJoystickReadResult(kUnplugged);
    RunLoop([](size_t n) {
        if (n == 2)
            SetFakeJoystickReadResult(kJoyNoError);
        if (n == 4)
            SetFakeJoystickReadResult(kUnplugged);
        return n == 6;
    });
    EXPECT_EQ(TheFakeTray().states, (std::vector<bool>{false, false, true, false}));
    EXPECT_EQ(TheFakeTray().tip, kInactiveTip);
    EXPECT_EQ(sleeps, (std::vector<uint32_t>{5000, 5000, 100, 100, 100, 5000}));
}

TEST_F(PollLoopTest, EveryNonZeroReadResult_IsAFailedRead) {
    // JOYERR_PARMS, JOYERR_NOCANDO, JOYERR_UNPLUGGED, MMSYSERR_NODRIVER, MMSYSERR_ERROR, and
    // whatever else a driver answers.
    const uint32_t results[] = {165, 166, kUnplugged, 6, 1, 0xFFFFFFFF};
    HoldButtons(0b1);
    for (uint32_t result : results) {
        SetFakeJoystickReadResult(result);
        EXPECT_FALSE(PollCycle(s, sample)) << result;
        EXPECT_EQ(TakeEvents(), Events{}) << result;
    }
    RunLoop([](size_t n) { return n == 1; });
    EXPECT_EQ(TheFakeTray().states, (std::vector<bool>{false}));
    EXPECT_EQ(sleeps, (std::vector<uint32_t>{kInactiveRetryMilliseconds}));
}

// The shell's notification area made anew takes the icon: it comes back with the state it
// showed, and the poll thread repeats its state once, in case a change crossed the add.
TEST_F(PollLoopTest, ShellRestart_IconAddedAgainWithItsStateAndRepeatedOnce) {
    SetFakeJoystickReadResult(kUnplugged);
    std::vector<std::string> readded;
    RunLoop([&](size_t n) {
        if (n == 1 || n == 3) {
            TheFakeTray().present = false;
            RestoreTrayIcon(s);
            readded.push_back(TheFakeTray().tip);
        }
        SetFakeJoystickReadResult(kJoyNoError);
        return n == 4;
    });
    EXPECT_EQ(readded, (std::vector<std::string>{kInactiveTip, kActiveTip}));
    EXPECT_EQ(TheFakeTray().states, (std::vector<bool>{false, true, true}));
}

TEST_F(PollLoopTest, Loop_PollingIntervalBelowOne_SleepsOneMillisecondAndKeepsTheValue) {
    s.timing.pollingInterval = -20;
    RunLoop([](size_t n) { return n == 2; });
    EXPECT_EQ(sleeps, (std::vector<uint32_t>{1, 1}));
    EXPECT_EQ(s.timing.pollingInterval, -20);
}

TEST_F(PollLoopTest, AfterExitRelease_CyclesPublishButInjectNothing) {
    HoldButtons(0b1);
    PollCycle(s, sample);
    ReleaseHeldAtExit(s);
    HoldButtons(0b10);
    PollCycle(s, sample);
    EXPECT_EQ(TakeEvents(), (Events{"+13", "-13"}));
    EXPECT_EQ(Published(), Button(2));
}

} // namespace

namespace {
struct PlugInLaterTest : EngineTest {};

TEST_F(PlugInLaterTest, APadThatAnswersAgainIsCalibratedQuietlyUnlessItIsTheSamePad) {
    ResetKeyMapDefaults(s, ScanCodeOfKey);
    TheFakeJoystick().capsResult = 165; // not there at start-up
    Calibrate(s);
    TheFakeJoystick().capsResult = kJoyNoError;
    // The pad is away for one retry and comes back with X's upper bound, centred; a percentage
    // set meanwhile shows whether it was calibrated again.
    const struct {
        const char* comesBack;
        int32_t percent;
        uint32_t xMax, range, threshold;
    } rows[] = {{"plugged in after a failed start", 50, 65535, 65535, 16384},
                {"the same pad", 10, 65535, 65535, 16384},
                {"another pad on that number", 10, 1000, 1000, 50}};
    for (const auto& row : rows) {
        s.timing.thresholdPercent = row.percent;
        SetFakeJoystickReadResult(167);
        std::atomic<bool> stop{false};
        TheFakeClock().onSleep = [&](uint32_t ms) {
            TheFakeJoystick().caps.axisMax[0] = row.xMax;
            JoystickSample centred = TheFakeJoystick().sample;
            centred.pos[0] = row.xMax / 2;
            SetFakeJoystickSample(centred);
            SetFakeJoystickReadResult(kJoyNoError);
            stop = ms != kInactiveRetryMilliseconds;
        };
        RunPollLoop(s, ShowTrayState, &stop);
        EXPECT_EQ(s.calibration.range[0], row.range) << row.comesBack;
        EXPECT_EQ(s.calibration.threshold[0], row.threshold) << row.comesBack;
        EXPECT_EQ(s.engine.currentInput.load(), 0u) << row.comesBack << ": reads as centred";
    }
    EXPECT_TRUE(TheFakeInput().events.empty()) << "no arrow held down";
    EXPECT_TRUE(TheFakeMessageBox().shown.empty()) << "the poll thread shows nothing";
}
} // namespace
