#pragma once
#include <cstdint>
#include <functional>

#include "platform/clock.h"

struct FakeClock {
    uint32_t lastSleep = 0;
    uint64_t totalSlept = 0;
    std::function<void(uint32_t)> onSleep; // lets a test act between poll cycles
};

FakeClock& TheFakeClock();
