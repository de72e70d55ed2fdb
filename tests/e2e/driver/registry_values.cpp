#include "tests/e2e/driver/registry_values.h"

#include <algorithm>

#include "tests/e2e/driver/case_runner.h"

namespace {

HKEY RootKey(RegistryRoot root) {
    return root == RegistryRoot::Machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

const char* RootName(RegistryRoot root) {
    return root == RegistryRoot::Machine ? "HKLM" : "HKCU";
}

std::string KeyPath(const std::string& subKey) {
    return subKey.empty() ? std::string(kProgramBaseKey)
                          : std::string(kProgramBaseKey) + "\\" + subKey;
}

void ListTree(HKEY root, const std::string& path, std::vector<std::string>& lines,
              const char* rootName) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return;
    const std::string keyLine = std::string(rootName) + "\\" + path;
    lines.push_back(keyLine);
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD nameSize = sizeof(name);
        BYTE data[4096];
        DWORD dataSize = sizeof(data);
        DWORD type = 0;
        if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &dataSize) !=
            ERROR_SUCCESS)
            break;
        std::string line = Format("%s : %s = type %lu,", keyLine.c_str(), name, type);
        for (DWORD b = 0; b < dataSize; ++b)
            line += Format(" %02X", data[b]);
        lines.push_back(line);
    }
    std::vector<std::string> subKeys;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD nameSize = sizeof(name);
        if (RegEnumKeyExA(key, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        subKeys.push_back(name);
    }
    RegCloseKey(key);
    for (const std::string& sub : subKeys)
        ListTree(root, path + "\\" + sub, lines, rootName);
}

} // namespace

std::string SlotSubKey(char digit) {
    return digit == '1' ? "" : std::string(1, digit);
}

std::optional<StoredValue> ReadStoredValue(RegistryRoot root, const std::string& subKey,
                                           const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(RootKey(root), KeyPath(subKey).c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY,
                      &key) != ERROR_SUCCESS)
        return std::nullopt;
    StoredValue value{};
    DWORD size = 0;
    LONG result = RegQueryValueExA(key, name.c_str(), nullptr, &value.type, nullptr, &size);
    if (result == ERROR_SUCCESS) {
        value.data.resize(size);
        result = RegQueryValueExA(key, name.c_str(), nullptr, &value.type,
                                  size ? value.data.data() : nullptr, &size);
        value.data.resize(size);
    }
    RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

void WriteStoredValue(RegistryRoot root, const std::string& subKey, const std::string& name,
                      DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    LONG result = RegCreateKeyExA(RootKey(root), KeyPath(subKey).c_str(), 0, nullptr, 0,
                                  KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &key, nullptr);
    if (result == ERROR_SUCCESS) {
        result = RegSetValueExA(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(key);
    }
    if (result != ERROR_SUCCESS)
        Fail(Format("cannot write %s\\%s value '%s' (error %ld)", RootName(root),
                    KeyPath(subKey).c_str(), name.c_str(), result));
}

void WriteStoredBytes(RegistryRoot root, const std::string& subKey, const std::string& name,
                      const std::vector<uint8_t>& bytes) {
    WriteStoredValue(root, subKey, name, REG_BINARY, bytes.data(), DWORD(bytes.size()));
}

void WriteStoredUint32(RegistryRoot root, const std::string& subKey, const std::string& name,
                       uint32_t value) {
    const uint8_t bytes[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16),
                              uint8_t(value >> 24)};
    WriteStoredValue(root, subKey, name, REG_BINARY, bytes, sizeof(bytes));
}

void WriteStoredText(RegistryRoot root, const std::string& subKey, const std::string& name,
                     const std::string& text, DWORD size) {
    std::vector<char> bytes(size, '\0');
    for (size_t i = 0; i < text.size() && i < size; ++i)
        bytes[i] = text[i];
    WriteStoredValue(root, subKey, name, REG_SZ, bytes.data(), size);
}

void DeleteStoredValue(RegistryRoot root, const std::string& subKey, const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(RootKey(root), KeyPath(subKey).c_str(), 0, KEY_SET_VALUE | KEY_WOW64_64KEY,
                      &key) != ERROR_SUCCESS)
        return;
    const LONG result = RegDeleteValueA(key, name.c_str());
    RegCloseKey(key);
    if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND)
        Fail(Format("cannot delete %s\\%s value '%s' (error %ld)", RootName(root),
                    KeyPath(subKey).c_str(), name.c_str(), result));
}

void DeleteProgramRegistry() {
    for (RegistryRoot root : {RegistryRoot::Machine, RegistryRoot::User}) {
        const LONG result = RegDeleteTreeA(RootKey(root), kProgramBaseKey);
        if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND)
            Fail(Format("cannot delete %s\\%s (error %ld)", RootName(root), kProgramBaseKey,
                        result));
    }
}

std::optional<uint32_t> ReadStoredUint32(RegistryRoot root, const std::string& subKey,
                                         const std::string& name) {
    const std::optional<StoredValue> value = ReadStoredValue(root, subKey, name);
    if (!value || value->data.size() != 4)
        return std::nullopt;
    const std::vector<uint8_t>& b = value->data;
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

std::vector<uint8_t> KeyMapBytes(const std::vector<StoredKey>& keys) {
    std::vector<uint8_t> bytes;
    for (const StoredKey& k : keys) {
        for (int i = 0; i < 8; ++i)
            bytes.push_back(uint8_t(k.chord >> (8 * i)));
        bytes.insert(bytes.end(),
                     {k.vk, k.scan, uint8_t(__builtin_popcountll(k.chord)), k.reserved});
    }
    return bytes;
}

void StoreKeyMap(RegistryRoot root, char digit, const std::vector<StoredKey>& keys) {
    WriteStoredUint32(root, SlotSubKey(digit), "numkeys", uint32_t(keys.size()));
    WriteStoredBytes(root, SlotSubKey(digit), "keymap", KeyMapBytes(keys));
}

std::vector<std::string> StoredTree(std::initializer_list<RegistryRoot> roots) {
    std::vector<std::string> lines;
    for (RegistryRoot root : roots)
        ListTree(RootKey(root), "SOFTWARE\\Orvanelk", lines, RootName(root));
    std::sort(lines.begin(), lines.end());
    return lines;
}
