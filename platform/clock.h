#pragma once
#include <cstdint>

void SleepMilliseconds(uint32_t ms);
