#pragma once
// The system as the native tests and fuzzers see it: like Windows where the program can tell,
// recording what it was asked. ResetFakeSystem(): one joystick, no registry, an administrator.
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/input.h"
#include "platform/joystick.h"
#include "platform/registry.h"
#include "platform/window.h"

constexpr int kFakeMouseButtons = 5; // left, right, middle, first extra, second extra
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
    bool physicalDown[256] = {}, injectedDown[256] = {}, mouseDown[kFakeMouseButtons] = {};
    uint32_t insertPerCall = UINT32_MAX, calls = 0; // at most this many per call (0: locked)
    bool dropInserted = false;                      // inserted events never arrive (secure desktop)
};
// Six centred axes, a hat, 12 buttons; `sample` and `readResult` change through the setters.
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
// A key tree per hive, names without regard to case: opening a missing key fails, creating one
// creates its parents, a value longer than the reader's buffer is refused.
struct FakeRegistry {
    void Put(RegistryHive hive, const std::string& path, const std::string& name,
             std::vector<uint8_t> bytes, uint32_t type = kRegBinary); // as stored earlier
    std::vector<uint8_t> Get(RegistryHive hive, const std::string& path,
                             const std::string& name) const; // none when missing
    bool Has(RegistryHive hive, const std::string& path, const std::string& name = "") const;
    // Lower-case key path -> lower-case value name -> type and bytes.
    std::map<std::pair<RegistryHive, std::string>,
             std::map<std::string, std::pair<uint32_t, std::vector<uint8_t>>>>
        keys;
    std::vector<FakeRegistryWrite> writes; // every successful set, in order
    int openKeys = 0, badCloses = 0;       // not yet closed; closes of a null or closed key
    bool scribbleOnRefusal = false;        // a refused read leaves garbage, as it may on Windows
    bool localMachineReadOnly = false, currentUserReadOnly = false; // no administrator; a policy
};
// Files, and a reg.exe whose import succeeds for a file that exists and whose export writes the
// named file even when it fails: the export header and the number of registry writes before it.
struct FakeProcess {
    std::set<std::string> files;
    std::map<std::string, std::string> contents;           // a file without holds an empty export
    std::vector<std::string> commands;                     // "program|command line" of every run
    std::string systemDirectory = "C:\\Windows\\system32"; // none when empty
    int exitCode = 0;
    bool exportWritesFile = true, startFails = false;
};
// Timers of Windows 10 1803 on (knowsHighResolution), older ones, or ones taking any flag.
struct FakeTimers {
    bool knowsHighResolution = false, takesAnyFlag = false, waitsFail = false;
    int open = 0, periodsBegun = 0;
    std::vector<uint32_t> waits; // ms of every wait
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
    std::function<void(uint32_t ms)> onSleep; // on the sleeping thread, between poll cycles
    uint64_t nowMicroseconds = 0;             // every sleep moves it on
    std::vector<ShownMessage> messages;
    int answer = 1; // the button the "user" clicks in a message box: OK
    // The notification area: an add while the icon is there fails, a change while it is not.
    bool trayPresent = true;
    std::string trayTip;
    std::vector<bool> trayStates; // the icon of every change tried
    WindowHandle titledWindow = nullptr;
    std::string title;
};
FakeSystem& Fake();
void ResetFakeSystem();
void SetFakeJoystickSample(const JoystickSample& sample); // field by field, atomically
void SetFakeJoystickReadResult(uint32_t result);
bool AnythingInjectedDown(); // some key or mouse button is down by injected events
