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
    if (name == nullptr || !FormatCommandLine(kImportTemplate, name, nullptr, command, sizeof(command)))
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
