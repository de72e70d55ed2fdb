// The tray icon's menu of slots, a slot picked from it with a button held, and the icon coming
// back when the shell's taskbar is made anew.
#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include <tuple>

#include "tests/e2e/case_runner.h"
#include "tests/e2e/input_helpers.h"
#include "tools/winekit/program.h"
#include "tools/winekit/registry_values.h"
#include "tools/winekit/screenshot.h"
#include "tools/winekit/tray_menu.h"

namespace {

// The menu as DescribeMenu reads it: the nine slots by name ("" for "Config N" and 25 blanks),
// the check on `current`, a separator, Setup dialog and Exit.
std::string SlotMenu(const char* const (&names)[9], char current) {
    std::string text;
    for (char slot = '1'; slot <= '9'; ++slot) {
        const std::string name = *names[slot - '1']
                                     ? names[slot - '1']
                                     : "Config " + std::string(1, slot) + std::string(25, ' ');
        text += Format("%u '%s'%s | ", kCommandSlotFirst + slot - '0', name.c_str(),
                       slot == current ? " checked" : "");
    }
    return text + Format("separator | %u 'Setup dialog' | %u 'Exit'", kCommandSetup, kCommandExit);
}

// Opens the menu, checks it, and closes it with Escape.
void RequireMenu(HWND mainWindow, const std::string& expected, const char* picture) {
    const TrayMenu menu = OpenTrayMenu(mainWindow);
    SaveScreenshot(picture, menu.popup);
    Require(DescribeMenu(menu) == expected, "the tray menu reads " + DescribeMenu(menu));
    DismissMenuWithEscape(menu);
}

// Asks the shell `what` of the program's icon; a change of nothing (NIM_MODIFY) succeeds only
// for an icon the shell holds.
bool TrayIcon(HWND window, DWORD what) {
    NOTIFYICONDATAA icon{};
    icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
    icon.hWnd = window;
    return Shell_NotifyIconA(what, &icon) != FALSE;
}

} // namespace

E2E_CASE("a user right-clicks the tray icon and sees the nine slots by stored name with the "
         "current one checked, then Setup dialog and Exit; Escape picks nothing; holding button "
         "1 while picking Config 5 lets slot 1's A go, presses slot 5's B and stores the choice; "
         "the icon comes back when the taskbar is made anew") {
    const struct {
        const char* subKey;
        Bytes name;
        RegistryRoot root;
    } names[] = {
        {"", Bytes(40, 'L'), RegistryRoot::Machine}, // no end within 32 bytes: not a name
        {"2", Text("Racing wheel", 32), RegistryRoot::Machine},
        {"3", Bytes(32, 'N'), RegistryRoot::Machine}, // no end: cut to 31
        {"4", Text("Other root", 32), RegistryRoot::User},
        {"7", Text("ABCDEFGHIJKLMNOPQRSTUVWXYZ01234", 32), RegistryRoot::Machine},
        {"9", Text(std::string("Flight\0leftover", 15), 32), RegistryRoot::Machine},
    };
    for (const auto& n : names)
        WriteStoredValue(n.root, n.subKey, "configname", n.name);
    for (const auto& [slot, vk, scan] : {std::tuple{'1', 'A', 0x1E}, std::tuple{'5', 'B', 0x30}}) {
        StoreKeyMap(RegistryRoot::Machine, slot, {{ButtonBit(1), uint8_t(vk), uint8_t(scan)}});
        WriteStoredValue(RegistryRoot::Machine, SlotSubKey(slot), "typematic", Word(0));
    }
    const char* const shown[9] = {"",
                                  "Racing wheel",
                                  "NNNNNNNNNNNNNNNNNNNNNNNNNNNNNNN",
                                  "",
                                  "",
                                  "",
                                  "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234",
                                  "",
                                  "Flight"};
    Program& program = StartOnSlot("", '1');
    RequireMenu(program.window, SlotMenu(shown, '1'), "tray-menu");
    WaitForJoystickReads(2); // time for a command, had one come
    Require(WindowTitle(program.window) == MainWindowTitle('1') &&
                !ReadStoredValue(RegistryRoot::Machine, "", "config"),
            "Escape on the tray menu changed the slot or stored a choice");

    StartInputObserver(); // the click must reach the menu
    SetJoystickButtons(Button(1));
    WaitForKey('A', true);
    ClickMenuItem(OpenTrayMenu(program.window), kCommandSlotFirst + 5);
    WaitUntil(kShortTimeoutMs, "\"config\" to hold the one byte '5'",
              [] { return ReadStoredValue(RegistryRoot::Machine, "", "config") == Bytes{'5'}; });
    WaitForKey('B', true);
    SetJoystickButtons(0);
    const std::string typed = Describe(WaitForKey('B', false));
    Require(typed == KeyTap('A', 0x1E) + ", " + KeyTap('B', 0x30) &&
                WindowTitle(program.window) == MainWindowTitle('5'),
            "holding button 1 across the change to slot 5 gave " + typed + " in window '" +
                WindowTitle(program.window) + "'");
    RequireMenu(program.window, SlotMenu(shown, '5'), "tray-menu-after-a-change");

    WaitUntil(kShortTimeoutMs, "the tray icon",
              [&] { return TrayIcon(program.window, NIM_MODIFY); });
    Require(TrayIcon(program.window, NIM_DELETE) && !TrayIcon(program.window, NIM_MODIFY),
            "the tray icon could not be taken away as a restart of the shell does");
    PostMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    WaitUntil(kShortTimeoutMs, "the tray icon to come back",
              [&] { return TrayIcon(program.window, NIM_MODIFY); });
}
