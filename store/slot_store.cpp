#include "store/slot_store.h"

#include <algorithm>

#include "core/key_map.h"
#include "platform/registry.h"
#include "store/portable_mode.h"
#include "store/registry_layout.h"
#include "store/settings_table.h"

namespace {
// Every stored value comes in here: into a scratch buffer of the row's size, never into shared
// state, and never more than the row's size whatever the stored value claims. Returns the bytes
// held; 0 when the value is missing or longer than the row allows.
uint32_t ReadStoredValue(RegistryKey key, const Setting& setting,
                         uint8_t (&scratch)[kLargestSettingSize]) {
    uint32_t size = 0;
    if (!RegistryQuery(key, setting.valueName, scratch, setting.size, &size))
        return 0;
    return std::min(size, setting.size);
}

void ReadSetting(RegistryKey key, const Setting& setting, ProgramState& s) {
    uint8_t scratch[kLargestSettingSize];
    ApplySetting(s, setting, scratch, ReadStoredValue(key, setting, scratch));
}

bool WriteSettings(const ProgramState& s, const char* path, std::span<const Setting> rows) {
    const RegistryKey key = RegistryCreateForWrite(RegistryRoot(s), path);
    if (key == nullptr)
        return false;
    bool stored = true;
    for (const Setting& setting : rows) {
        uint8_t bytes[kLargestSettingSize];
        const uint32_t size = EncodeSetting(s, setting, bytes);
        stored = RegistrySet(key, setting.valueName, setting.type, bytes, size) && stored;
    }
    RegistryClose(key);
    return stored;
}
} // namespace

void LoadSlot(ProgramState& s) {
    ImportBeforeLoad(s);
    const RegistryKey key = RegistryOpenForRead(RegistryRoot(s), SlotKeyPath(s.slotDigit).path);
    if (key != nullptr) {
        for (const Setting& setting : SlotSettings())
            if (setting.field != SettingField::ConfigName)
                ReadSetting(key, setting, s);
    }
    // The default name comes first whether or not the slot was ever saved; a stored name then
    // replaces it.
    WriteDefaultConfigName(s.configName, s.slotDigit);
    if (key != nullptr) {
        ReadSetting(key, ConfigNameSetting(), s);
        RegistryClose(key);
    }
    LoadTiming(s);
    RecomputeMaxChordSize(s);
    RecomputeZoneMode(s);
}

void LoadTiming(ProgramState& s) {
    const RegistryKey key = RegistryOpenForRead(RegistryRoot(s), SlotKeyPath(s.slotDigit).path);
    if (key == nullptr)
        return;
    for (const Setting& setting : TimingSettings())
        ReadSetting(key, setting, s);
    RegistryClose(key);
}

bool SaveSlot(const ProgramState& s) {
    return WriteSettings(s, SlotKeyPath(s.slotDigit).path, SlotSettings());
}

bool SaveTiming(const ProgramState& s) {
    return WriteSettings(s, SlotKeyPath(s.slotDigit).path, TimingSettings());
}

bool SaveSelectedSlot(const ProgramState& s) {
    return WriteSettings(s, kBaseKeyPath, {&SelectedSlotSetting(), 1});
}

void ReadSelectedSlot(ProgramState& s) {
    const RegistryKey key = RegistryOpenForRead(RegistryRoot(s), kBaseKeyPath);
    if (key == nullptr)
        return;
    ReadSetting(key, SelectedSlotSetting(), s);
    RegistryClose(key);
}

void ReadSlotName(const ProgramState& s, char slotDigit, char (&name)[kConfigNameSize]) {
    const RegistryKey key = RegistryOpenForRead(RegistryRoot(s), SlotKeyPath(slotDigit).path);
    if (key == nullptr)
        return;
    uint8_t scratch[kLargestSettingSize];
    ApplyStoredName(name, scratch, ReadStoredValue(key, ConfigNameSetting(), scratch));
    RegistryClose(key);
}
