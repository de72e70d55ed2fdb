#include <windows.h>

#include "platform/registry.h"

static_assert(kRegSz == REG_SZ && kRegBinary == REG_BINARY);

namespace {
HKEY RootKey(RegistryHive hive) {
    return hive == RegistryHive::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}
} // namespace

RegistryKey RegistryOpenForRead(RegistryHive hive, const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(RootKey(hive), path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

RegistryKey RegistryCreateForWrite(RegistryHive hive, const char* path) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(RootKey(hive), path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

bool RegistryQuery(RegistryKey key, const char* name, void* buffer, uint32_t capacity,
                   uint32_t* size) {
    DWORD bytes = capacity;
    if (RegQueryValueExA(static_cast<HKEY>(key), name, nullptr, nullptr, static_cast<BYTE*>(buffer),
                         &bytes) != ERROR_SUCCESS ||
        bytes > capacity)
        return false;
    *size = bytes;
    return true;
}

bool RegistrySet(RegistryKey key, const char* name, uint32_t type, const void* data,
                 uint32_t size) {
    return RegSetValueExA(static_cast<HKEY>(key), name, 0, type, static_cast<const BYTE*>(data),
                          size) == ERROR_SUCCESS;
}

void RegistryClose(RegistryKey key) {
    RegCloseKey(static_cast<HKEY>(key));
}
