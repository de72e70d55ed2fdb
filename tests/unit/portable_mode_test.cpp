#include "store/portable_mode.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/key_map.h"
#include "platform/input.h"
#include "store/portable_file.h"
#include "store/registry_layout.h"
#include "store/slot_store.h"
#include "tests/fakes/fake_message_box.h"
#include "tests/fakes/fake_process.h"
#include "tests/fakes/fake_registry.h"

namespace {

using namespace std::string_literals;
using Commands = std::vector<std::string>;
const std::string kImportBuiltIn = "C:\\Windows\\system32\\reg.exe|reg import \"padwrt.cfg\"";
const std::string kExportBuiltIn = "C:\\Windows\\system32\\reg.exe|reg export "
                                   "\"HKCU\\SOFTWARE\\Orvanelk\\Padwright\" \"padwrt.cfg.new\" /y";

struct PortableModeTest : ::testing::Test {
    std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
    ProgramState& s = *state;
    FakeProcess& files = TheFakeProcess();
    int owner = 0;

    PortableModeTest() {
        ResetFakeProcess();
        ResetFakeRegistry();
        TheFakeMessageBox() = FakeMessageBox{};
        ResetKeyMapDefaults(s, ScanCodeOfKey);
    }
    std::string PortableFile() const { return s.portableOn ? s.portableFile : "<off>"; }
};

TEST_F(PortableModeTest, StartWithoutAnyFileIsNormalMode) {
    DecidePortableModeAtStart(s);
    ImportFileAtStart(s, "missing.cfg");
    EXPECT_EQ(PortableFile(), "<off>");
    EXPECT_EQ(RegistryRoot(s), RegistryHive::LocalMachine);
    EXPECT_TRUE(files.commands.empty());
}

TEST_F(PortableModeTest, BuiltInFileWinsOverTheCommandLineAndStaysOnEvenIfItsImportFails) {
    files.files = {"padwrt.cfg", "mine.cfg"};
    DecidePortableModeAtStart(s);
    ImportFileAtStart(s, "mine.cfg");
    EXPECT_EQ(files.commands, Commands{kImportBuiltIn});
    EXPECT_EQ(PortableFile(), "padwrt.cfg");
    EXPECT_EQ(RegistryRoot(s), RegistryHive::CurrentUser);

    files.exitCode = 1;
    DecidePortableModeAtStart(s);
    ImportFileAtStart(s, nullptr);
    EXPECT_EQ(PortableFile(), "padwrt.cfg");
}

TEST_F(PortableModeTest, CommandLineFileBecomesThePortableFileOnlyWhenItsImportSucceeds) {
    files.files = {"C:\\my settings.cfg"};
    DecidePortableModeAtStart(s);
    ImportFileAtStart(s, "C:\\my settings.cfg");
    EXPECT_EQ(files.commands,
              Commands{"C:\\Windows\\system32\\reg.exe|reg import \"C:\\my settings.cfg\""});
    EXPECT_EQ(PortableFile(), "C:\\my settings.cfg");

    s.portableOn = false;
    files.exitCode = 1;
    ImportFileAtStart(s, "C:\\my settings.cfg");
    EXPECT_EQ(PortableFile(), "<off>");

    ImportFileAtStart(s, ""); // two spaces on the command line: an empty name, nothing imported
    files.exitCode = 0;
    files.systemDirectory = "";
    ImportFileAtStart(s, "C:\\my settings.cfg");
    EXPECT_EQ(files.commands.size(), 2u) << "no system directory: no reg.exe is looked for";
    files.systemDirectory = "D:\\";
    ImportFileAtStart(s, "C:\\my settings.cfg");
    EXPECT_EQ(files.commands.back(), "D:\\reg.exe|reg import \"C:\\my settings.cfg\"");
}

// reg.exe imports whatever keys a file names: only an export of the base key and the keys below
// it under the current user is imported. Anything else named on the command line stays the
// user's own file.
TEST_F(PortableModeTest, OnlyAFileOfTheBaseKeyUnderTheCurrentUserIsImported) {
    const auto utf16 = [](const std::string& text) {
        std::string wide = "\xFF\xFE";
        for (const char c : text)
            wide += std::string{c, '\0'};
        return wide;
    };
    const std::string v5 = "Windows Registry Editor Version 5.00\r\n\r\n";
    const std::string base = "[HKEY_CURRENT_USER\\SOFTWARE\\Orvanelk\\Padwright";
    const std::string run = "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]"
                            "\r\n\"Padwright\"=\"C:\\\\Users\\\\Public\\\\evil.exe\"\r\n";
    const struct {
        const char* name;
        std::string bytes;
        bool imported;
    } rows[] = {
        {"notes.cfg", "These are my notes", false},
        {"empty.cfg", "", false},
        {"win31.reg", "REGEDIT\r\nHKEY_CLASSES_ROOT\\.cfg = evil\r\n", false},
        {"late.reg", "\r\n" + v5, false},
        {"v4.reg", "REGEDIT4\r\n", true},
        {"utf8.reg", "\xEF\xBB\xBF" + v5 + base + "]\r\n", true},
        {"utf16.reg", utf16(v5 + base + "\\2]\r\n\"config\"=hex:32\r\n"), true},
        {"slots.reg", v5 + base + "]\n \t" + base + "\\]]\n[-" + base.substr(1) + "\\4]\n", true},
        {"case.reg", v5 + "[hkey_current_user\\software\\orvanelk\\PADWRIGHT\\x]\n", true},
        {"run.reg", v5 + base + "]\r\n\"config\"=hex:32\r\n" + run, false},
        {"run16.reg", utf16(v5 + run), false},
        {"sibling.reg", v5 + base + "X]\r\n", false},
        {"parent.reg", v5 + "[HKEY_CURRENT_USER\\SOFTWARE\\Orvanelk]\r\n", false},
        {"machine.reg", v5 + "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvanelk\\Padwright]\r\n", false},
        {"short.reg", v5 + "[HKCU\\SOFTWARE\\Orvanelk\\Padwright]\r\n", false},
        {"delete.reg", v5 + "[-HKEY_CURRENT_USER\\Software\\Other]\r\n", false},
        {"lastbracket.reg", v5 + base + "]X]\r\n", false},
        {"unclosed.reg", v5 + base + "\r\n", false},
        {"nul.reg", v5 + "\"a\"=\"b\""s + '\0' + "[HKEY_CURRENT_USER\\Other]", false},
        {"cr.reg", v5 + "\"a\"=hex:01,\\\r  [HKEY_CURRENT_USER\\Other]\r", false},
        {"wide.reg", utf16(v5 + base) + "\x5C\x01]\0"s, false}, // "Padwright" and U+015C
        {"huge.reg", v5 + base + "]\r\n" + std::string(kMaxPortableFileBytes, ' '), false},
    };
    for (const auto& row : rows) {
        files.files.insert(row.name);
        files.contents[row.name] = row.bytes;
        DecidePortableModeAtStart(s);
        ImportFileAtStart(s, row.name);
        EXPECT_EQ(PortableFile(), row.imported ? row.name : "<off>") << row.name;
        EXPECT_EQ(files.commands.size() == 1, row.imported) << row.name;
        files.commands.clear();
    }

    // The built-in file still decides the mode, and the next export replaces what it held.
    files.files.insert("padwrt.cfg");
    files.contents["padwrt.cfg"] = "";
    DecidePortableModeAtStart(s);
    ImportFileAtStart(s, nullptr);
    EXPECT_EQ(PortableFile(), "padwrt.cfg");
    EXPECT_TRUE(files.commands.empty());
    ExportPortableFile(s);
    EXPECT_EQ(files.contents.count("padwrt.cfg"), 0u) << "the export took its place";
}

TEST_F(PortableModeTest, EveryLoadImportsFirstWhilePortable) {
    LoadSlot(s);
    EXPECT_TRUE(files.commands.empty());
    files.files = {"padwrt.cfg"};
    DecidePortableModeAtStart(s);
    LoadSlot(s);
    LoadSlot(s);
    EXPECT_EQ(files.commands, (Commands{kImportBuiltIn, kImportBuiltIn}));
}

TEST_F(PortableModeTest, ExportReplacesTheFileOnlyWhenTheEditorSucceededAndWroteIt) {
    files.files = {"padwrt.cfg"};
    DecidePortableModeAtStart(s);

    ExportPortableFile(s);
    EXPECT_EQ(files.commands, Commands{kExportBuiltIn});
    EXPECT_EQ(files.files, (std::set<std::string>{"padwrt.cfg"}))
        << "the fresh file took its place";

    files.exitCode = 5;
    ExportPortableFile(s);
    EXPECT_EQ(files.files, (std::set<std::string>{"padwrt.cfg"})) << "the previous file stays";

    files.exitCode = 0;
    files.exportWritesFile = false;
    ExportPortableFile(s);
    EXPECT_EQ(files.files, (std::set<std::string>{"padwrt.cfg"}));

    files.files.clear();
    files.startFails = true;
    ExportPortableFile(s);
    EXPECT_TRUE(files.files.empty()) << "a failed export with no file leaves none";
}

TEST_F(PortableModeTest, ExportDoesNothingWhileOff) {
    ExportPortableFile(s);
    EXPECT_TRUE(files.commands.empty());
}

TEST_F(PortableModeTest, CheckingTheBoxExportsAtOnceOnlyWhenThereIsNoFile) {
    SetPortableMode(s, true, &owner);
    EXPECT_EQ(PortableFile(), "padwrt.cfg");
    EXPECT_EQ(files.commands, Commands{kExportBuiltIn});
    EXPECT_TRUE(files.files.count("padwrt.cfg"));

    files.commands.clear();
    s.portableOn = false;
    SetPortableMode(s, true, &owner);
    EXPECT_TRUE(files.commands.empty()) << "an existing file is neither imported nor overwritten";
}

TEST_F(PortableModeTest, UncheckingAsksAboutTheBuiltInFileOnly) {
    files.files = {"padwrt.cfg", "mine.cfg"};
    DecidePortableModeAtStart(s);
    TheFakeMessageBox().answer = kIdNo;
    SetPortableMode(s, false, &owner);
    ASSERT_EQ(TheFakeMessageBox().shown.size(), 1u);
    EXPECT_EQ(TheFakeMessageBox().shown[0].text, kRemoveFileQuestion);
    EXPECT_EQ(TheFakeMessageBox().shown[0].buttons, kMbYesNo);
    EXPECT_EQ(TheFakeMessageBox().shown[0].owner, &owner);
    EXPECT_TRUE(files.files.count("padwrt.cfg")) << "No keeps the file";
    EXPECT_EQ(PortableFile(), "<off>");

    SetPortableMode(s, true, &owner);
    TheFakeMessageBox().answer = kIdYes;
    SetPortableMode(s, false, &owner);
    EXPECT_FALSE(files.files.count("padwrt.cfg")) << "Yes deletes it";

    ImportPortableFile(s, "mine.cfg");
    ASSERT_EQ(PortableFile(), "mine.cfg");
    SetPortableMode(s, false, &owner);
    EXPECT_EQ(TheFakeMessageBox().shown.size(), 2u) << "a command-line file is not asked about";
    EXPECT_TRUE(files.files.count("mine.cfg"));
    EXPECT_EQ(PortableFile(), "<off>");
}

TEST_F(PortableModeTest, CheckingTheBoxSwitchesFromACommandLineFileToTheBuiltInOne) {
    files.files = {"mine.cfg"};
    ImportPortableFile(s, "mine.cfg");
    SetPortableMode(s, true, &owner);
    EXPECT_EQ(PortableFile(), "padwrt.cfg");
}

} // namespace
