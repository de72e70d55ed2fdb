// Slots: the tray menu of them, one picked with a button held, the icon back with a new taskbar;
// slots that follow the program in front (the slot that lists it, else the user's own).
#include <cstring>

#include "tests/e2e/input_helpers.h"
#include "tools/winekit/screenshot.h"
#include "tools/winekit/text_receiver.h"
#include "tools/winekit/tray_menu.h"
#include "tools/winekit/user_input.h"

namespace {

// The menu as DescribeMenu reads it: the nine slots by name ("" for "Config N" and 25 blanks),
// the check on `current`, following (off: no slot lists a program), Setup dialog and Exit.
std::string SlotMenu(const std::string (&names)[9], char current) {
    std::string text;
    for (char slot = '1'; slot <= '9'; ++slot) {
        const std::string& stored = names[slot - '1'];
        const std::string name =
            stored.empty() ? "Config " + std::string(1, slot) + std::string(25, ' ') : stored;
        text += Format("%u '%s'%s | ", kCommandSlotFirst + slot - '0', name.c_str(),
                       slot == current ? " checked" : "");
    }
    return text +
           Format("separator | %u 'Follow the program in front' | %u 'Setup dialog' | %u 'Exit'",
                  kCommandFollow, kCommandSetup, kCommandExit);
}

std::string TrayMenuText(HWND mainWindow, const char* picture = nullptr) {
    const TrayMenu menu = OpenTrayMenu(mainWindow);
    if (picture)
        SaveScreenshot(picture, menu.popup);
    DismissMenuWithEscape(menu);
    return DescribeMenu(menu);
}

void RequireSlotInUse(const Program& program, char slot, const char* when) {
    WaitUntil(kShortTimeoutMs, Format("slot %c in use %s", slot, when),
              [&] { return WindowTitle(program.window) == MainWindowTitle(slot); });
}

// Button 1 types `vk` in `slot`, without repeats; the slot lists `programs`.
void StoreButton1(char slot, uint8_t vk, uint8_t scan, const char* programs = nullptr) {
    StoreKeyMap(RegistryRoot::Machine, slot, {{ButtonBit(1), vk, scan}});
    WriteStoredValue(RegistryRoot::Machine, SlotSubKey(slot), "typematic", Word(0));
    if (programs)
        WriteStoredValue(RegistryRoot::Machine, SlotSubKey(slot), "programs",
                         Text(programs, strlen(programs) + 1), REG_SZ);
}

// Button 1 types A in slot 1, B in slot 2 (for game.exe), C in slot 3 (for RACE: race.exe).
Program& StartWithListedSlots() {
    StoreButton1('1', 'A', 0x1E);
    StoreButton1('2', 'B', 0x30, "game.exe");
    StoreButton1('3', 'C', 0x2E, "RACE");
    return StartOnSlot("", '1');
}

} // namespace

E2E_CASE("the tray menu: names, check, Escape; a pick with button 1 held; icon back") {
    const struct {
        const char* subKey;
        Bytes name;
        RegistryRoot root;
    } names[] = {{"", Bytes(40, 'L'), RegistryRoot::Machine}, // no end within 32 bytes: not a name
                 {"2", Text("Racing wheel", 32), RegistryRoot::Machine},
                 {"4", Text("Other root", 32), RegistryRoot::User}};
    for (const auto& n : names)
        WriteStoredValue(n.root, n.subKey, "configname", n.name);
    StoreButton1('1', 'A', 0x1E);
    StoreButton1('5', 'B', 0x30);
    const std::string shown[9] = {"", "Racing wheel"};
    Program& program = StartOnSlot("", '1');
    RequireSame(TrayMenuText(program.window, "tray-menu"), SlotMenu(shown, '1'), "the tray menu");
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
    RequireSame(typed + WindowTitle(program.window),
                KeyTap('A', 0x1E) + ", " + KeyTap('B', 0x30) + MainWindowTitle('5'),
                "button 1 held over the change to slot 5");
    RequireSame(TrayMenuText(program.window, "tray-menu-after-a-change"), SlotMenu(shown, '5'),
                "the tray menu after a change");
    WaitUntil(kShortTimeoutMs, "the tray icon",
              [&] { return AskShellOfTrayIcon(program.window, NIM_MODIFY); });
    Require(AskShellOfTrayIcon(program.window, NIM_DELETE) &&
                !AskShellOfTrayIcon(program.window, NIM_MODIFY),
            "the tray icon could not be taken away as a restart of the shell does");
    PostMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    WaitUntil(kShortTimeoutMs, "the tray icon to come back",
              [&] { return AskShellOfTrayIcon(program.window, NIM_MODIFY); });
}

E2E_CASE("the slot follows the program in front: game.exe, race.exe, others; id=4 stays") {
    Program& program = StartWithListedSlots();
    HWND game = StartReceiverAs(CaseDirectory(), "game.exe"),
         race = StartReceiverAs(CaseDirectory(), "bin\\race.exe");
    const TextReceiver other("another program");
    BringToFrontNoticed(game);
    RequireSlotInUse(program, '2', "for game.exe");
    RequireSame(TypedByHolding({Button(1)}), KeyTap('B', 0x30), "slot 2's button 1");
    const std::string items = TrayMenuText(program.window);
    Require(items.find(Format("4002 'Config 2%25s' checked", "")) != items.npos &&
                items.find("'Follow the program in front' checked") != items.npos,
            "with game.exe in front the tray menu reads " + items);
    BringToFrontNoticed(race);
    RequireSlotInUse(program, '3', "for race.exe");
    StartInputObserver(true);
    SetJoystickButtons(Button(1));
    WaitForKey('C', true);
    BringToFrontNoticed(game);
    RequireSlotInUse(program, '2', "for game.exe again");
    WaitForKey('B', true);
    SetJoystickButtons(0);
    const std::string typed = Describe(WaitForKey('B', false));
    StopInputObserver();
    RequireSame(typed, KeyTap('C', 0x2E) + ", " + KeyTap('B', 0x30),
                "button 1 held over the change");
    BringToFrontNoticed(other.Window());
    RequireSlotInUse(program, '1', "for a program no slot lists");
    RequireSame(TypedByHolding({Button(1)}), KeyTap('A', 0x1E), "slot 1's button 1");
    for (HWND w : {race, other.Window(), game, other.Window(), race})
        BringToFrontNoticed(w);
    RequireSlotInUse(program, '3', "after quick switches ending on race.exe");
    Require(!ReadStoredValue(RegistryRoot::Machine, "", "config") &&
                !ReadStoredValue(RegistryRoot::User, "", "config"),
            "a change for the program in front stored a slot choice");
    Program& pinned = StartOnSlot("id=4", '4'); // an instance started on a slot stays on it
    BringToFrontNoticed(game);
    RequireSlotInUse(program, '2', "for game.exe with a pinned instance");
    const std::string pinnedItems = TrayMenuText(pinned.window);
    Require(WindowTitle(pinned.window) == MainWindowTitle('4') &&
                pinnedItems.find("'Follow the program in front' grayed") != pinnedItems.npos,
            "the pinned instance left slot 4, or its tray menu reads " + pinnedItems);
}
