#include "engine/poll_loop.h"

#include <algorithm>

#include "engine/calibration.h"
#include "engine/chords.h"
#include "engine/cycle.h"
#include "engine/event_batch.h"
#include "engine/held_keys.h"
#include "engine/input_word.h"
#include "engine/pointer.h"
#include "engine/poll_wait.h"
#include "engine/zones.h"
#include "platform/clock.h"

namespace {
constexpr auto kRelaxed = std::memory_order_relaxed;

bool ReadSelectedJoystick(const ProgramState& s, JoystickSample& sample) {
    return ReadJoystick(s.joystickId.load(kRelaxed), sample) == kJoyNoError;
}

bool EventsPaused(const ProgramState& s) {
    return s.captureActive.load(kRelaxed) || s.dialogActive.load(kRelaxed);
}

bool Stopped(const std::atomic<bool>* stop) {
    return stop != nullptr && stop->load();
}

// Owed releases, zone taps and chords, into the cycle's batch. Zone selection leaves alone an
// axis that the pointer or the wheel takes.
void QueueChordEvents(ProgramState& s, const JoystickSample& sample, InputWord input,
                      InputWord pointerTaken, EventBatch& batch) {
    QueueReleases(batch, false);
    CycleWords words{input, 0, pointerTaken};
    if (s.zoneMode.load(kRelaxed) != 0)
        SelectAxisZones(s, sample, words, batch);
    ResolveChords(s, words, batch);
}

// A read, the published word and the pointer; the chords too when `chords` and events may be
// produced. A failed read leaves the sample as the platform pleases: nothing is decided on it,
// so held keys stay down, counters keep their values and the pointer rests until the joystick
// reads again. The pointer keeps moving while a dialog of the program is active or a key is
// being captured; a paused session moves nothing.
bool RunCycle(ProgramState& s, JoystickSample& sample, bool chords) {
    const bool readOk = ReadSelectedJoystick(s, sample);
    const PointerSettings pointer = UsablePointer(s.pointer.load(kRelaxed));
    const InputWord taken = PointerInputBits(pointer);
    const InputWord raw = BuildInputWord(sample, s.calibration);
    const InputWord input = raw & s.enabledMask.load(kRelaxed) & ~taken;
    s.engine.currentInput.store(input, kRelaxed);
    PointerInputs in{};
    if (readOk) {
        in = ReadPointerInputs(pointer, sample, s.calibration, raw);
        s.engine.stickDeflection.store(PackDeflection(in.dx, in.dy), kRelaxed);
    }

    const uint64_t now = MonotonicMicroseconds();
    const bool moves = readOk && PointerInUse(pointer);
    const bool resolves = chords && readOk && !EventsPaused(s);
    if (!(moves || resolves) || !BeginEvents(s)) {
        RestPointer(s.engine.pointer, now);
        return readOk;
    }
    EventBatch batch(s.engine);
    if (moves)
        MovePointer(s.engine.pointer, pointer, in, batch, now);
    else
        RestPointer(s.engine.pointer, now);
    if (resolves)
        QueueChordEvents(s, sample, input, taken, batch);
    SendEvents(batch);
    EndEvents(s);
    return readOk;
}

// One polling interval from the chord cycle that began at `cycleStart`: in one wait while nothing
// moves, in steps with a pointer update after each while the pointer or the wheel does. The time
// the cycles took and the waits overshot is taken from the next step, so that the steps keep
// their rate and the chords their interval even when injecting is slow (another program's
// low-level hook answers each event). False when stopped meanwhile.
bool WaitOutInterval(ProgramState& s, JoystickSample& sample, PollWait& wait, uint64_t cycleStart,
                     const std::atomic<bool>* stop) {
    const int32_t interval = CycleMilliseconds(s);
    int64_t waited = 0;
    for (int32_t elapsed = 0; elapsed < interval;) {
        const uint32_t ms =
            NextWaitMilliseconds(interval, elapsed, s.engine.pointer.moving, kPointerPeriodMs);
        WaitMilliseconds(wait, ms);
        waited += ms;
        const int64_t measured =
            static_cast<int64_t>(MonotonicMicroseconds() - cycleStart + 500) / 1000;
        elapsed = static_cast<int32_t>(std::min<int64_t>(std::max(waited, measured), interval));
        if (Stopped(stop))
            return false;
        if (elapsed < interval)
            PointerCycle(s, sample);
    }
    return true;
}
} // namespace

bool PollCycle(ProgramState& s, JoystickSample& sample) {
    return RunCycle(s, sample, true);
}

bool PointerCycle(ProgramState& s, JoystickSample& sample) {
    return RunCycle(s, sample, false);
}

void ProduceEvents(ProgramState& s, const JoystickSample& sample, InputWord input) {
    EventBatch batch(s.engine);
    QueueChordEvents(s, sample, input, 0, batch);
    SendEvents(batch);
}

void RunPollLoop(ProgramState& s, ShowActiveState showState, const std::atomic<bool>* stop) {
    JoystickSample sample{};
    PollWait wait;
    while (!Stopped(stop)) {
        if (ReadSelectedJoystick(s, sample)) {
            CalibrateReturningJoystick(s);
            showState(s, true);
            bool readOk = true;
            while (readOk) {
                const uint64_t cycleStart = MonotonicMicroseconds();
                readOk = PollCycle(s, sample);
                // The tray icon was added anew meanwhile and may have missed a change.
                if (s.tray.showAgain.load(kRelaxed))
                    showState(s, s.tray.active.load(kRelaxed));
                if (!WaitOutInterval(s, sample, wait, cycleStart, stop))
                    return;
            }
        }
        showState(s, false);
        WaitMilliseconds(wait, kInactiveRetryMilliseconds);
    }
}
