#include "ui/joystick_warning.h"

#include "engine/calibration.h"
#include "platform/message_box.h"

bool CalibrateOrWarn(ProgramState& s, WindowHandle owner) {
    const bool calibrated = Calibrate(s);
    if (!calibrated)
        ShowMessageBox(owner, kJoystickNotInstalled, kMbOk | kMbSetForeground);
    return calibrated;
}
