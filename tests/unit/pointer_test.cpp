// The pointer and the wheel: response, accumulation, the inputs they take from chords, what the
// store refuses, the poll thread's wake-ups, and the pointer dialog's decisions.
#include "engine/pointer.h"

#include "engine/calibration.h"
#include "engine/poll_wait.h"
#include "store/registry_layout.h"
#include "store/slot_store.h"
#include "tests/fakes/fake_registry.h"
#include "tests/unit/engine_fixture.h"
#include "ui/pointer_rules.h"

namespace {

constexpr int32_t F = kFullDeflection;

PointerSettings Tuned(int deadZone, int curve, int speed, bool invert = false) {
    PointerSettings p;
    p.stick = PointerStick::XY;
    p.deadZonePercent = static_cast<uint8_t>(deadZone);
    p.curvePercent = static_cast<uint8_t>(curve);
    p.speed = static_cast<uint16_t>(speed);
    p.invertVertical = invert ? 1 : 0;
    return p;
}

TEST(Pointer, DeadZoneAndCurve_PositionToVelocity) {
    struct Row {
        int deadZone, curve, speed;
        bool invert;
        int32_t dx, dy;
        int64_t vx, vy; // milli-pixels per second
    } rows[] = {
        {0, 0, 1000, false, F, 0, 1000000, 0},       // full right: the speed set
        {0, 0, 1000, false, F / 2, 0, 500000, 0},    // linear: half
        {0, 100, 1000, false, F / 2, 0, 125000, 0},  // cubic: an eighth
        {0, 50, 1000, false, 0, -F / 2, 0, -312500}, // half linear, half cubic; up
        {50, 100, 1000, false, -F, 0, -1000000, 0},  // full is full, whatever the curve
        {20, 0, 1000, false, F / 2, 0, 375000, 0},   // from the dead zone's edge
        {20, 0, 1000, false, 2000, -2000, 0, 0},     // inside it, radially
        {20, 0, 1000, false, 0, 3000, 0, 0},         // inside it
        {0, 0, 1000, false, F, F, 707121, 707121},   // a corner: the rim's speed
        {0, 0, 1000, true, 0, F / 2, 0, -500000},    // inverted
        {90, 0, 2000, false, 14745, 0, 0, 0},        // the widest dead zone
        {90, 0, 2000, false, F, 0, 2000000, 0},
        {0, 0, 10, false, F / 4, 0, 2500, 0},  // the slowest speed
        {0, 0, 5000, false, 0, F, 0, 5000000}, // the fastest
    };
    for (const Row& r : rows) {
        const Velocity v =
            PointerVelocity(Tuned(r.deadZone, r.curve, r.speed, r.invert), r.dx, r.dy);
        EXPECT_EQ(v.x, r.vx) << r.deadZone << " " << r.curve << " " << r.dx << "," << r.dy;
        EXPECT_EQ(v.y, r.vy) << r.deadZone << " " << r.curve << " " << r.dx << "," << r.dy;
    }
}

TEST(Pointer, AxisDeflection_FromCenterToEitherEnd) {
    struct Row {
        uint32_t position, center, range;
        int32_t deflection;
    } rows[] = {
        {32767, 32767, 65535, 0}, {0, 32767, 65535, -F},
        {65535, 32767, 65535, F}, {49151, 32767, 65535, F / 2},
        {500, 500, 1000, 0},      {250, 500, 1000, -F / 2},
        {900, 500, 0, 0},         {900, 500, 1, 0}, // no travel: centred
    };
    for (const Row& r : rows)
        EXPECT_EQ(AxisDeflection(r.position, r.center, r.range), r.deflection) << r.position;
}

// Many small updates, each worth a fraction of a pixel or a notch, add up to the exact distance.
TEST(Pointer, SubPixelRemainders_AddUpToTheExactDistance) {
    struct Row {
        PointerSettings p;
        PointerInputs in;
        uint64_t stepUs;
        int steps;
        int64_t x, y, wheel; // pixels, wheel data
    } rows[] = {
        {Tuned(0, 0, 333), {F, 0, 0, true}, 8000, 125, 333, 0, 0},      // 2.664 px a step
        {Tuned(0, 0, 10), {-F / 2, 0, 0, true}, 3000, 1000, -15, 0, 0}, // 0.015 px a step
        {Tuned(0, 0, 1000), {0, F, 0, true}, 7000, 1000, 0, 7000, 0},   // 7 s down
        {Tuned(0, 0, 1000), {F, 0, 0, true}, 250000, 4, 400, 0, 0},     // gaps count 100 ms
    };
    for (const Row& r : rows) {
        ResetFakeInput();
        PointerMemory m;
        m.lastUpdate = 1000000;
        EngineMemory memory;
        for (int k = 0; k <= r.steps; ++k) {
            EventBatch b(memory);
            MovePointer(m, r.p, r.in, b, 1000000 + k * r.stepUs);
            SendEvents(b);
        }
        int64_t x = 0, y = 0;
        for (const InjectedEvent& e : TheFakeInput().events) {
            EXPECT_EQ(e.flags, kMouseMove);
            x += e.dx;
            y += e.dy;
        }
        EXPECT_EQ(x, r.x) << r.p.speed;
        EXPECT_EQ(y, r.y) << r.p.speed;
    }
}

// The stick seen deflected 100 ms after the last read at rest: one period's motion, not a jump.
TEST(Pointer, LeavingTheRest_MovesWithoutAJump) {
    ResetFakeInput();
    PointerMemory m;
    EngineMemory memory;
    EventBatch b(memory);
    MovePointer(m, Tuned(0, 0, 1000), {F, 0, 0, true}, b, 100000);
    SendEvents(b);
    ASSERT_EQ(TheFakeInput().events.size(), 1u);
    EXPECT_EQ(TheFakeInput().events[0].dx, int32_t(kPointerPeriodMs)); // at 1000 pixels/s
}

// A notch goes out as the wheel starts turning; then the rate decides.
TEST(Pointer, Wheel_FirstNotchAtOnceThenAtItsRate) {
    struct Row {
        WheelSource source;
        int32_t wheel; // deflection, or the hat as ±F
        int32_t data;  // total over one second after the start
    } rows[] = {
        {WheelSource::Hat, -F, 11 * kWheelDelta}, // hat up: away from the user
        {WheelSource::Hat, F, -11 * kWheelDelta},
        {WheelSource::AxisR, F, -11 * kWheelDelta},    // full down
        {WheelSource::AxisR, F / 2, -5 * kWheelDelta}, // 41 % past the dead zone's edge
        {WheelSource::AxisR, 1000, 0},                 // inside the dead zone
        {WheelSource::None, F, 0},
    };
    for (const Row& r : rows) {
        ResetFakeInput();
        PointerSettings p = Tuned(15, 0, 1000);
        p.wheel = r.source;
        p.wheelSpeed = 10;
        PointerMemory m;
        EngineMemory memory;
        for (int k = 0; k <= 125; ++k) {
            EventBatch b(memory);
            MovePointer(m, p, {0, 0, r.wheel, r.source != WheelSource::Hat}, b, k * 8000ull);
            SendEvents(b);
        }
        int32_t data = 0;
        for (const InjectedEvent& e : TheFakeInput().events) {
            EXPECT_EQ(e.flags, kMouseWheel);
            data += static_cast<int32_t>(e.data);
        }
        EXPECT_EQ(data, r.data) << static_cast<int>(r.source) << " " << r.wheel;
    }
}

struct PointerEngineTest : EngineTest {
    JoystickSample sample{};
    PointerEngineTest() { Calibrate(s); }
    void UsePointer(PointerStick stick, WheelSource wheel) {
        PointerSettings p;
        p.stick = stick;
        p.wheel = wheel;
        s.pointer = PackPointer(p);
    }
    static Events KeyEvents() {
        Events keys;
        for (const std::string& e : TakeEvents())
            if (e.rfind("+m1", 0) != 0 && e.rfind("+m2048", 0) != 0)
                keys.push_back(e);
        return keys;
    }
};

// Everything pushed low (up, left) with the hat up and button 1 held: what the pointer and the
// wheel take fires nothing, and is not published either.
TEST_F(PointerEngineTest, InputsTaken_SetNoChordBits) {
    struct Row {
        PointerStick stick;
        WheelSource wheel;
        Events keys;
    } rows[] = {
        {PointerStick::None, WheelSource::None, {"+A", "+B", "+C", "+D", "+E", "+F", "+H"}},
        {PointerStick::XY, WheelSource::None, {"+C", "+D", "+E", "+F", "+H"}},
        {PointerStick::UR, WheelSource::None, {"+A", "+B", "+C", "+F", "+H"}},
        {PointerStick::ZR, WheelSource::Hat, {"+A", "+B", "+E", "+H"}},
        {PointerStick::XY, WheelSource::AxisR, {"+C", "+E", "+F", "+H"}},
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
        UsePointer(r.stick, r.wheel);
        for (uint32_t& p : sample.pos)
            p = 0;
        sample.pov = 0;
        sample.buttons = 1;
        SetFakeJoystickSample(sample);
        PollCycle(s, sample);
        EXPECT_EQ(KeyEvents(), r.keys) << static_cast<int>(r.stick) << static_cast<int>(r.wheel);
        EXPECT_EQ(s.engine.currentInput.load() & PointerInputBits(UnpackPointer(s.pointer)), 0u);
        ReleaseHeldAtExit(s);
        s.engine.eventGate = 0;
        TakeEvents();
    }
}

TEST_F(PointerEngineTest, ZoneKeyMapOnThePointerAxis_TapsNothing) {
    UseEntries({{0x3, 'A'}, {0x1, 'B'}, {0x2, 'C'}});
    RecomputeZoneMode(s);
    UsePointer(PointerStick::XY, WheelSource::None);
    for (uint32_t x : {0u, 65535u, 0u, 32767u}) {
        sample = TheFakeJoystick().sample;
        sample.pos[0] = x;
        SetFakeJoystickSample(sample);
        PollCycle(s, sample);
        EXPECT_EQ(KeyEvents(), Events{}) << x;
    }
}

// While a dialog is active or a key is captured the pointer moves and nothing types; a paused
// session and a failed read move nothing.
TEST_F(PointerEngineTest, PausesMoveThePointerOrNothing) {
    UsePointer(PointerStick::XY, WheelSource::None);
    sample = TheFakeJoystick().sample;
    sample.pos[0] = 65535;
    sample.buttons = 1;
    SetFakeJoystickSample(sample);
    struct Row {
        bool dialog, capture, away, unreadable, moves;
    } rows[] = {{true, false, false, false, true},
                {false, true, false, false, true},
                {false, false, true, false, false},
                {false, false, false, true, false}};
    for (const Row& r : rows) {
        s.dialogActive = r.dialog;
        s.captureActive = r.capture;
        if (r.away)
            PauseForSession(s, kAwayLocked);
        SetFakeJoystickReadResult(r.unreadable ? 167 : kJoyNoError);
        for (int k = 0; k < 3; ++k) {
            TheFakeClock().nowMicroseconds += 8000;
            PollCycle(s, sample);
        }
        const Events events = TakeEvents();
        EXPECT_EQ(!events.empty(), r.moves) << r.dialog << r.capture << r.away << r.unreadable;
        for (const std::string& e : events)
            EXPECT_EQ(e, "+m1");
        ResumeAfterSession(s, kAwayLocked);
    }
}

// At rest the thread wakes once per polling interval; while the stick is deflected at least
// every kPointerPeriodMs, with chords still resolved once per interval: the Return of button 1 repeats as
// at rest, and the pointer has moved for exactly the time up to its last update.
TEST_F(PointerEngineTest, WakeUps_AtRestAndDeflected) {
    for (int32_t interval : {3, 8, 10, 20, 100, 250}) {
        Events presses[2];
        int32_t counters[2];
        for (int deflected = 0; deflected < 2; ++deflected) {
            auto fresh = std::make_unique<ProgramState>();
            ProgramState& t = *fresh;
            ResetKeyMapDefaults(t, ScanCodeOfKey);
            Calibrate(t);
            t.timing.pollingInterval = interval;
            t.pointer = PackPointer(Tuned(15, 50, 1000));
            ResetFakeInput();
            TheFakeClock() = FakeClock{};
            sample = TheFakeJoystick().sample;
            sample.pos[0] = deflected ? 65535 : 32767;
            sample.buttons = 1;
            SetFakeJoystickSample(sample);
            std::vector<uint32_t> sleeps;
            std::atomic<bool> stop{false};
            TheFakeClock().onSleep = [&](uint32_t ms) {
                sleeps.push_back(ms);
                stop = TheFakeClock().totalSlept >= uint64_t(10 * interval);
            };
            RunPollLoop(
                t, [](ProgramState&, bool) {}, &stop);
            TheFakeClock().onSleep = nullptr;

            for (uint32_t ms : sleeps)
                EXPECT_EQ(ms, deflected ? std::min<uint32_t>(ms, kPointerPeriodMs) : interval)
                    << interval;
            int64_t x = 0;
            for (const InjectedEvent& e : TheFakeInput().events)
                if (e.kind == InjectedEvent::Mouse)
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
}

TEST(Pointer, NextWait_EqualStepsOfAtMost8Ms) {
    struct Row {
        int32_t interval, elapsed;
        bool moving;
        uint32_t wait;
    } rows[] = {{100, 0, false, 100}, {100, 30, false, 70}, {100, 0, true, 7},  {100, 7, true, 8},
                {100, 92, true, 8},   {100, 95, true, 5},   {10, 0, true, 5},   {8, 0, true, 8},
                {3, 0, true, 3},      {1000, 0, true, 8},   {100, 100, true, 0}};
    for (const Row& r : rows)
        EXPECT_EQ(NextWaitMilliseconds(r.interval, r.elapsed, r.moving, 8), r.wait)
            << r.interval << " " << r.elapsed;
}

// The stored value: eight bytes, every field in range, or the slot has no pointer.
TEST(Pointer, StoredValue_WrongSizeOrRangeMeansNoPointer) {
    using Bytes = std::vector<uint8_t>;
    const Bytes valid = {1, 1, 30, 10, 0x02, 0x01, 1, 12}; // X/Y, inverted, hat wheel
    struct Row {
        Bytes stored;
        bool taken;
    } rows[] = {
        {valid, true},
        {{3, 0, 100, 90, 0x88, 0x13, 3, 60}, false}, // Z/R with the wheel on R
        {{3, 0, 100, 90, 0x88, 0x13, 2, 60}, true},  // the widest values
        {{0, 0, 0, 0, 10, 0, 0, 1}, true},           // the narrowest
        {Bytes(valid.begin(), valid.end() - 1), false},
        {Bytes{1, 1, 30, 10, 2, 1, 1, 12, 0}, false},
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
    auto state = std::make_unique<ProgramState>();
    ProgramState& s = *state;
    for (const Row& r : rows) {
        ResetFakeRegistry();
        s.pointer = PackPointer(Tuned(0, 0, 77)); // what the slot loaded before
        TheFakeRegistry().Put(RegistryHive::LocalMachine, kBaseKeyPath, kValuePointer, r.stored);
        LoadSlot(s);
        uint64_t word = 0;
        for (size_t i = 0; i < r.stored.size() && i < 8; ++i)
            word |= uint64_t{r.stored[i]} << (8 * i);
        EXPECT_EQ(s.pointer.load(), r.taken ? word : kDefaultPointerWord) << r.stored.size();
    }
    s.pointer = PackPointer(UnpackPointer(0x0C0101020A1E0101));
    ASSERT_TRUE(SavePointer(s));
    EXPECT_EQ(TheFakeRegistry().Get(RegistryHive::LocalMachine, kBaseKeyPath, kValuePointer)->bytes,
              valid);
}

TEST(PointerRules, ListChoices_TheLastChoiceWins) {
    struct Row {
        PointerStick stick;
        WheelSource wheel;
        bool chooseStick;
        int32_t index;
        PointerStick stickAfter;
        WheelSource wheelAfter;
    } rows[] = {
        {PointerStick::None, WheelSource::AxisY, true, 1, PointerStick::XY, WheelSource::None},
        {PointerStick::XY, WheelSource::AxisR, true, 2, PointerStick::UR, WheelSource::None},
        {PointerStick::XY, WheelSource::AxisR, true, 0, PointerStick::None, WheelSource::AxisR},
        {PointerStick::ZR, WheelSource::Hat, false, 3, PointerStick::None, WheelSource::AxisR},
        {PointerStick::ZR, WheelSource::Hat, false, 2, PointerStick::ZR, WheelSource::AxisY},
        {PointerStick::XY, WheelSource::Hat, true, -1, PointerStick::XY, WheelSource::Hat},
        {PointerStick::XY, WheelSource::Hat, false, 4, PointerStick::XY, WheelSource::Hat},
    };
    for (const Row& r : rows) {
        PointerSettings p = Tuned(5, 5, 500);
        p.stick = r.stick;
        p.wheel = r.wheel;
        const PointerSettings after =
            r.chooseStick ? ChooseStick(p, r.index) : ChooseWheel(p, r.index);
        EXPECT_EQ(after.stick, r.stickAfter) << r.index;
        EXPECT_EQ(after.wheel, r.wheelAfter) << r.index;
        EXPECT_TRUE(ValidPointer(after));
        EXPECT_EQ(after.speed, 500);
    }
    PointerSettings p = Tuned(40, 80, 4000, true);
    p.wheel = WheelSource::Hat;
    const PointerSettings d = DefaultTuning(p);
    EXPECT_EQ(d.stick, PointerStick::XY);
    EXPECT_EQ(d.wheel, WheelSource::Hat);
    EXPECT_EQ(PackPointer(ChooseWheel(ChooseStick(d, 0), 0)), kDefaultPointerWord);
}

TEST(PointerRules, TypedNumbers_ClampedOrKept) {
    EXPECT_EQ(TypedNumber(true, 0, 10, 5000, 700), 10);
    EXPECT_EQ(TypedNumber(true, 4294967295u, 10, 5000, 700), 5000);
    EXPECT_EQ(TypedNumber(true, 1234, 10, 5000, 700), 1234);
    EXPECT_EQ(TypedNumber(false, 1234, 10, 5000, 700), 700);
    EXPECT_EQ(SliderValue(-3, 90), 0);
    EXPECT_EQ(SliderValue(95, 90), 90);
}

TEST(PointerRules, StickView_RimDeadZoneAndDot) {
    struct Row {
        int32_t width, height;
        int deadZone;
        int32_t dx, dy;
        StickView view;
    } rows[] = {
        {100, 80, 25, 0, 0, {{12, 2, 89, 79}, {41, 31, 60, 50}, {47, 37, 54, 44}}},
        {100, 80, 0, F, -F, {{12, 2, 89, 79}, {50, 40, 51, 41}, {85, -1, 92, 6}}},
        {60, 100, 50, -F / 2, F, {{2, 22, 59, 79}, {16, 36, 45, 65}, {14, 76, 19, 81}}},
        {3, 3, 50, 0, 0, {{1, 1, 2, 2}, {1, 1, 2, 2}, {-1, -1, 4, 4}}},
    };
    for (const Row& r : rows) {
        const StickView v = StickViewGeometry(r.width, r.height, r.deadZone, r.dx, r.dy);
        for (auto [got, want] :
             {std::pair{v.rim, r.view.rim}, {v.deadZone, r.view.deadZone}, {v.dot, r.view.dot}}) {
            EXPECT_EQ(got.left, want.left) << r.width << "x" << r.height;
            EXPECT_EQ(got.top, want.top) << r.width << "x" << r.height;
            EXPECT_EQ(got.right, want.right) << r.width << "x" << r.height;
            EXPECT_EQ(got.bottom, want.bottom) << r.width << "x" << r.height;
        }
    }
}

} // namespace
