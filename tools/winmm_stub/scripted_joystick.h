#pragma once
// The scripted joystick's state, shared between the test driver (which creates and writes it)
// and the stand-in winmm.dll loaded by padwright.exe (which answers the joystick calls from it).
// Both sides are built by the same compiler, so one struct describes the mapping exactly.
//
// The driver changes `script` under a sequence count (odd while a write is in progress), so the
// stand-in never answers a read with half of one scripted sample and half of the next: a chord of
// two buttons set in one write arrives in one poll cycle.
#include <windows.h>

#include <cstdint>

constexpr char kScriptedJoystickMapping[] = "Local\\PadwrightScriptedJoystick";
constexpr uint32_t kScriptedJoystickMagic = 0x534A5750; // "PWJS"
constexpr int kScriptedAxes = 6;                        // X, Y, Z, R, U, V

// Multimedia joystick results and flags the stand-in answers with.
constexpr uint32_t kJoyErrNoError = 0;
constexpr uint32_t kMmInvalidParam = 11;   // MMSYSERR_INVALPARAM
constexpr uint32_t kJoyErrParms = 165;     // JOYERR_PARMS
constexpr uint32_t kJoyErrUnplugged = 167; // JOYERR_UNPLUGGED
constexpr uint32_t kJoyCapsHasZ = 0x01;
constexpr uint32_t kJoyCapsHasR = 0x02;
constexpr uint32_t kJoyCapsHasU = 0x04;
constexpr uint32_t kJoyCapsHasV = 0x08;
constexpr uint32_t kJoyCapsHasPov = 0x10;
constexpr uint32_t kJoyCapsPov4Dir = 0x20;
constexpr uint32_t kJoyPovCentered = 0xFFFF;

struct ScriptedJoystickScript {
    uint32_t deviceCount; // joyGetNumDevs; ids at or above it answer JOYERR_PARMS
    uint32_t capsResult;  // joyGetDevCapsA result for a valid id (0 = success)
    uint32_t readResult;  // joyGetPosEx / joyGetPos result for a valid id (0 = success)
    uint32_t axisMin[kScriptedAxes];
    uint32_t axisMax[kScriptedAxes];
    uint32_t numButtons; // wNumButtons
    uint32_t numAxes;    // wNumAxes
    uint32_t caps;       // wCaps
    uint32_t pos[kScriptedAxes];
    uint32_t buttons; // bit n-1 is button n
    uint32_t pov;     // hundredths of a degree, kJoyPovCentered at rest
    char productName[32];
};

struct ScriptedJoystickShared {
    uint32_t magic;
    uint32_t size; // sizeof(ScriptedJoystickShared), so a stale layout is never trusted
    volatile LONG sequence;
    uint32_t reserved;
    ScriptedJoystickScript script;
    // Written by the stand-in, read by the driver.
    alignas(8) volatile LONG64 readCount; // joyGetPosEx calls, whatever their result
    alignas(8) volatile LONG64 capsCount; // joyGetDevCapsA calls
    volatile LONG lastReadId;
    volatile LONG lastCapsId;
    volatile LONG loadCount;     // processes that loaded the stand-in with this mapping present
    volatile LONG lastLoaderPid; // process id of the latest of them
    // The first read that answered from a script written under a new sequence count: that count
    // and the read's QueryPerformanceCounter value, taken as the read began. The time is stored
    // before the count, so a reader that sees its count sees its time.
    alignas(8) volatile LONG64 changeSeenAt;
    volatile LONG changeSeenSequence;
};

// A 6-axis joystick with a hat and 12 buttons, bounds 0..65535, centred and answering. The
// stand-in answers like this when no driver has created the mapping.
inline ScriptedJoystickScript DefaultJoystickScript() {
    ScriptedJoystickScript s{};
    s.deviceCount = 16;
    s.capsResult = kJoyErrNoError;
    s.readResult = kJoyErrNoError;
    for (int axis = 0; axis < kScriptedAxes; ++axis) {
        s.axisMin[axis] = 0;
        s.axisMax[axis] = 65535;
        s.pos[axis] = 32767;
    }
    s.numButtons = 12;
    s.numAxes = 6;
    s.caps = kJoyCapsHasZ | kJoyCapsHasR | kJoyCapsHasU | kJoyCapsHasV | kJoyCapsHasPov |
             kJoyCapsPov4Dir;
    s.buttons = 0;
    s.pov = kJoyPovCentered;
    const char name[] = "Scripted Joystick";
    for (unsigned i = 0; i < sizeof(name); ++i)
        s.productName[i] = name[i];
    return s;
}
