// The registry, files and reg.exe of the fake system.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <deque>

#include "platform/process.h"
#include "tests/fakes/fake_system.h"

namespace {
struct FakeKey {
    RegistryHive hive;
    std::string path, given; // lower case, and as the program wrote it
    bool writable, open;
};
std::deque<FakeKey> handles; // stable addresses serve as the handles

// The lower-case path, or "" for an empty key name (a backslash at an end or two in a row).
std::string KeyName(std::string path) {
    if (path.empty() || path.front() == '\\' || path.back() == '\\' ||
        path.find("\\\\") != std::string::npos)
        return "";
    for (char& c : path)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return path;
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
RegistryKey NewHandle(RegistryHive hive, const std::string& path, const char* given, bool write) {
    if (path.empty())
        return nullptr;
    handles.push_back({hive, path, given, write, true});
    ++Fake().registry.openKeys;
    return &handles.back();
}
FakeKey* OpenKey(RegistryKey key) {
    auto* k = static_cast<FakeKey*>(key);
    return k != nullptr && k->open ? k : nullptr;
}
const std::string kExportHeader = "Windows Registry Editor Version 5.00\r\n";
bool CopyOut(const std::string& text, char* out, size_t outSize) {
    if (text.empty() || text.size() >= outSize)
        return false;
    std::memcpy(out, text.c_str(), text.size() + 1);
    return true;
}
} // namespace

void ResetFakeRegistryHandles() {
    handles.clear();
}
void FakeRegistry::Put(RegistryHive hive, const std::string& path, const std::string& name,
                       std::vector<uint8_t> bytes, uint32_t type) {
    const std::string key = CreateKey(*this, hive, path);
    if (!key.empty())
        keys[{hive, key}][KeyName(name)] = {type, std::move(bytes)};
}
std::vector<uint8_t> FakeRegistry::Get(RegistryHive hive, const std::string& path,
                                       const std::string& name) const {
    return Has(hive, path, name) ? keys.at({hive, KeyName(path)}).at(KeyName(name)).second
                                 : std::vector<uint8_t>{};
}
bool FakeRegistry::Has(RegistryHive hive, const std::string& path, const std::string& name) const {
    const auto key = keys.find({hive, KeyName(path)});
    return key != keys.end() && (name.empty() || key->second.count(KeyName(name)) != 0);
}
RegistryKey RegistryOpenForRead(RegistryHive hive, const char* path) {
    const bool exists = Fake().registry.Has(hive, path);
    return NewHandle(hive, exists ? KeyName(path) : "", path, false);
}
RegistryKey RegistryCreateForWrite(RegistryHive hive, const char* path) {
    FakeRegistry& r = Fake().registry;
    if (hive == RegistryHive::LocalMachine ? r.localMachineReadOnly : r.currentUserReadOnly)
        return nullptr;
    return NewHandle(hive, CreateKey(r, hive, path), path, true);
}
bool RegistryQuery(RegistryKey key, const char* name, void* buffer, uint32_t capacity,
                   uint32_t* size) {
    FakeRegistry& r = Fake().registry;
    const FakeKey* k = OpenKey(key);
    if (k == nullptr || k->writable || !r.Has(k->hive, k->path, name)) // KEY_WRITE cannot query
        return false;
    const std::vector<uint8_t> bytes = r.Get(k->hive, k->path, name);
    *size = static_cast<uint32_t>(bytes.size()); // reported also when refused
    if (bytes.size() > capacity && r.scribbleOnRefusal)
        std::memset(buffer, 0xEE, capacity);
    if (bytes.size() > capacity)
        return false;
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
    r.Put(k->hive, k->path, name, {bytes, bytes + size}, type);
    r.writes.push_back({k->hive, k->given, name, type, {bytes, bytes + size}});
    return true;
}
void RegistryClose(RegistryKey key) {
    FakeKey* k = OpenKey(key);
    if (k != nullptr)
        k->open = false;
    k == nullptr ? ++Fake().registry.badCloses : --Fake().registry.openKeys;
}

bool FileExists(const char* name) {
    return name != nullptr && Fake().process.files.count(name) != 0;
}
void DeleteFileNamed(const char* name) {
    Fake().process.files.erase(name);
    Fake().process.contents.erase(name);
}
size_t ReadFileStart(const char* name, unsigned char* bytes, size_t size) {
    const FakeProcess& p = Fake().process;
    if (p.files.count(name) == 0)
        return 0;
    const auto given = p.contents.find(name);
    const std::string text = given != p.contents.end() ? given->second : kExportHeader;
    std::memcpy(bytes, text.data(), std::min(size, text.size()));
    return std::min(size, text.size());
}
bool ReplaceFileWith(const char* from, const char* to) {
    FakeProcess& p = Fake().process;
    if (p.files.erase(from) == 0)
        return false;
    p.files.insert(to);
    p.contents.erase(to);
    if (auto moved = p.contents.extract(from))
        moved.key() = to, p.contents.insert(std::move(moved));
    return true;
}
bool FormatCommandLine(const char* templateText, const char* first, const char* second, char* out,
                       size_t outSize) {
    std::string built;
    for (const char* t = templateText; *t != '\0'; ++t) {
        const bool insert = t[0] == '%' && (t[1] == '1' || t[1] == '2');
        built +=
            insert ? std::string(*++t == '1' ? first : (second ? second : "")) : std::string(1, *t);
    }
    return CopyOut(built, out, outSize);
}
bool SystemDirectory(char* out, size_t outSize) {
    return CopyOut(Fake().process.systemDirectory, out, outSize);
}
// The file is the first quoted argument of "reg import" and the second of "reg export".
bool RunAndWait(const char* application, const char* commandLine) {
    FakeProcess& p = Fake().process;
    p.commands.push_back(std::string(application) + "|" + commandLine);
    if (p.startFails)
        return false;
    const std::string command = commandLine;
    const bool import = command.rfind("reg import ", 0) == 0;
    size_t open = command.find('"');
    if (!import)
        open = command.find('"', command.find('"', open + 1) + 1);
    const std::string file = command.substr(open + 1, command.find('"', open + 1) - open - 1);
    if (import)
        return p.files.count(file) != 0 && p.exitCode == 0;
    if (p.exportWritesFile) { // a failing export may leave a partial file
        p.files.insert(file);
        p.contents[file] = kExportHeader + std::to_string(Fake().registry.writes.size());
    }
    return p.exitCode == 0;
}
