// The pointer and the wheel: response, accumulation, the inputs they take from chords, what the
// store refuses, the poll thread's wake-ups, and the pointer dialog's decisions.
#include "engine/pointer.h"

#include "engine/calibration.h"
#include "engine/held_keys.h"
#include "engine/poll_wait.h"
#include "store/registry_layout.h"
#include "store/slot_store.h"
#include "tests/unit/fixture.h"
#include "ui/pointer_rules.h"

namespace {

constexpr int32_t F = kFullDeflection;
constexpr auto XY = PointerStick::XY;

PointerSettings Tuned(int deadZone, int curve, int speed, bool invert = false,
                      WheelSource wheel = WheelSource::None) {
    return {XY, uint8_t(invert), uint8_t(curve), uint8_t(deadZone), uint16_t(speed), wheel, 10};
}

using PointerTest = EngineTest;

TEST(Pointer, DeadZoneAndCurve_PositionToVelocity) {
    struct Row {
        int deadZone, curve, speed;
        bool invert;
        int32_t dx, dy;
        int64_t vx, vy; // milli-pixels per second
    } rows[] = {
        {0, 0, 1000, false, F, 0, 1000000, 0},       {0, 0, 1000, false, F / 2, 0, 500000, 0},
        {0, 100, 1000, false, F / 2, 0, 125000, 0}, // cubic: an eighth
        {0, 50, 1000, false, 0, -F / 2, 0, -312500}, {50, 100, 1000, false, -F, 0, -1000000, 0},
        {20, 0, 1000, false, F / 2, 0, 375000, 0}, // from the dead zone's edge
        {20, 0, 1000, false, 2000, -2000, 0, 0},     {20, 0, 1000, false, 0, 3000, 0, 0},
        {0, 0, 1000, false, F, F, 707121, 707121}, // a corner: the rim's speed
        {0, 0, 1000, true, 0, F / 2, 0, -500000},    {90, 0, 2000, false, 14745, 0, 0, 0},
        {90, 0, 2000, false, F, 0, 2000000, 0},      {0, 0, 10, false, F / 4, 0, 2500, 0},
        {0, 0, 5000, false, 0, F, 0, 5000000},
    };
    for (const Row& r : rows) {
        const Velocity v =
            PointerVelocity(Tuned(r.deadZone, r.curve, r.speed, r.invert), r.dx, r.dy);
        EXPECT_EQ(std::pair(v.x, v.y), std::pair(r.vx, r.vy))
            << r.deadZone << " " << r.curve << " " << r.dx << "," << r.dy;
    }
    for (auto [position, center, range, deflection] : {std::array{32767, 32767, 65535, 0},
                                                       {0, 32767, 65535, -F},
                                                       {65535, 32767, 65535, F},
                                                       {49151, 32767, 65535, F / 2},
                                                       {250, 500, 1000, -F / 2},
                                                       {900, 500, 1, 0}})
        EXPECT_EQ(AxisDeflection(position, center, range), deflection) << position;
}

// Updates at first + k * step for k = 0..steps: the pixels and the wheel data they add up to.
TEST_F(PointerTest, Motion_AddsUpToTheExactDistance) {
    constexpr auto Hat = WheelSource::Hat, R = WheelSource::AxisR;
    struct Row {
        PointerSettings p;
        PointerInputs in;
        uint64_t firstUs, stepUs;
        int steps;
        int64_t x, y, wheel;
    } rows[] = {
        {Tuned(0, 0, 333), {F, 0, 0, true}, 0, 8000, 125, 333, 0, 0},      // 2.664 px a step
        {Tuned(0, 0, 10), {-F / 2, 0, 0, true}, 0, 3000, 1000, -15, 0, 0}, // 0.015 px a step
        {Tuned(0, 0, 1000), {0, F, 0, true}, 0, 7000, 1000, 0, 7000, 0},
        {Tuned(0, 0, 1000), {F, 0, 0, true}, 0, 250000, 4, 400, 0, 0}, // gaps count 100 ms
        {Tuned(0, 0, 1000), {F, 0, 0, true}, 100000, 0, 0, kPointerPeriodMs, 0, 0}, // no jump
        // A notch at once as the wheel starts turning, then at its rate: hat up turns it away.
        {Tuned(15, 0, 1000, false, Hat), {0, 0, -F, false}, 0, 8000, 125, 0, 0, 11 * kWheelDelta},
        {Tuned(15, 0, 1000, false, Hat), {0, 0, F, false}, 0, 8000, 125, 0, 0, -11 * kWheelDelta},
        {Tuned(15, 0, 1000, false, R), {0, 0, F / 2, true}, 0, 8000, 125, 0, 0, -5 * kWheelDelta},
        {Tuned(15, 0, 1000, false, R), {0, 0, 1000, true}, 0, 8000, 125, 0, 0, 0},
        {Tuned(15, 0, 1000), {0, 0, F, true}, 0, 8000, 125, 0, 0, 0},
    };
    for (const Row& r : rows) {
        fake.input.events.clear();
        PointerMemory m;
        for (int k = 0; k <= r.steps; ++k) {
            EventBatch b(s.engine);
            MovePointer(m, r.p, r.in, b, r.firstUs + k * r.stepUs);
            SendEvents(b);
        }
        int64_t x = 0, y = 0, wheel = 0;
        for (const InputEvent& e : fake.input.events) {
            x += e.dx;
            y += e.dy;
            wheel += e.flags == kMouseWheel ? int32_t(e.data) : 0;
        }
        EXPECT_EQ(std::tuple(x, y, wheel), std::tuple(r.x, r.y, r.wheel))
            << r.p.speed << r.in.wheel;
    }
}

struct PointerEngineTest : EngineTest {
    JoystickSample sample = fake.joystick.sample;
    PointerEngineTest() { Calibrate(s); }
    void Cycle(uint32_t x, bool buttonAndHat = false) {
        sample.pos[0] = x;
        sample.buttons = buttonAndHat;
        sample.pov = buttonAndHat ? 0 : kJoyPovCentered;
        SetFakeJoystickSample(sample);
        fake.nowMicroseconds += 8000;
        PollCycle(s, sample);
    }
    Events KeyEvents() {
        Events keys;
        for (const std::string& e : TakeEvents())
            if (e.rfind("+m1", 0) != 0 && e.rfind("+m2048", 0) != 0)
                keys.push_back(e);
        return keys;
    }
};

// Everything pushed low (up, left) with the hat up and button 1 held: what the pointer and the
// wheel take fires nothing and is not published; a zone key map on the pointer's axis taps nothing.
TEST_F(PointerEngineTest, InputsTaken_SetNoChordBits) {
    struct Row {
        PointerStick stick;
        WheelSource wheel;
        Events keys;
    } rows[] = {
        {PointerStick::None, WheelSource::None, {"+A", "+B", "+C", "+D", "+E", "+F", "+H"}},
        {XY, WheelSource::None, {"+C", "+D", "+E", "+F", "+H"}},
        {PointerStick::UR, WheelSource::None, {"+A", "+B", "+C", "+F", "+H"}},
        {PointerStick::ZR, WheelSource::Hat, {"+A", "+B", "+E", "+H"}},
        {XY, WheelSource::AxisR, {"+C", "+E", "+F", "+H"}},
    };
    for (const Row& r : rows) {
        // X, Y, Z, R and U low, hat up, hat down, button 1.
        UseEntries({{0x1, 'A'},
                    {0x4, 'B'},
                    {0x10, 'C'},
                    {0x40, 'D'},
                    {0x100, 'E'},
                    {0x1000, 'F'},
                    {0x4000, 'G'},
                    {Button(1), 'H'}});
        s.pointer = PackPointer({r.stick, 0, 50, 15, 1000, r.wheel, 10});
        std::fill(std::begin(sample.pos), std::end(sample.pos), 0u);
        Cycle(0, true);
        EXPECT_EQ(KeyEvents(), r.keys) << int(r.stick) << int(r.wheel);
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
        Cycle(x);
        EXPECT_EQ(KeyEvents(), Events{}) << x;
    }
}

// While a dialog is active or a key is captured the pointer moves and nothing types; a paused
// session and a failed read move nothing.
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
        EXPECT_EQ(events.empty(), away || unreadable) << dialog << capture << away << unreadable;
        for (const std::string& e : events)
            EXPECT_EQ(e, "+m1");
        ResumeAfterSession(s, kAwayLocked);
    }
}

// At rest the thread wakes once per polling interval; deflected at least every kPointerPeriodMs,
// with chords still resolved once per interval: the Return of button 1 repeats as at rest, and
// the pointer has moved for exactly the time up to its last update.
TEST_F(PointerEngineTest, WakeUps_AtRestAndDeflected) {
    for (int32_t interval : {3, 7, 8, 10, 20, 100, 250}) {
        Events presses[2];
        int32_t counters[2];
        for (int deflected = 0; deflected < 2; ++deflected) {
            auto fresh = std::make_unique<ProgramState>();
            ProgramState& t = *fresh;
            ResetKeyMapDefaults(t, ScanCodeOfKey);
            Calibrate(t);
            t.timing.pollingInterval = interval;
            t.pointer = PackPointer(Tuned(15, 50, 1000));
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
                t, [](ProgramState&, bool) {}, &stop);
            fake.onSleep = nullptr;
            for (uint32_t ms : sleeps)
                EXPECT_EQ(ms, deflected ? std::min(ms, kPointerPeriodMs) : interval) << interval;
            int64_t x = 0;
            for (const InputEvent& e : fake.input.events)
                x += e.dx;
            EXPECT_EQ(x, deflected ? int64_t(10 * interval - sleeps.back()) : 0) << interval;
            for (const std::string& e : TakeEvents())
                if (e.rfind("+m", 0) != 0)
                    presses[deflected].push_back(e);
            counters[deflected] = t.engine.chordCounter[4];
        }
        EXPECT_EQ(presses[1], presses[0]) << interval;
        EXPECT_EQ(counters[1], counters[0]) << interval;
    }
    // The steps within one interval are equal, and at most one period long.
    for (auto [interval, elapsed, moving, wait] : {std::array{100, 0, 0, 100},
                                                   {100, 30, 0, 70},
                                                   {100, 0, 1, 7},
                                                   {100, 7, 1, 8},
                                                   {100, 92, 1, 8},
                                                   {100, 95, 1, 5},
                                                   {10, 0, 1, 5},
                                                   {8, 0, 1, 8},
                                                   {3, 0, 1, 3},
                                                   {1000, 0, 1, 8},
                                                   {100, 100, 1, 0}})
        EXPECT_EQ(NextWaitMilliseconds(interval, elapsed, moving, 8), uint32_t(wait))
            << interval << " " << elapsed;
}

// The stored value: eight bytes, every field in range, or the slot has no pointer.
TEST_F(PointerTest, StoredValue_WrongSizeOrRangeMeansNoPointer) {
    using Bytes = std::vector<uint8_t>;
    const Bytes valid = {1, 1, 30, 10, 0x02, 0x01, 1, 12}; // X/Y, inverted, hat wheel
    const std::pair<Bytes, bool> rows[] = {
        {valid, true},
        {{3, 0, 100, 90, 0x88, 0x13, 2, 60}, true},  // the widest values
        {{0, 0, 0, 0, 10, 0, 0, 1}, true},           // the narrowest
        {{3, 0, 100, 90, 0x88, 0x13, 3, 60}, false}, // Z/R with the wheel on R
        {Bytes(valid.begin(), valid.end() - 1), false},
        {{1, 1, 30, 10, 2, 1, 1, 12, 0}, false},
        {{4, 1, 30, 10, 2, 1, 1, 12}, false},
        {{1, 2, 30, 10, 2, 1, 1, 12}, false},
        {{1, 1, 101, 10, 2, 1, 1, 12}, false},
        {{1, 1, 30, 91, 2, 1, 1, 12}, false},
        {{1, 1, 30, 10, 9, 0, 1, 12}, false},
        {{1, 1, 30, 10, 0x89, 0x13, 1, 12}, false},
        {{1, 1, 30, 10, 2, 1, 4, 12}, false},
        {{1, 1, 30, 10, 2, 1, 1, 0}, false},
        {{1, 1, 30, 10, 2, 1, 1, 61}, false},
        {{1, 1, 30, 10, 2, 1, 2, 12}, false},
        {{2, 1, 30, 10, 2, 1, 3, 12}, false},
    };
    for (const auto& [stored, taken] : rows) {
        fake.registry = {};
        s.pointer = PackPointer(Tuned(0, 0, 77)); // what the slot loaded before
        fake.registry.Put(RegistryHive::LocalMachine, kBaseKeyPath, kValuePointer, stored);
        LoadSlot(s);
        uint64_t word = 0;
        for (size_t i = 0; i < stored.size() && i < 8; ++i)
            word |= uint64_t{stored[i]} << (8 * i);
        EXPECT_EQ(s.pointer.load(), taken ? word : kDefaultPointerWord) << stored.size();
    }
    s.pointer = 0x0C0101020A1E0101;
    ASSERT_TRUE(SavePointer(s));
    EXPECT_EQ(fake.registry.Get(RegistryHive::LocalMachine, kBaseKeyPath, kValuePointer), valid);
}

TEST(PointerRules, Choices_TheLastChoiceWins_NumbersClamped) {
    constexpr auto None = PointerStick::None, UR = PointerStick::UR, ZR = PointerStick::ZR;
    constexpr auto NoWheel = WheelSource::None, Hat = WheelSource::Hat, Y = WheelSource::AxisY,
                   R = WheelSource::AxisR;
    struct Row {
        PointerStick stick;
        WheelSource wheel;
        bool chooseStick;
        int32_t index;
        PointerStick stickAfter;
        WheelSource wheelAfter;
    } rows[] = {
        {None, Y, true, 1, XY, NoWheel}, {XY, R, true, 2, UR, NoWheel},
        {XY, R, true, 0, None, R},       {ZR, Hat, false, 3, None, R},
        {ZR, Hat, false, 2, ZR, Y},      {XY, Hat, true, -1, XY, Hat},
        {XY, Hat, false, 4, XY, Hat},
    };
    for (const Row& r : rows) {
        PointerSettings p = Tuned(5, 5, 500, false, r.wheel);
        p.stick = r.stick;
        const PointerSettings after =
            r.chooseStick ? ChooseStick(p, r.index) : ChooseWheel(p, r.index);
        EXPECT_EQ(std::pair(after.stick, after.wheel), std::pair(r.stickAfter, r.wheelAfter))
            << r.index;
        EXPECT_TRUE(ValidPointer(after) && after.speed == 500) << r.index;
    }
    const PointerSettings d = DefaultTuning(Tuned(40, 80, 4000, true, Hat));
    EXPECT_EQ(std::pair(d.stick, d.wheel), std::pair(XY, Hat));
    EXPECT_EQ(PackPointer(ChooseWheel(ChooseStick(d, 0), 0)), kDefaultPointerWord);
    for (auto [readable, number, want] :
         {std::array<int64_t, 3>{1, 0, 10}, {1, 4294967295, 5000}, {1, 1234, 1234}, {0, 1234, 700}})
        EXPECT_EQ(TypedNumber(readable, uint32_t(number), 10, 5000, 700), want) << number;
    EXPECT_EQ(SliderValue(-3, 90), 0);
    EXPECT_EQ(SliderValue(95, 90), 90);
}

TEST(PointerRules, StickView_RimDeadZoneAndDot) {
    struct Row {
        int32_t width, height;
        int deadZone;
        int32_t dx, dy;
        std::array<int32_t, 12> rimZoneDot;
    } rows[] = {
        {100, 80, 25, 0, 0, {12, 2, 89, 79, 41, 31, 60, 50, 47, 37, 54, 44}},
        {100, 80, 0, F, -F, {12, 2, 89, 79, 50, 40, 51, 41, 85, -1, 92, 6}},
        {60, 100, 50, -F / 2, F, {2, 22, 59, 79, 16, 36, 45, 65, 14, 76, 19, 81}},
        {3, 3, 50, 0, 0, {1, 1, 2, 2, 1, 1, 2, 2, -1, -1, 4, 4}},
    };
    for (const Row& r : rows) {
        const StickView v = StickViewGeometry(r.width, r.height, r.deadZone, r.dx, r.dy);
        std::array<int32_t, 12> got;
        int i = 0;
        for (const ViewCircle& c : {v.rim, v.deadZone, v.dot})
            for (int32_t edge : {c.left, c.top, c.right, c.bottom})
                got[i++] = edge;
        EXPECT_EQ(got, r.rimZoneDot) << r.width << "x" << r.height;
    }
}

} // namespace
