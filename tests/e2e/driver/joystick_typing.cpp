#include "tests/e2e/driver/joystick_typing.h"

#include "tests/e2e/driver/case_runner.h"
#include "tests/e2e/driver/scripted_joystick_control.h"

std::vector<ObservedInput> InputsWhileHolding(const JoystickHold& hold, int reads,
                                              unsigned long timeoutMs) {
    const ScriptedJoystickScript before = CurrentJoystickScript();
    StartInputObserver(true);
    ScriptJoystick(hold);
    WaitForJoystickReads(reads, timeoutMs);
    ScriptJoystick([&](ScriptedJoystickScript& s) { s = before; });
    WaitForJoystickReads(reads, timeoutMs);
    std::vector<ObservedInput> seen = ObservedInputs();
    StopInputObserver();
    return seen;
}

std::string TypedByHolding(const JoystickHold& hold) {
    return Describe(InputsWhileHolding(hold));
}

std::string TypedByButtons(uint32_t buttons) {
    return TypedByHolding([&](ScriptedJoystickScript& s) { s.buttons = buttons; });
}

std::string KeyTap(uint32_t vk, uint32_t scan, bool extended) {
    const char* ext = extended ? " extended" : "";
    return Format("key down vk 0x%02X scan 0x%02X%s, key up vk 0x%02X scan 0x%02X%s", vk, scan, ext,
                  vk, scan, ext);
}
