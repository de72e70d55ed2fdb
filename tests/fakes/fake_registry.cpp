#include <algorithm>
#include <cctype>
#include <cstring>
#include <deque>

#include "tests/fakes/fake_system.h"

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

// The lower-case path, or "" for one the system refuses: an empty key name (a backslash at
// either end or two in a row).
std::string KeyName(const std::string& path) {
    const bool empty = path.empty() || path.front() == '\\' || path.back() == '\\' ||
                       path.find("\\\\") != std::string::npos;
    return empty ? "" : Lower(path);
}

// Creates the key and every missing parent; returns its lower-case path, or "" when invalid.
std::string CreateKey(FakeRegistry& r, RegistryHive hive, const std::string& path) {
    const std::string name = KeyName(path);
    for (size_t end = 0; !name.empty() && end != std::string::npos;) {
        end = name.find('\\', end + 1);
        r.keys[{hive, name.substr(0, end)}];
    }
    return name;
}

RegistryKey NewHandle(RegistryHive hive, const std::string& path, const char* given,
                      bool writable) {
    handles.push_back({hive, path, given, writable, true});
    ++Fake().registry.openKeys;
    return &handles.back();
}

FakeKey* OpenKey(RegistryKey key) {
    auto* k = static_cast<FakeKey*>(key);
    return k != nullptr && k->open ? k : nullptr;
}
} // namespace

void ResetFakeRegistryHandles() {
    handles.clear();
}

void FakeRegistry::Put(RegistryHive hive, const std::string& path, const std::string& name,
                       std::vector<uint8_t> bytes, uint32_t type) {
    const std::string key = CreateKey(*this, hive, path);
    if (!key.empty())
        keys[{hive, key}][Lower(name)] = {type, std::move(bytes)};
}

std::vector<uint8_t> FakeRegistry::Get(RegistryHive hive, const std::string& path,
                                       const std::string& name) const {
    const auto key = keys.find({hive, Lower(path)});
    if (key == keys.end() || key->second.count(Lower(name)) == 0)
        return {};
    return key->second.at(Lower(name)).bytes;
}

bool FakeRegistry::Has(RegistryHive hive, const std::string& path, const std::string& name) const {
    const auto key = keys.find({hive, Lower(path)});
    return key != keys.end() && (name.empty() || key->second.count(Lower(name)) != 0);
}

RegistryKey RegistryOpenForRead(RegistryHive hive, const char* path) {
    const std::string key = KeyName(path);
    if (key.empty() || !Fake().registry.Has(hive, key))
        return nullptr;
    return NewHandle(hive, key, path, false);
}

RegistryKey RegistryCreateForWrite(RegistryHive hive, const char* path) {
    FakeRegistry& r = Fake().registry;
    if (hive == RegistryHive::LocalMachine ? r.localMachineReadOnly : r.currentUserReadOnly)
        return nullptr;
    const std::string key = CreateKey(r, hive, path);
    return key.empty() ? nullptr : NewHandle(hive, key, path, true);
}

bool RegistryQuery(RegistryKey key, const char* name, void* buffer, uint32_t capacity,
                   uint32_t* size) {
    FakeRegistry& r = Fake().registry;
    const FakeKey* k = OpenKey(key);
    if (k == nullptr || k->writable || !r.Has(k->hive, k->path, name)) // KEY_WRITE cannot query
        return false;
    const std::vector<uint8_t>& bytes = r.keys[{k->hive, k->path}][Lower(name)].bytes;
    *size = static_cast<uint32_t>(bytes.size()); // reported also when refused
    if (bytes.size() > capacity) {
        if (r.scribbleOnRefusal)
            std::memset(buffer, 0xEE, capacity);
        return false;
    }
    std::copy(bytes.begin(), bytes.end(), static_cast<uint8_t*>(buffer));
    return true;
}

bool RegistrySet(RegistryKey key, const char* name, uint32_t type, const void* data,
                 uint32_t size) {
    FakeRegistry& r = Fake().registry;
    const FakeKey* k = OpenKey(key);
    if (k == nullptr || !k->writable)
        return false;
    const auto* bytes = static_cast<const uint8_t*>(data);
    r.keys[{k->hive, k->path}][Lower(name)] = {type, {bytes, bytes + size}};
    r.writes.push_back({k->hive, k->given, name, type, {bytes, bytes + size}});
    return true;
}

void RegistryClose(RegistryKey key) {
    FakeKey* k = OpenKey(key);
    if (k == nullptr) {
        ++Fake().registry.badCloses;
        return;
    }
    k->open = false;
    --Fake().registry.openKeys;
}
