#pragma once
// Per-axis center, range and threshold, and the grid's button count, from the joystick's
// capabilities and the threshold percentage.
#include "core/program_state.h"

constexpr int kMaxButtonColumns = 32;

// Runs on the user-interface thread only. Returns whether the capability query succeeded; a
// failed one leaves numButtons 0 and keeps every other value of the last good calibration.
bool Calibrate(ProgramState& s);

// Poll thread, when the joystick answers again: the capabilities the last calibration used keep
// it; others (a pad plugged in after start-up, or another pad that took the number) are
// calibrated now, without a message. Uncalibrated axes would read a centred stick as pushed and
// hold its keys down.
void CalibrateReturningJoystick(ProgramState& s);
