// A poll cycle, the loop, the input word and calibration, the pointer and the wheel.
#include "engine/poll_loop.h"

#include <algorithm>
#include <atomic>

#include "app/tray.h"
#include "engine/calibration.h"
#include "engine/held_keys.h"
#include "engine/input_word.h"
#include "engine/pointer.h"
#include "engine/poll_wait.h"
#include "platform/tray.h"
#include "store/registry_layout.h"
#include "store/slot_store.h"
#include "tests/unit/fixture.h"
#include "ui/joystick_warning.h"
#include "ui/pointer_rules.h"

namespace {

constexpr uint32_t U = 167; // the pad unplugged

// Default key map (button 1 Return, button 2 Tab), no repeat.
struct PollLoopTest : EngineTest {
    JoystickSample sample = fake.joystick.sample;
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
    // X at `x`, the others where they are; with button 1 and the hat up when `pressed`.
    void Cycle(uint32_t x, bool pressed) {
        sample.pos[0] = x;
        sample.buttons = pressed;
        sample.pov = pressed ? 0 : kJoyPovCentered;
        SetFakeJoystickSample(sample);
        fake.nowMicroseconds += 8000;
        PollCycle(s, sample);
    }
    std::string Typed() { // the key events, without the motion
        std::string keys;
        for (const std::string& e : TakeEvents())
            keys += e.rfind("+m1", 0) == 0 || e.rfind("+m2048", 0) == 0 ? "" : e;
        return keys;
    }
};
struct PointerEngineTest : PollLoopTest {};

// The word masked by enabledMask fires; rows: a capture, a dialog, failed reads (any result not 0).
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

// Rows: interval, reads until each sleep, shell restarts after sleeps: tray states, sleeps,
// re-adds.
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

// Rows: knows the high-resolution flag, takes any flag, timers fail: timer waits, sleeps, periods.
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

// Rows: a pad back after a failed start, the same pad, another one (X's bound): calibrated anew?
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

constexpr int32_t F = kFullDeflection;
constexpr auto XY = PointerStick::XY, UR = PointerStick::UR, ZR = PointerStick::ZR;
constexpr auto NoStick = PointerStick::None;
constexpr auto NoWheel = WheelSource::None, Hat = WheelSource::Hat, Y = WheelSource::AxisY,
               R = WheelSource::AxisR;

PointerSettings Tuned(int64_t deadZone, int64_t curve, int64_t speed, int64_t invert = 0,
                      WheelSource wheel = NoWheel) {
    return {XY, uint8_t(invert), uint8_t(curve), uint8_t(deadZone), uint16_t(speed), wheel, 10};
}

// Dead zone %, curve %, speed, inverted, dx, dy: milli-pixels/s; position, centre, range:
// deflection.
TEST(Pointer, DeadZoneAndCurve_PositionToVelocity) {
    const std::array<int64_t, 8> rows[] = {
        {0, 0, 1000, 0, F, 0, 1000000, 0},      {0, 0, 1000, 0, F / 2, 0, 500000, 0},
        {0, 100, 1000, 0, F / 2, 0, 125000, 0}, {0, 50, 1000, 0, 0, -F / 2, 0, -312500},
        {50, 100, 1000, 0, -F, 0, -1000000, 0}, {20, 0, 1000, 0, F / 2, 0, 375000, 0},
        {20, 0, 1000, 0, 2000, -2000, 0, 0},    {20, 0, 1000, 0, 0, 3000, 0, 0},
        {0, 0, 1000, 0, F, F, 707121, 707121},  {0, 0, 1000, 1, 0, F / 2, 0, -500000},
        {90, 0, 2000, 0, 14745, 0, 0, 0},       {90, 0, 2000, 0, F, 0, 2000000, 0},
        {0, 0, 10, 0, F / 4, 0, 2500, 0},       {0, 0, 5000, 0, 0, F, 0, 5000000}};
    for (auto [zone, curve, speed, invert, dx, dy, vx, vy] : rows) {
        const Velocity v =
            PointerVelocity(Tuned(zone, curve, speed, invert), int32_t(dx), int32_t(dy));
        EXPECT_EQ(std::pair(v.x, v.y), std::pair(vx, vy)) << zone << " " << curve << " " << dx;
    }
    const std::array<int32_t, 4> axes[] = {{32767, 32767, 65535, 0}, {0, 32767, 65535, -F},
                                           {65535, 32767, 65535, F}, {49151, 32767, 65535, F / 2},
                                           {250, 500, 1000, -F / 2}, {900, 500, 1, 0}};
    for (auto [position, center, range, deflection] : axes)
        EXPECT_EQ(AxisDeflection(position, center, range), deflection) << position;
}

// Updates at first + k * step add up to the exact pixels and notches; the first notch at once.
TEST(Pointer, Motion_AddsUpToTheExactDistance) {
    const std::tuple<PointerSettings, PointerInputs, uint64_t, uint64_t, int, int64_t, int64_t,
                     int64_t>
        rows[] = {
            {Tuned(0, 0, 333), {F, 0, 0, true}, 0, 8000, 125, 333, 0, 0},      // 2.664 px a step
            {Tuned(0, 0, 10), {-F / 2, 0, 0, true}, 0, 3000, 1000, -15, 0, 0}, // 0.015 px a step
            {Tuned(0, 0, 1000), {0, F, 0, true}, 0, 7000, 1000, 0, 7000, 0},
            {Tuned(0, 0, 1000), {F, 0, 0, true}, 0, 250000, 4, 400, 0, 0}, // gaps count 100 ms
            {Tuned(0, 0, 1000), {F, 0, 0, true}, 100000, 0, 0, kPointerPeriodMs, 0, 0}, // no jump
            {Tuned(15, 0, 1000, 0, Hat), {0, 0, -F, false}, 0, 8000, 125, 0, 0, 11 * kWheelDelta},
            {Tuned(15, 0, 1000, 0, Hat), {0, 0, F, false}, 0, 8000, 125, 0, 0, -11 * kWheelDelta},
            {Tuned(15, 0, 1000, 0, R), {0, 0, F / 2, true}, 0, 8000, 125, 0, 0, -5 * kWheelDelta},
            {Tuned(15, 0, 1000, 0, R), {0, 0, 1000, true}, 0, 8000, 125, 0, 0, 0},
            {Tuned(15, 0, 1000), {0, 0, F, true}, 0, 8000, 125, 0, 0, 0}};
    for (auto [p, in, firstUs, stepUs, steps, wantX, wantY, wantWheel] : rows) {
        ResetFakeSystem();
        PointerMemory m;
        EngineMemory memory;
        for (int k = 0; k <= steps; ++k) {
            EventBatch b(memory);
            MovePointer(m, p, in, b, firstUs + k * stepUs);
            SendEvents(b);
        }
        int64_t x = 0, y = 0, wheel = 0;
        for (const InputEvent& e : Fake().input.events) {
            x += e.dx;
            y += e.dy;
            wheel += e.flags == kMouseWheel ? int32_t(e.data) : 0;
        }
        EXPECT_EQ(std::tuple(x, y, wheel), std::tuple(wantX, wantY, wantWheel)) << p.speed;
    }
}

// What the pointer and the wheel take is neither typed, published, nor tapped as a zone.
TEST_F(PointerEngineTest, InputsTaken_SetNoChordBits) {
    const InputWord masks[] = {0x1, 0x4, 0x10, 0x40, 0x100, 0x1000, 0x4000, Button(1)};
    for (int i = 0; i < 8; ++i) // X, Y, Z, R, U low, hat up, hat down, button 1: A to H
        SetEntry(i, masks[i], uint8_t('A' + i));
    s.keyMap.keyCount = 8;
    const std::tuple<PointerStick, WheelSource, std::string> rows[] = {
        {NoStick, NoWheel, "+A+B+C+D+E+F+H"},
        {XY, NoWheel, "+C+D+E+F+H"},
        {UR, NoWheel, "+A+B+C+F+H"},
        {ZR, Hat, "+A+B+E+H"},
        {XY, R, "+C+E+F+H"}};
    for (auto [stick, wheel, typed] : rows) {
        s.pointer = PackPointer({stick, 0, 50, 15, 1000, wheel, 10});
        std::fill(std::begin(sample.pos), std::end(sample.pos), 0u);
        Cycle(0, true);
        EXPECT_EQ(Typed(), typed) << int(stick) << int(wheel);
        EXPECT_EQ(s.engine.currentInput.load() & PointerInputBits(UnpackPointer(s.pointer)), 0u);
        ReleaseHeldAtExit(s);
        s.engine.eventGate = 0;
        TakeEvents();
    }
    UseEntries({{0x3, 'A'}, {0x1, 'B'}, {0x2, 'C'}});
    RecomputeZoneMode(s);
    s.pointer = PackPointer(Tuned(15, 50, 1000));
    sample = fake.joystick.sample;
    for (uint32_t x : {0u, 65535u, 0u, 32767u}) {
        Cycle(x, false);
        EXPECT_EQ(Typed(), "") << x;
    }
}

// A dialog or a capture: the pointer moves, nothing types; away or unreadable: nothing moves.
TEST_F(PointerEngineTest, PausesMoveThePointerOrNothing) {
    s.pointer = PackPointer(Tuned(15, 50, 1000));
    for (auto [dialog, capture, away, unreadable] :
         {std::array{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}) {
        s.dialogActive = dialog;
        s.captureActive = capture;
        if (away)
            PauseForSession(s, kAwayLocked);
        SetFakeJoystickReadResult(unreadable ? 167 : kJoyNoError);
        for (int k = 0; k < 3; ++k)
            Cycle(65535, true);
        const Events events = TakeEvents();
        EXPECT_EQ(events, Events(away || unreadable ? 0 : 3, "+m1")) << dialog << capture << away;
        ResumeAfterSession(s, kAwayLocked);
    }
}

// Deflected, the thread wakes every kPointerPeriodMs at most, chords still once per interval.
TEST_F(PointerEngineTest, WakeUps_AtRestAndDeflected) {
    for (int32_t interval : {3, 7, 8, 10, 20, 100, 250}) {
        std::string typed[2];
        int32_t counters[2];
        for (int deflected = 0; deflected < 2; ++deflected) {
            auto fresh = std::make_unique<ProgramState>();
            ResetKeyMapDefaults(*fresh, ScanCodeOfKey);
            Calibrate(*fresh);
            fresh->timing.pollingInterval = interval;
            fresh->pointer = PackPointer(Tuned(15, 50, 1000));
            ResetFakeSystem();
            sample.pos[0] = deflected ? 65535 : 32767;
            sample.buttons = 1;
            SetFakeJoystickSample(sample);
            std::vector<uint32_t> sleeps;
            std::atomic<bool> stop{false};
            fake.onSleep = [&](uint32_t ms) {
                sleeps.push_back(ms);
                stop = fake.nowMicroseconds >= uint64_t(10000 * interval);
            };
            RunPollLoop(
                *fresh, [](ProgramState&, bool) {}, &stop);
            for (uint32_t ms : sleeps)
                EXPECT_EQ(ms, deflected ? std::min(ms, kPointerPeriodMs) : interval) << interval;
            int64_t x = 0;
            for (const InputEvent& e : fake.input.events)
                x += e.dx;
            EXPECT_EQ(x, deflected ? int64_t(10 * interval - sleeps.back()) : 0) << interval;
            typed[deflected] = Typed();
            counters[deflected] = fresh->engine.chordCounter[4];
        }
        EXPECT_EQ(typed[1], typed[0]) << interval;
        EXPECT_EQ(counters[1], counters[0]) << interval;
    }
    const std::array<int32_t, 3> waits[] = {{100, 0, 7},   {100, 7, 8}, {100, 95, 5},
                                            {100, 100, 0}, {10, 0, 5},  {8, 0, 8}};
    for (auto [interval, elapsed, wait] : waits)
        EXPECT_EQ(NextWaitMilliseconds(interval, elapsed, true, 8), uint32_t(wait)) << elapsed;
}

// Eight bytes, every field in range, the wheel off the stick's axes, or the slot has no pointer.
TEST_F(FakeSystemTest, StoredPointer_WrongSizeOrRangeMeansNoPointer) {
    constexpr auto kValid = 0x0C01'0102'0A1E'0101ull; // X/Y, inverted, hat wheel
    const auto load = [&](uint64_t word, size_t size) {
        s.pointer = PackPointer(Tuned(0, 0, 77)); // what the slot loaded before
        std::vector<uint8_t> stored(size);
        for (size_t i = 0; i < size && i < 8; ++i)
            stored[i] = uint8_t(word >> (8 * i));
        fake.registry.Put(RegistryHive::LocalMachine, kBaseKeyPath, kValuePointer, stored);
        LoadSlot(s);
        return s.pointer.load();
    };
    for (uint64_t word : {kValid, 0x3C02'1388'5A64'0003ull, 0x0100'000A'0000'0000ull})
        EXPECT_EQ(load(word, 8), word) << std::hex << word;
    for (uint64_t word :
         {0x0C01'0102'0A1E'0104ull, 0x0C01'0102'0A1E'0201ull, 0x0C01'0102'0A65'0101ull,
          0x0C01'0102'5B1E'0101ull, 0x0C01'0009'0A1E'0101ull, 0x0C01'1389'0A1E'0101ull,
          0x0C04'0102'0A1E'0101ull, 0x0001'0102'0A1E'0101ull, 0x3D01'0102'0A1E'0101ull,
          0x0C02'0102'0A1E'0101ull, 0x0C03'0102'0A1E'0102ull, 0x3C03'1388'5A64'0003ull})
        EXPECT_EQ(load(word, 8), kDefaultPointerWord) << std::hex << word;
    EXPECT_EQ(load(kValid, 7), kDefaultPointerWord);
    EXPECT_EQ(load(kValid, 9), kDefaultPointerWord);
    s.pointer = kValid;
    ASSERT_TRUE(SavePointer(s));
    EXPECT_EQ(fake.registry.Get(RegistryHive::LocalMachine, kBaseKeyPath, kValuePointer),
              (std::vector<uint8_t>{1, 1, 30, 10, 2, 1, 1, 12}));
}

// A list's choice wins over the other list's clashing one; a typed number is clamped, text kept.
TEST(PointerRules, Choices_TheLastChoiceWins_NumbersClamped) {
    const std::tuple<PointerStick, WheelSource, bool, int32_t, PointerStick, WheelSource> rows[] = {
        {NoStick, Y, true, 1, XY, NoWheel}, {XY, R, true, 2, UR, NoWheel},
        {XY, R, true, 0, NoStick, R},       {ZR, Hat, false, 3, NoStick, R},
        {ZR, Hat, false, 2, ZR, Y},         {XY, Hat, true, -1, XY, Hat},
        {XY, Hat, false, 4, XY, Hat}};
    for (auto [stick, wheel, chooseStick, index, stickAfter, wheelAfter] : rows) {
        PointerSettings p = Tuned(5, 5, 500, 0, wheel);
        p.stick = stick;
        const PointerSettings after = chooseStick ? ChooseStick(p, index) : ChooseWheel(p, index);
        EXPECT_EQ(std::pair(after.stick, after.wheel), std::pair(stickAfter, wheelAfter)) << index;
        EXPECT_TRUE(ValidPointer(after) && after.speed == 500) << index;
    }
    const PointerSettings d = DefaultTuning(Tuned(40, 80, 4000, 1, Hat));
    EXPECT_EQ(std::pair(d.stick, d.wheel), std::pair(XY, Hat));
    EXPECT_EQ(PackPointer(ChooseWheel(ChooseStick(d, 0), 0)), kDefaultPointerWord);
    const std::array<int64_t, 3> numbers[] = {
        {1, 0, 10}, {1, 4294967295, 5000}, {1, 1234, 1234}, {0, 1234, 700}};
    for (auto [readable, number, want] : numbers)
        EXPECT_EQ(TypedNumber(readable, uint32_t(number), 10, 5000, 700), want) << number;
    EXPECT_EQ(SliderValue(-3, 90), 0);
    EXPECT_EQ(SliderValue(95, 90), 90);
}

constexpr InputWord kUp = 1 << 12, kRight = 1 << 13, kDown = 1 << 14, kLeft = 1 << 15;

// Every axis 0..1000: center 500, threshold 250 at 50 %.
struct InputWordTest : FakeSystemTest {
    JoystickSample sample{{500, 500, 500, 500, 500, 500}, 0, kJoyPovCentered};
    InputWordTest() {
        for (uint32_t& max : fake.joystick.caps.axisMax)
            max = 1000;
        Calibrate(s);
    }
    InputWord Word() const { return BuildInputWord(sample, s.calibration); }
    std::vector<uint32_t> Axis(int k) const {
        const Calibration& c = s.calibration;
        return {c.center[k].load(), c.range[k].load(), c.threshold[k].load()};
    }
};

TEST_F(InputWordTest, Axes_StrictlyBeyondThresholdSetLowOrHigh_OnlyTheAxesTheJoystickHas) {
    for (int k = 0; k < kAxisCount; ++k) {
        const std::pair<uint32_t, int> cases[] = {
            {750, -1}, {751, 1}, {250, -1}, {249, 0}, {~0u, 0}};
        for (const auto& [position, bit] : cases) {
            sample.pos[k] = position;
            EXPECT_EQ(Word(), bit < 0 ? 0 : InputWord{1} << (2 * k + bit)) << k << " " << position;
        }
        sample.pos[k] = 500;
    }
    for (uint32_t& position : sample.pos)
        position = 1000;
    for (const auto& [axes, bits] : {std::pair<uint32_t, InputWord>{0, 0}, {3, 0b101010}}) {
        fake.joystick.caps.numAxes = axes;
        Calibrate(s);
        EXPECT_EQ(Word(), bits) << axes;
    }
}

TEST_F(InputWordTest, Hat_SectorsWithTheirBoundaries_OnlyWithHasPov) {
    const uint32_t first[] = {0, 3001, 7500, 12001, 16500, 21001, 25500, 30001, 34500, 36001, ~0u};
    const uint32_t last[] = {3000,  7499,  12000, 16499, 21000, 25499,
                             30000, 34499, 36000, 65535, ~0u};
    const InputWord bits[] = {
        kUp, kUp | kRight, kRight, kRight | kDown, kDown, kDown | kLeft, kLeft, kLeft | kUp, kUp, 0,
        0};
    for (int i = 0; i < 11; ++i)
        for (uint32_t pov : {first[i], last[i]}) {
            sample.pov = pov;
            EXPECT_EQ(Word(), bits[i]) << "pov " << pov;
        }
    fake.joystick.caps.caps = 0;
    Calibrate(s);
    sample.pov = 0;
    EXPECT_EQ(Word(), 0u) << "no hat";
    sample.buttons = 0x80000001u;
    EXPECT_EQ(Word(), Button(1) | Button(32)) << "buttons 1 and 32 are bits 16 and 47";
}

// Buttons round up to even, at most 32; bounds in unsigned arithmetic (odd sums, wrapping sums).
TEST_F(InputWordTest, Calibration_ButtonColumnsAndAxesInUnsignedArithmetic) {
    const std::pair<uint32_t, int32_t> buttons[] = {{0, 0},   {1, 2},   {12, 12},  {13, 14},
                                                    {32, 32}, {40, 32}, {255, 32}, {~0u, 32}};
    for (const auto& [reported, columns] : buttons) {
        fake.joystick.caps.numButtons = reported;
        Calibrate(s);
        EXPECT_EQ(s.calibration.numButtons, columns) << reported;
    }
    JoystickCaps& caps = fake.joystick.caps;
    caps.axisMax[1] = 1001;
    caps.axisMin[2] = 100, caps.axisMax[2] = 300;
    caps.axisMin[3] = 0xFFFFFF00u, caps.axisMax[3] = 0xFFFFFFFFu;
    caps.numAxes = 9;
    Calibrate(s);
    EXPECT_EQ(Axis(0), (std::vector<uint32_t>{500, 1000, 250}));
    EXPECT_EQ(Axis(1), (std::vector<uint32_t>{500, 1001, 250}));
    EXPECT_EQ(Axis(2), (std::vector<uint32_t>{200, 200, 50}));
    EXPECT_EQ(Axis(3)[0], 0x7FFFFF7Fu);
    EXPECT_EQ(s.calibration.numAxes, 6u);
}

TEST_F(InputWordTest, FailedQuery_IsWarnedEveryCallAndKeepsTheLastGoodValues) {
    s.joystickId = 2;
    fake.joystick.caps.numAxes = 2;
    EXPECT_TRUE(CalibrateOrWarn(s, nullptr));
    EXPECT_EQ(fake.joystick.lastCapsId, 2u);
    fake.joystick.capsResult = 165;
    fake.joystick.caps.axisMax[0] = 4000;
    s.timing.thresholdPercent = 10;
    EXPECT_FALSE(Calibrate(s));
    const WindowHandle owner = &fake;
    EXPECT_FALSE(CalibrateOrWarn(s, owner));
    CalibrateOrWarn(s, owner);
    ASSERT_EQ(fake.messages.size(), 2u) << "only the warning says so, every time";
    const ShownMessage& m = fake.messages[0];
    EXPECT_EQ(std::tie(m.text, m.buttons, m.owner),
              std::tuple("Selected joystick not installed", kMbOk | kMbSetForeground, owner));
    EXPECT_EQ(s.calibration.numButtons, 0);
    EXPECT_EQ(Axis(0), (std::vector<uint32_t>{500, 1000, 250}));
    EXPECT_EQ(s.calibration.numAxes, 2u);
}

} // namespace
