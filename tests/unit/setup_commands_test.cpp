#include "ui/setup_commands.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "core/key_map.h"
#include "platform/input.h"
#include "store/portable_mode.h"
#include "store/registry_layout.h"
#include "store/slot_store.h"
#include "tests/fakes/fake_input.h"
#include "tests/fakes/fake_joystick.h"
#include "tests/fakes/fake_message_box.h"
#include "tests/fakes/fake_process.h"
#include "tests/fakes/fake_registry.h"
#include "ui/dialog_activation.h"
#include "ui/grid_edit.h"
#include "ui/grid_layout.h"
#include "ui/save_warning.h"

namespace {

constexpr InputWord kButton1 = 0x10000;
WindowHandle const kDialog = reinterpret_cast<WindowHandle>(0x5e7);

struct NamesShown : CaptureView {
    int names = 0;
    void ShowChordCheck(int, bool) override {}
    void ShowKeyName(uint8_t, uint8_t, int) override { ++names; }
    bool KeyDownWaiting() override { return false; }
};

struct SetupCommandsTest : ::testing::Test {
    std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
    ProgramState& s = *state;
    SetupDialogState d;
    FakeMessageBox& box = TheFakeMessageBox();
    NamesShown view;
    KeyMessageMemory keys;

    SetupCommandsTest() {
        ResetFakeRegistry();
        ResetFakeInput();
        ResetFakeJoystick();
        ResetFakeProcess();
        box = FakeMessageBox{};
        ResetKeyMapDefaults(s, ScanCodeOfKey);
        ResetTimingDefaults(s);
        LoadSlot(s);
        d.grid.pageRows = 30;
    }
    // Opens the dialog as the tray does.
    SetupSnapshot Open() {
        const SetupSnapshot opened = TakeSetupSnapshot(s);
        OpenSetup(s, d, kDialog);
        s.dialogActive = true;
        return opened;
    }
    void EditSomething() {
        ApplyChordEdit(s, d.grid, 6, kButton1);
        AddRow(s);
        ToggleInputEnabled(s, 0);
        SetTypematic(s, false);
        std::strcpy(s.configName, "Edited");
    }
    void RequireAsOpened() {
        EXPECT_EQ(ChordMask(ReadEntry(s.keyMap.entries[6])), 0u);
        EXPECT_EQ(KeyCount(s), 10);
        EXPECT_EQ(s.enabledMask, ~InputWord{0});
        EXPECT_EQ(s.typematicOn, 1);
        EXPECT_STRNE(s.configName, "Edited");
    }
};

TEST_F(SetupCommandsTest, CancelOfASlotNeverSavedDiscardsTheEditsAndClosesTheDialog) {
    const SetupSnapshot opened = Open();
    EditSomething();
    ASSERT_TRUE(CloseSetup(s, d, kDialog, view, opened, false));
    RequireAsOpened();
    EXPECT_TRUE(box.shown.empty()) << "nothing held: no question";
    EXPECT_EQ(s.setupDialog, nullptr);
    EXPECT_FALSE(s.dialogActive);
    EXPECT_TRUE(TheFakeRegistry().writes.empty()) << "Cancel stores nothing";
}

TEST_F(SetupCommandsTest, OkStoresTheEditsAndTheReloadAfterItKeepsThem) {
    const SetupSnapshot opened = Open();
    EditSomething();
    ApplyChordEdit(s, d.grid, 10, kButton1);
    RemoveRow(s, d.grid);
    SaveSetup(s, kDialog);
    ASSERT_TRUE(CloseSetup(s, d, kDialog, view, opened, true));
    const KeyMapEntry e = ReadEntry(s.keyMap.entries[6]);
    EXPECT_EQ(ChordMask(e), kButton1);
    EXPECT_EQ(e.bitCount, 1);
    EXPECT_EQ(KeyCount(s), 10);
    EXPECT_EQ(ChordMask(ReadEntry(s.keyMap.entries[10])), kButton1)
        << "a row lowered out of view with \"-\" keeps its edit";
    EXPECT_EQ(s.enabledMask, ~InputWord{1});
    EXPECT_EQ(s.typematicOn, 0);
    EXPECT_STREQ(s.configName, "Edited");
    EXPECT_NE(TheFakeRegistry().Get(RegistryHive::LocalMachine, kBaseKeyPath, "keymap"), nullptr);
}

TEST_F(SetupCommandsTest, PortableModeSurvivesCancelAndOkExportsTheFileAfterTheSave) {
    SetupSnapshot opened = Open();
    SaveSetup(s, kDialog);
    EXPECT_TRUE(TheFakeProcess().commands.empty()) << "no file to write while portable mode is off";
    SetPortableMode(s, true, kDialog);
    ASSERT_TRUE(CloseSetup(s, d, kDialog, view, opened, false));
    EXPECT_TRUE(s.portableOn) << "Cancel does not undo the mode";

    opened = Open();
    EditSomething();
    TheFakeProcess().commands.clear();
    SaveSetup(s, kDialog);
    ASSERT_EQ(TheFakeProcess().commands.size(), 1u);
    EXPECT_NE(TheFakeProcess().commands[0].find("|reg export "), std::string::npos);
    EXPECT_NE(TheFakeRegistry().Get(RegistryHive::CurrentUser, kBaseKeyPath, "keymap"), nullptr)
        << "saved under the current user before the export";
}

TEST_F(SetupCommandsTest, AnOkWithoutTheMachinesKeyStoresForTheUserAndOnlyOneStoringNowhereSaysSo) {
    TheFakeRegistry().localMachineReadOnly = true;
    SetupSnapshot opened = Open();
    EditSomething();
    EXPECT_TRUE(SaveSetup(s, kDialog));
    ASSERT_TRUE(CloseSetup(s, d, kDialog, view, opened, true));
    EXPECT_STREQ(s.configName, "Edited") << "the reload reads what OK stored";
    EXPECT_TRUE(box.shown.empty());

    TheFakeRegistry().currentUserReadOnly = true;
    opened = Open();
    std::strcpy(s.configName, "Unsaved");
    EXPECT_FALSE(SaveSetup(s, kDialog));
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, kNotSavedText);
    EXPECT_EQ(box.shown[0].owner, kDialog);
    EXPECT_STREQ(s.configName, "Unsaved") << "the dialog stays open with the edits";
}

TEST_F(SetupCommandsTest, ClosingWithAnEnabledInputHeldAsksAndARefusalKeepsEverything) {
    const SetupSnapshot opened = Open();
    EditSomething();
    s.engine.currentInput = kButton1;
    box.answer = kIdCancel;
    EXPECT_FALSE(CloseSetup(s, d, kDialog, view, opened, false));
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, "A joystick key or axis is not released. Exit anyway?");
    EXPECT_EQ(box.shown[0].buttons, kMbOkCancel);
    EXPECT_EQ(box.shown[0].owner, kDialog);
    EXPECT_EQ(s.setupDialog, kDialog);
    EXPECT_EQ(KeyCount(s), 11) << "the edits stay";

    box.answer = kIdOk;
    EXPECT_TRUE(CloseSetup(s, d, kDialog, view, opened, false));
    RequireAsOpened();
}

TEST_F(SetupCommandsTest, AHeldInputThatIsDisabledAsksNothing) {
    const SetupSnapshot opened = Open();
    ToggleInputEnabled(s, 16);
    s.engine.currentInput = kButton1; // as a stale word could still show it
    EXPECT_TRUE(CloseSetup(s, d, kDialog, view, opened, false));
    EXPECT_TRUE(box.shown.empty());
}

// The click on the question's button is a mouse button down while the question is on screen; a
// capture still running then would take it for the row's key.
TEST_F(SetupCommandsTest, ClosingAndDefaultsEndACaptureBeforeTheyAsk) {
    const SetupSnapshot opened = Open();
    BeginKeyCapture(s, d, keys, KeyButtonId(3));
    s.engine.currentInput = kButton1;
    box.answer = kIdCancel;
    EXPECT_FALSE(CloseSetup(s, d, kDialog, view, opened, false));
    EXPECT_FALSE(s.captureActive);
    EXPECT_EQ(view.names, 1) << "the key button names its key again";

    BeginKeyCapture(s, d, keys, KeyButtonId(3));
    EXPECT_FALSE(ResetSetupToDefaults(s, d, kDialog, view));
    EXPECT_FALSE(s.captureActive);
}

TEST_F(SetupCommandsTest, DefaultSettingsAsksAndResetsTheKeyMapOnlyOnOk) {
    Open();
    EditSomething();
    d.grid.scrollPos = 1;
    s.timing.typematicDelay = 900;
    box.answer = kIdCancel;
    EXPECT_FALSE(ResetSetupToDefaults(s, d, kDialog, view));
    EXPECT_EQ(KeyCount(s), 11);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, "Reset to default settings?");
    EXPECT_EQ(box.shown[0].buttons, kMbOkCancel);

    box.answer = kIdOk;
    EXPECT_TRUE(ResetSetupToDefaults(s, d, kDialog, view));
    EXPECT_EQ(KeyCount(s), 10);
    EXPECT_EQ(ChordMask(ReadEntry(s.keyMap.entries[6])), 0u);
    EXPECT_EQ(s.enabledMask, ~InputWord{0});
    EXPECT_EQ(s.typematicOn, 1);
    EXPECT_EQ(d.grid.scrollPos, 0);
    EXPECT_EQ(s.timing.typematicDelay, 900) << "timing has its own Default";
}

TEST_F(SetupCommandsTest, AJoystickChoiceWithoutSelectionKeepsTheJoystickInUse) {
    s.joystickId = 0;
    EXPECT_FALSE(ChooseJoystick(s, kNoListSelection, kDialog));
    EXPECT_EQ(s.joystickId, 0u);

    TheFakeJoystick().caps.numButtons = 32;
    EXPECT_TRUE(ChooseJoystick(s, 3, kDialog));
    EXPECT_EQ(s.joystickId, 3u);
    EXPECT_EQ(TheFakeJoystick().lastCapsId, 3u) << "the new joystick is calibrated";
    EXPECT_EQ(s.calibration.numButtons, 32);
}

// The messages in the order a user causes them: the setup dialog opens and asks a question, the
// user switches to a game and comes back, the timing dialog closes back to the setup dialog, the
// user clicks another program.
TEST(DialogActivation, EventsStayPausedWhileAWindowOfTheDialogsIsActiveAndFlowInOtherPrograms) {
    const struct {
        const char* when;
        ActivationChange change; // programWide, activated, otherIsOurDialog
        bool paused;
    } rows[] = {{"the dialog is activated", {false, true, false}, true},
                {"it hands the foreground to its question", {false, false, true}, true},
                {"the user switches to a game, the question open", {true, false, false}, false},
                {"the user comes back to the question", {true, true, false}, true},
                {"the timing dialog closes back to the setup dialog", {false, false, true}, true},
                {"the user clicks another program's window", {false, false, false}, false}};
    for (const auto& row : rows)
        EXPECT_EQ(DialogActiveAfter(row.change), row.paused) << row.when;
}

} // namespace
