#include "tests/fakes/fake_fine_timer.h"

FakeFineTimer& TheFakeFineTimer() {
    static FakeFineTimer timer;
    return timer;
}

PollTimer CreatePollTimer(uint32_t flags) {
    FakeFineTimer& t = TheFakeFineTimer();
    const bool known = flags == 0 || (flags == kTimerHighResolution && t.knowsHighResolution);
    if (!known && !t.takesAnyFlag)
        return nullptr;
    static int handles;
    ++t.timersOpen;
    return &handles;
}

void ClosePollTimer(PollTimer) {
    --TheFakeFineTimer().timersOpen;
}

bool WaitOnPollTimer(PollTimer, uint32_t ms) {
    FakeFineTimer& t = TheFakeFineTimer();
    t.timerWaits.push_back(ms);
    return !t.waitsFail;
}

void BeginFineTimerPeriod() {
    ++TheFakeFineTimer().periodsBegun;
}
