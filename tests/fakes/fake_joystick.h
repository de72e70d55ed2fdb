#pragma once
// A scripted joystick: tests set its capabilities, its position and whether it answers.
#include <cstdint>

#include "platform/joystick.h"

struct FakeJoystick {
    uint32_t count = 1;            // joyGetNumDevs
    uint32_t capsResult = 0;       // result of the capability query
    uint32_t readResult = 0;       // result of the position read
    JoystickCaps caps{};
    JoystickSample sample{};
    uint64_t reads = 0;            // position reads so far
    uint32_t lastCapsId = 0;
    uint32_t lastReadId = 0;
};

FakeJoystick& TheFakeJoystick();
// A 6-axis joystick with a hat and 12 buttons, bounds 0..65535, centred, answering.
void ResetFakeJoystick();
// Safe while a poll thread reads the joystick: the sample and the read result are read and
// written field by field atomically, and `reads` and `lastReadId` are updated atomically.
void SetFakeJoystickSample(const JoystickSample& sample);
void SetFakeJoystickReadResult(uint32_t result);
uint64_t FakeJoystickReads();
