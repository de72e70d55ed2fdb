// Settings in the registry and the tray icon's menu of slots: what a user has stored is what the
// joystick does, the menu lists the slots as stored, a slot picked from it takes over and is
// remembered, and leaving the program writes nothing.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/driver/case_runner.h"
#include "tests/e2e/driver/input_observer.h"
#include "tests/e2e/driver/joystick_typing.h"
#include "tests/e2e/driver/program.h"
#include "tests/e2e/driver/program_windows.h"
#include "tests/e2e/driver/registry_values.h"
#include "tests/e2e/driver/screenshot.h"
#include "tests/e2e/driver/scripted_joystick_control.h"
#include "tests/e2e/driver/tray_menu.h"

namespace {

// Joystick button n is bit n-1 of the scripted buttons and bit 15+n of a chord mask.
constexpr uint32_t Button(int n) {
    return 1u << (n - 1);
}
constexpr uint64_t ButtonBit(int n) {
    return uint64_t{1} << (15 + n);
}

constexpr uint8_t kVkA = 'A', kVkB = 'B', kVkC = 'C', kVkE = 'E';
constexpr uint8_t kScanA = 0x1E, kScanB = 0x30, kScanC = 0x2E, kScanE = 0x12;
constexpr uint8_t kScanUp = 0x48, kExtendedScan = 0x80;

void RequireTyped(uint32_t buttons, const std::string& expected, const std::string& what) {
    const std::string seen = TypedByButtons(buttons);
    Require(seen == expected,
            Format("%s gave %s; expected %s", what.c_str(), seen.c_str(), expected.c_str()));
}

std::optional<std::vector<uint8_t>> StoredSlotChoice() {
    const std::optional<StoredValue> v = ReadStoredValue(RegistryRoot::Machine, "", "config");
    if (!v)
        return std::nullopt;
    Require(v->type == REG_BINARY,
            Format("\"config\" is stored with type %lu, not REG_BINARY", v->type));
    return v->data;
}

// The slot change ends with storing the slot digit; once it is there the slot is loaded.
void WaitForStoredSlotChoice(char slot) {
    WaitUntil(kShortTimeoutMs, Format("\"config\" to hold the one byte '%c'", slot), [&] {
        const auto choice = StoredSlotChoice();
        return choice && *choice == std::vector<uint8_t>{uint8_t(slot)};
    });
}

void RequireSameTree(const std::vector<std::string>& before, const std::vector<std::string>& after,
                     const char* how) {
    std::string changes;
    for (const std::string& line : before)
        if (std::find(after.begin(), after.end(), line) == after.end())
            changes += "\n        gone:  " + line;
    for (const std::string& line : after)
        if (std::find(before.begin(), before.end(), line) == before.end())
            changes += "\n        added: " + line;
    Require(changes.empty(),
            Format("the registry changed while the program ended by %s:%s", how, changes.c_str()));
}

// Key-downs of one held chord under the documented repeat rule: the press on the first held
// cycle, then a repeat whenever the held time passes the delay, which then drops by the rate.
int PressesForHold(int cycles, int pollMs, int delayMs, int rateMs) {
    int presses = 0;
    int counter = 0;
    for (int cycle = 0; cycle < cycles; ++cycle) {
        const int old = counter;
        counter += pollMs;
        if (old == 0) {
            ++presses;
        } else if (counter > delayMs) {
            counter -= rateMs;
            ++presses;
        }
    }
    return presses;
}

} // namespace

E2E_CASE("a user whose slot 1 holds a key map presses its buttons and gets its keys, "
         "not the defaults") {
    // Button 3 types A; button 4 the extended Up arrow; buttons 5 and 6 together type C.
    StoreKeyMap(RegistryRoot::Machine, '1',
                {{ButtonBit(3), kVkA, kScanA},
                 {ButtonBit(4), VK_UP, kScanUp | kExtendedScan},
                 {ButtonBit(5) | ButtonBit(6), kVkC, kScanC, 0x5A}});
    // Under the other root, which only portable mode reads.
    StoreKeyMap(RegistryRoot::User, '1', {{ButtonBit(3), kVkB, kScanB}});
    StartOnSlot("", '1');

    RequireTyped(Button(3), KeyTap(kVkA, kScanA), "button 3");
    RequireTyped(Button(4), KeyTap(VK_UP, kScanUp, true), "button 4");
    RequireTyped(Button(5) | Button(6), KeyTap(kVkC, kScanC), "buttons 5 and 6 together");
    // The default Return of button 1 sits beyond the three stored entries: not in force.
    RequireTyped(Button(1), "nothing", "button 1 (Return only by default)");
}

E2E_CASE("a user whose slot 1 switches button 1 off presses it and nothing is typed, "
         "while button 2 still types Tab") {
    // Every input but button 1 (bit 16): low word first, then the high word.
    WriteStoredBytes(RegistryRoot::Machine, "", "enabled",
                     {0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    StartOnSlot("", '1');
    RequireTyped(Button(1), "nothing", "button 1, switched off");
    RequireTyped(Button(2), KeyTap(VK_TAB, uint8_t(MapVirtualKeyA(VK_TAB, MAPVK_VK_TO_VSC))),
                 "button 2");
}

E2E_CASE("a user whose slot 1 polls every 20 ms with a quick repeat holds a button and the "
         "repeats come at that pace") {
    constexpr int kPollMs = 20, kDelayMs = 100, kRateMs = 40;
    WriteStoredUint32(RegistryRoot::Machine, "", "pollingspeed", kPollMs);
    WriteStoredUint32(RegistryRoot::Machine, "", "typematicdelay", kDelayMs);
    WriteStoredUint32(RegistryRoot::Machine, "", "typematicrate", kRateMs);
    StartOnSlot("", '1');

    // The joystick is read every 20 ms, not every 100 ms.
    constexpr int kReads = 25;
    WaitForJoystickReads(1, kStartTimeoutMs);
    const ULONGLONG started = GetTickCount64();
    WaitForJoystickReads(kReads, kShortTimeoutMs);
    const ULONGLONG elapsed = GetTickCount64() - started;
    Require(elapsed >= kReads * kPollMs * 6 / 10 && elapsed < kReads * 100 * 6 / 10,
            Format("%d joystick reads took %llu ms; every 20 ms they take about %d ms, every "
                   "100 ms (the default) about %d ms",
                   kReads, elapsed, kReads * kPollMs, kReads * 100));

    // Held for about 40 cycles, button 2's Tab repeats every second cycle after the fifth.
    StartInputObserver(true);
    SetJoystickButtons(Button(2));
    const uint64_t pressedAt = JoystickReadCount();
    WaitForJoystickReads(pressedAt, 40, kShortTimeoutMs);
    SetJoystickButtons(0);
    const uint64_t releasedAt = JoystickReadCount();
    WaitForJoystickReads(releasedAt, 3, kShortTimeoutMs);
    const std::vector<ObservedInput> seen = ObservedInputs();
    StopInputObserver();

    int downs = 0, ups = 0;
    for (const ObservedInput& input : seen) {
        Require(input.isKey && input.vk == VK_TAB,
                "holding button 2 gave something other than Tab: " + Describe(seen));
        ++(input.down ? downs : ups);
    }
    // The hold spans the reads between the two writes, give or take the read in progress.
    const int heldReads = int(releasedAt - pressedAt);
    const int fewest = PressesForHold(heldReads - 1, kPollMs, kDelayMs, kRateMs);
    const int most = PressesForHold(heldReads + 1, kPollMs, kDelayMs, kRateMs);
    Require(downs >= fewest && downs <= most && ups == 1,
            Format("a hold of %d cycles gave %d presses and %d releases of Tab; the stored pace "
                   "gives %d to %d presses, the default pace %d, and one release",
                   heldReads, downs, ups, fewest, most,
                   PressesForHold(heldReads, kPollMs, 500, 100)));
}

E2E_CASE("a user whose slot 1 names joystick 2, a 10% threshold and no repeat nudges the "
         "stick left and gets one Left") {
    WriteStoredUint32(RegistryRoot::Machine, "", "joyid", 2);
    WriteStoredUint32(RegistryRoot::Machine, "", "threshold", 10);
    WriteStoredUint32(RegistryRoot::Machine, "", "typematic", 0);
    StartOnSlot("", '1');
    WaitForJoystickReads(2, kStartTimeoutMs);
    Require(LastCapsJoystickId() == 2 && LastReadJoystickId() == 2,
            Format("the program asked joystick %d for its caps and read joystick %d, not 2",
                   LastCapsJoystickId(), LastReadJoystickId()));

    // A quarter of the half travel to the left: past 10%, short of the default 50%. Held for
    // 15 cycles, well past the default half-second repeat delay.
    StartInputObserver(true);
    SetJoystickAxis(0, 32767 - 8192);
    WaitForJoystickReads(15, kShortTimeoutMs);
    CentreJoystick();
    WaitForJoystickReads(3, kShortTimeoutMs);
    const std::string seen = Describe(ObservedInputs());
    StopInputObserver();
    const std::string expected = KeyTap(VK_LEFT, uint8_t(MapVirtualKeyA(VK_LEFT, MAPVK_VK_TO_VSC)));
    Require(seen == expected, "nudging the stick left and holding it gave " + seen +
                                  "; expected one Left, pressed and released: " + expected);
}

E2E_CASE("a user right-clicks the tray icon and sees the nine slots by name with the current "
         "one checked, then Setup dialog and Exit") {
    WriteStoredText(RegistryRoot::Machine, "", "configname", "Main pad", 32);
    WriteStoredText(RegistryRoot::Machine, "2", "configname", "Racing wheel", 32);
    WriteStoredText(RegistryRoot::Machine, "7", "configname", "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234",
                    32); // the longest name, 31 characters
    // After the name's NUL the bytes mean nothing.
    const char flight[32] = "Flight\0leftover bytes";
    WriteStoredValue(RegistryRoot::Machine, "9", "configname", REG_SZ, flight, 32);
    // Slot 5 is saved but unnamed; slot 4's name lies under the other root.
    StoreKeyMap(RegistryRoot::Machine, '5', {{ButtonBit(3), kVkE, kScanE}});
    WriteStoredText(RegistryRoot::User, "4", "configname", "Other root", 32);

    const StartedProgram started = StartOnSlot("id=3", '3');
    const TrayMenu menu = ReadTrayMenu(OpenTrayMenu(started.window));
    SaveScreenshot("tray-menu", menu.popup);
    RequireSlotMenu(menu,
                    {"Main pad", "Racing wheel", "", "", "", "", //
                     "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234", "", "Flight"},
                    '3');

    // Escape chooses nothing: same slot, nothing stored, still running.
    DismissMenuWithEscape(menu);
    WaitForJoystickReads(2, kShortTimeoutMs); // time for a command, had one come
    Require(WindowTitle(started.window) == MainWindowTitle('3'),
            "after Escape the window is titled '" + WindowTitle(started.window) + "'");
    Require(!StoredSlotChoice(), "Escape on the tray menu stored a slot choice");
    Require(started.program->IsRunning(), "the program ended after Escape on its menu");
}

E2E_CASE("a user picks Config 5 from the tray menu: it becomes Padwright Config 5, slot 5's "
         "keys are typed, the choice is remembered, and a copy started with id=5 takes "
         "slot 6") {
    StoreKeyMap(RegistryRoot::Machine, '1', {{ButtonBit(3), kVkA, kScanA}});
    StoreKeyMap(RegistryRoot::Machine, '5', {{ButtonBit(3), kVkE, kScanE}});
    const StartedProgram started = StartOnSlot("", '1');
    RequireTyped(Button(3), KeyTap(kVkA, kScanA), "button 3 on slot 1");

    PickSlotFromMenu(started.window, '5');
    WaitForStoredSlotChoice('5');
    Require(WindowTitle(started.window) == MainWindowTitle('5'),
            "after picking Config 5 the window is titled '" + WindowTitle(started.window) + "'");
    Require(ReadStoredValue(RegistryRoot::Machine, "", "config")->data.size() == 1,
            "\"config\" is not one byte");
    RequireTyped(Button(3), KeyTap(kVkE, kScanE), "button 3 on slot 5");

    const TrayMenu menu = ReadTrayMenu(OpenTrayMenu(started.window));
    RequireSlotMenu(menu, {"", "", "", "", "", "", "", "", ""}, '5');
    DismissMenuWithEscape(menu);

    const StartedProgram second = StartOnSlot("id=5", '6');
    Require(second.window != started.window && WindowTitle(started.window) == MainWindowTitle('5'),
            "the first copy did not keep slot 5 when the second started");
}

E2E_CASE("a user picks the slot already checked and it is read again from the registry") {
    StoreKeyMap(RegistryRoot::Machine, '1', {{ButtonBit(3), kVkA, kScanA}});
    const StartedProgram started = StartOnSlot("", '1');
    WaitForJoystickReads(1, kStartTimeoutMs); // polling starts once the slot is loaded
    // Changed behind the program's back: nothing reads it until the slot is picked.
    StoreKeyMap(RegistryRoot::Machine, '1', {{ButtonBit(3), kVkB, kScanB}});
    RequireTyped(Button(3), KeyTap(kVkA, kScanA), "button 3 before picking the slot again");

    PickSlotFromMenu(started.window, '1');
    WaitForStoredSlotChoice('1');
    Require(WindowTitle(started.window) == MainWindowTitle('1'),
            "the window is titled '" + WindowTitle(started.window) + "'");
    RequireTyped(Button(3), KeyTap(kVkB, kScanB), "button 3 after picking Config 1 again");
}

E2E_CASE("a user picks a slot never saved and keeps the keys they had, under its default "
         "name") {
    StoreKeyMap(RegistryRoot::Machine, '1', {{ButtonBit(3), kVkA, kScanA}});
    WriteStoredText(RegistryRoot::Machine, "", "configname", "Main pad", 32);
    const StartedProgram started = StartOnSlot("", '1');

    PickSlotFromMenu(started.window, '4');
    WaitForStoredSlotChoice('4');
    Require(WindowTitle(started.window) == MainWindowTitle('4'),
            "after picking Config 4 the window is titled '" + WindowTitle(started.window) + "'");
    RequireTyped(Button(3), KeyTap(kVkA, kScanA), "button 3 on the unsaved slot 4");
    RequireTyped(Button(1), "nothing", "button 1 (Return only by default)");
    Require(!ReadStoredValue(RegistryRoot::Machine, "4", "numkeys") &&
                !ReadStoredValue(RegistryRoot::Machine, "4", "configname"),
            "picking slot 4 saved settings under its key");

    const TrayMenu menu = ReadTrayMenu(OpenTrayMenu(started.window));
    RequireSlotMenu(menu, {"Main pad", "", "", "", "", "", "", "", ""}, '4');
    DismissMenuWithEscape(menu);
}

E2E_CASE("a user exits from the tray menu or by double-click and the registry is left as "
         "it was") {
    StoreKeyMap(RegistryRoot::Machine, '1', {{ButtonBit(3), kVkA, kScanA}});
    WriteStoredUint32(RegistryRoot::Machine, "", "pollingspeed", 50);
    WriteStoredText(RegistryRoot::Machine, "5", "configname", "Five", 32);
    WriteStoredText(RegistryRoot::User, "", "configname", "Other root", 32);

    // On an unsaved slot, with the slot choice gone from the registry: memory now differs from
    // what is stored in every way a save at exit would show.
    const StartedProgram first = StartOnSlot("", '1');
    PickSlotFromMenu(first.window, '4');
    WaitForStoredSlotChoice('4');
    DeleteStoredValue(RegistryRoot::Machine, "", "config");
    const std::vector<std::string> before = StoredTree({RegistryRoot::Machine, RegistryRoot::User});
    const TrayMenu menu = ReadTrayMenu(OpenTrayMenu(first.window));
    ClickMenuItem(menu, kCommandExit);
    RequireExitCodeZero(first, "Exit from the tray menu");
    RequireSameTree(before, StoredTree({RegistryRoot::Machine, RegistryRoot::User}),
                    "Exit from the tray menu");

    const StartedProgram second = StartOnSlot("id=5", '5');
    const std::vector<std::string> beforeSecond =
        StoredTree({RegistryRoot::Machine, RegistryRoot::User});
    PostTrayCallback(second.window, WM_LBUTTONDBLCLK);
    RequireExitCodeZero(second, "a double-click on the tray icon");
    RequireSameTree(beforeSecond, StoredTree({RegistryRoot::Machine, RegistryRoot::User}),
                    "a double-click on the tray icon");
}

E2E_CASE("a user holds button 1 and picks Config 2 from the tray menu: slot 1's key is let go, "
         "slot 2's is pressed, and once the button is let go nothing stays down") {
    // No repeat, so that the held key sends nothing while the menu has the keyboard.
    for (const char slot : {'1', '2'})
        WriteStoredUint32(RegistryRoot::Machine, SlotSubKey(slot), "typematic", 0);
    StoreKeyMap(RegistryRoot::Machine, '1', {{ButtonBit(1), kVkA, kScanA}});
    StoreKeyMap(RegistryRoot::Machine, '2', {{ButtonBit(1), kVkB, kScanB}});
    const StartedProgram started = StartOnSlot("", '1');
    WaitForJoystickReads(1, kStartTimeoutMs);
    StartInputObserver(false); // the click must reach the menu
    const auto keys = [] {
        std::vector<ObservedInput> keys;
        for (const ObservedInput& input : ObservedInputs())
            if (input.isKey)
                keys.push_back(input);
        return keys;
    };
    const auto waitForKeys = [&](size_t count, const char* what) {
        if (!PollUntil(kShortTimeoutMs, [&] { return keys().size() >= count; }))
            Fail(Format("%s: saw %s", what, Describe(keys()).c_str()));
    };

    SetJoystickButtons(Button(1));
    waitForKeys(1, "holding button 1 typed nothing");
    PickSlotFromMenu(started.window, '2');
    WaitForStoredSlotChoice('2');
    waitForKeys(3, "after the change to slot 2 with button 1 held");
    SetJoystickButtons(0);
    waitForKeys(4, "letting go of button 1 after the change");
    WaitForJoystickReads(3, kShortTimeoutMs);
    const std::string expected = "key down vk 0x41 scan 0x1E, key up vk 0x41 scan 0x1E, "
                                 "key down vk 0x42 scan 0x30, key up vk 0x42 scan 0x30";
    Require(Describe(keys()) == expected,
            "holding button 1 across the change to slot 2 typed " + Describe(keys()) +
                "; expected A pressed, A let go, B pressed, B let go");
    Require(StillDown(ObservedInputs()).empty(), "left down: " + StillDown(ObservedInputs())[0]);
    StopInputObserver();
    RequireTyped(Button(1), KeyTap(kVkB, kScanB), "button 1 on slot 2");
}
