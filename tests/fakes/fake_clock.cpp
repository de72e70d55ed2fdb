#include "tests/fakes/fake_clock.h"

FakeClock& TheFakeClock() {
    static FakeClock clock;
    return clock;
}

void SleepMilliseconds(uint32_t ms) {
    FakeClock& c = TheFakeClock();
    c.lastSleep = ms;
    c.totalSlept += ms;
    if (c.onSleep)
        c.onSleep(ms);
}
