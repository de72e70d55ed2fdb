#pragma once
// A system's waitable timers as the poll thread finds them: Windows 10 1803 on (knows the
// high-resolution flag, refuses unknown ones), older Windows (refuses it), or one that takes any
// flag and looks at none.
#include <cstdint>
#include <vector>

#include "platform/fine_timer.h"

struct FakeFineTimer {
    bool knowsHighResolution = false;
    bool takesAnyFlag = false;
    bool waitsFail = false;           // a timer that cannot be set
    int timersOpen = 0;               // created and not yet closed
    std::vector<uint32_t> timerWaits; // ms of every wait on a timer
    int periodsBegun = 0;
};

FakeFineTimer& TheFakeFineTimer();
