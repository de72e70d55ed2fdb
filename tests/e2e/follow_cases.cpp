// Slots that follow the program in front: programs of file names of their own, brought to the
// front, put the slot that lists them in use; any other brings back the user's own slot.
#include <windows.h>

#include <cstring>
#include <memory>

#include "tests/e2e/case_runner.h"
#include "tests/e2e/input_helpers.h"
#include "tools/winekit/program.h"
#include "tools/winekit/registry_values.h"
#include "tools/winekit/text_receiver.h"
#include "tools/winekit/tray_menu.h"
#include "tools/winekit/user_input.h"

namespace {

// The receiver beside the driver, copied to `path` in the case directory and started: a window
// of a process whose image has that file name.
struct FrontProgram {
    explicit FrontProgram(const std::string& path) {
        char driver[MAX_PATH] = "";
        GetModuleFileNameA(nullptr, driver, sizeof driver);
        std::string receiver = driver;
        receiver.replace(receiver.find_last_of('\\') + 1, std::string::npos,
                         "padwright_receiver.exe");
        const std::string copy = CaseDirectory() + "\\" + path;
        CreateDirectoryA(copy.substr(0, copy.find_last_of('\\')).c_str(), nullptr);
        Require(CopyFileA(receiver.c_str(), copy.c_str(), FALSE), "cannot copy to " + copy);
        std::string line = "receiver " + path;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        Require(CreateProcessA(copy.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &info),
                "cannot start " + copy);
        CloseHandle(info.hThread);
        process = std::make_unique<Program>(info.hProcess, info.dwProcessId, line);
        WaitUntil(kShortTimeoutMs, path + "'s window", [&] {
            const auto windows = TopLevelWindows(kDialogClass, process->Id());
            return (process->window = windows.empty() ? nullptr : windows[0]) != nullptr;
        });
    }
    ~FrontProgram() {
        try {
            process->Kill();
        } catch (const Failure&) {
        }
    }
    std::unique_ptr<Program> process;
};

// Brings `window` to the front; Wine 8 raises no foreground notice of its own, so the driver
// raises the one Windows raises.
void ToFront(HWND window) {
    BringToFront(window);
    NotifyWinEvent(EVENT_SYSTEM_FOREGROUND, window, OBJID_WINDOW, CHILDID_SELF);
}

void RequireSlotInUse(const Program& program, char slot, const char* when) {
    WaitUntil(kShortTimeoutMs, Format("slot %c in use %s", slot, when),
              [&] { return WindowTitle(program.window) == MainWindowTitle(slot); });
}

std::string TrayMenuText(HWND mainWindow) {
    const TrayMenu menu = OpenTrayMenu(mainWindow);
    DismissMenuWithEscape(menu);
    return DescribeMenu(menu);
}

std::string TypedByButton1() {
    return TypedByHolding([](ScriptedJoystickScript& s) { s.buttons = Button(1); });
}

// Button 1 types A in slot 1, B in slot 2 (for game.exe), C in slot 3 (for RACE, that is
// race.exe); no typematic repeats.
Program& StartWithListedSlots(const std::string& arguments) {
    const struct {
        char slot;
        uint8_t vk, scan;
        const char* programs;
    } slots[] = {{'1', 'A', 0x1E, nullptr}, {'2', 'B', 0x30, "game.exe"}, {'3', 'C', 0x2E, "RACE"}};
    for (const auto& s : slots) {
        StoreKeyMap(RegistryRoot::Machine, s.slot, {{ButtonBit(1), s.vk, s.scan}});
        WriteStoredValue(RegistryRoot::Machine, SlotSubKey(s.slot), "typematic", Word(0));
        if (s.programs)
            WriteStoredValue(RegistryRoot::Machine, SlotSubKey(s.slot), "programs",
                             Text(s.programs, strlen(s.programs) + 1), REG_SZ);
    }
    return StartOnSlot(arguments, '1');
}

} // namespace

E2E_CASE("game.exe in front puts slot 2, listing it, in use and button 1 types its B; race.exe "
         "from another folder puts slot 3 in use; a chord held while game.exe comes back lets "
         "C go and gives B; the tray menu checks slot 2 and following; any other program "
         "brings back slot 1; quick switches end on the right slot; \"config\" is never written") {
    Program& program = StartWithListedSlots("");
    const FrontProgram game("game.exe"), race("bin\\race.exe");
    const TextReceiver other("another program");
    ToFront(game.process->window);
    RequireSlotInUse(program, '2', "for game.exe");
    Require(TypedByButton1() == KeyTap('B', 0x30), "slot 2's button 1 did not type B");
    const std::string items = TrayMenuText(program.window);
    Require(items.find(Format("4002 'Config 2%25s' checked", "")) != items.npos &&
                items.find("'Follow the program in front' checked") != items.npos,
            "with game.exe in front the tray menu reads " + items);

    ToFront(race.process->window);
    RequireSlotInUse(program, '3', "for race.exe");
    StartInputObserver(true);
    SetJoystickButtons(Button(1));
    WaitForKey('C', true);
    ToFront(game.process->window);
    RequireSlotInUse(program, '2', "for game.exe again");
    WaitForKey('B', true);
    SetJoystickButtons(0);
    const std::string typed = Describe(WaitForKey('B', false));
    StopInputObserver();
    Require(typed == KeyTap('C', 0x2E) + ", " + KeyTap('B', 0x30),
            "holding button 1 across the change to slot 2 gave " + typed);

    ToFront(other.Window());
    RequireSlotInUse(program, '1', "for a program no slot lists");
    Require(TypedByButton1() == KeyTap('A', 0x1E), "slot 1's button 1 did not type A");
    for (HWND w : {race.process->window, other.Window(), game.process->window, other.Window(),
                   race.process->window})
        ToFront(w);
    RequireSlotInUse(program, '3', "after quick switches ending on race.exe");
    Require(!ReadStoredValue(RegistryRoot::Machine, "", "config") &&
                !ReadStoredValue(RegistryRoot::User, "", "config"),
            "a change for the program in front stored a slot choice");
}

E2E_CASE("an instance started with id=1 stays on slot 1 with game.exe, listed by slot 2, in "
         "front, and its tray menu grays following") {
    Program& program = StartWithListedSlots("id=1");
    const FrontProgram game("game.exe");
    ToFront(game.process->window);
    const std::string typed = TypedByButton1();
    Require(typed == KeyTap('A', 0x1E) && WindowTitle(program.window) == MainWindowTitle('1'),
            "with game.exe in front the pinned instance typed " + typed + " on '" +
                WindowTitle(program.window) + "'");
    const std::string items = TrayMenuText(program.window);
    Require(items.find("'Follow the program in front' grayed") != items.npos,
            "the pinned instance's tray menu reads " + items);
}
