#include <windows.h>

#include "platform/clock.h"

void SleepMilliseconds(uint32_t ms) {
    Sleep(ms);
}
