#pragma once
// The system as the native tests and fuzzers see it: one record that behaves like Windows where
// the program can tell (a key-state array, a registry tree, a joystick, files and reg.exe) and
// records what it was asked. ResetFakeSystem() makes it a fresh machine with one joystick, an
// empty registry and an administrator.
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/input.h"
#include "platform/joystick.h"
#include "platform/registry.h"
#include "platform/window.h"

// Mouse buttons in the order left, right, middle, first extra, second extra: their events.
constexpr int kFakeMouseButtons = 5;
struct FakeMouseButton {
    uint32_t down, up, data;
};
constexpr FakeMouseButton kFakeMouseButtonEvents[kFakeMouseButtons] = {
    {kMouseLeftDown, kMouseLeftUp, 0},
    {kMouseRightDown, kMouseRightUp, 0},
    {kMouseMiddleDown, kMouseMiddleUp, 0},
    {kMouseXDown, kMouseXUp, kXButton1},
    {kMouseXDown, kMouseXUp, kXButton2}};

struct FakeInput {
    std::vector<InputEvent> events, refused; // arrived, not inserted
    bool physicalDown[256] = {};             // keys the "user" holds, seen by IsKeyDownNow
    bool injectedDown[256] = {};             // keys down by injected events
    bool mouseDown[kFakeMouseButtons] = {};
    uint32_t insertPerCall = UINT32_MAX; // each call inserts at most this many (0: locked)
    bool dropInserted = false;           // inserted events never arrive (secure desktop)
    uint32_t calls = 0;
};

// Six axes 0..65535 centred, a hat, 12 buttons; it answers. Only `sample` and `readResult` may
// change while a poll thread reads (through SetFakeJoystickSample / SetFakeJoystickReadResult).
struct FakeJoystick {
    uint32_t capsResult = kJoyNoError, readResult = kJoyNoError;
    JoystickCaps caps{{}, {65535, 65535, 65535, 65535, 65535, 65535}, 12, 6, kJoyCapsHasPov};
    JoystickSample sample{{32767, 32767, 32767, 32767, 32767, 32767}, 0, kJoyPovCentered};
    uint32_t lastCapsId = 0, lastReadId = 0;
};

struct FakeRegistryWrite {
    RegistryHive hive;
    std::string path, name;
    uint32_t type;
    std::vector<uint8_t> bytes;
};
// A key tree per hive, names without regard to case; opening a missing key fails, creating one
// creates its parents, a value longer than the reader's buffer is refused.
struct FakeRegistry {
    // As a program that stored the value earlier: creates the key and its parents.
    void Put(RegistryHive hive, const std::string& path, const std::string& name,
             std::vector<uint8_t> bytes, uint32_t type = kRegBinary);
    // The stored bytes; none when the key or the value is missing.
    std::vector<uint8_t> Get(RegistryHive hive, const std::string& path,
                             const std::string& name) const;
    bool Has(RegistryHive hive, const std::string& path, const std::string& name = "") const;

    // Key path in lower case -> value name in lower case -> type and bytes.
    std::map<std::pair<RegistryHive, std::string>,
             std::map<std::string, std::pair<uint32_t, std::vector<uint8_t>>>>
        keys;
    std::vector<FakeRegistryWrite> writes; // every successful set, in order
    int openKeys = 0;                      // opened or created and not yet closed
    int badCloses = 0;                     // closes of a null or already closed key
    bool scribbleOnRefusal = false;        // a refused read leaves garbage, as it may on Windows
    bool localMachineReadOnly = false;     // a user who is not an administrator
    bool currentUserReadOnly = false;      // a policy that locks the user's hive
};

// Files and a reg.exe whose import succeeds for a file that exists and whose export writes the
// named file, even when it fails: an empty export, and the number of registry writes made before
// it. A file holds an empty export unless given other contents.
struct FakeProcess {
    std::set<std::string> files;
    std::map<std::string, std::string> contents;
    std::vector<std::string> commands; // every run, in order: "program|command line"
    std::string systemDirectory = "C:\\Windows\\system32"; // none when empty
    int exitCode = 0;
    bool exportWritesFile = true, startFails = false;
};

// Waitable timers of Windows 10 1803 on (knows the high-resolution flag, refuses unknown ones),
// of older Windows (refuses it), or of a system that takes any flag and looks at none.
struct FakeTimers {
    bool knowsHighResolution = false, takesAnyFlag = false, waitsFail = false;
    int open = 0, periodsBegun = 0;
    std::vector<uint32_t> waits; // ms of every wait on a timer
};

struct ShownMessage {
    WindowHandle owner;
    std::string text;
    uint32_t buttons;
};

struct FakeSystem {
    FakeInput input;
    FakeJoystick joystick;
    FakeRegistry registry;
    FakeProcess process;
    FakeTimers timers;
    std::function<void(uint32_t ms)> onSleep; // on the sleeping thread: acts between poll cycles
    uint64_t nowMicroseconds = 0;             // MonotonicMicroseconds; every sleep moves it on
    std::vector<ShownMessage> messages;
    int answer = 1; // the button the "user" clicks in a message box: OK
    // The notification area: an add while the icon is there fails, a change while it is not.
    bool trayPresent = true;
    std::string trayTip;
    std::vector<bool> trayStates; // the icon of every change tried, in order
    WindowHandle titledWindow = nullptr;
    std::string title;
};

FakeSystem& Fake();
void ResetFakeSystem();
// Safe while a poll thread reads the joystick: field by field, atomically.
void SetFakeJoystickSample(const JoystickSample& sample);
void SetFakeJoystickReadResult(uint32_t result);
// Some key or mouse button is down by injected events.
bool AnythingInjectedDown();
