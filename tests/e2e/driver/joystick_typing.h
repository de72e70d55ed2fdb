#pragma once
// What a user gets from the joystick: the keys and mouse buttons the program injects while the
// joystick is held one way for a few poll cycles and in the cycles after it is let go.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tests/e2e/driver/input_observer.h"
#include "tools/winmm_stub/scripted_joystick.h"

using JoystickHold = std::function<void(ScriptedJoystickScript&)>;

// Holds the joystick as `hold` leaves the script for `reads` reads, then puts the script back
// as it was for as many; returns what the program injected meanwhile, swallowed so that it
// lands nowhere. Three reads are too short a hold for any auto-repeat at the default pace.
std::vector<ObservedInput> InputsWhileHolding(const JoystickHold& hold, int reads = 3,
                                              unsigned long timeoutMs = 5000);
std::string TypedByHolding(const JoystickHold& hold);
std::string TypedByButtons(uint32_t buttons); // bit n-1 is button n

// One press and release as the observer describes it.
std::string KeyTap(uint32_t vk, uint32_t scan, bool extended = false);
