// Cost of one engine cycle: read the (fake) joystick, build and publish the input word, resolve
// chords and inject (into the fake's event list).
#include <benchmark/benchmark.h>

#include <memory>

#include "core/key_map.h"
#include "engine/calibration.h"
#include "engine/poll_loop.h"
#include "platform/input.h"
#include "tests/fakes/fake_system.h"

namespace {

std::unique_ptr<ProgramState> FreshState() {
    auto s = std::make_unique<ProgramState>();
    ResetFakeSystem();
    ResetKeyMapDefaults(*s, ScanCodeOfKey);
    ResetTimingDefaults(*s);
    Calibrate(*s);
    return s;
}

// Input bits in an order whose first 40 can be held together: the 32 buttons, the six axes'
// low bits, hat up and right; then the bits that exclude those.
int HoldableBit(int n) {
    constexpr int kRest[] = {1, 3, 5, 7, 9, 11, 14, 15};
    if (n < 32)
        return 16 + n;
    if (n < 38)
        return 2 * (n - 32);
    if (n < 40)
        return 12 + (n - 38);
    return kRest[n - 40];
}

// 128 entries; entry i is a chord of the first i % 48 + 1 bits in holdable order, so sizes 1 to
// 48 are all present and every size pass walks all 128 entries.
void UseLargestKeyMap(ProgramState& s) {
    for (int i = 0; i < kMaxKeys; ++i) {
        const int size = i % kInputBits + 1;
        InputWord mask = 0;
        for (int n = 0; n < size; ++n)
            mask |= InputWord{1} << HoldableBit(n);
        KeyMapEntry e{};
        SetChordMask(e, mask);
        e.vk = static_cast<uint8_t>('A' + i % 26);
        e.bitCount = static_cast<uint8_t>(size);
        WriteEntry(s.keyMap.entries[i], e);
    }
    s.keyMap.keyCount = kMaxKeys;
    RecomputeMaxChordSize(s);
}

// Alternates every `period` cycles between the two samples, so presses, repeats and releases
// all occur; the fake's event list is emptied now and then outside the timing. Each cycle comes
// 8 ms after the last, so a moving pointer has motion to inject.
void RunCycles(benchmark::State& state, ProgramState& s, JoystickSample held, JoystickSample other,
               int period, bool (*cycle)(ProgramState&, JoystickSample&) = PollCycle) {
    JoystickSample sample{};
    int64_t n = 0;
    double events = 0;
    for (auto _ : state) {
        if (++n % 4096 == 0) {
            state.PauseTiming();
            events += static_cast<double>(Fake().input.events.size());
            Fake().input.events.clear();
            state.ResumeTiming();
        }
        SetFakeJoystickSample((n / period) % 2 ? other : held);
        Fake().nowMicroseconds += 8000;
        benchmark::DoNotOptimize(cycle(s, sample));
    }
    events += static_cast<double>(Fake().input.events.size());
    state.counters["events/cycle"] = n > 0 ? events / static_cast<double>(n) : 0;
}

void BM_Cycle_DefaultKeyMap(benchmark::State& state) {
    auto s = FreshState();
    JoystickSample held = Fake().joystick.sample, idle = held;
    held.buttons = 0b1;
    held.pos[0] = 0; // X low: left arrow
    RunCycles(state, *s, held, idle, 8);
}
BENCHMARK(BM_Cycle_DefaultKeyMap);

void BM_Cycle_128EntriesSizes1To48_AllInputsHeld(benchmark::State& state) {
    auto s = FreshState();
    UseLargestKeyMap(*s);
    JoystickSample all = Fake().joystick.sample, idle = all;
    all.buttons = 0xFFFFFFFF;
    for (int k = 0; k < kAxisCount; ++k)
        all.pos[k] = 0;
    all.pov = 4500;
    RunCycles(state, *s, all, idle, 8);
}
BENCHMARK(BM_Cycle_128EntriesSizes1To48_AllInputsHeld);

void BM_Cycle_128EntriesSizes1To48_NothingHeld(benchmark::State& state) {
    auto s = FreshState();
    UseLargestKeyMap(*s);
    JoystickSample idle = Fake().joystick.sample;
    RunCycles(state, *s, idle, idle, 8);
}
BENCHMARK(BM_Cycle_128EntriesSizes1To48_NothingHeld);

// The left stick moves the pointer and the hat turns the wheel, both deflected half the time,
// while button 1 and X keep the default key map busy.
void UsePointerAndHatWheel(ProgramState& s, JoystickSample& deflected) {
    PointerSettings p;
    p.stick = PointerStick::XY;
    p.wheel = WheelSource::Hat;
    s.pointer = PackPointer(p);
    deflected.pos[0] = 60000;
    deflected.pos[1] = 9000;
    deflected.pov = 0;
}

void BM_Cycle_DefaultKeyMap_PointerAndWheelMoving(benchmark::State& state) {
    auto s = FreshState();
    JoystickSample held = Fake().joystick.sample, idle = held;
    held.buttons = 0b1;
    UsePointerAndHatWheel(*s, held);
    RunCycles(state, *s, held, idle, 8);
}
BENCHMARK(BM_Cycle_DefaultKeyMap_PointerAndWheelMoving);

// An update between two chord cycles: the read, the word and the pointer only.
void BM_PointerUpdate_Moving(benchmark::State& state) {
    auto s = FreshState();
    JoystickSample moving = Fake().joystick.sample;
    UsePointerAndHatWheel(*s, moving);
    RunCycles(state, *s, moving, moving, 8, PointerCycle);
}
BENCHMARK(BM_PointerUpdate_Moving);

} // namespace

BENCHMARK_MAIN();
