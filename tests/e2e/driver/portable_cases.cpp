// Portable mode with the system's own reg.exe: "padwrt.cfg" in the current directory, or
// a file named on the command line, carries the settings; the program imports it into
// HKEY_CURRENT_USER before it reads them and exports the base key back into it after a slot
// change and after OK in the setup dialog, whose check box turns the mode on and off.
//
// The files are made and read as a user would have them: written by reg.exe's export of a
// prepared tree, or typed by hand in the REGEDIT4 form, and read back as the text reg.exe
// wrote. A slot change is sent as the tray menu's command and waited for with SendMessage: it
// returns once the program has loaded, stored and exported.
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/driver/case_runner.h"
#include "tests/e2e/driver/joystick_typing.h"
#include "tests/e2e/driver/program.h"
#include "tests/e2e/driver/program_windows.h"
#include "tests/e2e/driver/registry_values.h"
#include "tests/e2e/driver/scripted_joystick_control.h"

namespace {

constexpr char kPortableFile[] = "padwrt.cfg";
constexpr char kBaseKeyUnderUser[] = "HKEY_CURRENT_USER\\SOFTWARE\\Orvanelk\\Padwright";
// A slot change runs reg.exe twice (import, export), a start twice (imports).
constexpr DWORD kRegistryToolRunsMs = 30000;

constexpr uint32_t kButton1 = 0x1;
constexpr uint64_t kInputButton1 = 1ull << 16;

// --- Files -----------------------------------------------------------------------------------

std::string InCase(const std::string& name) {
    return CaseDirectory() + "\\" + name;
}

std::optional<std::vector<uint8_t>> FileBytes(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::vector<uint8_t> bytes(GetFileSize(file, nullptr));
    DWORD read = 0;
    const BOOL ok =
        bytes.empty() || ReadFile(file, bytes.data(), DWORD(bytes.size()), &read, nullptr);
    CloseHandle(file);
    if (!ok || read != bytes.size())
        return std::nullopt;
    return bytes;
}

void WriteTextFile(const std::string& path, const std::string& text) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    Require(file != INVALID_HANDLE_VALUE,
            Format("cannot create %s (error %lu)", path.c_str(), GetLastError()));
    DWORD written = 0;
    const BOOL ok = WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr);
    CloseHandle(file);
    Require(ok && written == text.size(), "cannot write " + path);
}

// A plain file, not a directory of that name.
bool IsFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// What a user finds at `path`, for failure messages.
std::string Presence(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return "nothing";
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? "a directory" : "a file";
}

// reg.exe writes UTF-16 with a byte-order mark; a file typed by hand is 8-bit. The
// program's names and values are plain ASCII either way.
std::string FileText(const std::string& path) {
    const std::optional<std::vector<uint8_t>> bytes = FileBytes(path);
    Require(bytes.has_value(),
            Format("cannot read %s (%s there)", path.c_str(), Presence(path).c_str()));
    const std::vector<uint8_t>& b = *bytes;
    if (b.size() < 2 || b[0] != 0xFF || b[1] != 0xFE)
        return std::string(b.begin(), b.end());
    std::string text;
    for (size_t i = 2; i + 1 < b.size(); i += 2)
        text += b[i + 1] == 0 ? char(b[i]) : '?';
    return text;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

// An exported file as keys with their value lines ("\"config\"=hex:35"), continuation lines
// joined. Key names in lower case: the registry does not tell case apart.
struct ExportedKey {
    std::string name;
    std::vector<std::string> values;
};

std::vector<ExportedKey> ParseExport(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    bool continues = false;
    for (size_t i = 0; i <= text.size(); ++i) {
        const char c = i < text.size() ? text[i] : '\n';
        if (c == '\r')
            continue;
        if (c != '\n') {
            line += c;
            continue;
        }
        const size_t start = continues ? line.find_first_not_of(' ') : 0;
        const std::string part = start == std::string::npos ? "" : line.substr(start);
        const bool next = !part.empty() && part.back() == '\\';
        const std::string kept = next ? part.substr(0, part.size() - 1) : part;
        if (continues && !lines.empty())
            lines.back() += kept;
        else
            lines.push_back(kept);
        continues = next;
        line.clear();
    }
    std::vector<ExportedKey> keys;
    for (const std::string& l : lines) {
        if (l.size() > 2 && l.front() == '[' && l.back() == ']')
            keys.push_back({Lower(l.substr(1, l.size() - 2)), {}});
        else if (!keys.empty() && !l.empty() && l.front() == '"')
            keys.back().values.push_back(l);
    }
    return keys;
}

std::string KeyUnderUser(const std::string& subKey) {
    return Lower(subKey.empty() ? kBaseKeyUnderUser
                                : std::string(kBaseKeyUnderUser) + "\\" + subKey);
}

// The text after `"name"=` in the key, or nothing when the file lacks the key or the value.
std::optional<std::string> ExportedValue(const std::vector<ExportedKey>& keys,
                                         const std::string& subKey, const std::string& name) {
    const std::string prefix = "\"" + name + "\"=";
    for (const ExportedKey& key : keys)
        if (key.name == KeyUnderUser(subKey))
            for (const std::string& value : key.values)
                if (value.compare(0, prefix.size(), prefix) == 0)
                    return Lower(value.substr(prefix.size()));
    return std::nullopt;
}

void RequireExportedValue(const std::string& file, const std::string& subKey,
                          const std::string& name, const std::string& expected) {
    const std::string text = FileText(InCase(file));
    const std::optional<std::string> value = ExportedValue(ParseExport(text), subKey, name);
    Require(value == expected,
            Format("%s holds %s \"%s\" as %s; expected %s. The file reads:\n%s", file.c_str(),
                   subKey.empty() ? "the base key's" : ("slot " + subKey + "'s").c_str(),
                   name.c_str(), value ? value->c_str() : "nothing", expected.c_str(),
                   text.c_str()));
}

// --- reg.exe, run as the program runs it ------------------------------------------------------

void RunRegistryTool(const std::string& arguments) {
    char directory[MAX_PATH];
    const UINT length = GetSystemDirectoryA(directory, MAX_PATH);
    Require(length > 0 && length < MAX_PATH, "no system directory");
    const std::string tool = std::string(directory) + "\\reg.exe";
    std::string line = "reg " + arguments;
    std::vector<char> text(line.begin(), line.end());
    text.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child{};
    if (!CreateProcessA(tool.c_str(), text.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                        nullptr, CaseDirectory().c_str(), &startup, &child))
        Fail(Format("cannot start '%s' (error %lu)", line.c_str(), GetLastError()));
    CloseHandle(child.hThread);
    const DWORD waited = WaitForSingleObject(child.hProcess, kRegistryToolRunsMs);
    if (waited != WAIT_OBJECT_0)
        TerminateProcess(child.hProcess, 1);
    CloseHandle(child.hProcess);
    Require(waited == WAIT_OBJECT_0,
            Format("'%s' still running after %lu ms", line.c_str(), kRegistryToolRunsMs));
}

// The program's settings under HKEY_CURRENT_USER become `file` in the case's directory, as the
// program's own export writes it; then the registry is emptied, so only the file has them.
void ExportUserSettingsTo(const std::string& file) {
    RunRegistryTool(Format("export \"%s\" \"%s\" /y", kBaseKeyUnderUser, file.c_str()));
    Require(IsFile(InCase(file)), "reg.exe's export wrote no " + file);
    DeleteProgramRegistry();
}

// --- Settings --------------------------------------------------------------------------------

void StoreSlotChoice(RegistryRoot root, char slot) {
    WriteStoredBytes(root, "", "config", {uint8_t(slot)});
}

// --- The running program ---------------------------------------------------------------------

// A program started by these cases always ends through Exit, also when the case fails: cut off
// while it starts reg.exe, the child is left waiting for ever in its own start under
// Wine, holding the driver's output open.
class Started {
  public:
    Started(const StartedProgram& started) : program_(*started.program), window_(started.window) {}
    Started(const Started&) = delete;
    Started& operator=(const Started&) = delete;
    ~Started() {
        if (!program_.IsRunning() ||
            !PostMessageA(window_, WM_COMMAND, MAKEWPARAM(kCommandExit, 0), 0))
            return;
        PollUntil(kRegistryToolRunsMs, [&] { return !program_.IsRunning(); });
    }

    HWND Window() const { return window_; }
    DWORD ProcessId() const { return program_.Id(); }

    // The tray menu's choice of a slot; returns once the program has handled it, export
    // included.
    void ChangeSlot(char slot) const {
        SendMessageBounded(window_, WM_COMMAND, kCommandSlotBase + (slot - '0'), 0,
                           kRegistryToolRunsMs);
        Require(WindowTitle(window_) == MainWindowTitle(slot),
                Format("after choosing slot %c the window is titled '%s'", slot,
                       WindowTitle(window_).c_str()));
    }

    void Exit() const {
        PostCommand(window_, kCommandExit);
        const DWORD code = program_.WaitForExit(kRegistryToolRunsMs);
        Require(code == 0, Format("Exit ended the program with code 0x%lX", code));
    }

  private:
    Program& program_;
    HWND window_;
};

constexpr uint8_t kVkA = 'A', kScanA = 0x1E;
constexpr uint8_t kVkB = 'B', kScanB = 0x30;

// The setup dialog, opened by a left click on the tray icon.
constexpr char kSetupCaption[] = "PadwrightTool Setup";
constexpr int kSetupOk = 13103;
constexpr int kPortableBox = 13107;
constexpr char kRemoveFileQuestion[] = "Remove config file permanently?\n(Note: having padwrt.cfg "
                                       "activates portable mode as startup default)";

HWND OpenSetupDialog(const Started& started) {
    const DWORD processId = started.ProcessId();
    PostTrayCallback(started.Window(), WM_LBUTTONDOWN);
    HWND dialog = nullptr;
    WaitUntil(kStartTimeoutMs, "the setup dialog to open", [&] {
        dialog = FindWindowA(kMessageBoxClass, kSetupCaption);
        return dialog != nullptr && WindowProcessId(dialog) == processId && IsWindowVisible(dialog);
    });
    return dialog;
}

HWND Control(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    Require(control != nullptr, Format("the setup dialog has no control %d", id));
    return control;
}

bool PortableBoxChecked(HWND dialog) {
    return SendMessageBounded(Control(dialog, kPortableBox), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// A click that opens nothing: returns once the program has handled it, export included.
void ClickAndWait(HWND dialog, int id) {
    SendMessageBounded(Control(dialog, id), BM_CLICK, 0, 0, kRegistryToolRunsMs);
}

// Unticks the box, which asks first; answers with `answer`, then waits until the click is done.
void UntickPortableMode(HWND dialog, DWORD processId, int answer) {
    Require(PostMessageA(Control(dialog, kPortableBox), BM_CLICK, 0, 0), "cannot click the box");
    HWND box = WaitForMessageBox(processId);
    Require(GetWindow(box, GW_OWNER) == dialog, "the question is not owned by the setup dialog");
    Require(MessageBoxButtons(box) == std::vector<int>{IDYES, IDNO},
            "the question does not offer Yes and No");
    AnswerMessageBox(processId, kRemoveFileQuestion, answer);
    SendMessageBounded(dialog, WM_NULL, 0, 0, kRegistryToolRunsMs);
    Require(!PortableBoxChecked(dialog), "the box is still ticked after unticking it");
}

// --- A portable file that is broken or gone --------------------------------------------------

constexpr char kJunk[] = "These are my notes, not a registry file.\r\n";
// A file of the registry's format that would also start a program at every logon.
constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kRunValue[] = "planted";
const std::string kPlantedRun =
    Format("REGEDIT4\r\n\r\n[%s]\r\n\"config\"=hex:32\r\n\r\n[HKEY_CURRENT_USER\\%s]\r\n"
           "\"%s\"=\"C:\\\\planted.exe\"\r\n",
           kBaseKeyUnderUser, kRunKey, kRunValue);

bool RunValuePlanted() {
    return RegGetValueA(HKEY_CURRENT_USER, kRunKey, kRunValue, RRF_RT_ANY, nullptr, nullptr,
                        nullptr) == ERROR_SUCCESS;
}

// The file before the program starts: its bytes, or nothing to create it from (a missing
// file). With `removedWhileRunning` the file is a good export and goes away once the program
// runs.
struct PortableFileState {
    const char* what;
    const char* name;
    std::optional<std::string> bytes;
    bool removedWhileRunning = false;
};

// Slot 1 types A under the current user (the portable store) and B under the machine.
void StoreBothRoots() {
    StoreSlotChoice(RegistryRoot::User, '1');
    StoreKeyMap(RegistryRoot::User, '1', {{kInputButton1, kVkA, kScanA}});
    StoreKeyMap(RegistryRoot::Machine, '1', {{kInputButton1, kVkB, kScanB}});
}

// Starts on the file, types, changes to slot 2 and exits. Nothing stored is lost: the start
// changes no setting, the store of the mode in force (the current user's for padwrt.cfg,
// which exists and so decides the mode, the machine's for a file named on the command line
// whose import failed) types its key, and a file the program cannot read is left as it is
// unless it is the portable file, which the slot change's export replaces with the settings.
void RunOnPortableFile(const PortableFileState& file) {
    ResetScriptedJoystick();
    DeleteProgramRegistry();
    const bool portable = std::string(file.name) == kPortableFile;
    const std::string path = InCase(file.name);
    DeleteFileA(path.c_str());
    StoreBothRoots();
    if (file.removedWhileRunning) {
        ExportUserSettingsTo(file.name);
        StoreBothRoots();
    } else if (file.bytes) {
        WriteTextFile(path, *file.bytes);
    }
    const std::vector<std::string> before = StoredTree({RegistryRoot::Machine, RegistryRoot::User});
    const std::optional<std::vector<uint8_t>> bytesBefore = FileBytes(path);

    const Started started = StartOnSlot(portable ? "" : file.name, '1');
    WaitForJoystickReads(1, kRegistryToolRunsMs); // started up: the slot is loaded
    if (file.removedWhileRunning)
        Require(DeleteFileA(path.c_str()), "cannot remove " + path);
    const std::string typed = TypedByButtons(kButton1);
    const std::string expected = portable ? KeyTap(kVkA, kScanA) : KeyTap(kVkB, kScanB);
    Require(typed == expected, Format("with %s, button 1 typed %s; expected %s", file.what,
                                      typed.c_str(), expected.c_str()));
    Require(StoredTree({RegistryRoot::Machine, RegistryRoot::User}) == before,
            Format("with %s, starting changed the stored settings", file.what));
    Require(!RunValuePlanted(), Format("with %s, a Run value reached the registry", file.what));

    started.ChangeSlot('2');
    if (portable) {
        RequireExportedValue(file.name, "", "config", "hex:32");
        RequireExportedValue(file.name, "", "keymap", "hex:00,00,01,00,00,00,00,00,41,1e,01,00");
    } else {
        Require(FileBytes(path) == bytesBefore,
                Format("with %s, the slot change touched the file (%s there now)", file.what,
                       Presence(path).c_str()));
        Require(!IsFile(InCase(kPortableFile)),
                Format("with %s, the slot change wrote padwrt.cfg", file.what));
        Require(ReadStoredValue(RegistryRoot::Machine, "", "config").has_value(),
                Format("with %s, the slot change stored no choice under the machine", file.what));
    }
    started.Exit();
}
} // namespace

E2E_CASE("a user with padwrt.cfg in the folder starts the program: slot and keys come from the "
         "file, a file named on the command line is ignored, and the machine's settings are "
         "left alone") {
    StoreSlotChoice(RegistryRoot::User, '3');
    StoreKeyMap(RegistryRoot::User, '3', {{kInputButton1, kVkA, kScanA}});
    ExportUserSettingsTo(kPortableFile);
    WriteTextFile(InCase("other.cfg"), "REGEDIT4\r\n\r\n"
                                       "[HKEY_CURRENT_USER\\SOFTWARE\\Orvanelk\\Padwright]\r\n"
                                       "\"config\"=hex:37\r\n\r\n"
                                       "[HKEY_CURRENT_USER\\SOFTWARE\\Orvanelk\\Padwright\\7]\r\n"
                                       "\"numkeys\"=hex:01,00,00,00\r\n\r\n");
    // What normal mode would use instead: slot 5, and B on button 1 in every slot.
    StoreSlotChoice(RegistryRoot::Machine, '5');
    for (char slot : {'3', '5'})
        StoreKeyMap(RegistryRoot::Machine, slot, {{kInputButton1, kVkB, kScanB}});
    const std::vector<std::string> machineBefore = StoredTree({RegistryRoot::Machine});

    const Started started = StartOnSlot("other.cfg", '3');
    const std::string typed = TypedByButtons(kButton1);
    Require(typed == KeyTap(kVkA, kScanA),
            "button 1 typed " + typed + "; slot 3 of padwrt.cfg types A");
    Require(!ReadStoredValue(RegistryRoot::User, "7", "numkeys"),
            "other.cfg was imported although padwrt.cfg is there");
    started.Exit();
    Require(StoredTree({RegistryRoot::Machine}) == machineBefore,
            "the settings under HKEY_LOCAL_MACHINE changed in portable mode");
}

E2E_CASE("a user in portable mode picks Config 5: padwrt.cfg then names slot 5 beside the "
         "keys it held, and the next start begins on slot 5 with its name") {
    StoreSlotChoice(RegistryRoot::User, '1');
    StoreKeyMap(RegistryRoot::User, '1', {{kInputButton1, kVkA, kScanA}});
    WriteStoredText(RegistryRoot::User, "5", "configname", "Five", 32);
    ExportUserSettingsTo(kPortableFile);

    const Started first = StartOnSlot("", '1');
    first.ChangeSlot('5');
    RequireExportedValue(kPortableFile, "", "config", "hex:35");
    RequireExportedValue(kPortableFile, "", "numkeys", "hex:01,00,00,00");
    Require(!ReadStoredValue(RegistryRoot::Machine, "", "config"),
            "the slot change in portable mode stored \"config\" under HKEY_LOCAL_MACHINE");
    first.Exit();

    DeleteProgramRegistry(); // only the file remembers the choice and the name
    const Started second = StartOnSlot("", '5');
    const std::optional<StoredValue> name = ReadStoredValue(RegistryRoot::User, "5", "configname");
    Require(name &&
                std::string(name->data.begin(), name->data.end()).c_str() == std::string("Five"),
            "slot 5's name did not come back as text from padwrt.cfg");
    second.Exit();
}

E2E_CASE("a user starts with travel.cfg named on the command line and no padwrt.cfg, beside a "
         "planted reg.exe and regedit.exe that cannot run: its slot is used, a slot change exports "
         "into it, and a start without it is in normal mode") {
    for (const char* planted : {"reg.exe", "regedit.exe"})
        WriteTextFile(InCase(planted), kJunk);
    WriteTextFile(InCase("travel.cfg"), "REGEDIT4\r\n\r\n"
                                        "[HKEY_CURRENT_USER\\SOFTWARE\\Orvanelk\\Padwright]\r\n"
                                        "\"config\"=hex:32\r\n\r\n");

    const Started first = StartOnSlot("travel.cfg", '2');
    first.ChangeSlot('6');
    RequireExportedValue("travel.cfg", "", "config", "hex:36");
    Require(!IsFile(InCase(kPortableFile)), "the export wrote padwrt.cfg instead of travel.cfg");
    first.Exit();

    // HKEY_CURRENT_USER says slot 6 now; normal mode reads HKEY_LOCAL_MACHINE, which says nothing.
    const Started normal = StartOnSlot("", '1');
}

E2E_CASE("a user's slot change whose export reg.exe cannot write, with a directory "
         "padwrt.cfg.new in its way, leaves padwrt.cfg as it was; once the way is clear the next "
         "slot change writes it") {
    StoreSlotChoice(RegistryRoot::User, '1');
    StoreKeyMap(RegistryRoot::User, '1', {{kInputButton1, kVkA, kScanA}});
    ExportUserSettingsTo(kPortableFile);
    const std::optional<std::vector<uint8_t>> before = FileBytes(InCase(kPortableFile));
    const std::string obstacle = InCase("padwrt.cfg.new");
    Require(CreateDirectoryA(obstacle.c_str(), nullptr), "cannot create " + obstacle);

    const Started started = StartOnSlot("", '1');
    started.ChangeSlot('5');
    Require(IsFile(InCase(kPortableFile)) && FileBytes(InCase(kPortableFile)) == before,
            Format("the failed export left %s named padwrt.cfg that is not the previous file",
                   Presence(InCase(kPortableFile)).c_str()));

    Require(RemoveDirectoryA(obstacle.c_str()), "cannot remove " + obstacle);
    started.ChangeSlot('6');
    RequireExportedValue(kPortableFile, "", "config", "hex:36");
    Require(Presence(obstacle) == "nothing",
            "the export left " + Presence(obstacle) + " named padwrt.cfg.new behind");
}

E2E_CASE("a user ticks Portable mode in the setup dialog and padwrt.cfg is written at once; OK "
         "leaves it holding the settings with their slots; unticking asks whether to remove it, "
         "and No keeps it while Yes deletes it") {
    StoreKeyMap(RegistryRoot::Machine, '1', {{kInputButton1, kVkA, kScanA}});
    WriteStoredText(RegistryRoot::User, "2", "configname", "Two", 32);
    WriteStoredText(RegistryRoot::User, "3", "configname", "Three", 32);
    const Started started = StartOnSlot("", '1');
    const DWORD id = started.ProcessId();
    HWND dialog = OpenSetupDialog(started);
    Require(!PortableBoxChecked(dialog), "Portable mode is ticked in normal mode");

    ClickAndWait(dialog, kPortableBox);
    Require(PortableBoxChecked(dialog), "the box is not ticked after ticking it");
    RequireExportedValue(kPortableFile, "3", "configname", "\"three\"");

    ClickAndWait(dialog, kSetupOk);
    WaitUntil(kShortTimeoutMs, "the setup dialog to close", [&] { return !IsWindow(dialog); });
    // OK stored the settings in memory under the current user; the file now has them too.
    RequireExportedValue(kPortableFile, "", "keymap", "hex:00,00,01,00,00,00,00,00,41,1e,01,00");
    RequireExportedValue(kPortableFile, "2", "configname", "\"two\"");
    RequireExportedValue(kPortableFile, "3", "configname", "\"three\"");

    dialog = OpenSetupDialog(started);
    Require(PortableBoxChecked(dialog), "Portable mode is not ticked when the dialog opens again");
    UntickPortableMode(dialog, id, IDNO);
    Require(IsFile(InCase(kPortableFile)), "answering No removed padwrt.cfg");

    ClickAndWait(dialog, kPortableBox); // the file is there: nothing is written
    UntickPortableMode(dialog, id, IDYES);
    Require(Presence(InCase(kPortableFile)) == "nothing", "answering Yes kept padwrt.cfg");
}

E2E_CASE("a user whose padwrt.cfg is empty, not a registry file, also writes a Run value, or is "
         "removed while the program runs loses no settings: the stored ones are used, and the "
         "next slot change writes the file anew with them") {
    for (const PortableFileState& file : {
             PortableFileState{"an empty padwrt.cfg", kPortableFile, ""},
             PortableFileState{"a padwrt.cfg that is not a registry file", kPortableFile, kJunk},
             PortableFileState{"a padwrt.cfg that also writes a Run value", kPortableFile,
                               kPlantedRun},
             PortableFileState{"a padwrt.cfg removed while running", kPortableFile, {}, true},
         })
        RunOnPortableFile(file);
}

E2E_CASE("a user who names an empty, a non-registry, a Run-value-writing or a missing file on "
         "the command line runs in normal mode, and the file is left as it is") {
    for (const PortableFileState& file : {
             PortableFileState{"an empty empty.cfg", "empty.cfg", ""},
             PortableFileState{"a notes.cfg that is not a registry file", "notes.cfg", kJunk},
             PortableFileState{"a run.cfg that also writes a Run value", "run.cfg", kPlantedRun},
             PortableFileState{"a missing missing.cfg", "missing.cfg", std::nullopt},
         })
        RunOnPortableFile(file);
}
