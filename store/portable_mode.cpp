#include "store/portable_mode.h"

#include <cstring>

#include "platform/message_box.h"
#include "platform/process.h"
#include "store/portable_file.h"
#include "store/registry_layout.h"

namespace {
constexpr size_t kCommandLineSize = kPortableFileSize + 96;
constexpr char kExportSuffix[] = ".new";

void UsePortableFile(ProgramState& s, const char* name) {
    std::strncpy(s.portableFile, name, sizeof(s.portableFile) - 1);
    s.portableFile[sizeof(s.portableFile) - 1] = '\0';
    s.portableOn = true;
}

// The whole file, one byte beyond the bound to tell a larger one. Read on the user-interface
// thread only.
unsigned char fileBytes[kMaxPortableFileBytes + 1];

// Read before reg.exe runs: a file that would write anywhere but the base key must not reach the
// registry, and a file named on the command line that is no portable file must not become the
// portable file, which the next export would replace.
bool ReadsAsPortableFile(const char* name) {
    const size_t size = ReadFileStart(name, fileBytes, sizeof(fileBytes));
    return size <= kMaxPortableFileBytes && IsPortableFile(fileBytes, size);
}

// reg.exe by its full path in the system directory, never found along the search path, which
// starts with the program's own and the current directory: there a planted reg.exe would run.
struct RegistryToolRun {
    char application[kPortableFileSize + sizeof(kRegistryTool) + 1];
    char commandLine[kCommandLineSize];
};

bool BuildToolRun(RegistryToolRun& run, const char* templateText, const char* file,
                  const char* key) {
    if (!SystemDirectory(run.application, kPortableFileSize))
        return false;
    size_t length = std::strlen(run.application);
    if (length == 0)
        return false;
    if (run.application[length - 1] != '\\')
        run.application[length++] = '\\';
    std::memcpy(run.application + length, kRegistryTool, sizeof(kRegistryTool));
    return FormatCommandLine(templateText, file, key, run.commandLine, sizeof(run.commandLine));
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
    RegistryToolRun run;
    if (name == nullptr || !ReadsAsPortableFile(name) ||
        !BuildToolRun(run, kImportTemplate, name, nullptr))
        return;
    if (RunAndWait(run.application, run.commandLine) && name != s.portableFile)
        UsePortableFile(s, name);
}

void ExportPortableFile(const ProgramState& s) {
    if (!s.portableOn)
        return;
    char fresh[kPortableFileSize + sizeof(kExportSuffix)];
    std::strcpy(fresh, s.portableFile);
    std::strcat(fresh, kExportSuffix);
    RegistryToolRun run;
    if (!BuildToolRun(run, kExportTemplate, fresh, kBaseKeyPath))
        return;
    DeleteFileNamed(fresh);
    if (RunAndWait(run.application, run.commandLine) && FileExists(fresh) &&
        ReplaceFileWith(fresh, s.portableFile))
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
