// Starts on slots, a pad missing at start-up, the ways the program ends; joystick input injected
// into another process as stored, repeats in real time, a pad unplugged, lock and sleep. Each
// observed event carries the read count of the cycle that injected it.
#include <algorithm>

#include "tests/e2e/input_helpers.h"
#include "tools/winekit/text_receiver.h"

namespace {

// What became of a start: the slot digit of its window ('V' when that window shows), '-' when it
// gave up with 0xFFFFFFFF before any window, '?' when it ended otherwise.
char Outcome(Program& program) {
    char slot = 0;
    WaitUntil(kStartTimeoutMs, "the start to take a slot or give up", [&] {
        for (HWND w : TopLevelWindows(kProgramClass, program.Id()))
            slot = IsWindowVisible(program.window = w) ? 'V' : WindowTitle(w).back();
        return slot != 0 || !program.IsRunning();
    });
    return slot != 0 ? slot : program.WaitForExit() == 0xFFFFFFFF ? '-' : '?';
}

Program& StartPolling(std::initializer_list<Number> numbers) {
    StoreNumbers(numbers);
    Program& program = StartOnSlot("", '1');
    WaitForJoystickReads(2, kStartTimeoutMs);
    StartInputObserver(true);
    return program;
}

} // namespace

E2E_CASE("starts: slot 1 hidden, two at once, id=3, stored 5, id=7 twice gives up") {
    const struct {
        char storedSlot;
        std::vector<std::string> arguments; // started at once
        std::string slots;                  // sorted
    } rows[] = {{0, {""}, "1"},
                {0, {"", ""}, "12"},
                {'5', {"id=3"}, "3"},
                {'5', {""}, "5"},
                {0, {"id=7", "id=7"}, "-7"}};
    for (const auto& row : rows) {
        ResetWorld();
        if (row.storedSlot != 0)
            WriteStoredValue(RegistryRoot::Machine, "", "config", {uint8_t(row.storedSlot)});
        std::vector<Program*> started;
        for (const std::string& arguments : row.arguments)
            started.push_back(&StartProgram(arguments));
        std::string slots;
        for (Program* program : started)
            slots += Outcome(*program);
        std::sort(slots.begin(), slots.end());
        RequireSame(Format("%s, %ld stand-ins", slots.c_str(), ScriptedJoystick().loadCount),
                    Format("%s, %zu stand-ins", row.slots.c_str(), started.size()),
                    row.arguments[0].c_str());
    }
}

E2E_CASE("no pad at start: its box over the main window; plugged meanwhile, it types") {
    StoreKeyMap(RegistryRoot::Machine, '1', {{ButtonBit(1), 'A', 0x1E}});
    SetJoystickPlugged(false);
    Program& program = StartOnSlot("", '1');
    HWND box = WaitForDialog(program.Id(), kAppTitle);
    Require(MessageBoxButtons(box) == std::vector<int>{IDOK} &&
                GetWindow(box, GW_OWNER) == program.window,
            "the box has more than OK, or another owner");
    RequireSame(MessageBoxText(box), "Selected joystick not installed", "the box");
    {
        const TextReceiver other("another program");
        SetJoystickPlugged(true);
        SetJoystickButtons(Button(1)); // the pad is tried again every five seconds
        WaitForJoystickReads(2, 3 * kShortTimeoutMs);
        SetJoystickButtons(0);
        WaitUntil(kShortTimeoutMs, "button 1 to type 'a' into the window in front",
                  [&] { return other.Text() == "a"; });
    }
    Require(IsWindow(box), "the box went away by itself");
    ClickDialogButton(box, IDOK);
    WaitUntil(kShortTimeoutMs, "the box to close", [&] { return !IsWindow(box); });
    Require(program.IsRunning() && FindDialog(program.Id(), kAppTitle) == nullptr,
            "after OK the program ended or asked again");
}

E2E_CASE("exits: code 0, what was held let go once, nothing stored") {
    struct Row {
        const char* how;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        bool mouse;
    } rows[] = {
        {"Exit", WM_COMMAND, kCommandExit, 0, false},
        {"closing the window", WM_CLOSE, 0, 0, false},
        {"a double-click on the tray icon", kTrayCallbackMessage, 0, WM_LBUTTONDBLCLK, false},
        {"the session ending", WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, false},
        {"Exit with the left button held", WM_COMMAND, kCommandExit, 0, true}};
    for (const Row& row : rows) {
        ResetWorld();
        StoreNumbers({{"typematic", 0}});
        if (row.mouse)
            StoreKeyMap(RegistryRoot::Machine, '1', {{ButtonBit(1), VK_LBUTTON, 0}});
        const std::vector<std::string> stored =
            StoredTree({RegistryRoot::Machine, RegistryRoot::User});
        Program& program = StartOnSlot("", '1');
        StartInputObserver(true);
        ScriptHold(row.mouse ? Hold{Button(1)} : Hold{0, 1, kStickUp});
        WaitForObservedInputs(1);
        PostMessageA(program.window, row.message, row.wParam, row.lParam);
        const DWORD code = program.WaitForExit();
        RequireSame(Format("%lu, %s", code, Describe(ProgramInputs()).c_str()),
                    "0, " + (row.mouse ? "mouse left down, mouse left up" : KeyTap(VK_UP, 0x48)),
                    row.how);
        Require(StoredTree({RegistryRoot::Machine, RegistryRoot::User}) == stored, row.how);
    }
}

E2E_CASE("injection as stored: Up, A, extended, mouse, joystick 2; broken values") {
    struct Row {
        const char* what;
        std::vector<StoredValue> stored;
        Hold hold;
        std::string typed;
        int reads = 3, joystick = 0;
    };
    const Bytes keyMap = KeyMapBytes({{ButtonBit(3), 'A', 0x1E},
                                      {ButtonBit(4), VK_UP, 0x48 | 0x80},
                                      {ButtonBit(1), VK_LBUTTON, 0},
                                      {ButtonBit(1), VK_XBUTTON2, 0}});
    Bytes oversized = keyMap;
    oversized.resize(2000);
    const std::vector<StoredValue> map = {{"numkeys", Word(4)}, {"keymap", keyMap}};
    const std::vector<StoredValue> joystick2 = {
        {"joyid", Word(2)}, {"threshold", Word(10)}, {"typematic", Word(0)}};
    const std::vector<StoredValue> count129 = {
        {"numkeys", Word(129)}, {"keymap", KeyMapBytes({{ButtonBit(3), 'A', 0x1E}})}};
    const std::vector<StoredValue> dwords = {{"numkeys", Word(5), REG_DWORD},
                                             {"keymap", Word(0x40000), REG_DWORD}};
    const std::string mouse = "mouse left down, mouse x2 down, mouse left up, mouse x2 up";
    const Hold up = {0, 1, kStickUp}, left10 = {0, 0, 32767 - 8192}; // 12.5% to the left
    const Row rows[] = {
        {"nothing stored", {}, up, KeyTap(VK_UP, 0x48)},
        {"A on button 3", map, {Button(3)}, KeyTap('A', 0x1E)},
        {"an extended Up on button 4", map, {Button(4)}, KeyTap(VK_UP, 0x48, true)},
        {"mouse buttons on button 1", map, {Button(1)}, mouse},
        {"joystick 2 and a 10% threshold", joystick2, left10, KeyTap(VK_LEFT, 0x4B), 15, 2},
        {"a count of 129", count129, {Button(1)}, KeyTap(VK_RETURN, 0x1C)},
        {"a key map of 2000 bytes",
         {{"numkeys", Word(1)}, {"keymap", oversized}},
         up,
         KeyTap(VK_UP, 0x48)},
        {"a DWORD count and key map", dwords, {Button(2)}, "nothing"}};
    for (const Row& row : rows) {
        ResetWorld();
        WriteStoredValues(RegistryRoot::Machine, "", row.stored);
        StartPolling({});
        POINT before{}, after{};
        GetCursorPos(&before);
        const std::string typed = TypedByHolding(row.hold, row.reads);
        GetCursorPos(&after);
        RequireSame(Format("%s from joystick %ld, pointer at %ld,%ld", typed.c_str(),
                           long(ScriptedJoystick().lastReadId), after.x, after.y),
                    Format("%s from joystick %d, pointer at %ld,%ld", row.typed.c_str(),
                           row.joystick, before.x, before.y),
                    row.what);
    }
}

E2E_CASE("Return repeats in real time at the default and a stored pace") {
    const struct {
        std::vector<Number> stored;
        const char* cycles; // of the first four presses, from the first
        double mostMsPerRead;
    } rows[] = {
        {{}, "0 5 6 7", 1e9},
        {{{"pollingspeed", 20}, {"typematicdelay", 100}, {"typematicrate", 40}}, "0 5 7 9", 60}};
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    for (const auto& row : rows) {
        ResetWorld();
        for (const Number& n : row.stored)
            StoreNumbers({n});
        StartPolling({});
        SetJoystickButtons(Button(1));
        WaitForKey(VK_RETURN, true, 4);
        SetJoystickButtons(0);
        const std::vector<ObservedInput> seen = WaitForKey(VK_RETURN, false);
        std::string cycles;
        for (size_t i = 0; i < 4; ++i)
            cycles += Format(" %llu", seen[i].joystickReads - seen[0].joystickReads);
        const double msPerRead = 1e3 * double(seen.back().observedTicks - seen[0].observedTicks) /
                                 double(frequency.QuadPart) /
                                 double(seen.back().joystickReads - seen[0].joystickReads);
        Require(cycles.substr(1) == row.cycles && !seen.back().down && seen[seen.size() - 2].down &&
                    msPerRead < row.mostMsPerRead,
                Format("%s, a read every %.0f ms", Describe(seen).c_str(), msPerRead));
    }
}

E2E_CASE("the pad unplugged while held: quiet while away; back, Up let go, repeats") {
    StartPolling({{"pollingspeed", 20}, {"typematicdelay", 100}, {"typematicrate", 20}});
    ScriptHold({Button(1), 1, kStickUp});
    WaitForKey(VK_RETURN, true, 2);
    SetJoystickPlugged(false);
    const uint64_t away = JoystickReads();
    WaitForJoystickReads(2, 3 * kShortTimeoutMs); // a failed read and a retry five seconds on
    ScriptHold({Button(1)});
    SetJoystickPlugged(true);
    uint64_t back = 0;
    for (const ObservedInput& i : WaitForKey(VK_UP, false, 1, 3 * kShortTimeoutMs))
        back = i.vk == VK_UP && !i.down ? i.joystickReads : back;
    WaitForJoystickReads(8, kShortTimeoutMs, back);
    std::string wrong;
    int repeats = 0;
    for (const ObservedInput& i : ProgramInputs()) {
        const bool repeat = i.vk == VK_RETURN && i.down && i.joystickReads >= back;
        repeats += repeat;
        if (i.joystickReads > away && !repeat && !(i.vk == VK_UP && i.joystickReads == back))
            wrong += Format("%s (read %llu); ", Describe(i).c_str(), i.joystickReads);
    }
    Require(wrong.empty() && repeats > 0, Format("away reads %llu to %llu: %s%d repeats after",
                                                 away, back, wrong.c_str(), repeats));
}

E2E_CASE("button 1 held over lock and sleep: let go, quiet, pressed anew") {
    Program& program = StartPolling({{"pollingspeed", 20}, {"typematic", 0}});
    SetJoystickButtons(Button(1));
    WaitForKey(VK_RETURN, true);
    const struct {
        UINT message;
        WPARAM event;
        size_t seen; // events injected so far: the press, its release, then a new press
    } steps[] = {{WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 2},
                 {WM_POWERBROADCAST, PBT_APMSUSPEND, 2},
                 {WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 2},
                 {WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 4}};
    for (const auto& step : steps) {
        SendMessageBounded(program.window, step.message, step.event, 0);
        WaitForJoystickReads(5);
        const std::vector<ObservedInput> seen = ProgramInputs();
        Require(seen.size() == step.seen && seen.back().down == (step.seen == 4),
                Format("after event %u: %s", unsigned(step.event), Describe(seen).c_str()));
    }
}
