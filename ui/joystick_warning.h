#pragma once
// What the user hears when the selected joystick does not answer a calibration.
#include "core/program_state.h"

constexpr char kJoystickNotInstalled[] = "Selected joystick not installed";

// Calibrates the selected joystick; when it does not answer, says so in a message owned by
// `owner`. Returns whether it answered.
bool CalibrateOrWarn(ProgramState& s, WindowHandle owner);
