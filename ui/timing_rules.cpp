#include "ui/timing_rules.h"

int32_t ValidInterval(bool readable, uint32_t number) {
    const int32_t value = static_cast<int32_t>(number);
    return readable && value >= kMinInterval ? value : kInvalidTimingValue;
}

int32_t ValidTypematicDelay(bool readable, uint32_t number) {
    const int32_t value = static_cast<int32_t>(number);
    return readable && value >= kMinTypematicDelay ? value : kInvalidTimingValue;
}

bool AcceptSpin(int32_t position, int32_t delta) {
    if (delta >= 0)
        return true;
    return int64_t{position} + delta >= kSpinRefuseBelow;
}
