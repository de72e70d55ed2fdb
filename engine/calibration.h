#pragma once
// Per-axis center, range and threshold, and the grid's button count, from the joystick's
// capabilities and the threshold percentage.
#include "core/program_state.h"

constexpr int kMaxButtonColumns = 32;
constexpr char kJoystickNotInstalled[] = "Selected joystick not installed";

// Runs on the user-interface thread only. A failed capability query shows a message owned by
// `owner`, leaves numButtons 0 and keeps every other value of the last good calibration.
void Calibrate(ProgramState& s, WindowHandle owner);

// Poll thread, when the joystick starts answering: if no calibration has succeeded yet (the pad
// was plugged in after start-up), calibrate now, without a message. Uncalibrated axes would read
// a centred stick as pushed and hold its keys down.
void CalibrateIfNeverCalibrated(ProgramState& s);
