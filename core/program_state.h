#pragma once
// The one process-wide state record, shared by the user-interface thread and the poll thread
// without a lock. Every field both threads touch is atomic (relaxed order is enough: each field
// stands alone); the key map entries keep their stored 12-byte layout and are read and written
// field by field through ReadEntry / WriteEntry.
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "core/pointer_settings.h"
#include "core/version.h"
#include "platform/joystick.h"
#include "platform/window.h"

using InputWord = uint64_t;

constexpr int kMaxKeys = 128;            // key map entries, rows of the setup grid
constexpr int kDefaultKeyCount = 10;
constexpr int kInputBits = 48;           // bits 0..47 carry inputs
constexpr int kConfigNameSize = 32;      // "configname" buffer, NUL included
constexpr int kWindowTitleSize = 32;
constexpr int kPortableFileSize = 260;
constexpr int kProgramListSize = 256;    // "programs" buffer, NUL included
constexpr uint8_t kFollowNotStored = 0xFF;
constexpr InputWord kInputBitsMask = (InputWord{1} << kInputBits) - 1;

constexpr char kAppTitle[] = "Padwright Tool v" PADWRIGHT_VERSION_TEXT;
constexpr char kProgramWord[] = "Padwright"; // mutex name, window class name

// Stored byte for byte as one record of the "keymap" registry value.
struct KeyMapEntry {
    uint32_t maskLow;  // bits 0..31 of the chord mask
    uint32_t maskHigh; // bits 32..63 (only 32..47 ever set)
    uint8_t vk;        // virtual key; 1, 2, 4, 5, 6 are mouse buttons
    uint8_t scan;      // bits 0..6 scan code, bit 7 extended-key flag
    uint8_t bitCount;  // set bits among 0..47 of the mask
    uint8_t reserved;  // carried unchanged through load, move and save
};
static_assert(sizeof(KeyMapEntry) == 12);
static_assert(offsetof(KeyMapEntry, maskLow) == 0);
static_assert(offsetof(KeyMapEntry, maskHigh) == 4);
static_assert(offsetof(KeyMapEntry, vk) == 8);
static_assert(offsetof(KeyMapEntry, scan) == 9);
static_assert(offsetof(KeyMapEntry, bitCount) == 10);
static_assert(offsetof(KeyMapEntry, reserved) == 11);

inline InputWord ChordMask(const KeyMapEntry& e) {
    return (InputWord{e.maskHigh} << 32) | e.maskLow;
}
inline void SetChordMask(KeyMapEntry& e, InputWord mask) {
    e.maskLow = static_cast<uint32_t>(mask);
    e.maskHigh = static_cast<uint32_t>(mask >> 32);
}
int CountInputBits(InputWord mask); // set bits among 0..47

// One snapshot of an entry; each field is read atomically.
KeyMapEntry ReadEntry(const KeyMapEntry& shared);
// Writes each field atomically.
void WriteEntry(KeyMapEntry& shared, const KeyMapEntry& value);

struct KeyMap {
    std::atomic<int32_t> keyCount{kDefaultKeyCount};
    KeyMapEntry entries[kMaxKeys]{};
};

struct Timing {
    std::atomic<int32_t> pollingInterval{100};   // ms, "pollingspeed"
    std::atomic<int32_t> typematicDelay{500};    // ms, "typematicdelay"
    std::atomic<int32_t> typematicInterval{100}; // ms, "typematicrate"
    std::atomic<int32_t> thresholdPercent{50};   // "threshold"
};

struct Calibration {
    // The capabilities the last successful calibration used, word by word: the poll thread tells
    // a returning joystick from another one by them while the user-interface thread calibrates.
    std::atomic<uint32_t> caps[kJoystickCapsWords]{};
    std::atomic<uint32_t> numAxes{0};    // wNumAxes of caps, as the poll thread reads it
    std::atomic<uint32_t> capsFlags{0};  // wCaps of caps, as the poll thread reads it
    std::atomic<int32_t> numButtons{0};  // button columns of the setup grid
    std::atomic<bool> succeeded{false};  // some calibration has succeeded since start
    std::atomic<uint32_t> center[kAxisCount]{};
    std::atomic<uint32_t> range[kAxisCount]{};
    std::atomic<uint32_t> threshold[kAxisCount]{};
};

// What a press injected, so that its release lifts exactly that (see engine/chords.h).
using HeldPress = uint32_t;

constexpr int kKeyCodes = 256; // virtual keys; the mouse buttons' codes among them

// Pointer motion between cycles; the poll thread's own (see engine/pointer.h).
struct PointerMemory {
    int64_t restX = 0, restY = 0; // what is owed below one pixel, in nanopixels
    int64_t restWheel = 0;        // below one notch, in nanonotches
    uint64_t lastUpdate = 0;      // microseconds
    int8_t wheelDirection = 0;    // the wheel's direction at the last update, 0 at rest
    bool moving = false;          // a pointer or wheel input was deflected at the last update
};

struct EngineMemory {
    std::atomic<InputWord> currentInput{0}; // latest sample AND EnabledMask, one snapshot
    std::atomic<int32_t> chordCounter[kMaxKeys]{};
    std::atomic<HeldPress> heldPress[kMaxKeys]{};
    // Per key code, what the system was last given and whether a release is still owed (see
    // engine/event_batch.h).
    std::atomic<uint32_t> keyState[kKeyCodes]{};
    std::atomic<int32_t> lastZoneSelection[2]{}; // X, Y
    // The pointer stick's deflection at the last read, for the pointer dialog's live view: x in
    // the low 32 bits, y in the high, each signed (see engine/pointer.h).
    std::atomic<uint64_t> stickDeflection{0};
    PointerMemory pointer;
    // Who may produce events: open, busy (a cycle or a lift on the user-interface thread), paused
    // while the session is away, or stopped for good (see engine/held_keys.h).
    std::atomic<uint32_t> eventGate{0};
    uint32_t awayReasons = 0; // user-interface thread only
};

// What the tray icon shows, for the add that follows a restart of the shell.
struct TrayMemory {
    std::atomic<bool> active{true};     // the state the poll thread showed last
    std::atomic<bool> showAgain{false}; // the icon was added again: the poll thread repeats its state
    std::atomic<char> followedSlot{0};  // the slot in use for the program in front, or 0
};

struct ProgramState {
    // Key map and its options.
    KeyMap keyMap;
    std::atomic<InputWord> enabledMask{~InputWord{0}};
    std::atomic<int32_t> typematicOn{1};
    std::atomic<uint32_t> joystickId{0};
    std::atomic<uint64_t> pointer{kDefaultPointerWord}; // PackPointer of the slot's settings

    Timing timing;

    // Derived from the key map.
    std::atomic<int32_t> maxChordSize{1};
    std::atomic<uint8_t> zoneMode{0};

    Calibration calibration;
    EngineMemory engine;
    TrayMemory tray;

    // Slot and identity (user-interface thread only).
    char slotDigit = '1';
    char configName[kConfigNameSize]{};
    char windowTitle[kWindowTitleSize]{};
    bool portableOn = false; // portableFile is set
    char portableFile[kPortableFileSize]{};
    char programList[kProgramListSize]{}; // the programs the slot in use is for, ';' between
    uint8_t followChoice = kFollowNotStored; // the stored "follow": 0 off, 1 on

    // User-interface state that the poll thread or several layers look at; the setup dialog
    // keeps the rest of its own (ui/setup_dialog_state.h).
    WindowHandle mainWindow = nullptr;
    WindowHandle setupDialog = nullptr;
    std::atomic<bool> dialogActive{false};
    std::atomic<bool> captureActive{false}; // key capture runs: the poll thread injects nothing
};

// The process-wide record.
ProgramState& State();
