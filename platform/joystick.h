#pragma once
// The joystick as the program needs it from the multimedia joystick interface. Plain records
// filled by platform/win32/ from JOYCAPSA and JOYINFOEX, so the engine needs no Windows headers.
#include <cstdint>
#include <type_traits>

constexpr uint32_t kJoyNoError = 0;
constexpr uint32_t kJoyCapsHasPov = 0x10;
constexpr uint32_t kJoyPovCentered = 65535;
constexpr int kAxisCount = 6;

struct JoystickCaps {
    // Axis bounds in the order X, Y, Z, R, U, V.
    uint32_t axisMin[kAxisCount];
    uint32_t axisMax[kAxisCount];
    uint32_t numButtons; // wNumButtons
    uint32_t numAxes;    // wNumAxes
    uint32_t caps;       // wCaps
};

constexpr int kJoystickCapsWords = sizeof(JoystickCaps) / sizeof(uint32_t);
static_assert(std::has_unique_object_representations_v<JoystickCaps>, "compared word by word");

struct JoystickSample {
    uint32_t pos[kAxisCount]; // dwXpos .. dwVpos
    uint32_t buttons;         // dwButtons: bit n-1 is button n
    uint32_t pov;             // dwPOV, hundredths of a degree, kJoyPovCentered at rest
};

uint32_t JoystickCount();                                       // joyGetNumDevs
uint32_t ReadJoystickCaps(uint32_t joystickId, JoystickCaps& caps); // joyGetDevCapsA
uint32_t ReadJoystick(uint32_t joystickId, JoystickSample& sample); // joyGetPosEx, JOY_RETURNALL|POVCTS
