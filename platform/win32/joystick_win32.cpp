#include <windows.h>

#include <mmsystem.h>

#include "platform/joystick.h"

static_assert(sizeof(JOYCAPSA) == 404, "the capability record the joystick interface fills");
static_assert(sizeof(JOYINFOEX) == 52, "the sample record the joystick interface fills");
static_assert((JOY_RETURNALL | JOY_RETURNPOVCTS) == 0x2FF);
static_assert(JOYCAPS_HASPOV == kJoyCapsHasPov && JOY_POVCENTERED == kJoyPovCentered);

uint32_t JoystickCount() {
    return joyGetNumDevs();
}

uint32_t ReadJoystickCaps(uint32_t joystickId, JoystickCaps& caps) {
    JOYCAPSA c{};
    const MMRESULT result = joyGetDevCapsA(joystickId, &c, sizeof c);
    if (result != JOYERR_NOERROR)
        return result;
    const UINT mins[kAxisCount] = {c.wXmin, c.wYmin, c.wZmin, c.wRmin, c.wUmin, c.wVmin};
    const UINT maxs[kAxisCount] = {c.wXmax, c.wYmax, c.wZmax, c.wRmax, c.wUmax, c.wVmax};
    for (int k = 0; k < kAxisCount; ++k) {
        caps.axisMin[k] = mins[k];
        caps.axisMax[k] = maxs[k];
    }
    caps.numButtons = c.wNumButtons;
    caps.numAxes = c.wNumAxes;
    caps.caps = c.wCaps;
    return JOYERR_NOERROR;
}

// A failed read leaves `sample` as it was.
uint32_t ReadJoystick(uint32_t joystickId, JoystickSample& sample) {
    JOYINFOEX info{};
    info.dwSize = sizeof info;
    info.dwFlags = JOY_RETURNALL | JOY_RETURNPOVCTS;
    const MMRESULT result = joyGetPosEx(joystickId, &info);
    if (result != JOYERR_NOERROR)
        return result;
    const DWORD positions[kAxisCount] = {info.dwXpos, info.dwYpos, info.dwZpos,
                                         info.dwRpos, info.dwUpos, info.dwVpos};
    for (int k = 0; k < kAxisCount; ++k)
        sample.pos[k] = positions[k];
    sample.buttons = info.dwButtons;
    sample.pov = info.dwPOV;
    return JOYERR_NOERROR;
}
