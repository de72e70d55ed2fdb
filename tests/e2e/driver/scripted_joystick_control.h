#pragma once
// The driver's side of the scripted joystick: creates the shared memory the stand-in winmm.dll
// answers from, changes what the joystick reports, and counts the program's reads.
#include <cstdint>

#include "tools/winmm_stub/scripted_joystick.h"

// Creates the mapping (once per run) and keeps it open until the driver ends.
void CreateScriptedJoystick();

// Back to DefaultJoystickScript(), counters at zero.
void ResetScriptedJoystick();

// Applies `change` to the script as one write: the program sees all of it in one read or none.
template <typename Change> void ScriptJoystick(Change change);

ScriptedJoystickScript CurrentJoystickScript();

void SetJoystickButtons(uint32_t buttons); // bit n-1 is button n
void SetJoystickAxis(int axis, uint32_t position);
void SetJoystickPov(uint32_t pov);
void CentreJoystick(); // axes centred, hat centred, no button
// "Unplugs" (reads and caps queries fail with JOYERR_UNPLUGGED) or plugs the joystick back in.
void SetJoystickPlugged(bool plugged);

// The sequence count the latest change left, and when the program's first read that answered
// from it began (QueryPerformanceCounter), or 0 while no read has answered from it yet.
int32_t ScriptSequence();
int64_t ChangeSeenAt(int32_t sequence);

uint64_t JoystickReadCount();
uint64_t JoystickCapsCount();
int32_t LastReadJoystickId();
int32_t LastCapsJoystickId();
int32_t StandInLoadCount();
uint32_t LastStandInLoaderPid();

// Waits until the program has read the joystick `reads` more times than `since`: with a
// sample written before `since` was taken, the program has then seen it in at least
// `reads - 1` whole poll cycles.
void WaitForJoystickReads(uint64_t since, uint64_t reads, unsigned long timeoutMs);

// The common form: wait for `reads` reads from now.
void WaitForJoystickReads(uint64_t reads, unsigned long timeoutMs);

namespace scripted_joystick_detail {
ScriptedJoystickShared* Shared();
void BeginWrite();
void EndWrite();
} // namespace scripted_joystick_detail

template <typename Change> void ScriptJoystick(Change change) {
    scripted_joystick_detail::BeginWrite();
    change(scripted_joystick_detail::Shared()->script);
    scripted_joystick_detail::EndWrite();
}
