#pragma once
// What one poll cycle hands to axis-zone selection and chord resolution.
#include <algorithm>
#include <cstdint>

#include "core/program_state.h"

// Both live for one cycle: the working word loses the bits of whatever fired, the consumed mask
// collects them.
struct CycleWords {
    InputWord working;
    InputWord consumed;
    InputWord pointerTaken = 0; // direction bits of axes that the pointer or the wheel takes
};

// The milliseconds one cycle stands for, in the sleep and in the chord counters. A registry value
// below 1 would otherwise spin the thread (0) or sleep for weeks and count backwards (negative).
inline int32_t CycleMilliseconds(const ProgramState& s) {
    return std::max<int32_t>(s.timing.pollingInterval.load(std::memory_order_relaxed), 1);
}
