#include "store/slot_store.h"

#include "core/key_map.h"
#include "store/portable_mode.h"
#include "store/registry_access.h"
#include "store/registry_layout.h"
#include "store/settings_table.h"

namespace {
// Every stored value comes in here: into a scratch buffer of the row's size, never into shared
// state, and never more than the row's size whatever the stored value claims.
void ReadSetting(const ReadKeys& keys, const Setting& setting, ProgramState& s) {
    uint8_t scratch[kLargestSettingSize];
    ApplySetting(s, setting, scratch, ReadStoredValue(keys, setting, scratch));
}

void ReadSettings(ProgramState& s, const char* path, std::span<const Setting> rows) {
    const ReadKeys keys = OpenForRead(s, path);
    for (const Setting& setting : rows)
        ReadSetting(keys, setting, s);
    CloseKeys(keys);
}
} // namespace

void LoadSlot(ProgramState& s) {
    ImportBeforeLoad(s);
    // A slot that stores no list is for no program: the list of the slot before is not carried
    // over, or two slots would claim the same programs after the next OK.
    s.programList[0] = '\0';
    const ReadKeys keys = OpenForRead(s, SlotKeyPath(s.slotDigit).path);
    for (const Setting& setting : SlotSettings())
        if (setting.field != SettingField::ConfigName)
            ReadSetting(keys, setting, s);
    // The default name comes first whether or not the slot was ever saved; a stored name then
    // replaces it.
    WriteDefaultConfigName(s.configName, s.slotDigit);
    ReadSetting(keys, ConfigNameSetting(), s);
    CloseKeys(keys);
    LoadTiming(s);
    LoadPointer(s);
    RecomputeMaxChordSize(s);
    RecomputeZoneMode(s);
}

void LoadTiming(ProgramState& s) {
    ReadSettings(s, SlotKeyPath(s.slotDigit).path, TimingSettings());
}

// Unlike the older values, a pointer the slot does not hold is not kept from the slot before: a
// slot that never had one moves nothing, whatever was loaded earlier.
void LoadPointer(ProgramState& s) {
    s.pointer = kDefaultPointerWord;
    ReadSettings(s, SlotKeyPath(s.slotDigit).path, {&PointerSetting(), 1});
}

bool SaveSlot(const ProgramState& s) {
    return WriteSettings(s, SlotKeyPath(s.slotDigit).path, SlotSettings());
}

bool SaveTiming(const ProgramState& s) {
    return WriteSettings(s, SlotKeyPath(s.slotDigit).path, TimingSettings());
}

bool SavePointer(const ProgramState& s) {
    return WriteSettings(s, SlotKeyPath(s.slotDigit).path, {&PointerSetting(), 1});
}

bool SaveSelectedSlot(const ProgramState& s) {
    return WriteSettings(s, kBaseKeyPath, {&SelectedSlotSetting(), 1});
}

void ReadSelectedSlot(ProgramState& s) {
    ReadSettings(s, kBaseKeyPath, {&SelectedSlotSetting(), 1});
}

bool SaveFollowChoice(const ProgramState& s) {
    return WriteSettings(s, kBaseKeyPath, {&FollowSetting(), 1});
}

void ReadFollowChoice(ProgramState& s) {
    ReadSettings(s, kBaseKeyPath, {&FollowSetting(), 1});
}

namespace {
void ReadSlotText(const ProgramState& s, char slotDigit, const Setting& setting, char* text) {
    const ReadKeys keys = OpenForRead(s, SlotKeyPath(slotDigit).path);
    uint8_t scratch[kLargestSettingSize];
    ApplyStoredText(text, setting.size, scratch, ReadStoredValue(keys, setting, scratch));
    CloseKeys(keys);
}
} // namespace

void ReadSlotName(const ProgramState& s, char slotDigit, char (&name)[kConfigNameSize]) {
    ReadSlotText(s, slotDigit, ConfigNameSetting(), name);
}

void ReadSlotPrograms(const ProgramState& s, char slotDigit, char (&list)[kProgramListSize]) {
    list[0] = '\0';
    ReadSlotText(s, slotDigit, ProgramListSetting(), list);
}
