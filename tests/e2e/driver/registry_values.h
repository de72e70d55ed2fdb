#pragma once
// The program's registry data as a test arranges and inspects it: values under the base key
// "SOFTWARE\Orvanelk\Padwright" (and its slot sub-keys) of HKLM or HKCU.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class RegistryRoot { Machine, User }; // HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER

constexpr char kProgramBaseKey[] = "SOFTWARE\\Orvanelk\\Padwright";

struct StoredValue {
    DWORD type;
    std::vector<uint8_t> data;
};

// The key of slot `digit` relative to the base key: the base key itself for '1', the
// sub-key named by the digit for every other character.
std::string SlotSubKey(char digit);

// `subKey` is relative to the base key; "" is the base key itself.
std::optional<StoredValue> ReadStoredValue(RegistryRoot root, const std::string& subKey,
                                           const std::string& name);
// Creates the key when needed. Fails the case when the value cannot be written.
void WriteStoredValue(RegistryRoot root, const std::string& subKey, const std::string& name,
                      DWORD type, const void* data, DWORD size);
void WriteStoredBytes(RegistryRoot root, const std::string& subKey, const std::string& name,
                      const std::vector<uint8_t>& bytes); // REG_BINARY
void WriteStoredUint32(RegistryRoot root, const std::string& subKey, const std::string& name,
                       uint32_t value); // REG_BINARY, 4 bytes little-endian
void WriteStoredText(RegistryRoot root, const std::string& subKey, const std::string& name,
                     const std::string& text, DWORD size); // REG_SZ, `size` bytes, NUL-padded
// No error when the value or its key does not exist.
void DeleteStoredValue(RegistryRoot root, const std::string& subKey, const std::string& name);
// Removes the base key with every slot under both roots: nothing of an earlier case remains.
void DeleteProgramRegistry();

std::optional<uint32_t> ReadStoredUint32(RegistryRoot root, const std::string& subKey,
                                         const std::string& name);
