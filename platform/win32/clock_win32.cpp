#include <windows.h>

#include "platform/clock.h"

void SleepMilliseconds(uint32_t ms) {
    Sleep(ms);
}

uint64_t MonotonicMicroseconds() {
    static const LONGLONG frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f.QuadPart;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    // Split so that the product cannot overflow at any counter frequency.
    const LONGLONG seconds = now.QuadPart / frequency;
    const LONGLONG rest = now.QuadPart % frequency;
    return static_cast<uint64_t>(seconds) * 1000000 +
           static_cast<uint64_t>(rest * 1000000 / frequency);
}
