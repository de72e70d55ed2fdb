#pragma once
#include <cstdint>
#include <functional>

#include "platform/clock.h"

struct FakeClock {
    uint32_t lastSleep = 0;
    uint64_t totalSlept = 0;
    uint64_t nowMicroseconds = 0; // MonotonicMicroseconds; every sleep moves it on
    // Lets a test act between poll cycles. Called on the sleeping thread; lastSleep and
    // totalSlept are updated atomically, so two threads may sleep at once.
    std::function<void(uint32_t)> onSleep;
};

FakeClock& TheFakeClock();
