#pragma once
// The program's registry data as a test arranges and inspects it: values under the base key
// "SOFTWARE\Orvanelk\Padwright" (and its slot sub-keys) of HKLM or HKCU.
#include <windows.h>

#include <cstdint>
#include <initializer_list>
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

// One key map entry as a user's saved slot holds it: `chord` (input-word bits) types `vk`.
struct StoredKey {
    uint64_t chord;
    uint8_t vk;
    uint8_t scan; // bit 7: the extended-key flag
    uint8_t reserved = 0;
};
// The "keymap" bytes: 12 per entry, mask low and high words little-endian, then vk, scan, the
// chord's size and the reserved byte.
std::vector<uint8_t> KeyMapBytes(const std::vector<StoredKey>& keys);
// "numkeys" and "keymap" of slot `digit`, as a save leaves them.
void StoreKeyMap(RegistryRoot root, char digit, const std::vector<StoredKey>& keys);

// Every key and value under SOFTWARE\Orvanelk of `roots`, one line each ("HKLM\path" for a key,
// "HKLM\path : name = type T, bytes" for a value), sorted.
std::vector<std::string> StoredTree(std::initializer_list<RegistryRoot> roots);
