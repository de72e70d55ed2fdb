#include "engine/poll_wait.h"

#include "platform/clock.h"

namespace {
// A flag no system defines. Windows refuses flags it does not know, which is how a version older
// than the high-resolution timer (Windows 10 1803) says it has none. A system that takes this one
// does not look at flags, so the high-resolution one tells nothing there. Wine 8 is such a system
// and sleeps finely anyway: its Sleep overshot 3 and 10 ms waits by 0.1 to 0.25 ms on average,
// its timers by 0.3 to 1.1 ms.
constexpr uint32_t kUnknownTimerFlag = 0x40000000;

bool HighResolutionFlagIsHonoured() {
    PollTimer probe = CreatePollTimer(kUnknownTimerFlag);
    if (probe == nullptr)
        return true;
    ClosePollTimer(probe);
    return false;
}

PollWait::Method SleepFinely() {
    BeginFineTimerPeriod();
    return PollWait::Sleep;
}

void ChooseWay(PollWait& w) {
    if (HighResolutionFlagIsHonoured())
        w.timer = CreatePollTimer(kTimerHighResolution);
    w.method = w.timer != nullptr ? PollWait::Timer : SleepFinely();
}
} // namespace

void WaitMilliseconds(PollWait& w, uint32_t ms) {
    if (w.method == PollWait::Undecided)
        ChooseWay(w);
    if (w.method == PollWait::Timer) {
        if (WaitOnPollTimer(w.timer, ms))
            return;
        // A timer that returns at once would spin the loop: this wait and all later ones sleep.
        ClosePollTimer(w.timer);
        w.timer = nullptr;
        w.method = SleepFinely();
    }
    SleepMilliseconds(ms);
}

uint32_t NextWaitMilliseconds(int32_t interval, int32_t elapsed, bool pointerMoving,
                              uint32_t pointerPeriod) {
    const int64_t rest = int64_t{interval} - elapsed;
    if (rest <= 0)
        return 0;
    if (!pointerMoving || pointerPeriod == 0 || interval <= static_cast<int64_t>(pointerPeriod))
        return static_cast<uint32_t>(rest);
    const int64_t steps = (int64_t{interval} + pointerPeriod - 1) / pointerPeriod;
    int64_t k = int64_t{elapsed} * steps / interval + 1; // the first step end after elapsed
    while (int64_t{interval} * k / steps <= elapsed)
        ++k;
    return static_cast<uint32_t>(int64_t{interval} * k / steps - elapsed);
}
