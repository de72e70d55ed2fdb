#include "tools/winekit/joystick_hold.h"

#include "tools/winekit/input_observer.h"

namespace {

void Apply(const Hold& hold, ScriptedJoystickScript& s) {
    s.buttons = hold.buttons;
    for (int axis = 0; axis < kScriptedAxes; ++axis)
        s.pos[axis] = axis == hold.axis ? hold.position : 32767;
}

template <class Script> std::string Typed(const Script& hold, int reads) {
    ScriptedJoystickScript before;
    StartInputObserver(true);
    ScriptJoystick([&](ScriptedJoystickScript& s) {
        before = s;
        hold(s);
    });
    WaitForJoystickReads(reads);
    ScriptJoystick([&](ScriptedJoystickScript& s) { s = before; });
    WaitForJoystickReads(reads);
    const std::string typed = Describe(ProgramInputs());
    StopInputObserver();
    return typed;
}

} // namespace

void ScriptHold(const Hold& hold) {
    ScriptJoystick([&](ScriptedJoystickScript& s) { Apply(hold, s); });
}

std::string TypedByHolding(const Hold& hold, int reads) {
    return Typed([&](ScriptedJoystickScript& s) { Apply(hold, s); }, reads);
}

std::string TypedByHolding(void (*hold)(ScriptedJoystickScript&), int reads) {
    return Typed(hold, reads);
}

std::string KeyTap(uint32_t vk, uint32_t scan, bool extended) {
    const char* ext = extended ? " extended" : "";
    return Format("key down vk 0x%02X scan 0x%02X%s, key up vk 0x%02X scan 0x%02X%s", vk, scan, ext,
                  vk, scan, ext);
}
