#include "tests/fakes/fake_process.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/process.h"

FakeProcess& TheFakeProcess() {
    static FakeProcess process;
    return process;
}

void ResetFakeProcess() {
    TheFakeProcess() = FakeProcess{};
}

bool FileExists(const char* name) {
    return name != nullptr && TheFakeProcess().files.count(name) != 0;
}

void DeleteFileNamed(const char* name) {
    TheFakeProcess().files.erase(name);
    TheFakeProcess().contents.erase(name);
}

size_t ReadFileStart(const char* name, unsigned char* bytes, size_t size) {
    const FakeProcess& p = TheFakeProcess();
    if (p.files.count(name) == 0)
        return 0;
    const auto given = p.contents.find(name);
    const std::string text =
        given != p.contents.end() ? given->second : "Windows Registry Editor Version 5.00\r\n";
    const size_t count = std::min(size, text.size());
    std::memcpy(bytes, text.data(), count);
    return count;
}

bool ReplaceFileWith(const char* from, const char* to) {
    FakeProcess& p = TheFakeProcess();
    if (p.files.erase(from) == 0)
        return false;
    p.files.insert(to);
    const auto moved = p.contents.find(from);
    if (moved == p.contents.end()) {
        p.contents.erase(to);
        return true;
    }
    p.contents[to] = moved->second;
    p.contents.erase(moved);
    return true;
}

bool FormatCommandLine(const char* templateText, const char* first, const char* second, char* out,
                       size_t outSize) {
    std::string built;
    for (const char* t = templateText; *t != '\0'; ++t) {
        if (t[0] == '%' && (t[1] == '1' || t[1] == '2')) {
            built += t[1] == '1' ? first : (second ? second : "");
            ++t;
        } else {
            built += *t;
        }
    }
    if (built.size() >= outSize)
        return false;
    std::memcpy(out, built.c_str(), built.size() + 1);
    return true;
}

bool SystemDirectory(char* out, size_t outSize) {
    const std::string& directory = TheFakeProcess().systemDirectory;
    if (directory.empty() || directory.size() >= outSize)
        return false;
    std::memcpy(out, directory.c_str(), directory.size() + 1);
    return true;
}

// Understands the two command lines portable mode builds: the file is the first quoted argument
// of an import and the second of an export.
bool RunAndWait(const char* application, const char* commandLine) {
    FakeProcess& p = TheFakeProcess();
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
    if (p.exitCode == 0 && p.exportWritesFile)
        p.files.insert(file);
    return p.exitCode == 0;
}
