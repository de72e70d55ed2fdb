#pragma once
// The program's registry data as the tools arrange and inspect it: values under the base key
// "SOFTWARE\Orvanelk\Padwright" (and its slot sub-keys) of HKLM or HKCU.
#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

enum class RegistryRoot { Machine, User }; // HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER

using Bytes = std::vector<uint8_t>;
Bytes Word(uint32_t value); // 4 bytes, little-endian, as the program stores a number
Bytes Text(const std::string& text, size_t size); // NUL-padded to `size` bytes

// The key of slot `digit` relative to the base key: "" (the base key) for '1', else the digit.
std::string SlotSubKey(char digit);

// `subKey` is relative to the base key. The writer creates the key; fails when it cannot write.
void WriteStoredValue(RegistryRoot root, const std::string& subKey, const std::string& name,
                      const Bytes& bytes, DWORD type = REG_BINARY);
std::optional<Bytes> ReadStoredValue(RegistryRoot root, const std::string& subKey,
                                     const std::string& name, DWORD* type = nullptr);
void DeleteStoredValue(RegistryRoot root, const std::string& subKey, const std::string& name);
// Removes the base key with every slot under both roots.
void DeleteProgramRegistry();

// Numbers as the program stores them (4 bytes, little-endian) under slot `digit` of `root`, and
// the stored ones as text ("20 250 none").
using Number = std::pair<const char*, uint32_t>;
void StoreNumbers(std::initializer_list<Number> values, RegistryRoot root = RegistryRoot::Machine,
                  char digit = '1');
std::string StoredNumbers(std::initializer_list<const char*> names);

// One key map entry: `chord` (input-word bits) types `vk`; bit 7 of `scan` is the extended flag.
struct StoredKey {
    uint64_t chord;
    uint8_t vk;
    uint8_t scan;
};
// "numkeys" and "keymap" of slot `digit`, as a save leaves them: 12 bytes per entry (mask low
// and high words little-endian, vk, scan, the chord's size, a reserved 0).
void StoreKeyMap(RegistryRoot root, char digit, const std::vector<StoredKey>& keys);
Bytes KeyMapBytes(const std::vector<StoredKey>& keys);
std::vector<StoredKey> ReadKeyMap(RegistryRoot root, char digit);

// Every key and value under SOFTWARE\Orvanelk of `roots`, one line each, sorted.
std::vector<std::string> StoredTree(std::initializer_list<RegistryRoot> roots);

// Runs the system's reg.exe with `arguments` in `directory`; fails when it runs over `timeoutMs`.
void RunRegExe(const std::string& arguments, const std::string& directory, DWORD timeoutMs);

// Values as they are to stand under `subKey` of `root`, of any type.
struct StoredValue {
    const char* name;
    Bytes bytes;
    DWORD type = REG_BINARY;
};
void WriteStoredValues(RegistryRoot root, const std::string& subKey,
                       const std::vector<StoredValue>& values);
