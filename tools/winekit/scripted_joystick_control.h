#pragma once
// The driving side of the scripted joystick: creates the shared memory the stand-in winmm.dll
// answers from, changes what the joystick reports, and counts the program's reads.
#include <cstdint>

#include "tools/winekit/wait.h"
#include "tools/winmm_stub/scripted_joystick.h"

// Creates the mapping (once per process) and keeps it open until the process ends.
void CreateScriptedJoystick();
// Back to DefaultJoystickScript(), counters at zero.
void ResetScriptedJoystick();

// What the stand-in wrote: read counts, the joystick ids asked, its loaders.
const volatile ScriptedJoystickShared& ScriptedJoystick();
inline uint64_t JoystickReads() {
    return uint64_t(ScriptedJoystick().readCount);
}

// Applies `change` to the script as one write: the program sees all of it in one read or none.
// Returns the read count just before the write, so a case can tie events to the first cycle
// that saw it.
template <typename Change> uint64_t ScriptJoystick(Change change);
uint64_t SetJoystickButtons(uint32_t buttons); // bit n-1 is button n
uint64_t CentreJoystick();                     // axes and hat at rest, no button
uint64_t SetJoystickPlugged(bool plugged);     // unplugged: reads and caps fail

// The sequence count the latest change left, and when the program's first read that answered
// from it began (QueryPerformanceCounter), or 0 while no read has answered from it yet.
int32_t ScriptSequence();
int64_t ChangeSeenAt(int32_t sequence);

// Waits until the program has read the joystick `reads` times since read count `since`: a
// sample written before `since` was taken has then been seen in at least `reads - 1` cycles.
void WaitForJoystickReads(uint64_t reads, DWORD timeoutMs = kShortTimeoutMs,
                          uint64_t since = JoystickReads());

namespace scripted_joystick_detail {
ScriptedJoystickScript& BeginWrite(); // the sequence count odd: the stand-in waits or retries
void EndWrite();
} // namespace scripted_joystick_detail

template <typename Change> uint64_t ScriptJoystick(Change change) {
    const uint64_t before = JoystickReads();
    change(scripted_joystick_detail::BeginWrite());
    scripted_joystick_detail::EndWrite();
    return before;
}
