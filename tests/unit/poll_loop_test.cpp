#include "engine/poll_loop.h"

#include <algorithm>
#include <atomic>

#include "app/tray.h"
#include "engine/calibration.h"
#include "engine/poll_wait.h"
#include "platform/tray.h"
#include "tests/unit/fixture.h"

namespace {

constexpr uint32_t kUnplugged = 167;

// Default key map (button 1 Return, button 2 Tab), no repeat.
struct PollLoopTest : EngineTest {
    JoystickSample sample{};
    std::atomic<bool> stop{false};

    PollLoopTest() {
        s.typematicOn = 0;
        Calibrate(s);
    }
    void HoldButtons(uint32_t buttons) {
        JoystickSample j = fake.joystick.sample;
        j.buttons = buttons;
        SetFakeJoystickSample(j);
    }
    InputWord Published() const { return s.engine.currentInput.load(); }
};

TEST_F(PollLoopTest, Cycle_PublishesTheWordMaskedByEnabledMaskAndFires) {
    s.joystickId = 5;
    s.enabledMask = ~Button(1);
    HoldButtons(0b11);
    EXPECT_TRUE(PollCycle(s, sample));
    EXPECT_EQ(Published(), Button(2));
    EXPECT_EQ(TakeEvents(), (Events{"+9:f"}));
    EXPECT_EQ(fake.joystick.lastReadId, 5u);
}

// JOYERR_PARMS, JOYERR_NOCANDO, JOYERR_UNPLUGGED, MMSYSERR_NODRIVER, MMSYSERR_ERROR, and whatever
// else a driver answers, are failed reads: the sample as the read left it.
TEST_F(PollLoopTest, CaptureOrDialogActiveOrUnreadable_InjectsNothingButPublishes) {
    HoldButtons(0b1);
    PollCycle(s, sample);
    TakeEvents();
    const struct {
        bool capture, dialog;
        uint32_t read;
    } rows[] = {{true, false, 0},  {false, true, 0}, {false, false, 165}, {false, false, 166},
                {false, false, kUnplugged}, {false, false, 6}, {false, false, 0xFFFFFFFF}};
    for (const auto& row : rows) {
        s.captureActive = row.capture;
        s.dialogActive = row.dialog;
        SetFakeJoystickReadResult(row.read);
        HoldButtons(row.read != 0 ? 0b100 : 0b10); // an unreadable joystick's change is not seen
        s.engine.currentInput = 0;
        EXPECT_EQ(PollCycle(s, sample), row.read == 0) << row.read;
        PollCycle(s, sample);
        EXPECT_EQ(TakeEvents(), Events{}) << row.capture << row.dialog << row.read;
        EXPECT_NE(Counter(4), 0) << "button 1 still holds Return";
        EXPECT_EQ(Published(), Button(2)) << row.capture << row.dialog << row.read;
    }
    s.dialogActive = false;
    SetFakeJoystickReadResult(kJoyNoError);
    HoldButtons(0);
    PollCycle(s, sample);
    EXPECT_EQ(TakeEvents(), (Events{"-13:1c"})) << "released once events flow again";
}

// The shell's notification area made anew takes the icon: it comes back with the state it
// showed, and the poll thread repeats its state once, in case a change crossed the add.
TEST_F(PollLoopTest, Loop_TrayStateAndSleepsFollowTheReadsAndTheShell) {
    const struct {
        const char* what;
        int32_t poll;
        std::vector<uint32_t> reads; // read result until the first sleep, the second, ...
        std::vector<size_t> shellRestarts; // after these sleeps
        std::vector<bool> states;
        std::vector<uint32_t> sleeps;
        std::vector<std::string> tips; // of the icon added again
    } rows[] = {
        {"readable from the start", 100, {0, 0, 0}, {}, {true}, {100, 100, 100}, {}},
        {"inactive every five seconds until readable, a failed cycle still sleeps",
         100,
         {kUnplugged, kUnplugged, 0, 0, kUnplugged, kUnplugged},
         {},
         {false, false, true, false},
         {5000, 5000, 100, 100, 100, 5000},
         {}},
        {"a polling interval below one sleeps one millisecond", -20, {0, 0}, {}, {true}, {1, 1}, {}},
        {"the shell restarts while inactive and while active",
         100,
         {kUnplugged, 0, 0, 0},
         {1, 3},
         {false, true, true},
         {5000, 100, 100, 100},
         {kInactiveTip, kActiveTip}},
    };
    for (const auto& row : rows) {
        ResetFakeSystem();
        s.tray.active = true;
        s.timing.pollingInterval = row.poll;
        std::vector<uint32_t> sleeps;
        std::vector<std::string> tips;
        SetFakeJoystickReadResult(row.reads[0]);
        fake.onSleep = [&](uint32_t ms) {
            sleeps.push_back(ms);
            const size_t n = sleeps.size();
            if (std::count(row.shellRestarts.begin(), row.shellRestarts.end(), n) != 0) {
                TrayRemove();
                RestoreTrayIcon(s);
                tips.push_back(fake.trayTip);
            }
            stop = n == row.reads.size();
            if (!stop)
                SetFakeJoystickReadResult(row.reads[n]);
        };
        stop = false;
        RunPollLoop(s, ShowTrayState, &stop);
        EXPECT_EQ(fake.trayStates, row.states) << row.what;
        EXPECT_EQ(fake.trayTip, row.states.back() ? kActiveTip : kInactiveTip) << row.what;
        EXPECT_EQ(sleeps, row.sleeps) << row.what;
        EXPECT_EQ(tips, row.tips) << row.what;
        EXPECT_EQ(s.timing.pollingInterval, row.poll) << "the stored value stays";
    }
}

// Timers as the systems offer them: the high-resolution timer, an older Windows that refuses
// it, a system that takes any flag (an ordinary timer: sleeping finely is better), a timer that
// cannot be set (that wait and all later ones sleep, never spin).
TEST(PollWait, TheFinestWaitTheSystemOffersIsChosenOnce) {
    const struct {
        bool knowsHighResolution, takesAnyFlag, waitsFail;
        std::vector<uint32_t> timerWaits, sleeps;
        int periods;
    } rows[] = {{true, false, false, {3, 10, 5000}, {}, 0},
                {false, false, false, {}, {3, 10, 5000}, 1},
                {true, true, false, {}, {3, 10, 5000}, 1},
                {true, false, true, {3}, {3, 10, 5000}, 1}};
    for (const auto& row : rows) {
        ResetFakeSystem();
        FakeTimers& timers = Fake().timers;
        timers.knowsHighResolution = row.knowsHighResolution;
        timers.takesAnyFlag = row.takesAnyFlag;
        timers.waitsFail = row.waitsFail;
        std::vector<uint32_t> sleeps;
        Fake().onSleep = [&](uint32_t ms) { sleeps.push_back(ms); };
        PollWait wait;
        for (uint32_t ms : {3, 10, 5000})
            WaitMilliseconds(wait, ms);
        EXPECT_EQ(timers.waits, row.timerWaits);
        EXPECT_EQ(sleeps, row.sleeps);
        EXPECT_EQ(timers.periodsBegun, row.periods);
        EXPECT_EQ(timers.open, row.timerWaits.size() == 3 ? 1 : 0) << "probes are closed";
    }
}

TEST_F(PollLoopTest, APadThatAnswersAgainIsCalibratedQuietlyUnlessItIsTheSamePad) {
    fake.joystick.capsResult = 165; // not there at start-up
    Calibrate(s);
    fake.joystick.capsResult = kJoyNoError;
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
        SetFakeJoystickReadResult(kUnplugged);
        fake.onSleep = [&](uint32_t ms) {
            fake.joystick.caps.axisMax[0] = row.xMax;
            JoystickSample centred = fake.joystick.sample;
            centred.pos[0] = row.xMax / 2;
            SetFakeJoystickSample(centred);
            SetFakeJoystickReadResult(kJoyNoError);
            stop = ms != kInactiveRetryMilliseconds;
        };
        stop = false;
        RunPollLoop(s, ShowTrayState, &stop);
        EXPECT_EQ(s.calibration.range[0], row.range) << row.comesBack;
        EXPECT_EQ(s.calibration.threshold[0], row.threshold) << row.comesBack;
        EXPECT_EQ(Published(), 0u) << row.comesBack << ": reads as centred";
    }
    EXPECT_TRUE(fake.input.events.empty()) << "no arrow held down";
    EXPECT_TRUE(fake.messages.empty()) << "the poll thread shows nothing";
}

} // namespace
