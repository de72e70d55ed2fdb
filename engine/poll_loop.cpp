#include "engine/poll_loop.h"

#include "engine/calibration.h"
#include "engine/chords.h"
#include "engine/cycle.h"
#include "engine/event_batch.h"
#include "engine/held_keys.h"
#include "engine/input_word.h"
#include "engine/poll_wait.h"
#include "engine/zones.h"

namespace {
constexpr auto kRelaxed = std::memory_order_relaxed;

bool ReadSelectedJoystick(const ProgramState& s, JoystickSample& sample) {
    return ReadJoystick(s.joystickId.load(kRelaxed), sample) == kJoyNoError;
}

bool EventsPaused(const ProgramState& s) {
    return s.captureActive.load(kRelaxed) || s.dialogActive.load(kRelaxed);
}
} // namespace

bool PollCycle(ProgramState& s, JoystickSample& sample) {
    const bool readOk = ReadSelectedJoystick(s, sample);
    const InputWord input = BuildInputWord(sample, s.calibration) & s.enabledMask.load(kRelaxed);
    s.engine.currentInput.store(input, kRelaxed);

    // A failed read leaves the sample as the platform pleases: nothing is decided on it, so
    // held keys stay down and counters keep their values until the joystick reads again.
    if (!readOk || EventsPaused(s) || !BeginEvents(s))
        return readOk;
    ProduceEvents(s, sample, input);
    EndEvents(s);
    return readOk;
}

void ProduceEvents(ProgramState& s, const JoystickSample& sample, InputWord input) {
    EventBatch batch(s.engine);
    QueueReleases(batch, false);
    CycleWords words{input, 0};
    if (s.zoneMode.load(kRelaxed) != 0)
        SelectAxisZones(s, sample, words, batch);
    ResolveChords(s, words, batch);
    SendEvents(batch);
}

void RunPollLoop(ProgramState& s, ShowActiveState showState, const std::atomic<bool>* stop) {
    JoystickSample sample{};
    PollWait wait;
    const auto stopped = [stop] { return stop != nullptr && stop->load(); };
    while (!stopped()) {
        if (ReadSelectedJoystick(s, sample)) {
            CalibrateReturningJoystick(s);
            showState(s, true);
            bool readOk = true;
            while (readOk) {
                readOk = PollCycle(s, sample);
                // The tray icon was added anew meanwhile and may have missed a change.
                if (s.tray.showAgain.load(kRelaxed))
                    showState(s, s.tray.active.load(kRelaxed));
                WaitMilliseconds(wait, static_cast<uint32_t>(CycleMilliseconds(s)));
                if (stopped())
                    return;
            }
        }
        showState(s, false);
        WaitMilliseconds(wait, kInactiveRetryMilliseconds);
    }
}
