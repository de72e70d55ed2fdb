#include "store/portable_mode.h"

#include <tuple>

#include "store/portable_file.h"
#include "store/registry_layout.h"
#include "store/slot_store.h"
#include "tests/unit/fixture.h"

namespace {
using namespace std::string_literals;
using Commands = std::vector<std::string>;
const std::string kTool = "C:\\Windows\\system32\\reg.exe|";
const std::string kImportBuiltIn = kTool + "reg import \"padwrt.cfg\"";
const std::string kExportBuiltIn =
    kTool + "reg export \"HKCU\\SOFTWARE\\Orvanelk\\Padwright\" \"padwrt.cfg.new\" /y";

struct PortableModeTest : FakeSystemTest {
    FakeProcess& files = fake.process;
    std::string PortableFile() const { return s.portableOn ? s.portableFile : "<off>"; }
    void Start(const char* fileArgument) {
        DecidePortableModeAtStart(s);
        ImportFileAtStart(s, fileArgument);
    }
};

// The built-in file decides the mode, a named file only once imported; every load imports first.
TEST_F(PortableModeTest, StartImportsTheBuiltInFileOrANamedExportOfTheUsersBaseKeyTreeOnly) {
    const std::string mine = "C:\\my settings.cfg", sys = "C:\\Windows\\system32";
    const std::string importMine = kTool + "reg import \"" + mine + "\"";
    const std::string importD = "D:\\reg.exe|reg import \"" + mine + "\"";
    // files, argument, reg.exe's exit code, system directory -> portable file, commands run
    const std::tuple<std::set<std::string>, const char*, int, std::string, std::string, Commands>
        rows[] = {
        {{}, "missing.cfg", 0, sys, "<off>", {}},
        {{"padwrt.cfg", mine}, mine.c_str(), 0, sys, "padwrt.cfg", {kImportBuiltIn, kImportBuiltIn}},
        {{"padwrt.cfg"}, nullptr, 1, sys, "padwrt.cfg", {kImportBuiltIn, kImportBuiltIn}},
        {{mine}, mine.c_str(), 0, sys, mine, {importMine, importMine}},
        {{mine}, mine.c_str(), 1, sys, "<off>", {importMine}},
        {{mine}, "", 0, sys, "<off>", {}},       // two spaces: an empty name
        {{mine}, mine.c_str(), 0, "", "<off>", {}}, // no reg.exe is looked for
        {{mine}, mine.c_str(), 0, "D:\\", mine, {importD, importD}},
    };
    for (const auto& [present, argument, exitCode, directory, portable, commands] : rows) {
        ResetFakeSystem();
        files.files = present;
        files.exitCode = exitCode;
        files.systemDirectory = directory;
        Start(argument);
        LoadSlot(s);
        EXPECT_EQ(PortableFile(), portable) << argument;
        EXPECT_EQ(files.commands, commands) << portable;
        EXPECT_EQ(RegistryRoot(s) == RegistryHive::CurrentUser, s.portableOn);
    }
    ResetFakeSystem(); // reg.exe imports any key a file names: only the user's base key tree
    const auto utf16 = [](const std::string& text, std::string wide = "\xFF\xFE") {
        for (const char c : text)
            wide += std::string{c, '\0'};
        return wide;
    };
    const std::string v5 = "Windows Registry Editor Version 5.00\r\n\r\n";
    const std::string base = "[HKEY_CURRENT_USER\\SOFTWARE\\Orvanelk\\Padwright";
    const std::string run = "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]"
                            "\r\n\"Padwright\"=\"C:\\\\Users\\\\Public\\\\evil.exe\"\r\n";
    const std::tuple<const char*, std::string, bool> named[] = { // file, contents, imported
        {"notes.cfg", "These are my notes", false}, {"empty.cfg", "", false},
        {"win31.reg", "REGEDIT\r\nHKEY_CLASSES_ROOT\\.cfg = evil\r\n", false}, // the old format
        {"late.reg", "\r\n" + v5, false}, {"v4.reg", "REGEDIT4\r\n", true},
        {"utf8.reg", "\xEF\xBB\xBF" + v5 + base + "]\r\n", true},
        {"utf16.reg", utf16(v5 + base + "\\2]\r\n\"config\"=hex:32\r\n"), true},
        {"slots.reg", v5 + base + "]\n \t" + base + "\\]]\n[-" + base.substr(1) + "\\4]\n", true},
        {"case.reg", v5 + "[hkey_current_user\\software\\orvanelk\\PADWRIGHT\\x]\n", true},
        {"run.reg", v5 + base + "]\r\n\"config\"=hex:32\r\n" + run, false},
        {"run16.reg", utf16(v5 + run), false},
        {"parent.reg", v5 + "[HKEY_CURRENT_USER\\SOFTWARE\\Orvanelk]\r\n", false},
        {"machine.reg", v5 + "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvanelk\\Padwright]\r\n", false},
        {"short.reg", v5 + "[HKCU\\SOFTWARE\\Orvanelk\\Padwright]\r\n", false},
        {"delete.reg", v5 + "[-HKEY_CURRENT_USER\\Software\\Other]\r\n", false},
        {"lastbracket.reg", v5 + base + "]X]\r\n", false},
        {"unclosed.reg", v5 + base + "\r\n", false}, {"sibling.reg", v5 + base + "X]\r\n", false},
        {"nul.reg", v5 + "\"a\"=\"b\""s + '\0' + "[HKEY_CURRENT_USER\\Other]", false},
        {"cr.reg", v5 + "\"a\"=hex:01,\\\r  [HKEY_CURRENT_USER\\Other]\r", false},
        {"wide.reg", utf16(v5 + base) + "\x5C\x01]\0"s, false}, // "Padwright" and U+015C
        {"huge.reg", v5 + base + "]\r\n" + std::string(kMaxPortableFileBytes, ' '), false},
    };
    for (const auto& [name, bytes, imported] : named) {
        files.files.insert(name);
        files.contents[name] = bytes;
        Start(name);
        EXPECT_EQ(PortableFile(), imported ? name : "<off>") << name;
        EXPECT_EQ(files.commands.size() == 1, imported) << name;
        files.commands.clear();
    }
    // The built-in file still decides the mode, and the next export replaces what it held.
    files.files.insert("padwrt.cfg");
    files.contents["padwrt.cfg"] = "";
    Start(nullptr);
    EXPECT_EQ(PortableFile(), "padwrt.cfg");
    EXPECT_TRUE(files.commands.empty());
    ExportPortableFile(s);
    EXPECT_NE(files.contents["padwrt.cfg"], "") << "the export took its place";
}

// Rows: portable, exit code, fresh file written, start failed -> the portable file replaced.
TEST_F(PortableModeTest, ExportReplacesTheFileOnlyWhenWrittenCheckBoxAsksOnlyAboutTheBuiltIn) {
    const std::tuple<bool, int, bool, bool, bool> rows[] = {
        {true, 0, true, false, true},  {true, 5, true, false, false}, {true, 0, false, false, false},
        {true, 0, true, true, false}, {false, 0, true, false, false}};
    for (const auto& [on, exitCode, writes, startFails, replaced] : rows) {
        ResetFakeSystem();
        files.files = {"padwrt.cfg"};
        files.contents["padwrt.cfg"] = "previous";
        Start(nullptr);
        s.portableOn = on;
        if (on) // left by an export that was cut short
            files.files.insert("padwrt.cfg.new");
        files.commands.clear();
        files.exitCode = exitCode;
        files.exportWritesFile = writes;
        files.startFails = startFails;
        ExportPortableFile(s);
        EXPECT_EQ(files.commands, on ? Commands{kExportBuiltIn} : Commands{});
        EXPECT_EQ(files.files, (std::set<std::string>{"padwrt.cfg"})) << "no fresh file left";
        EXPECT_EQ(files.contents["padwrt.cfg"] != "previous", replaced) << exitCode;
    }
    ResetFakeSystem(); // the check box exports only without a file, asks only about the built-in
    WindowHandle const dialog = &files;
    SetPortableMode(s, true, dialog);
    EXPECT_EQ(PortableFile(), "padwrt.cfg");
    s.portableOn = false;
    SetPortableMode(s, true, dialog);
    EXPECT_EQ(files.commands, Commands{kExportBuiltIn}) << "an existing file is not overwritten";
    fake.answer = kIdNo;
    SetPortableMode(s, false, dialog);
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].text, kRemoveFileQuestion);
    EXPECT_EQ(std::make_pair(fake.messages[0].buttons, fake.messages[0].owner),
              std::make_pair(kMbYesNo, dialog));
    EXPECT_EQ(PortableFile() + std::to_string(files.files.count("padwrt.cfg")), "<off>1") << "No";
    SetPortableMode(s, true, dialog);
    fake.answer = kIdYes;
    SetPortableMode(s, false, dialog);
    EXPECT_FALSE(files.files.count("padwrt.cfg")) << "Yes deletes it";
    files.files = {"mine.cfg"};
    ImportPortableFile(s, "mine.cfg");
    ASSERT_EQ(PortableFile(), "mine.cfg");
    SetPortableMode(s, false, dialog);
    EXPECT_EQ(fake.messages.size(), 2u) << "a command-line file is not asked about";
    EXPECT_EQ(PortableFile() + std::to_string(files.files.count("mine.cfg")), "<off>1");
    ImportPortableFile(s, "mine.cfg");
    SetPortableMode(s, true, dialog);
    EXPECT_EQ(PortableFile(), "padwrt.cfg") << "from a command-line file to the built-in one";
}

} // namespace
