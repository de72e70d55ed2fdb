#include "tests/fakes/fake_registry.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <deque>

namespace {
struct FakeKey {
    RegistryHive hive;
    std::string path;  // lower case
    std::string given; // as the program wrote it
    bool writable;
    bool open;
};
std::deque<FakeKey> handles; // stable addresses serve as the handles

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The system refuses empty key names, so a path may not start or end with a backslash or hold
// two in a row.
bool SplitPath(const std::string& path, std::vector<std::string>& parts) {
    size_t start = 0;
    for (;;) {
        const size_t end = path.find('\\', start);
        const std::string part = path.substr(start, end - start);
        if (part.empty())
            return false;
        parts.push_back(Lower(part));
        if (end == std::string::npos)
            return true;
        start = end + 1;
    }
}

// Creates the key and every missing parent; returns the lower-case path, or "" when invalid.
std::string CreateKey(FakeRegistry& r, RegistryHive hive, const std::string& path) {
    std::vector<std::string> parts;
    if (!SplitPath(path, parts))
        return "";
    std::string prefix;
    for (const std::string& part : parts) {
        prefix += prefix.empty() ? part : "\\" + part;
        r.keys[{hive, prefix}];
    }
    return prefix;
}

FakeKey* Handle(RegistryKey key) {
    auto* k = static_cast<FakeKey*>(key);
    return k != nullptr && k->open ? k : nullptr;
}

RegistryKey NewHandle(RegistryHive hive, const std::string& path, const char* given,
                      bool writable) {
    handles.push_back({hive, path, given, writable, true});
    ++TheFakeRegistry().openKeys;
    return &handles.back();
}
} // namespace

FakeRegistry& TheFakeRegistry() {
    static FakeRegistry registry;
    return registry;
}

void ResetFakeRegistry() {
    TheFakeRegistry() = FakeRegistry{};
    handles.clear();
}

void FakeRegistry::Put(RegistryHive hive, const std::string& path, const std::string& name,
                       std::vector<uint8_t> bytes, uint32_t type) {
    const std::string created = CreateKey(*this, hive, path);
    if (!created.empty())
        keys[{hive, created}][Lower(name)] = {type, std::move(bytes)};
}

const FakeRegistryValue* FakeRegistry::Get(RegistryHive hive, const std::string& path,
                                           const std::string& name) const {
    const auto key = keys.find({hive, Lower(path)});
    if (key == keys.end())
        return nullptr;
    const auto value = key->second.find(Lower(name));
    return value == key->second.end() ? nullptr : &value->second;
}

bool FakeRegistry::HasKey(RegistryHive hive, const std::string& path) const {
    return keys.count({hive, Lower(path)}) != 0;
}

RegistryKey RegistryOpenForRead(RegistryHive hive, const char* path) {
    std::vector<std::string> parts;
    if (!SplitPath(path, parts) || !TheFakeRegistry().HasKey(hive, path))
        return nullptr;
    return NewHandle(hive, Lower(path), path, false);
}

RegistryKey RegistryCreateForWrite(RegistryHive hive, const char* path) {
    if (hive == RegistryHive::LocalMachine ? TheFakeRegistry().localMachineReadOnly
                                           : TheFakeRegistry().currentUserReadOnly)
        return nullptr;
    const std::string created = CreateKey(TheFakeRegistry(), hive, path);
    if (created.empty())
        return nullptr;
    return NewHandle(hive, created, path, true);
}

bool RegistryQuery(RegistryKey key, const char* name, void* buffer, uint32_t capacity,
                   uint32_t* size) {
    FakeRegistry& r = TheFakeRegistry();
    const FakeKey* k = Handle(key);
    if (k == nullptr || k->writable) // KEY_WRITE holds no right to query
        return false;
    const FakeRegistryValue* value = r.Get(k->hive, k->path, name);
    if (value == nullptr)
        return false;
    const auto stored = static_cast<uint32_t>(value->bytes.size());
    *size = stored; // the system reports the size needed also when it refuses
    if (stored > capacity) {
        if (r.scribbleOnRefusal)
            std::memset(buffer, 0xEE, capacity);
        return false;
    }
    std::copy(value->bytes.begin(), value->bytes.end(), static_cast<uint8_t*>(buffer));
    return true;
}

bool RegistrySet(RegistryKey key, const char* name, uint32_t type, const void* data,
                 uint32_t size) {
    FakeRegistry& r = TheFakeRegistry();
    const FakeKey* k = Handle(key);
    if (k == nullptr || !k->writable)
        return false;
    const auto* bytes = static_cast<const uint8_t*>(data);
    std::vector<uint8_t> stored(bytes, bytes + size);
    r.keys[{k->hive, k->path}][Lower(name)] = {type, stored};
    r.writes.push_back({k->hive, k->given, name, type, std::move(stored)});
    return true;
}

void RegistryClose(RegistryKey key) {
    FakeKey* k = Handle(key);
    if (k == nullptr) {
        ++TheFakeRegistry().badCloses;
        return;
    }
    k->open = false;
    --TheFakeRegistry().openKeys;
}
