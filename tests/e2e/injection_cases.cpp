// Joystick input becoming keys and mouse buttons in another process: scan codes, the extended
// flag, mouse buttons, the stored settings that decide them, repeat in real time, a pad that
// goes away and comes back, and a session that locks and sleeps.
//
// Events are tied to poll cycles through the scripted joystick's read counter: every cycle reads
// the joystick once, and every observed event carries the read count of the cycle that injected
// it (ObservedInput::joystickReads).
#include <vector>

#include "tests/e2e/case_runner.h"
#include "tests/e2e/input_helpers.h"
#include "tools/winekit/program.h"
#include "tools/winekit/registry_values.h"

namespace {

void StoreMachine(const char* name, uint32_t value) {
    WriteStoredValue(RegistryRoot::Machine, "", name, Word(value));
}

void StoreShortCycles(uint32_t typematic) { // 20 ms cycles, the default repeat cadence in cycles
    StoreMachine("typematic", typematic);
    StoreMachine("pollingspeed", 20);
    StoreMachine("typematicdelay", 100);
    StoreMachine("typematicrate", 20);
}

Program& StartPolling() {
    Program& program = StartOnSlot("", '1');
    WaitForJoystickReads(2, kStartTimeoutMs);
    return program;
}

} // namespace

E2E_CASE("a user's joystick types into another program what the stored settings say: Up without "
         "the extended flag out of the box, a stored A, an extended Up, the left and second extra "
         "mouse buttons with the pointer left alone, one Left from joystick 2 past a 10% "
         "threshold; a broken key count, an oversized key map and values of the wrong type are "
         "passed over") {
    struct Row {
        const char* what;
        void (*store)();
        Hold hold;
        int reads, joystick;
        std::string typed;
    };
    const auto stickUp = [](ScriptedJoystickScript& s) { s.pos[1] = kStickUp; };
    const auto keyMap = [] {
        StoreKeyMap(RegistryRoot::Machine, '1',
                    {{ButtonBit(3), 'A', 0x1E},
                     {ButtonBit(4), VK_UP, 0x48 | 0x80},
                     {ButtonBit(1), VK_LBUTTON, 0},
                     {ButtonBit(1), VK_XBUTTON2, 0}});
    };
    const Row rows[] = {
        {"nothing stored", [] {}, stickUp, 3, 0, KeyTap(VK_UP, 0x48)},
        {"A stored on button 3", keyMap, [](auto& s) { s.buttons = Button(3); }, 3, 0,
         KeyTap('A', 0x1E)},
        {"an extended Up stored on button 4", keyMap, [](auto& s) { s.buttons = Button(4); }, 3, 0,
         KeyTap(VK_UP, 0x48, true)},
        {"the left and second extra mouse buttons on button 1", keyMap,
         [](auto& s) { s.buttons = Button(1); }, 3, 0,
         "mouse left down, mouse x2 down, mouse left up, mouse x2 up"},
        {"joystick 2, a 10% threshold and no repeat",
         [] {
             StoreMachine("joyid", 2);
             StoreMachine("threshold", 10);
             StoreMachine("typematic", 0);
         },
         [](auto& s) { s.pos[0] = 32767 - 8192; }, 15, 2, KeyTap(VK_LEFT, 0x4B)},
        {"a key count of 129",
         [] {
             StoreKeyMap(RegistryRoot::Machine, '1', {{ButtonBit(3), 'A', 0x1E}});
             StoreMachine("numkeys", 129);
         },
         [](auto& s) { s.buttons = Button(1); }, 3, 0, KeyTap(VK_RETURN, 0x1C)},
        {"a key map of 2000 bytes",
         [] {
             Bytes bytes = KeyMapBytes({{ButtonBit(3), 'A', 0x1E}});
             bytes.resize(2000);
             WriteStoredValue(RegistryRoot::Machine, "", "keymap", bytes);
             StoreMachine("numkeys", 1);
         },
         stickUp, 3, 0, KeyTap(VK_UP, 0x48)},
        {"a DWORD count of 5 and a 4-byte key map",
         [] {
             WriteStoredValue(RegistryRoot::Machine, "", "numkeys", Word(5), REG_DWORD);
             WriteStoredValue(RegistryRoot::Machine, "", "keymap", Word(0x40000), REG_DWORD);
         },
         [](auto& s) { s.buttons = Button(2); }, 3, 0, "nothing"},
    };
    for (const Row& row : rows) {
        ResetWorld();
        row.store();
        StartPolling();
        POINT before{}, after{};
        GetCursorPos(&before);
        const std::string typed = TypedByHolding(row.hold, row.reads);
        GetCursorPos(&after);
        Require(typed == row.typed, Format("with %s the program injected %s; expected %s", row.what,
                                           typed.c_str(), row.typed.c_str()));
        Require(ScriptedJoystick().lastReadId == row.joystick && after.x == before.x &&
                    after.y == before.y,
                Format("with %s the program read joystick %ld, or moved the pointer", row.what,
                       long(ScriptedJoystick().lastReadId)));
    }
}

E2E_CASE("a user holds button 1 and Return repeats in real time at the stored pace: out of the "
         "box in the cycles 1, 6, 7, 8...; with 20 ms polling, a 100 ms delay and a 40 ms rate in "
         "1, 6, 8, 10..., reading every 20 ms; one release") {
    struct Row {
        uint32_t polling, delay, rate;
        std::vector<uint64_t> pressCycles; // counted from the first press
        double mostMsPerRead;
    };
    const Row rows[] = {{0, 0, 0, {0, 5, 6, 7, 8, 9, 10}, 1e9},
                        {20, 100, 40, {0, 5, 7, 9, 11, 13, 15}, 60}};
    for (const Row& row : rows) {
        ResetWorld();
        const std::pair<const char*, uint32_t> timing[] = {{"pollingspeed", row.polling},
                                                           {"typematicdelay", row.delay},
                                                           {"typematicrate", row.rate}};
        for (const auto& [name, value] : timing)
            if (value != 0)
                StoreMachine(name, value);
        StartPolling();
        StartInputObserver(true);
        SetJoystickButtons(Button(1));
        WaitForKey(VK_RETURN, true, 4);
        SetJoystickButtons(0);
        const std::vector<ObservedInput> seen = WaitForKey(VK_RETURN, false);
        const ObservedInput &first = seen.front(), &release = seen.back();
        std::vector<uint64_t> presses;
        for (size_t i = 0; i + 1 < seen.size(); ++i)
            presses.push_back(seen[i].joystickReads - first.joystickReads);
        const uint64_t released = release.joystickReads - first.joystickReads;
        const std::vector<uint64_t> expected(row.pressCycles.begin(),
                                             row.pressCycles.begin() + presses.size());
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        const double msPerRead = 1e3 * double(release.observedTicks - first.observedTicks) /
                                 double(frequency.QuadPart) / double(released);
        Require(
            presses == expected && released > presses.back() && !release.down &&
                (presses.size() >= row.pressCycles.size() ||
                 released <= row.pressCycles[presses.size()]),
            Format("with polling %u the program injected %s", row.polling, Describe(seen).c_str()));
        Require(msPerRead < row.mostMsPerRead, Format("the reads came %.0f ms apart", msPerRead));
    }
}

E2E_CASE("a user unplugs the pad while holding the stick up and button 1: nothing is pressed or "
         "let go while it is away; back with the stick centred, Up alone is let go and Return "
         "repeats on") {
    StoreShortCycles(1);
    StartPolling();
    StartInputObserver(true);
    ScriptJoystick([](ScriptedJoystickScript& s) {
        s.pos[1] = kStickUp;
        s.buttons = Button(1);
    });
    WaitForKey(VK_RETURN, true, 2);
    SetJoystickPlugged(false);
    const uint64_t away = JoystickReads();
    WaitForJoystickReads(2, 3 * kShortTimeoutMs); // a failed read and a retry five seconds on
    ScriptJoystick([](ScriptedJoystickScript& s) { s.pos[1] = 32767; });
    SetJoystickPlugged(true);
    std::vector<ObservedInput> seen = WaitForKey(VK_UP, false, 1, 3 * kShortTimeoutMs);
    uint64_t back = 0;
    for (const ObservedInput& i : seen)
        back = i.vk == VK_UP && !i.down ? i.joystickReads : back;
    WaitForJoystickReads(8, kShortTimeoutMs, back);
    std::string wrong;
    int repeats = 0;
    for (const ObservedInput& i : ProgramInputs()) {
        const bool upLetGo = i.vk == VK_UP && !i.down && i.joystickReads == back;
        const bool repeat = i.vk == VK_RETURN && i.down && i.joystickReads >= back;
        repeats += repeat;
        if (i.joystickReads > away && !upLetGo && !repeat)
            wrong += Format("%s (read %llu); ", Describe(i).c_str(), i.joystickReads);
    }
    Require(wrong.empty() && repeats > 0,
            Format("the pad went away at read %llu and came back at %llu; the program injected "
                   "%sand repeated Return %d times after",
                   away, back, wrong.c_str(), repeats));
}

E2E_CASE("a user holding button 1 locks the session, which then sleeps: Return is let go and "
         "stays quiet; awake and unlocked, it is pressed anew") {
    StoreShortCycles(0);
    Program& program = StartPolling();
    StartInputObserver(true);
    SetJoystickButtons(Button(1));
    WaitForKey(VK_RETURN, true);
    const struct {
        UINT message;
        WPARAM event;
        size_t seen;
    } steps[] = {{WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 2},
                 {WM_POWERBROADCAST, PBT_APMSUSPEND, 2},
                 {WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 2},
                 {WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 4}};
    for (const auto& step : steps) {
        SendMessageBounded(program.window, step.message, step.event, 0);
        WaitForJoystickReads(5);
        const std::vector<ObservedInput> seen = ProgramInputs();
        Require(seen.size() == step.seen && !seen.back().down == (step.seen == 2),
                Format("after event %u the program injected %s", unsigned(step.event),
                       Describe(seen).c_str()));
    }
}
