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
