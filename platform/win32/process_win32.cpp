#include <windows.h>

#include <cstring>

#include "platform/process.h"

namespace {
constexpr DWORD kExitPollMs = 100;
}

bool FileExists(const char* name) {
    return name != nullptr && GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES;
}

void DeleteFileNamed(const char* name) {
    DeleteFileA(name);
}

size_t ReadFileStart(const char* name, unsigned char* bytes, size_t size) {
    HANDLE file = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    DWORD read = 0;
    if (!ReadFile(file, bytes, static_cast<DWORD>(size), &read, nullptr))
        read = 0;
    CloseHandle(file);
    return read;
}

bool ReplaceFileWith(const char* from, const char* to) {
    // Windows refuses to move a directory over a file; Wine does it and the file is lost.
    const DWORD attributes = GetFileAttributesA(from);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return false;
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != 0;
}

bool FormatCommandLine(const char* templateText, const char* first, const char* second, char* out,
                       size_t outSize) {
    const char* inserts[2] = {first, second != nullptr ? second : ""};
    char* built = nullptr;
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY |
                                            FORMAT_MESSAGE_ALLOCATE_BUFFER,
                                        templateText, 0, 0, reinterpret_cast<char*>(&built), 0,
                                        reinterpret_cast<va_list*>(const_cast<char**>(inserts)));
    const bool fits = built != nullptr && length > 0 && length < outSize;
    if (fits)
        std::memcpy(out, built, length + 1);
    LocalFree(built);
    return fits;
}

bool SystemDirectory(char* out, size_t outSize) {
    const UINT length = GetSystemDirectoryA(out, static_cast<UINT>(outSize));
    return length > 0 && length < outSize;
}

bool RunAndWait(const char* application, const char* commandLine) {
    char command[4096];
    if (std::strlen(commandLine) >= sizeof(command))
        return false;
    std::strcpy(command, commandLine); // CreateProcessA may write into its command line
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child{};
    if (!CreateProcessA(application, command, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &child))
        return false;
    bool succeeded = false;
    for (;;) {
        DWORD code = 0;
        if (!GetExitCodeProcess(child.hProcess, &code))
            break;
        if (code != STILL_ACTIVE) {
            succeeded = code == 0;
            break;
        }
        Sleep(kExitPollMs);
    }
    CloseHandle(child.hProcess);
    CloseHandle(child.hThread);
    return succeeded;
}
