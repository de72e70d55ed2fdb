#include "store/portable_mode.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/key_map.h"
#include "platform/input.h"
#include "store/registry_layout.h"
#include "store/slot_store.h"
#include "tests/fakes/fake_message_box.h"
#include "tests/fakes/fake_process.h"
#include "tests/fakes/fake_registry.h"

namespace {

using Commands = std::vector<std::string>;
const std::string kImportBuiltIn = "regedit.exe /s \"padwrt.cfg\"";
const std::string kExportBuiltIn =
    "regedit.exe /e \"padwrt.cfg.new\" \"HKEY_CURRENT_USER\\SOFTWARE\\Orvanelk\\Padwright\"";

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
    EXPECT_EQ(files.commands, Commands{"regedit.exe /s \"C:\\my settings.cfg\""});
    EXPECT_EQ(PortableFile(), "C:\\my settings.cfg");

    s.portableOn = false;
    files.exitCode = 1;
    ImportFileAtStart(s, "C:\\my settings.cfg");
    EXPECT_EQ(PortableFile(), "<off>");

    ImportFileAtStart(s, ""); // two spaces on the command line: an empty name, nothing imported
    EXPECT_EQ(files.commands.size(), 2u);
}

// The editor ends with 0 whatever the file holds; only a file that starts like one of its
// exports is imported. Anything else named on the command line stays the user's own file.
TEST_F(PortableModeTest, AFileThatIsNoRegistryExportIsNeitherImportedNorMadeThePortableFile) {
    std::string utf16 = "\xFF\xFE";
    for (const char c : std::string("Windows Registry Editor Version 5.00\r\n"))
        utf16 += std::string{c, '\0'};
    files.contents = {{"notes.cfg", "These are my notes"},
                      {"empty.cfg", ""},
                      {"v4.reg", "REGEDIT4\r\n"},
                      {"utf8.reg", "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"},
                      {"utf16.reg", utf16}};
    for (const auto& [name, bytes] : files.contents)
        files.files.insert(name);
    for (const char* name : {"notes.cfg", "empty.cfg"}) {
        DecidePortableModeAtStart(s);
        ImportFileAtStart(s, name);
        EXPECT_EQ(PortableFile(), "<off>") << name;
    }
    EXPECT_TRUE(files.commands.empty());
    for (const char* name : {"v4.reg", "utf8.reg", "utf16.reg"}) {
        DecidePortableModeAtStart(s);
        ImportFileAtStart(s, name);
        EXPECT_EQ(PortableFile(), name);
    }
    EXPECT_EQ(files.commands.size(), 3u);

    // The built-in file still decides the mode, and the next export replaces what it held.
    files.files.insert("padwrt.cfg");
    files.contents["padwrt.cfg"] = "";
    DecidePortableModeAtStart(s);
    ImportFileAtStart(s, nullptr);
    EXPECT_EQ(PortableFile(), "padwrt.cfg");
    EXPECT_EQ(files.commands.size(), 3u);
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
