#include "tools/winekit/registry_values.h"

#include <algorithm>

#include "tools/winekit/program.h"
#include "tools/winekit/wait.h"

namespace {

constexpr char kCompanyKey[] = "SOFTWARE\\Orvanelk";
constexpr char kProgramBaseKey[] = "SOFTWARE\\Orvanelk\\Padwright";

HKEY RootKey(RegistryRoot root) {
    return root == RegistryRoot::Machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

const char* RootName(RegistryRoot root) {
    return root == RegistryRoot::Machine ? "HKLM" : "HKCU";
}

std::string KeyPath(const std::string& subKey) {
    return subKey.empty() ? kProgramBaseKey : std::string(kProgramBaseKey) + "\\" + subKey;
}

void ListTree(RegistryRoot root, const std::string& path, std::vector<std::string>& lines) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(RootKey(root), path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    const std::string keyLine = std::string(RootName(root)) + "\\" + path;
    lines.push_back(keyLine);
    char name[256];
    BYTE data[4096];
    DWORD nameSize = sizeof(name), dataSize = sizeof(data), type = 0;
    for (DWORD i = 0;
         RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &dataSize) == ERROR_SUCCESS;
         ++i, nameSize = sizeof(name), dataSize = sizeof(data)) {
        std::string line = Format("%s : %s = type %lu,", keyLine.c_str(), name, type);
        for (DWORD b = 0; b < dataSize; ++b)
            line += Format(" %02X", data[b]);
        lines.push_back(line);
    }
    std::vector<std::string> subKeys;
    for (DWORD i = 0;
         nameSize = sizeof(name), RegEnumKeyExA(key, i, name, &nameSize, nullptr, nullptr, nullptr,
                                                nullptr) == ERROR_SUCCESS;
         ++i)
        subKeys.push_back(name);
    RegCloseKey(key);
    for (const std::string& sub : subKeys)
        ListTree(root, path + "\\" + sub, lines);
}

} // namespace

Bytes Word(uint32_t value) {
    return {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
}

Bytes Text(const std::string& text, size_t size) {
    Bytes bytes(text.begin(), text.end());
    bytes.resize(size, 0);
    return bytes;
}

std::string SlotSubKey(char digit) {
    return digit == '1' ? "" : std::string(1, digit);
}

void WriteStoredValue(RegistryRoot root, const std::string& subKey, const std::string& name,
                      const Bytes& bytes, DWORD type) {
    HKEY key = nullptr;
    LONG result = RegCreateKeyExA(RootKey(root), KeyPath(subKey).c_str(), 0, nullptr, 0,
                                  KEY_SET_VALUE, nullptr, &key, nullptr);
    if (result == ERROR_SUCCESS) {
        result = RegSetValueExA(key, name.c_str(), 0, type, bytes.data(), DWORD(bytes.size()));
        RegCloseKey(key);
    }
    Require(result == ERROR_SUCCESS,
            Format("cannot write %s\\%s value '%s' (error %ld)", RootName(root),
                   KeyPath(subKey).c_str(), name.c_str(), result));
}

std::optional<Bytes> ReadStoredValue(RegistryRoot root, const std::string& subKey,
                                     const std::string& name, DWORD* type) {
    Bytes bytes(4096);
    DWORD size = DWORD(bytes.size());
    if (RegGetValueA(RootKey(root), KeyPath(subKey).c_str(), name.c_str(),
                     RRF_RT_ANY | RRF_NOEXPAND, type, bytes.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    bytes.resize(size);
    return bytes;
}

void DeleteStoredValue(RegistryRoot root, const std::string& subKey, const std::string& name) {
    const LONG result = RegDeleteKeyValueA(RootKey(root), KeyPath(subKey).c_str(), name.c_str());
    Require(
        result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND,
        Format("cannot delete %s value '%s' (error %ld)", RootName(root), name.c_str(), result));
}

void DeleteProgramRegistry() {
    for (RegistryRoot root : {RegistryRoot::Machine, RegistryRoot::User}) {
        const LONG result = RegDeleteTreeA(RootKey(root), kProgramBaseKey);
        Require(
            result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND,
            Format("cannot delete %s\\%s (error %ld)", RootName(root), kProgramBaseKey, result));
    }
}

void StoreNumbers(std::initializer_list<Number> values, RegistryRoot root, char digit) {
    for (const auto& [name, value] : values)
        WriteStoredValue(root, SlotSubKey(digit), name, Word(value));
}

std::string StoredNumbers(std::initializer_list<const char*> names) {
    std::string text;
    for (const char* name : names) {
        const std::optional<Bytes> b = ReadStoredValue(RegistryRoot::Machine, "", name);
        text += text.empty() ? "" : " ";
        text += b && b->size() == 4 ? std::to_string(b->at(0) | b->at(1) << 8 | b->at(2) << 16)
                                    : "none";
    }
    return text;
}

Bytes KeyMapBytes(const std::vector<StoredKey>& keys) {
    Bytes bytes;
    for (const StoredKey& k : keys) {
        for (int i = 0; i < 8; ++i)
            bytes.push_back(uint8_t(k.chord >> (8 * i)));
        bytes.insert(bytes.end(), {k.vk, k.scan, uint8_t(__builtin_popcountll(k.chord)), 0});
    }
    return bytes;
}

void StoreKeyMap(RegistryRoot root, char digit, const std::vector<StoredKey>& keys) {
    WriteStoredValue(root, SlotSubKey(digit), "numkeys", Word(uint32_t(keys.size())));
    WriteStoredValue(root, SlotSubKey(digit), "keymap", KeyMapBytes(keys));
}

std::vector<StoredKey> ReadKeyMap(RegistryRoot root, char digit) {
    const std::optional<Bytes> bytes = ReadStoredValue(root, SlotSubKey(digit), "keymap");
    Require(bytes && bytes->size() % 12 == 0, "no whole \"keymap\" stored");
    std::vector<StoredKey> keys;
    for (size_t at = 0; at < bytes->size(); at += 12) {
        const uint8_t* b = bytes->data() + at;
        uint64_t chord = 0;
        for (int i = 7; i >= 0; --i)
            chord = chord << 8 | b[i];
        Require(b[10] == __builtin_popcountll(chord),
                Format("entry %zu stores a chord of %u inputs with %d bits", at / 12, b[10],
                       __builtin_popcountll(chord)));
        keys.push_back({chord, b[8], b[9]});
    }
    return keys;
}

std::vector<std::string> StoredTree(std::initializer_list<RegistryRoot> roots) {
    std::vector<std::string> lines;
    for (RegistryRoot root : roots)
        ListTree(root, kCompanyKey, lines);
    std::sort(lines.begin(), lines.end());
    return lines;
}

void RunRegExe(const std::string& arguments, const std::string& directory, DWORD timeoutMs) {
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    StartProcess(std::string(system) + "\\reg.exe", "reg " + arguments, directory, CREATE_NO_WINDOW)
        .WaitForExit(timeoutMs);
}

void WriteStoredValues(RegistryRoot root, const std::string& subKey,
                       const std::vector<StoredValue>& values) {
    for (const StoredValue& v : values)
        WriteStoredValue(root, subKey, v.name, v.bytes, v.type);
}
