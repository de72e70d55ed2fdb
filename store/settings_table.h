#pragma once
// Every stored value in one table: its name, the field it holds, the registry type written, its
// size, and the range a stored number must fall in to be taken. The loads and saves walk these
// rows, so names and sizes stand only here.
#include <cstdint>
#include <limits>
#include <span>

#include "core/program_state.h"

enum class SettingField : uint8_t {
    KeyCount,
    KeyMap,
    TypematicOn,
    JoystickId,
    ConfigName,
    EnabledMask,
    PollingInterval,
    TypematicDelay,
    TypematicInterval,
    ThresholdPercent,
    SlotDigit,
    ProgramList,
    FollowChoice,
    Pointer,
};

struct Setting {
    const char* valueName;
    SettingField field;
    uint32_t type; // registry type written; reading looks only at the size
    uint32_t size; // read buffer, and the bytes written ("keymap": only the entries in use)
    int32_t least = std::numeric_limits<int32_t>::min(); // 32-bit numbers outside are not taken
    int32_t most = std::numeric_limits<int32_t>::max();
};

constexpr uint32_t kKeyMapRecordSize = sizeof(KeyMapEntry);
constexpr uint32_t kKeyMapValueSize = kKeyMapRecordSize * kMaxKeys;
constexpr uint32_t kLargestSettingSize = kKeyMapValueSize;
// The timing dialog never commits less: below it the poll loop would spin or stall.
constexpr int32_t kMinimumIntervalMs = 3;

// The values of a slot's key map, options and programs, in the order SaveSlot writes them.
std::span<const Setting> SlotSettings();
// The four timing values, in the order SaveTiming writes them.
std::span<const Setting> TimingSettings();
const Setting& ConfigNameSetting();
const Setting& ProgramListSetting();
const Setting& SelectedSlotSetting(); // "config" of the base key
const Setting& FollowSetting();       // "follow" of the base key
const Setting& PointerSetting();

// The bytes stored for the field as it stands; returns how many of them to write.
uint32_t EncodeSetting(const ProgramState& s, const Setting& setting,
                       uint8_t (&bytes)[kLargestSettingSize]);
// Takes `size` stored bytes into the field. Like the system's own shorter reads, only the bytes
// stored are replaced; but a number outside the row's range, a key map record cut short and a
// slot digit that cannot name a key (NUL, backslash) are not taken, and a text always ends
// within its buffer. The pointer is taken whole or not at all: every byte, every field in range.
void ApplySetting(ProgramState& s, const Setting& setting, const uint8_t* stored, uint32_t size);
// A stored text ("configname", "programs") over a buffer of `capacity` bytes; shared with the
// reads of other slots' names and lists.
void ApplyStoredText(char* text, uint32_t capacity, const uint8_t* stored, uint32_t size);
