#pragma once
// The poll thread's body as neutral code: one cycle, and the loop that reports whether the joystick
// is read (active) or not (inactive) to whoever shows it.
#include <atomic>

#include "core/program_state.h"
#include "platform/joystick.h"

constexpr uint32_t kInactiveRetryMilliseconds = 5000;

// Reads the joystick into `sample`, publishes the masked input word (without the inputs the
// pointer and the wheel take), moves the pointer and, when events may be produced, runs zone
// selection and chord resolution. Returns whether the read succeeded. A cycle whose read failed
// publishes the word of the sample as the read left it but injects nothing.
bool PollCycle(ProgramState& s, JoystickSample& sample);
// The same without zones and chords: the pointer updates between two cycles.
bool PointerCycle(ProgramState& s, JoystickSample& sample);

// The events of one cycle, given to the system together at its end: first the releases still
// owed from earlier cycles, then zone taps, then chords. The caller holds the event gate.
void ProduceEvents(ProgramState& s, const JoystickSample& sample, InputWord input);

// Told, on the poll thread, each time the loop finds the joystick readable or unreadable, and
// once more after the tray icon was added anew (tray.showAgain).
using ShowActiveState = void (*)(ProgramState& s, bool active);

// Runs for the life of the process. Tests pass `stop`, which is looked at after every sleep.
void RunPollLoop(ProgramState& s, ShowActiveState showState,
                 const std::atomic<bool>* stop = nullptr);
