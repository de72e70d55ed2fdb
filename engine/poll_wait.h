#pragma once
// How the poll thread waits between cycles: on a high-resolution timer where the system has one,
// else by sleeping with 1 ms scheduling asked for, so that intervals of 3 to 10 ms are kept.
#include <cstdint>

#include "platform/fine_timer.h"

struct PollWait {
    enum Method : uint8_t { Undecided, Timer, Sleep };
    Method method = Undecided;
    PollTimer timer = nullptr;
};

// Waits `ms` milliseconds, choosing the way at the first wait. One PollWait per waiting thread.
void WaitMilliseconds(PollWait& wait, uint32_t ms);

// The next wait within one polling interval, `elapsed` ms of it gone. While the pointer or the
// wheel moves, the interval is cut into equal steps of at most `pointerPeriod` ms, each followed
// by a pointer update; otherwise the rest of the interval is waited in one go, as when nothing
// moves at all.
uint32_t NextWaitMilliseconds(int32_t interval, int32_t elapsed, bool pointerMoving,
                              uint32_t pointerPeriod);
