#include <algorithm>
#include <cstring>

#include "platform/process.h"
#include "tests/fakes/fake_system.h"

namespace {
const std::string kExportHeader = "Windows Registry Editor Version 5.00\r\n";
bool CopyOut(const std::string& text, char* out, size_t outSize) {
    if (text.empty() || text.size() >= outSize)
        return false;
    std::memcpy(out, text.c_str(), text.size() + 1);
    return true;
}
} // namespace

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
    const auto moved = p.contents.extract(from);
    p.contents.erase(to);
    if (!moved.empty())
        p.contents[to] = moved.mapped();
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
