#pragma once
// Per-axis center, range and threshold, and the grid's button count, from the joystick's
// capabilities and the threshold percentage.
#include "app/program_state.h"

constexpr int kMaxButtonColumns = 32;
constexpr char kJoystickNotInstalled[] = "Selected joystick not installed";

// Runs on the user-interface thread only. A failed capability query shows a message owned by
// `owner`, brought to the front (at start-up the owner is the hidden main window), leaves
// numButtons 0 and keeps every other value of the last good calibration.
void Calibrate(ProgramState& s, WindowHandle owner);

// Poll thread, when the joystick answers again: the capabilities the last calibration used keep
// it; others (a pad plugged in after start-up, or another pad that took the number) are
// calibrated now, without a message. Uncalibrated axes would read a centred stick as pushed and
// hold its keys down.
void CalibrateReturningJoystick(ProgramState& s);
