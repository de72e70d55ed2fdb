// Starting the program on its slots, a pad missing at start-up, and the ways it ends.
#include <algorithm>
#include <string>
#include <vector>

#include "tests/e2e/case_runner.h"
#include "tests/e2e/input_helpers.h"
#include "tools/winekit/program.h"
#include "tools/winekit/registry_values.h"
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

E2E_CASE("a user starts the program: alone it runs hidden on slot 1 with the stand-in joystick; "
         "two at once take slots 1 and 2; id=3 takes 3 though 5 was chosen last; 5 chosen last "
         "gives 5; id=7 while 7 runs gives up with 0xFFFFFFFF and no window") {
    struct Row {
        const char* what;
        char storedSlot;
        std::vector<std::string> arguments;
        bool together;
        std::string slots;
    };
    const Row rows[] = {
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
        Require(slots == row.slots, Format("%s: the starts came to '%s', expected '%s'", row.what,
                                           slots.c_str(), row.slots.c_str()));
        Require(ScriptedJoystick().loadCount == LONG(started.size()),
                Format("%s: not every start loaded the scripted winmm.dll beside it", row.what));
    }
}

E2E_CASE("a user starts the program with the pad switched off and sees \"Selected joystick not "
         "installed\" over its main window; the pad switched on while the box is up types into "
         "the window in front, and after OK the program runs on") {
    StoreKeyMap(RegistryRoot::Machine, '1', {{ButtonBit(1), 'A', 0x1E}});
    SetJoystickPlugged(false);
    Program& program = StartOnSlot("", '1');
    HWND box = WaitForDialog(program.Id(), kAppTitle);
    Require(MessageBoxText(box) == "Selected joystick not installed" &&
                MessageBoxButtons(box) == std::vector<int>{IDOK} &&
                GetWindow(box, GW_OWNER) == program.window,
            "the box says '" + MessageBoxText(box) + "', or has more than OK, or another owner");
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

E2E_CASE("a user ends the program by Exit, by closing its window, by a double-click on the tray "
         "icon or by logging off while holding the stick up, or by Exit with a mouse button held: "
         "it ends with 0, lets go of what it held once and stores nothing") {
    struct Row {
        const char* how;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        bool mouse;
    };
    const Row rows[] = {
        {"Exit", WM_COMMAND, kCommandExit, 0, false},
        {"closing the window", WM_CLOSE, 0, 0, false},
        {"a double-click on the tray icon", kTrayCallbackMessage, 0, WM_LBUTTONDBLCLK, false},
        {"the session ending", WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, false},
        {"Exit with the left button held", WM_COMMAND, kCommandExit, 0, true},
    };
    for (const Row& row : rows) {
        ResetWorld();
        WriteStoredValue(RegistryRoot::Machine, "", "typematic", Word(0));
        if (row.mouse)
            StoreKeyMap(RegistryRoot::Machine, '1', {{ButtonBit(1), VK_LBUTTON, 0}});
        const std::vector<std::string> stored =
            StoredTree({RegistryRoot::Machine, RegistryRoot::User});
        Program& program = StartOnSlot("", '1');
        StartInputObserver(true);
        ScriptJoystick([&](ScriptedJoystickScript& s) {
            s.buttons = row.mouse ? Button(1) : 0;
            s.pos[1] = row.mouse ? s.pos[1] : kStickUp;
        });
        WaitForObservedInputs(1);
        PostMessageA(program.window, row.message, row.wParam, row.lParam);
        const DWORD code = program.WaitForExit();
        const std::string seen = Describe(ProgramInputs());
        const std::string expected =
            row.mouse ? "mouse left down, mouse left up" : KeyTap(VK_UP, 0x48);
        Require(code == 0 && seen == expected,
                Format("after %s the program ended with 0x%lX having injected %s; expected 0 "
                       "and %s",
                       row.how, code, seen.c_str(), expected.c_str()));
        Require(StoredTree({RegistryRoot::Machine, RegistryRoot::User}) == stored,
                Format("the registry changed as the program ended by %s", row.how));
    }
}
