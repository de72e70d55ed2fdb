#pragma once
// Where the values of a key path (the base key or a slot key) are read and written. Portable mode
// has one place, its key under the current user. Otherwise the machine's key comes with a
// per-user overlay, kept where Windows' registry virtualization puts a program's writes to
// HKEY_LOCAL_MACHINE: a user who may not write the machine's key saves there, and a value found
// there is read before the machine's.
#include <cstdint>
#include <span>

#include "core/program_state.h"
#include "platform/registry.h"
#include "store/settings_table.h"

constexpr char kOverlayPrefix[] = "Software\\Classes\\VirtualStore\\MACHINE\\";

// The keys a value is looked for in, in order; either may be null.
struct ReadKeys {
    RegistryKey first;
    RegistryKey second;
};
ReadKeys OpenForRead(const ProgramState& s, const char* path);
void CloseKeys(const ReadKeys& keys);

// The stored value of the first key that holds it in a readable size, into the scratch buffer.
// Returns the bytes held; 0 when no key holds it.
uint32_t ReadStoredValue(const ReadKeys& keys, const Setting& setting,
                         uint8_t (&scratch)[kLargestSettingSize]);

// Stores the rows' values; true when the place that the next read looks in first holds them all.
bool WriteSettings(const ProgramState& s, const char* path, std::span<const Setting> rows);
