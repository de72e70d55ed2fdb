#include "tests/e2e/input_helpers.h"

#include "tools/winekit/user_input.h"

std::vector<ObservedInput> ProgramInputs() {
    std::vector<ObservedInput> inputs = ObservedInputs();
    std::erase_if(inputs, [](const ObservedInput& i) { return i.extraInfo == kDriverInputMark; });
    return inputs;
}

std::vector<ObservedInput> WaitForKey(uint32_t vk, bool down, size_t count, DWORD timeoutMs) {
    std::vector<ObservedInput> seen;
    const auto found = [&] {
        size_t n = 0;
        for (const ObservedInput& i : seen = ProgramInputs())
            n += i.isKey && (vk == 0 || i.vk == vk) && i.down == down;
        return n >= count;
    };
    if (!PollUntil(timeoutMs, found))
        Fail(Format("timed out after %lu ms waiting for key 0x%02X %s %zu times; the program "
                    "injected %s",
                    timeoutMs, vk, down ? "down" : "up", count, Describe(seen).c_str()));
    return seen;
}

std::string TypedByHolding(Hold hold, int reads) {
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

std::string KeyTap(uint32_t vk, uint32_t scan, bool extended) {
    const char* ext = extended ? " extended" : "";
    return Format("key down vk 0x%02X scan 0x%02X%s, key up vk 0x%02X scan 0x%02X%s", vk, scan, ext,
                  vk, scan, ext);
}
