// Portable mode through the system's own reg.exe: imports at start, exports at slot changes.
#include "tests/e2e/dialogs.h"

namespace {

constexpr char kBaseKey[] = "HKEY_CURRENT_USER\\SOFTWARE\\Orvanelk\\Padwright";
constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr DWORD kRegistryToolMs = 30000; // a slot change runs reg.exe twice
constexpr char kNotes[] = "These are my notes, not a registry file.\r\n";
const std::string kPlantedRun = Format("REGEDIT4\r\n\r\n[%s]\r\n\"config\"=hex:33\r\n\r\n"
                                       "[HKEY_CURRENT_USER\\%s]\r\n\"planted\"=\"C:\\\\p.exe\"\r\n",
                                       kBaseKey, kRunKey);
const Bytes kKeyA = KeyMapBytes({{ButtonBit(1), 'A', 0x1E}});

std::string InCase(const std::string& name) {
    return CaseDirectory() + "\\" + name;
}

std::optional<std::string> FileText(const std::string& name) {
    return ReadWholeFile(InCase(name));
}

void ChangeSlot(const Program& program, char slot) { // returns once the export is done
    SendMessageBounded(program.window, WM_COMMAND, kCommandSlotFirst + (slot - '0'), 0,
                       kRegistryToolMs);
    Require(WindowTitle(program.window) == MainWindowTitle(slot), "the slot did not change");
}

} // namespace

E2E_CASE("padwrt.cfg or a named file through reg.exe: imported, exported, junk refused") {
    struct Row {
        const char* what;
        const char* file;     // padwrt.cfg, or the file named on the command line
        const char* content;  // nullptr: reg.exe's export of the user's settings
        bool imported;        // the user's settings (slot 2, A), else the machine's (slot 1, B)
        bool removed = false; // padwrt.cfg removed once the program runs
        bool blocked = false; // padwrt.cfg.new a directory at the first slot change
    };
    const Row rows[] = {
        {"padwrt.cfg beside a named other.cfg", "padwrt.cfg", nullptr, true},
        {"a named travel.cfg", "travel.cfg", nullptr, true},
        {"a padwrt.cfg of notes", "padwrt.cfg", kNotes, true},
        {"a padwrt.cfg writing a Run value", "padwrt.cfg", kPlantedRun.c_str(), true},
        {"a padwrt.cfg removed while running", "padwrt.cfg", nullptr, true, true},
        {"a padwrt.cfg.new directory", "padwrt.cfg", nullptr, true, false, true},
        {"a named notes.cfg", "notes.cfg", kNotes, false},
        {"a named run.cfg writing a Run value", "run.cfg", kPlantedRun.c_str(), false}};
    for (const char* planted : {"reg.exe", "regedit.exe"})
        WriteWholeFile(InCase(planted), kNotes);
    WriteWholeFile(InCase("other.cfg"),
                   "REGEDIT4\r\n\r\n[" + std::string(kBaseKey) + "]\r\n\"config\"=hex:37\r\n");
    for (const Row& row : rows) {
        ResetWorld();
        const bool portable = std::string(row.file) == "padwrt.cfg";
        for (const char* name : {"padwrt.cfg", "travel.cfg", "notes.cfg", "run.cfg"})
            DeleteFileA(InCase(name).c_str());
        RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunKey, "planted"); // a failed row's
        WriteStoredValue(RegistryRoot::User, "", "config", {'2'});
        StoreKeyMap(RegistryRoot::User, '2', {{ButtonBit(1), 'A', 0x1E}});
        if (row.content == nullptr) { // only the file holds the user's settings then
            RunRegExe(Format("export \"%s\" \"%s\" /y", kBaseKey, row.file), CaseDirectory(),
                      kRegistryToolMs);
            DeleteProgramRegistry();
        } else {
            WriteWholeFile(InCase(row.file), row.content);
        }
        StoreKeyMap(RegistryRoot::Machine, '1', {{ButtonBit(1), 'B', 0x30}});
        const std::vector<std::string> machine = StoredTree({RegistryRoot::Machine});
        const std::optional<std::string> file = FileText(row.file);
        Program& program = StartOnSlot(portable ? "other.cfg" : row.file, row.imported ? '2' : '1');
        WaitForJoystickReads(1, kRegistryToolMs);
        if (row.removed)
            DeleteFileA(InCase(row.file).c_str());
        const bool run = RegGetValueA(HKEY_CURRENT_USER, kRunKey, "planted", RRF_RT_ANY, nullptr,
                                      nullptr, nullptr) == ERROR_SUCCESS;
        RequireSame(TypedByHolding({Button(1)}) + (run ? ", a Run value" : ""),
                    KeyTap(row.imported ? 'A' : 'B', row.imported ? 0x1E : 0x30), row.what);
        if (row.blocked) {
            Require(CreateDirectoryA(InCase("padwrt.cfg.new").c_str(), nullptr), "no directory");
            ChangeSlot(program, '5');
            Require(FileText(row.file) == file, "the failed export did not leave the file alone");
            RemoveDirectoryA(InCase("padwrt.cfg.new").c_str());
        }
        ChangeSlot(program, '6');
        Require(FileText("padwrt.cfg").has_value() == portable &&
                    (StoredTree({RegistryRoot::Machine}) == machine) == row.imported &&
                    (row.imported || FileText(row.file) == file),
                Format("with %s: padwrt.cfg, the file or the machine's choice written", row.what));
        PostCommand(program.window, kCommandExit); // not cut off while reg.exe runs: under Wine
        Require(program.WaitForExit(kRegistryToolMs) == 0, "Exit ended with an error code");
        if (row.imported) { // the file, imported alone, holds the choice and slot 2's keys
            DeleteProgramRegistry();
            RunRegExe(Format("import \"%s\"", row.file), CaseDirectory(), kRegistryToolMs);
        }
        const RegistryRoot root = row.imported ? RegistryRoot::User : RegistryRoot::Machine;
        Require(ReadStoredValue(root, "", "config") == Bytes{'6'} &&
                    (!row.imported || ReadStoredValue(root, "2", "keymap") == kKeyA),
                Format("with %s the slot change stored no choice, or slot 2's keys", row.what));
    }
}
