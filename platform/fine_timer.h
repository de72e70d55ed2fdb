#pragma once
// Waits finer than the system's timer tick (about 15.6 ms on Windows unless a finer resolution is
// asked for), for polling intervals of a few milliseconds.
#include <cstdint>

using PollTimer = void*;

constexpr uint32_t kTimerHighResolution = 0x2; // CREATE_WAITABLE_TIMER_HIGH_RESOLUTION

// A waitable timer created with `flags`, or nullptr when the system refuses them.
PollTimer CreatePollTimer(uint32_t flags);
void ClosePollTimer(PollTimer timer);
// Waits `ms` milliseconds on `timer`; false when the timer could not be set or waited on.
bool WaitOnPollTimer(PollTimer timer, uint32_t ms);
// Asks for 1 ms scheduling for the whole process, also while it shows no window. Ignored when
// refused; EndFineTimerPeriod gives back what was granted.
void BeginFineTimerPeriod();
void EndFineTimerPeriod();
