// Portable mode with the system's own reg.exe: "padwrt.cfg" in the current directory, or a file
// named on the command line, carries the settings; the program imports it into HKEY_CURRENT_USER
// before it reads them and exports the base key back into it after a slot change and after OK
// in the setup dialog, whose check box turns the mode on and off.
#include <optional>

#include "tests/e2e/case_runner.h"
#include "tests/e2e/dialogs.h"
#include "tests/e2e/input_helpers.h"
#include "tools/winekit/registry_values.h"

namespace {

constexpr char kBaseKey[] = "HKEY_CURRENT_USER\\SOFTWARE\\Orvanelk\\Padwright";
constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr DWORD kRegistryToolMs = 30000; // a slot change runs reg.exe twice
constexpr char kNotes[] = "These are my notes, not a registry file.\r\n";
const std::string kPlantedRun = Format("REGEDIT4\r\n\r\n[%s]\r\n\"config\"=hex:33\r\n\r\n"
                                       "[HKEY_CURRENT_USER\\%s]\r\n\"planted\"=\"C:\\\\p.exe\"\r\n",
                                       kBaseKey, kRunKey);
const char* const kExport =
    nullptr; // the file as reg.exe's export of the user's settings writes it

std::string InCase(const std::string& name) {
    return CaseDirectory() + "\\" + name;
}

std::optional<Bytes> FileBytes(const std::string& name) {
    HANDLE file = CreateFileA(InCase(name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    Bytes bytes(GetFileSize(file, nullptr));
    DWORD read = 0;
    const bool ok =
        bytes.empty() || ReadFile(file, bytes.data(), DWORD(bytes.size()), &read, nullptr);
    CloseHandle(file);
    return ok ? std::optional<Bytes>(bytes) : std::nullopt;
}

void WriteTextFile(const std::string& name, const std::string& text) {
    HANDLE file =
        CreateFileA(InCase(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    Require(WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr) &&
                CloseHandle(file) && written == text.size(),
            "cannot write " + name);
}

std::string Lower(std::string text) {
    for (char& c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The value text after `"name"=` in the file's key (the base key or a slot's), lower case, its
// continued lines joined; "" when the file lacks it. reg.exe writes UTF-16.
std::string ExportedValue(const std::string& file, const std::string& subKey,
                          const std::string& name) {
    std::string text;
    const Bytes bytes = FileBytes(file).value_or(Bytes{});
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
        if (bytes[i] != '\r')
            text += char(std::tolower(bytes[i]));
    for (size_t at; (at = text.find("\\\n")) != std::string::npos;)
        text.erase(at, text.find_first_not_of(' ', at + 2) - at);
    const size_t key = text.find(
        Lower(Format("\n[%s%s%s]\n", kBaseKey, subKey.empty() ? "" : "\\", subKey.c_str())));
    const size_t value = key == std::string::npos ? key : text.find("\n\"" + name + "\"=", key);
    if (value == std::string::npos || value > text.find("\n[", key + 1))
        return "";
    const size_t start = value + name.size() + 4;
    return text.substr(start, text.find('\n', start) - start);
}

void RunRegistryTool(const std::string& arguments) {
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    std::string line = "reg " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child{};
    Require(CreateProcessA((std::string(system) + "\\reg.exe").c_str(), line.data(), nullptr,
                           nullptr, FALSE, CREATE_NO_WINDOW, nullptr, CaseDirectory().c_str(),
                           &startup, &child),
            "cannot start " + line);
    const bool ended = WaitForSingleObject(child.hProcess, kRegistryToolMs) == WAIT_OBJECT_0;
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    Require(ended, line + " did not end");
}

// Exits through the tray's Exit and waits: a program cut off while it runs reg.exe leaves the
// child waiting for ever under Wine.
void Exit(const Program& program) {
    PostCommand(program.window, kCommandExit);
    Require(program.WaitForExit(kRegistryToolMs) == 0, "Exit ended with an error code");
}

void ChangeSlot(const Program& program, char slot) { // returns once the export is done
    SendMessageBounded(program.window, WM_COMMAND, kCommandSlotFirst + (slot - '0'), 0,
                       kRegistryToolMs);
    Require(WindowTitle(program.window) == MainWindowTitle(slot), "the slot did not change");
}

} // namespace

E2E_CASE("a user's settings travel in padwrt.cfg, or in a file named on the command line, through "
         "reg.exe (a planted reg.exe or regedit.exe beside them is not run): imported at start, "
         "exported at a slot change; notes or a Run value in the file are not imported, a named "
         "one is then left alone; a removed padwrt.cfg or a directory in the export's way loses "
         "nothing") {
    struct Row {
        const char* what;
        const char* file;     // padwrt.cfg, or the file named on the command line
        const char* content;  // kExport: as reg.exe's export of the user's settings writes it
        char slot, typed;     // the user's settings (slot 2, A), else the machine's (1, B)
        bool exported;        // the slot change writes the file; else leaves it as it was
        bool removed = false; // padwrt.cfg removed once the program runs
        bool blocked = false; // padwrt.cfg.new a directory at the first slot change
    };
    const Row rows[] = {
        {"padwrt.cfg beside a named other.cfg", "padwrt.cfg", kExport, '2', 'A', true},
        {"a named travel.cfg", "travel.cfg", kExport, '2', 'A', true},
        {"a padwrt.cfg of notes", "padwrt.cfg", kNotes, '2', 'A', true},
        {"a padwrt.cfg writing a Run value", "padwrt.cfg", kPlantedRun.c_str(), '2', 'A', true},
        {"a padwrt.cfg removed while running", "padwrt.cfg", kExport, '2', 'A', true, true},
        {"a padwrt.cfg.new directory", "padwrt.cfg", kExport, '2', 'A', true, false, true},
        {"a named notes.cfg", "notes.cfg", kNotes, '1', 'B', false},
        {"a named run.cfg writing a Run value", "run.cfg", kPlantedRun.c_str(), '1', 'B', false},
    };
    for (const Row& row : rows) {
        ResetWorld();
        const bool portable = std::string(row.file) == "padwrt.cfg";
        for (const Row& earlier : rows)
            DeleteFileA(InCase(earlier.file).c_str());
        for (const char* planted : {"reg.exe", "regedit.exe"})
            WriteTextFile(planted, kNotes);
        WriteTextFile("other.cfg",
                      Format("REGEDIT4\r\n\r\n[%s]\r\n\"config\"=hex:37\r\n", kBaseKey));
        WriteStoredValue(RegistryRoot::User, "", "config", {'2'});
        StoreKeyMap(RegistryRoot::User, '2', {{ButtonBit(1), 'A', 0x1E}});
        if (row.content == kExport) { // only the file holds the user's settings then
            RunRegistryTool(Format("export \"%s\" \"%s\" /y", kBaseKey, row.file));
            DeleteProgramRegistry();
        } else {
            WriteTextFile(row.file, row.content);
        }
        StoreKeyMap(RegistryRoot::Machine, '1', {{ButtonBit(1), 'B', 0x30}});
        const std::vector<std::string> machine = StoredTree({RegistryRoot::Machine});
        const std::optional<Bytes> file = FileBytes(row.file);

        Program& program = StartOnSlot(portable ? "other.cfg" : row.file, row.slot);
        WaitForJoystickReads(1, kRegistryToolMs);
        if (row.removed)
            DeleteFileA(InCase(row.file).c_str());
        const std::string typed = TypedByHolding([](auto& s) { s.buttons = Button(1); });
        Require(typed == (row.typed == 'A' ? KeyTap('A', 0x1E) : KeyTap('B', 0x30)) &&
                    RegGetValueA(HKEY_CURRENT_USER, kRunKey, "planted", RRF_RT_ANY, nullptr,
                                 nullptr, nullptr) != ERROR_SUCCESS,
                Format("with %s button 1 typed %s, or a Run value was imported", row.what,
                       typed.c_str()));
        if (row.blocked) {
            Require(CreateDirectoryA(InCase("padwrt.cfg.new").c_str(), nullptr), "no directory");
            ChangeSlot(program, '5');
            Require(FileBytes(row.file) == file, "the failed export did not leave the file alone");
            RemoveDirectoryA(InCase("padwrt.cfg.new").c_str());
        }
        ChangeSlot(program, '6');
        if (row.exported)
            Require(ExportedValue(row.file, "", "config") == "hex:36" &&
                        ExportedValue(row.file, "2", "keymap") ==
                            "hex:00,00,01,00,00,00,00,00,41,1e,01,00" &&
                        StoredTree({RegistryRoot::Machine}) == machine,
                    Format("with %s the slot change exported no settings, or touched the machine's",
                           row.what));
        else
            Require(FileBytes(row.file) == file &&
                        ReadStoredValue(RegistryRoot::Machine, "", "config") == Bytes{'6'},
                    Format("with %s the slot change wrote the file, or not the machine's choice",
                           row.what));
        Require(FileBytes("padwrt.cfg").has_value() == portable,
                Format("with %s the program wrote padwrt.cfg", row.what));
        Exit(program);
    }
}

E2E_CASE("a user ticks Portable mode in the setup dialog and padwrt.cfg is written at once; OK "
         "leaves it holding the settings with their slots; unticking asks whether to remove it, "
         "and No keeps it while Yes deletes it") {
    StoreKeyMap(RegistryRoot::Machine, '1', {{ButtonBit(1), 'A', 0x1E}});
    WriteStoredValue(RegistryRoot::User, "3", "configname", Text("Three", 32), REG_SZ);
    Program& program = StartOnSlot("", '1');
    HWND dialog = OpenSetup(program);
    const auto clickAndWait = [&](int id) { // returns once the click is handled, export included
        SendMessageBounded(Controls(dialog).Get(id), BM_CLICK, 0, 0, kRegistryToolMs);
    };
    Require(!Controls(dialog).Checked(IDC_PORTABLE), "Portable mode is ticked in normal mode");
    clickAndWait(IDC_PORTABLE);
    Require(Controls(dialog).Checked(IDC_PORTABLE) &&
                ExportedValue("padwrt.cfg", "3", "configname") == "\"three\"",
            "ticking Portable mode wrote no padwrt.cfg with the slots' names");
    clickAndWait(IDC_SETUP_OK);
    WaitUntilClosed(dialog, "OK");
    Require(ExportedValue("padwrt.cfg", "", "keymap") == "hex:00,00,01,00,00,00,00,00,41,1e,01,00",
            "after OK padwrt.cfg lacks the key map");
    dialog = OpenSetup(program);
    for (const int answer : {IDNO, IDYES}) {
        Require(Controls(dialog).Checked(IDC_PORTABLE), "Portable mode is not ticked");
        Click(dialog, IDC_PORTABLE);
        HWND box = WaitForDialog(program.Id(), kAppTitle);
        Require(GetWindow(box, GW_OWNER) == dialog &&
                    MessageBoxButtons(box) == std::vector<int>{IDYES, IDNO},
                "the question is not the setup dialog's, or lacks Yes and No");
        AnswerMessageBox(program.Id(),
                         "Remove config file permanently?\n(Note: having padwrt.cfg activates "
                         "portable mode as startup default)",
                         answer);
        SendMessageBounded(dialog, WM_NULL, 0, 0, kRegistryToolMs);
        Require(!Controls(dialog).Checked(IDC_PORTABLE) &&
                    FileBytes("padwrt.cfg").has_value() == (answer == IDNO),
                Format("after %s the box is ticked, or padwrt.cfg is %s",
                       answer == IDNO ? "No" : "Yes", FileBytes("padwrt.cfg") ? "there" : "gone"));
        if (answer == IDNO)
            clickAndWait(IDC_PORTABLE); // ticked again: the file is there, nothing is written
    }
    Exit(program);
}
