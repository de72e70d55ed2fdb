#include "store/portable_mode.h"

#include <cstring>

#include "platform/message_box.h"
#include "platform/process.h"
#include "store/registry_layout.h"

namespace {
constexpr size_t kCommandLineSize = 2 * kPortableFileSize + 96;
constexpr char kExportSuffix[] = ".new";

void UsePortableFile(ProgramState& s, const char* name) {
    std::strncpy(s.portableFile, name, sizeof(s.portableFile) - 1);
    s.portableFile[sizeof(s.portableFile) - 1] = '\0';
    s.portableOn = true;
}

// The registry editor's export headers, new and old. Its exit code does not tell a failed
// import: Wine's ends with 0 on an empty file, on text of other content, even on a missing file.
// A file named on the command line that is anything else must not become the portable file,
// which the next export would replace.
constexpr char kExportHeader[] = "Windows Registry Editor Version 5.00";
constexpr char kOldExportHeader[] = "REGEDIT4";
constexpr size_t kHeaderBytes = 2 + 2 * (sizeof(kExportHeader) - 1); // UTF-16 with its mark

// The file starts with a header, in 8-bit text (after a UTF-8 byte-order mark, if any) or in
// UTF-16LE after its byte-order mark.
bool StartsLikeRegistryFile(const char* name) {
    unsigned char bytes[kHeaderBytes];
    const size_t size = ReadFileStart(name, bytes, sizeof(bytes));
    char text[kHeaderBytes + 1] = {};
    size_t length = 0;
    if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        for (size_t i = 2; i + 1 < size && bytes[i + 1] == 0; i += 2)
            text[length++] = static_cast<char>(bytes[i]);
    } else {
        const size_t skip =
            size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF ? 3 : 0;
        for (size_t i = skip; i < size; ++i)
            text[length++] = static_cast<char>(bytes[i]);
    }
    return std::strncmp(text, kExportHeader, sizeof(kExportHeader) - 1) == 0 ||
           std::strncmp(text, kOldExportHeader, sizeof(kOldExportHeader) - 1) == 0;
}

bool IsBuiltInFile(const ProgramState& s) {
    return s.portableOn && std::strcmp(s.portableFile, kPortableFileName) == 0;
}
} // namespace

void DecidePortableModeAtStart(ProgramState& s) {
    s.portableOn = false;
    s.portableFile[0] = '\0';
    if (FileExists(kPortableFileName))
        UsePortableFile(s, kPortableFileName);
}

void ImportFileAtStart(ProgramState& s, const char* fileArgument) {
    char candidate[kPortableFileSize];
    const char* name = s.portableOn ? s.portableFile : fileArgument;
    if (name == nullptr || std::strlen(name) >= sizeof(candidate))
        return;
    std::strcpy(candidate, name);
    if (FileExists(candidate))
        ImportPortableFile(s, candidate);
}

void ImportPortableFile(ProgramState& s, const char* name) {
    char command[kCommandLineSize];
    if (name == nullptr || !StartsLikeRegistryFile(name) ||
        !FormatCommandLine(kImportTemplate, name, nullptr, command, sizeof(command)))
        return;
    if (RunAndWait(command) && name != s.portableFile)
        UsePortableFile(s, name);
}

void ExportPortableFile(const ProgramState& s) {
    if (!s.portableOn)
        return;
    char fresh[kPortableFileSize + sizeof(kExportSuffix)];
    std::strcpy(fresh, s.portableFile);
    std::strcat(fresh, kExportSuffix);
    char command[kCommandLineSize];
    if (!FormatCommandLine(kExportTemplate, fresh, kBaseKeyPath, command, sizeof(command)))
        return;
    DeleteFileNamed(fresh);
    if (RunAndWait(command) && FileExists(fresh) && ReplaceFileWith(fresh, s.portableFile))
        return;
    DeleteFileNamed(fresh);
}

void ImportBeforeLoad(ProgramState& s) {
    if (s.portableOn)
        ImportPortableFile(s, s.portableFile);
}

void SetPortableMode(ProgramState& s, bool checked, WindowHandle owner) {
    if (checked) {
        UsePortableFile(s, kPortableFileName);
        if (!FileExists(kPortableFileName))
            ExportPortableFile(s);
        return;
    }
    if (IsBuiltInFile(s) && ShowMessageBox(owner, kRemoveFileQuestion, kMbYesNo) == kIdYes)
        DeleteFileNamed(kPortableFileName);
    s.portableOn = false;
    s.portableFile[0] = '\0';
}
