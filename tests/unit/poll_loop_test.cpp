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

// Rows: polling interval, the read result until each sleep, the sleeps after which the shell makes
// the tray icon anew; the icon's states ('1' active), the sleeps, the states of the icon added
// again (as it showed, the poll thread repeating its state once). Inactive retries every 5 s.
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
        EXPECT_EQ(std::tie(states, sleeps, readded), std::tie(row.states, row.sleeps, row.readded));
        EXPECT_EQ(fake.trayTip, row.states.back() == '1' ? kActiveTip : kInactiveTip);
        EXPECT_EQ(s.timing.pollingInterval, row.poll) << "the stored value stays";
    }
}

// Rows: the system knows the high-resolution timer, takes any flag (an ordinary timer: sleeping
// finely is better), its timers fail (that wait and later ones sleep, never spin); then the waits
// on a timer, the sleeps, and the fine periods begun. A probe timer is closed.
TEST(PollWait, TheFinestWaitTheSystemOffersIsChosenOnce) {
    const std::vector<uint32_t> all = {3, 10, 5000};
    const std::tuple<bool, bool, bool, std::vector<uint32_t>, std::vector<uint32_t>, int> rows[] = {
        {1, 0, 0, all, {}, 0},
        {0, 0, 0, {}, all, 1},
        {1, 1, 0, {}, all, 1},
        {1, 0, 1, {3}, all, 1}};
    for (const auto& [knows, anyFlag, fail, timerWaits, sleeps, periods] : rows) {
        ResetFakeSystem();
        FakeTimers& timers = Fake().timers;
        std::tie(timers.knowsHighResolution, timers.takesAnyFlag, timers.waitsFail) =
            std::tuple(knows, anyFlag, fail);
        std::vector<uint32_t> slept;
        Fake().onSleep = [&](uint32_t ms) { slept.push_back(ms); };
        PollWait wait;
        for (uint32_t ms : all)
            WaitMilliseconds(wait, ms);
        EXPECT_EQ(std::tie(timers.waits, slept, timers.periodsBegun),
                  std::tie(timerWaits, sleeps, periods));
        EXPECT_EQ(timers.open, timerWaits.size() == 3 ? 1 : 0);
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
        EXPECT_EQ(std::pair(s.calibration.range[0].load(), s.calibration.threshold[0].load()),
                  std::pair(range, threshold));
        EXPECT_EQ(Published(), 0u) << xMax << ": reads as centred";
    }
    EXPECT_TRUE(fake.input.events.empty()) << "no arrow held down";
    EXPECT_TRUE(fake.messages.empty()) << "the poll thread shows nothing";
}

} // namespace
