#pragma once
#include <cstdint>

void SleepMilliseconds(uint32_t ms);
// A steady clock in microseconds (QueryPerformanceCounter); only differences mean anything.
uint64_t MonotonicMicroseconds();
