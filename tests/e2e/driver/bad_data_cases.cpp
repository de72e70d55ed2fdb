// Settings that a user or another tool left wrong in the registry: a count outside 1 to 128, a
// key map cut short or too long, a name without its end, timing the dialogs would never store,
// a joystick that is not there, a slot choice that names no slot, values of the wrong type. The
// program starts on each, its tray menu reads and answers, the joystick types what the key map
// that results says and nothing else, and Exit ends it with code 0.
//
// What results: a count outside 1 to 128 is not taken; only whole 12-byte key map records are
// taken, and a value longer than its read buffer not at all; timing is taken as stored; a slot
// choice that cannot name a slot key leaves slot 1; the stored type is never looked at, only
// the size.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tests/e2e/driver/case_runner.h"
#include "tests/e2e/driver/joystick_typing.h"
#include "tests/e2e/driver/program.h"
#include "tests/e2e/driver/program_windows.h"
#include "tests/e2e/driver/registry_values.h"
#include "tests/e2e/driver/scripted_joystick_control.h"
#include "tests/e2e/driver/tray_menu.h"

namespace {

constexpr uint64_t kInputButton3 = 1ull << 18;
constexpr uint8_t kVkA = 'A', kScanA = 0x1E;
// Slot 1's own key map in the rows that store one: button 3 types A, in place of the default
// entry 0 (Up on the stick pushed up).
const StoredKey kButton3TypesA{kInputButton3, kVkA, kScanA};
constexpr char kNotInstalled[] = "Selected joystick not installed";

std::string DefaultKey(UINT vk) {
    return KeyTap(vk, MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
}

// What a user tries, one at a time: buttons 1, 2 and 3 (Return, Tab and nothing by default)
// and the stick pushed up (Up by default).
struct Typed {
    std::string button1, button2, button3, stickUp;
};
const Typed kDefaultKeys{DefaultKey(VK_RETURN), DefaultKey(VK_TAB), "nothing", DefaultKey(VK_UP)};

struct BadSettings {
    std::string what;
    std::function<void()> store;
    Typed typed;
    std::vector<std::string> names = std::vector<std::string>(9); // the menu's, "" for fallback
    bool joystickMissing = false;
};

void WriteMachine(const char* name, DWORD type, const std::vector<uint8_t>& bytes) {
    WriteStoredValue(RegistryRoot::Machine, "", name, type, bytes.data(), DWORD(bytes.size()));
}

std::vector<uint8_t> Word(uint32_t value) {
    return {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
}

std::vector<uint8_t> Text(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

// A "configname" of exactly the text's bytes. The system adds a NUL to a string value whose
// caller seems to have forgotten it, one that is followed by a NUL in memory; a byte other than
// NUL after the text keeps it out.
void StoreUnendedName(const std::string& subKey, const std::string& text) {
    const std::string followed = text + "+";
    WriteStoredValue(RegistryRoot::Machine, subKey, "configname", REG_SZ, followed.data(),
                     DWORD(text.size()));
}

void RequireTypes(const std::string& what, const char* input, const JoystickHold& hold,
                  const std::string& expected) {
    const std::string typed = TypedByHolding(hold);
    Require(typed == expected, Format("with %s, %s typed %s; expected %s", what.c_str(), input,
                                      typed.c_str(), expected.c_str()));
}

void RequireButtonTypes(const std::string& what, int button, const std::string& expected) {
    RequireTypes(
        what, Format("button %d", button).c_str(),
        [&](ScriptedJoystickScript& s) { s.buttons = 1u << (button - 1); }, expected);
}

// Starts the program on the settings, tries the joystick, reads the tray menu and leaves by
// its Exit.
void RunOn(const BadSettings& bad) {
    DeleteProgramRegistry();
    bad.store();
    const StartedProgram started = StartOnSlot("", '1'); // slot 1 in every row
    if (bad.joystickMissing) {
        AnswerMessageBox(started.program->Id(), kNotInstalled, IDOK);
        // The joystick is asked again every five seconds: one failed read with every input
        // held, and one after, inject nothing.
        const std::string typed = Describe(InputsWhileHolding(
            [](ScriptedJoystickScript& s) {
                s.buttons = 0x7;
                s.pos[1] = 0;
            },
            1, 2 * kShortTimeoutMs));
        Require(typed == "nothing",
                Format("with %s, every input held typed %s", bad.what.c_str(), typed.c_str()));
    } else {
        RequireButtonTypes(bad.what, 1, bad.typed.button1);
        RequireButtonTypes(bad.what, 2, bad.typed.button2);
        RequireButtonTypes(bad.what, 3, bad.typed.button3);
        RequireTypes(
            bad.what, "the stick pushed up", [](ScriptedJoystickScript& s) { s.pos[1] = 0; },
            bad.typed.stickUp);
    }
    const TrayMenu menu = ReadTrayMenu(OpenTrayMenu(started.window));
    RequireSlotMenu(menu, bad.names, '1');
    ClickMenuItem(menu, kCommandExit);
    RequireExitCodeZero(started, Format("Exit with %s", bad.what.c_str()).c_str());
}

void RunOnEach(const std::vector<BadSettings>& table) {
    for (const BadSettings& bad : table)
        RunOn(bad);
}

} // namespace

E2E_CASE("a user whose stored key count or key map is broken still gets the keys the rest of "
         "the key map gives, and nothing from inputs it does not map") {
    std::vector<BadSettings> table;
    // Not taken: the default ten entries stay in use, with the stored record over entry 0.
    for (const int32_t count : {0, -1, 129, 100000})
        table.push_back(
            {Format("a key count of %d", count),
             [=] {
                 StoreKeyMap(RegistryRoot::Machine, '1', {kButton3TypesA});
                 WriteMachine("numkeys", REG_BINARY, Word(uint32_t(count)));
             },
             {DefaultKey(VK_RETURN), DefaultKey(VK_TAB), KeyTap(kVkA, kScanA), "nothing"}});
    // Three entries in use, none of them stored whole: the first three defaults.
    table.push_back({"a key map of 5 bytes for 3 entries",
                     [] {
                         std::vector<uint8_t> cut = KeyMapBytes({kButton3TypesA});
                         cut.resize(5);
                         WriteMachine("keymap", REG_BINARY, cut);
                         WriteMachine("numkeys", REG_BINARY, Word(3));
                     },
                     {"nothing", "nothing", "nothing", DefaultKey(VK_UP)}});
    // Longer than 128 records: refused whole, so entry 0 stays Up.
    table.push_back({"a key map of 2000 bytes for 1 entry",
                     [] {
                         std::vector<uint8_t> longer = KeyMapBytes({kButton3TypesA});
                         longer.resize(2000);
                         WriteMachine("keymap", REG_BINARY, longer);
                         WriteMachine("numkeys", REG_BINARY, Word(1));
                     },
                     {"nothing", "nothing", "nothing", DefaultKey(VK_UP)}});
    // The type is not looked at: a DWORD count of 5 counts, a 4-byte key map is no record.
    table.push_back({"values of the wrong registry type",
                     [] {
                         WriteMachine("numkeys", REG_DWORD, Word(5));
                         WriteMachine("keymap", REG_DWORD, Word(0x00040000));
                         WriteMachine("configname", REG_BINARY, Text(std::string("Pad", 4)));
                     },
                     {DefaultKey(VK_RETURN), "nothing", "nothing", DefaultKey(VK_UP)},
                     {"Pad", "", "", "", "", "", "", "", ""}});
    RunOnEach(table);
}

E2E_CASE("a user whose stored timing, threshold or joystick is out of range still has a program "
         "that types what it should and answers its tray menu") {
    RunOnEach({
        {"a polling interval of 0", [] { WriteMachine("pollingspeed", REG_BINARY, Word(0)); },
         kDefaultKeys},
        {"a polling interval of -5",
         [] { WriteMachine("pollingspeed", REG_BINARY, Word(uint32_t(-5))); }, kDefaultKeys},
        // Twice the half travel: no axis position gets past it.
        {"a threshold of 200%",
         [] { WriteMachine("threshold", REG_BINARY, Word(200)); },
         {DefaultKey(VK_RETURN), DefaultKey(VK_TAB), "nothing", "nothing"}},
        {"joystick 99",
         [] { WriteMachine("joyid", REG_BINARY, Word(99)); },
         {},
         std::vector<std::string>(9),
         true},
    });
}

E2E_CASE("a user whose stored slot choice or names are broken starts on slot 1 with its keys, and "
         "the tray menu lists every slot under a name that ends") {
    const auto slotOneTypesA = [] { StoreKeyMap(RegistryRoot::Machine, '1', {kButton3TypesA}); };
    const Typed slotOneKeys{"nothing", "nothing", KeyTap(kVkA, kScanA), "nothing"};
    RunOnEach({
        {"a slot choice of NUL",
         [=] {
             slotOneTypesA();
             WriteMachine("config", REG_BINARY, {0});
         },
         slotOneKeys},
        // No key can be named by a backslash: the choice names no slot key.
        {"a slot choice of a backslash",
         [=] {
             slotOneTypesA();
             WriteMachine("config", REG_BINARY, {'\\'});
         },
         slotOneKeys},
        // 40 bytes are more than a name holds: refused. 32 without an end: cut to 31.
        {"names without their NUL",
         [] {
             StoreUnendedName("", std::string(40, 'L'));
             StoreUnendedName("2", "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345");
         },
         kDefaultKeys,
         {"", "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234", "", "", "", "", "", "", ""}},
    });
}
