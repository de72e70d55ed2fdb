#include "store/registry_access.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>

#include "store/registry_layout.h"

namespace {
struct OverlayKey {
    char path[sizeof(kOverlayPrefix) - 1 + kSlotKeyPathSize];
};

OverlayKey OverlayKeyPath(const char* path) {
    OverlayKey key{};
    std::memcpy(key.path, kOverlayPrefix, sizeof(kOverlayPrefix) - 1);
    std::strncpy(key.path + sizeof(kOverlayPrefix) - 1, path, kSlotKeyPathSize - 1);
    return key;
}

bool WriteTo(RegistryHive hive, const char* path, const ProgramState& s,
             std::span<const Setting> rows) {
    const RegistryKey key = RegistryCreateForWrite(hive, path);
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

bool KeyExists(RegistryHive hive, const char* path) {
    const RegistryKey key = RegistryOpenForRead(hive, path);
    if (key == nullptr)
        return false;
    RegistryClose(key);
    return true;
}
} // namespace

ReadKeys OpenForRead(const ProgramState& s, const char* path) {
    if (RegistryRoot(s) == RegistryHive::CurrentUser)
        return {RegistryOpenForRead(RegistryHive::CurrentUser, path), nullptr};
    return {RegistryOpenForRead(RegistryHive::CurrentUser, OverlayKeyPath(path).path),
            RegistryOpenForRead(RegistryHive::LocalMachine, path)};
}

void CloseKeys(const ReadKeys& keys) {
    for (const RegistryKey key : {keys.first, keys.second})
        if (key != nullptr)
            RegistryClose(key);
}

uint32_t ReadStoredValue(const ReadKeys& keys, const Setting& setting,
                         uint8_t (&scratch)[kLargestSettingSize]) {
    for (const RegistryKey key : {keys.first, keys.second}) {
        uint32_t size = 0;
        if (key != nullptr && RegistryQuery(key, setting.valueName, scratch, setting.size, &size))
            return std::min(size, setting.size);
    }
    return 0;
}

// An administrator who once saved into the overlay without elevation and now saves into the
// machine's key would have the overlay's older values hide the new ones; so an overlay key that
// exists gets them too. Nothing is deleted from the registry.
bool WriteSettings(const ProgramState& s, const char* path, std::span<const Setting> rows) {
    if (RegistryRoot(s) == RegistryHive::CurrentUser)
        return WriteTo(RegistryHive::CurrentUser, path, s, rows);
    const OverlayKey overlay = OverlayKeyPath(path);
    if (WriteTo(RegistryHive::LocalMachine, path, s, rows) &&
        !KeyExists(RegistryHive::CurrentUser, overlay.path))
        return true;
    return WriteTo(RegistryHive::CurrentUser, overlay.path, s, rows);
}
