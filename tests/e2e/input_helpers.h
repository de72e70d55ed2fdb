#pragma once
// What a user gets from the joystick: the keys and mouse buttons the program injects, told
// apart from the driver's own input, and described as the input observer sees them.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/winekit/input_observer.h"
#include "tools/winekit/scripted_joystick_control.h"

constexpr uint32_t Button(int n) { // in the joystick's button word
    return 1u << (n - 1);
}
constexpr uint64_t ButtonBit(int n) { // in the program's input word
    return uint64_t{1} << (15 + n);
}
constexpr uint32_t kStickUp = 0; // the Y axis pushed all the way

// Everything observed that the driver did not type or click itself.
std::vector<ObservedInput> ProgramInputs();
// Waits until the program has injected `count` events of key `vk` (any key: 0) pressed (or let
// go); returns all it injected.
std::vector<ObservedInput> WaitForKey(uint32_t vk, bool down, size_t count = 1,
                                      DWORD timeoutMs = kShortTimeoutMs);

using Hold = void (*)(ScriptedJoystickScript&);
// Holds the joystick as `hold` leaves the script for `reads` reads, then puts the script back
// for as many; what the program injected meanwhile, swallowed so that it lands nowhere.
std::string TypedByHolding(Hold hold, int reads = 3);
// One press and release as the observer describes it.
std::string KeyTap(uint32_t vk, uint32_t scan, bool extended = false);
