// Starts on slots, a pad missing at start-up, and the ways the program ends.
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

} // namespace

E2E_CASE("starts: hidden on slot 1 with the stand-in joystick; two at once take 1 and 2; id=3 "
         "over a stored 5; a stored 5; id=7 twice gives up with 0xFFFFFFFF, no window") {
    struct Row {
        const char* what;
        char storedSlot;
        std::vector<std::string> arguments;
        bool together;
        std::string slots;
    } rows[] = {
        {"a plain start", 0, {""}, false, "1"},
        {"two starts at once", 0, {"", ""}, true, "12"},
        {"id=3 with 5 chosen last", '5', {"id=3"}, false, "3"},
        {"a start with 5 chosen last", '5', {""}, false, "5"},
        {"id=7 twice", 0, {"id=7", "id=7"}, false, "7-"},
    };
    for (const Row& row : rows) {
        ResetWorld();
        if (row.storedSlot != 0)
            WriteStoredValue(RegistryRoot::Machine, "", "config", {uint8_t(row.storedSlot)});
        std::vector<Program*> started;
        std::string slots;
        for (const std::string& arguments : row.arguments) {
            started.push_back(&StartProgram(arguments));
            if (!row.together)
                slots += Outcome(*started.back());
        }
        for (Program* program : started)
            slots += row.together ? std::string(1, Outcome(*program)) : "";
        if (row.together)
            std::sort(slots.begin(), slots.end());
        RequireSame(Format("%s, %ld stand-ins", slots.c_str(), ScriptedJoystick().loadCount),
                    Format("%s, %zu stand-ins", row.slots.c_str(), started.size()), row.what);
    }
}

E2E_CASE("no pad at start: \"Selected joystick not installed\" over the main window; the pad "
         "plugged meanwhile types; after OK the program runs on") {
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

E2E_CASE("Exit, close, a tray double-click, logging off, Exit with a mouse button held: code 0, "
         "what was held let go once, nothing stored") {
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
        {"Exit with the left button held", WM_COMMAND, kCommandExit, 0, true},
    };
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
