#pragma once
// One joystick sample as an input word: axes as direction bits, the hat, 32 buttons.
#include "core/program_state.h"
#include "platform/joystick.h"

constexpr int kHatFirstBit = 12; // up, right, down, left
constexpr int kButtonFirstBit = 16;
constexpr uint32_t kHatMaxAngle = 36000; // hundredths of a degree; above it the hat is at rest

// Bits 0..47 only. Reads from the calibration its published axis count, hat flag, centers and
// thresholds.
InputWord BuildInputWord(const JoystickSample& sample, const Calibration& c);
