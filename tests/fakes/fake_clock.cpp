#include "tests/fakes/fake_clock.h"

#include <atomic>

FakeClock& TheFakeClock() {
    static FakeClock clock;
    return clock;
}

void SleepMilliseconds(uint32_t ms) {
    FakeClock& c = TheFakeClock();
    std::atomic_ref<uint32_t>(c.lastSleep).store(ms, std::memory_order_relaxed);
    std::atomic_ref<uint64_t>(c.totalSlept).fetch_add(ms, std::memory_order_relaxed);
    std::atomic_ref<uint64_t>(c.nowMicroseconds)
        .fetch_add(uint64_t{ms} * 1000, std::memory_order_relaxed);
    if (c.onSleep)
        c.onSleep(ms);
}

uint64_t MonotonicMicroseconds() {
    return std::atomic_ref<uint64_t>(TheFakeClock().nowMicroseconds)
        .load(std::memory_order_relaxed);
}
