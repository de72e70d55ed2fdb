#include "engine/poll_loop.h"

#include <algorithm>
#include <atomic>

#include "app/tray.h"
#include "engine/calibration.h"
#include "engine/poll_wait.h"
#include "platform/tray.h"
#include "tests/unit/fixture.h"

namespace {

constexpr uint32_t U = 167; // the pad unplugged

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

// A cycle publishes the word masked by enabledMask and fires. Rows: a capture, an active dialog,
// then read results a driver may answer (every one that is not 0 is a failed read, the sample as
// the read left it): nothing is injected, the word is still published, Return stays held.
TEST_F(PollLoopTest, CaptureOrDialogActiveOrUnreadable_InjectsNothingButPublishes) {
    s.joystickId = 5;
    s.enabledMask = ~Button(4);
    HoldButtons(0b1001);
    EXPECT_TRUE(PollCycle(s, sample));
    EXPECT_EQ(Published(), Button(1));
    EXPECT_EQ(TakeEvents(), (Events{"+13:1c"}));
    EXPECT_EQ(fake.joystick.lastReadId, 5u);
    const std::array<uint32_t, 3> rows[] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 165},       {0, 0, 166},
                                            {0, 0, U}, {0, 0, 6}, {0, 0, 0xFFFFFFFF}};
    for (const auto& [capture, dialog, read] : rows) {
        s.captureActive = capture;
        s.dialogActive = dialog;
        SetFakeJoystickReadResult(read);
        HoldButtons(read != 0 ? 0b100 : 0b1010); // an unreadable joystick's change is not seen
        s.engine.currentInput = 0;
        EXPECT_EQ(PollCycle(s, sample), read == 0) << read;
        PollCycle(s, sample);
        EXPECT_EQ(TakeEvents(), Events{}) << capture << dialog << read;
        EXPECT_NE(Counter(4), 0) << read;
        EXPECT_EQ(Published(), Button(2)) << capture << dialog << read;
    }
    s.dialogActive = false;
    SetFakeJoystickReadResult(kJoyNoError);
    HoldButtons(0);
    PollCycle(s, sample);
    EXPECT_EQ(TakeEvents(), (Events{"-13:1c"})) << "released once events flow again";
}

// Rows: polling interval, the read result until the first sleep, the second, ...; the sleeps
// after which the shell's notification area is made anew; then the icon's states ('1' active),
// the sleeps, and the states of the icon added again. Inactive, the loop retries every five
// seconds; a failed cycle still sleeps; an interval below one sleeps one millisecond; an icon
// added again shows the state it showed, and the poll thread repeats its state once.
TEST_F(PollLoopTest, Loop_TrayStateAndSleepsFollowTheReadsAndTheShell) {
    const struct {
        int32_t poll;
        std::vector<uint32_t> reads;
        std::vector<size_t> shellRestarts;
        std::string states;
        std::vector<uint32_t> sleeps;
        std::string readded;
    } rows[] = {{100, {0, 0, 0}, {}, "1", {100, 100, 100}, ""},
                {100, {U, U, 0, 0, U, U}, {}, "0010", {5000, 5000, 100, 100, 100, 5000}, ""},
                {-20, {0, 0}, {}, "1", {1, 1}, ""},
                {100, {U, 0, 0, 0}, {1, 3}, "011", {5000, 100, 100, 100}, "01"}};
    for (const auto& row : rows) {
        ResetFakeSystem();
        s.tray.active = true;
        s.timing.pollingInterval = row.poll;
        std::vector<uint32_t> sleeps;
        std::string readded, states;
        SetFakeJoystickReadResult(row.reads[0]);
        fake.onSleep = [&](uint32_t ms) {
            sleeps.push_back(ms);
            const size_t n = sleeps.size();
            if (std::count(row.shellRestarts.begin(), row.shellRestarts.end(), n) != 0) {
                TrayRemove();
                RestoreTrayIcon(s);
                readded += fake.trayTip == kActiveTip ? '1' : '0';
            }
            stop = n == row.reads.size();
            if (!stop)
                SetFakeJoystickReadResult(row.reads[n]);
        };
        stop = false;
        RunPollLoop(s, ShowTrayState, &stop);
        for (bool active : fake.trayStates)
            states += active ? '1' : '0';
        EXPECT_EQ(states, row.states) << row.poll;
        EXPECT_EQ(fake.trayTip, row.states.back() == '1' ? kActiveTip : kInactiveTip);
        EXPECT_EQ(sleeps, row.sleeps) << row.states;
        EXPECT_EQ(readded, row.readded) << row.states;
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

// The pad is away for one retry and comes back with X's upper bound, centred; a percentage set
// meanwhile shows whether it was calibrated again. Rows: plugged in after a failed start, the same
// pad again, another pad on that number.
TEST_F(PollLoopTest, APadThatAnswersAgainIsCalibratedQuietlyUnlessItIsTheSamePad) {
    fake.joystick.capsResult = 165; // not there at start-up
    Calibrate(s);
    fake.joystick.capsResult = kJoyNoError;
    const std::array<uint32_t, 4> rows[] = {
        {50, 65535, 65535, 16384}, {10, 65535, 65535, 16384}, {10, 1000, 1000, 50}};
    for (const auto& [percent, xMax, range, threshold] : rows) {
        s.timing.thresholdPercent = int32_t(percent);
        SetFakeJoystickReadResult(U);
        fake.onSleep = [&](uint32_t ms) {
            fake.joystick.caps.axisMax[0] = xMax;
            JoystickSample centred = fake.joystick.sample;
            centred.pos[0] = xMax / 2;
            SetFakeJoystickSample(centred);
            SetFakeJoystickReadResult(kJoyNoError);
            stop = ms != kInactiveRetryMilliseconds;
        };
        stop = false;
        RunPollLoop(s, ShowTrayState, &stop);
        EXPECT_EQ(s.calibration.range[0], range) << xMax;
        EXPECT_EQ(s.calibration.threshold[0], threshold) << xMax;
        EXPECT_EQ(Published(), 0u) << xMax << ": reads as centred";
    }
    EXPECT_TRUE(fake.input.events.empty()) << "no arrow held down";
    EXPECT_TRUE(fake.messages.empty()) << "the poll thread shows nothing";
}

} // namespace
