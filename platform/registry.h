#pragma once
// The registry as the store needs it. Keys are opaque handles; a null handle is "not opened".
#include <cstddef>
#include <cstdint>

enum class RegistryHive { LocalMachine, CurrentUser };

constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegBinary = 3;

using RegistryKey = void*;

// RegOpenKeyExA with KEY_QUERY_VALUE. Returns null when the key cannot be opened.
RegistryKey RegistryOpenForRead(RegistryHive hive, const char* path);
// RegCreateKeyExA with KEY_WRITE, creating missing parents. Returns null on failure.
RegistryKey RegistryCreateForWrite(RegistryHive hive, const char* path);
// RegQueryValueExA into buffer of capacity bytes. On success returns true and sets *size to the
// number of bytes stored; a value longer than capacity is refused (false). The stored type is not
// looked at. After a refusal the buffer's contents are undefined, as the system leaves them, so
// callers read into a scratch buffer rather than into the field itself.
bool RegistryQuery(RegistryKey key, const char* name, void* buffer, uint32_t capacity,
                   uint32_t* size);
// RegSetValueExA.
bool RegistrySet(RegistryKey key, const char* name, uint32_t type, const void* data,
                 uint32_t size);
void RegistryClose(RegistryKey key);
