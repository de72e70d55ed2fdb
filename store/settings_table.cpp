#include "store/settings_table.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "core/key_map.h"
#include "store/registry_layout.h"

namespace {
constexpr uint32_t kWord = sizeof(int32_t);

constexpr Setting kSlotSettings[] = {
    {kValueNumKeys, SettingField::KeyCount, kRegBinary, kWord, 1, kMaxKeys},
    {kValueKeyMap, SettingField::KeyMap, kRegBinary, kKeyMapValueSize},
    {kValueTypematic, SettingField::TypematicOn, kRegBinary, kWord},
    {kValueJoyId, SettingField::JoystickId, kRegBinary, kWord},
    {kValueConfigName, SettingField::ConfigName, kRegSz, kConfigNameSize},
    {kValueEnabled, SettingField::EnabledMask, kRegBinary, sizeof(InputWord)},
    {kValuePrograms, SettingField::ProgramList, kRegSz, kProgramListSize},
};
constexpr int kConfigNameRow = 4;
constexpr int kProgramListRow = 6;

constexpr Setting kTimingSettings[] = {
    // Timing is taken as stored, as another tool may have written it: the poll loop itself
    // guards against values it cannot run with, and the stored value stays as it is.
    {kValuePollingSpeed, SettingField::PollingInterval, kRegBinary, kWord},
    {kValueTypematicDelay, SettingField::TypematicDelay, kRegBinary, kWord},
    {kValueTypematicRate, SettingField::TypematicInterval, kRegBinary, kWord},
    {kValueThreshold, SettingField::ThresholdPercent, kRegBinary, kWord},
};

constexpr Setting kPointerSetting = {kValuePointer, SettingField::Pointer, kRegBinary,
                                     kPointerValueSize};

constexpr Setting kSelectedSlotSetting = {kValueConfig, SettingField::SlotDigit, kRegBinary,
                                          sizeof(char)};
constexpr Setting kFollowSetting = {kValueFollow, SettingField::FollowChoice, kRegBinary,
                                    sizeof(uint8_t)};

void PutLittleEndian(uint8_t* bytes, uint64_t value, uint32_t width) {
    for (uint32_t i = 0; i < width; ++i)
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint64_t GetLittleEndian(const uint8_t* bytes, uint32_t width) {
    uint64_t value = 0;
    for (uint32_t i = 0; i < width; ++i)
        value |= uint64_t{bytes[i]} << (8 * i);
    return value;
}

void PutRecord(uint8_t* bytes, const KeyMapEntry& e) {
    PutLittleEndian(bytes + offsetof(KeyMapEntry, maskLow), e.maskLow, kWord);
    PutLittleEndian(bytes + offsetof(KeyMapEntry, maskHigh), e.maskHigh, kWord);
    bytes[offsetof(KeyMapEntry, vk)] = e.vk;
    bytes[offsetof(KeyMapEntry, scan)] = e.scan;
    bytes[offsetof(KeyMapEntry, bitCount)] = e.bitCount;
    bytes[offsetof(KeyMapEntry, reserved)] = e.reserved;
}

// bitCount is derived from the mask; a stored count is not trusted, since it decides at which
// chord size the entry is served and how many sizes the resolver walks.
KeyMapEntry GetRecord(const uint8_t* bytes) {
    KeyMapEntry e;
    e.maskLow =
        static_cast<uint32_t>(GetLittleEndian(bytes + offsetof(KeyMapEntry, maskLow), kWord));
    e.maskHigh =
        static_cast<uint32_t>(GetLittleEndian(bytes + offsetof(KeyMapEntry, maskHigh), kWord));
    e.vk = bytes[offsetof(KeyMapEntry, vk)];
    e.scan = bytes[offsetof(KeyMapEntry, scan)];
    e.bitCount = static_cast<uint8_t>(CountInputBits(ChordMask(e)));
    e.reserved = bytes[offsetof(KeyMapEntry, reserved)];
    return e;
}

uint64_t NumberOf(const ProgramState& s, SettingField field) {
    switch (field) {
    case SettingField::KeyCount:
        return static_cast<uint32_t>(KeyCount(s));
    case SettingField::TypematicOn:
        return static_cast<uint32_t>(s.typematicOn.load());
    case SettingField::JoystickId:
        return s.joystickId.load();
    case SettingField::EnabledMask:
        return s.enabledMask.load();
    case SettingField::PollingInterval:
        return static_cast<uint32_t>(s.timing.pollingInterval.load());
    case SettingField::TypematicDelay:
        return static_cast<uint32_t>(s.timing.typematicDelay.load());
    case SettingField::TypematicInterval:
        return static_cast<uint32_t>(s.timing.typematicInterval.load());
    case SettingField::ThresholdPercent:
        return static_cast<uint32_t>(s.timing.thresholdPercent.load());
    case SettingField::SlotDigit:
        return static_cast<uint8_t>(s.slotDigit);
    case SettingField::FollowChoice:
        return s.followChoice;
    case SettingField::Pointer:
        return s.pointer.load();
    case SettingField::KeyMap:
    case SettingField::ConfigName:
    case SettingField::ProgramList:
        break;
    }
    return 0;
}

void SetNumber(ProgramState& s, SettingField field, uint64_t value) {
    const auto word = static_cast<int32_t>(static_cast<uint32_t>(value));
    switch (field) {
    case SettingField::KeyCount:
        s.keyMap.keyCount = word;
        break;
    case SettingField::TypematicOn:
        s.typematicOn = word;
        break;
    case SettingField::JoystickId:
        s.joystickId = static_cast<uint32_t>(value);
        break;
    case SettingField::EnabledMask:
        s.enabledMask = value;
        break;
    case SettingField::PollingInterval:
        s.timing.pollingInterval = word;
        break;
    case SettingField::TypematicDelay:
        s.timing.typematicDelay = word;
        break;
    case SettingField::TypematicInterval:
        s.timing.typematicInterval = word;
        break;
    case SettingField::ThresholdPercent:
        s.timing.thresholdPercent = word;
        break;
    case SettingField::FollowChoice:
        if (value <= 1) // anything else is no choice of ours
            s.followChoice = static_cast<uint8_t>(value);
        break;
    case SettingField::Pointer:
        s.pointer = value;
        break;
    case SettingField::SlotDigit:
    case SettingField::KeyMap:
    case SettingField::ConfigName:
    case SettingField::ProgramList:
        break;
    }
}

// Whole records only: a record cut short would pair a new mask with an old key.
void ApplyKeyMap(ProgramState& s, const uint8_t* stored, uint32_t size) {
    const uint32_t records = size / kKeyMapRecordSize;
    for (uint32_t i = 0; i < records; ++i)
        WriteEntry(s.keyMap.entries[i], GetRecord(stored + i * kKeyMapRecordSize));
}

// Only a character that can name a slot key is taken. A NUL would end every text built from the
// digit and leave the slot key ending in a backslash; a backslash would end it in two, which the
// registry reads as the base key itself: slot 1's settings under another slot's title, beside
// an instance that may be running on slot 1.
void ApplySlotDigit(ProgramState& s, uint8_t stored) {
    if (stored != 0 && stored != '\\')
        s.slotDigit = static_cast<char>(stored);
}

void ApplyPointer(ProgramState& s, const uint8_t* stored, uint32_t size) {
    if (size != kPointerValueSize)
        return;
    const uint64_t word = GetLittleEndian(stored, kPointerValueSize);
    if (ValidPointer(UnpackPointer(word)))
        s.pointer = word;
}

void ApplyNumber(ProgramState& s, const Setting& setting, const uint8_t* stored, uint32_t size) {
    uint8_t bytes[sizeof(uint64_t)];
    PutLittleEndian(bytes, NumberOf(s, setting.field), setting.size);
    std::memcpy(bytes, stored, size);
    const uint64_t value = GetLittleEndian(bytes, setting.size);
    if (setting.size == kWord) {
        const auto word = static_cast<int32_t>(static_cast<uint32_t>(value));
        if (word < setting.least || word > setting.most)
            return;
    }
    SetNumber(s, setting.field, value);
}
} // namespace

std::span<const Setting> SlotSettings() {
    return kSlotSettings;
}
std::span<const Setting> TimingSettings() {
    return kTimingSettings;
}
const Setting& ConfigNameSetting() {
    return kSlotSettings[kConfigNameRow];
}
const Setting& ProgramListSetting() {
    return kSlotSettings[kProgramListRow];
}
const Setting& SelectedSlotSetting() {
    return kSelectedSlotSetting;
}
const Setting& FollowSetting() {
    return kFollowSetting;
}
const Setting& PointerSetting() {
    return kPointerSetting;
}

uint32_t EncodeSetting(const ProgramState& s, const Setting& setting,
                       uint8_t (&bytes)[kLargestSettingSize]) {
    switch (setting.field) {
    case SettingField::KeyMap: {
        const int count = KeyCount(s);
        for (int i = 0; i < count; ++i)
            PutRecord(bytes + i * kKeyMapRecordSize, ReadEntry(s.keyMap.entries[i]));
        return count * kKeyMapRecordSize;
    }
    case SettingField::ConfigName:
        std::memcpy(bytes, s.configName, kConfigNameSize);
        return kConfigNameSize;
    case SettingField::ProgramList: {
        const auto length = static_cast<uint32_t>(strnlen(s.programList, kProgramListSize - 1));
        std::memcpy(bytes, s.programList, length);
        bytes[length] = '\0';
        return length + 1;
    }
    default:
        PutLittleEndian(bytes, NumberOf(s, setting.field), setting.size);
        return setting.size;
    }
}

void ApplySetting(ProgramState& s, const Setting& setting, const uint8_t* stored, uint32_t size) {
    size = std::min(size, setting.size);
    if (size == 0)
        return;
    switch (setting.field) {
    case SettingField::KeyMap:
        ApplyKeyMap(s, stored, size);
        break;
    case SettingField::ConfigName:
        ApplyStoredText(s.configName, kConfigNameSize, stored, size);
        break;
    case SettingField::ProgramList:
        ApplyStoredText(s.programList, kProgramListSize, stored, size);
        break;
    case SettingField::SlotDigit:
        ApplySlotDigit(s, stored[0]);
        break;
    case SettingField::Pointer:
        ApplyPointer(s, stored, size);
        break;
    default:
        ApplyNumber(s, setting, stored, size);
        break;
    }
}

// A text written by another tool may lack its NUL; it then ends after its own bytes, and never
// beyond the buffer.
void ApplyStoredText(char* text, uint32_t capacity, const uint8_t* stored, uint32_t size) {
    size = std::min<uint32_t>(size, capacity);
    if (size == 0)
        return;
    std::memcpy(text, stored, size);
    if (std::memchr(stored, 0, size) == nullptr)
        text[std::min<uint32_t>(size, capacity - 1)] = '\0';
}
