#pragma once
// What a user holds on the scripted joystick, and what the program injected meanwhile as the
// input observer describes it.
#include <cstdint>
#include <string>

#include "tools/winekit/scripted_joystick_control.h"

constexpr uint32_t Button(int n) { // in the joystick's button word
    return 1u << (n - 1);
}
constexpr uint64_t ButtonBit(int n) { // in the program's input word
    return uint64_t{1} << (15 + n);
}
constexpr uint32_t kStickUp = 0; // the Y axis pushed all the way

// What a user holds: buttons, and one axis at a position.
struct Hold {
    uint32_t buttons = 0;
    int axis = -1;
    uint32_t position = 0;
};
void ScriptHold(const Hold& hold);
// Holds the joystick (or changes the script by `hold`) for `reads` reads, then puts the script
// back for as many; what the program injected meanwhile, swallowed so that it lands nowhere.
std::string TypedByHolding(const Hold& hold, int reads = 3);
std::string TypedByHolding(void (*hold)(ScriptedJoystickScript&), int reads = 3);
// One press and release as the observer describes it.
std::string KeyTap(uint32_t vk, uint32_t scan, bool extended = false);
