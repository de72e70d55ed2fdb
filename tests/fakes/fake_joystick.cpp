#include "tests/fakes/fake_joystick.h"

FakeJoystick& TheFakeJoystick() {
    static FakeJoystick joystick;
    return joystick;
}

void ResetFakeJoystick() {
    FakeJoystick& j = TheFakeJoystick();
    j = FakeJoystick{};
    for (int k = 0; k < kAxisCount; ++k) {
        j.caps.axisMin[k] = 0;
        j.caps.axisMax[k] = 65535;
        j.sample.pos[k] = 32767;
    }
    j.caps.numAxes = 6;
    j.caps.numButtons = 12;
    j.caps.caps = kJoyCapsHasPov;
    j.sample.pov = kJoyPovCentered;
}

uint32_t JoystickCount() { return TheFakeJoystick().count; }

uint32_t ReadJoystickCaps(uint32_t joystickId, JoystickCaps& caps) {
    FakeJoystick& j = TheFakeJoystick();
    j.lastCapsId = joystickId;
    if (j.capsResult != kJoyNoError)
        return j.capsResult;
    caps = j.caps;
    return kJoyNoError;
}

uint32_t ReadJoystick(uint32_t joystickId, JoystickSample& sample) {
    FakeJoystick& j = TheFakeJoystick();
    j.lastReadId = joystickId;
    ++j.reads;
    if (j.readResult != kJoyNoError)
        return j.readResult;
    sample = j.sample;
    return kJoyNoError;
}
