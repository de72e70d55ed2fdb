#include "ui/setup_commands.h"

#include <cstring>
#include <tuple>

#include "store/portable_mode.h"
#include "store/registry_layout.h"
#include "store/slot_store.h"
#include "tests/unit/fixture.h"
#include "ui/dialog_activation.h"
#include "ui/grid_edit.h"
#include "ui/grid_layout.h"
#include "ui/save_warning.h"
#include "ui/timing_rules.h"

namespace {
constexpr InputWord kButton1 = 0x10000;

struct SetupCommandsTest : FakeSystemTest {
    WindowHandle const dialog = &d;
    SetupDialogState d;
    NullCaptureView view;
    KeyMessageMemory keys;
    SetupSnapshot opened{};

    SetupCommandsTest() {
        LoadSlot(s);
        d.grid.pageRows = 30;
    }
    // Opens the dialog as the tray does, and edits what it can.
    void OpenAndEdit() {
        opened = TakeSetupSnapshot(s);
        OpenSetup(s, d, dialog);
        s.dialogActive = true;
        ApplyChordEdit(s, d.grid, 6, kButton1);
        AddRow(s);
        ToggleInputEnabled(s, 0);
        SetTypematic(s, false);
        std::strcpy(s.configName, "Edited");
    }
    bool Close(bool saved) { return CloseSetup(s, d, dialog, view, opened, saved); }
    bool Edited() {
        const bool edits[] = {ChordMask(ReadEntry(s.keyMap.entries[6])) == kButton1,
                              KeyCount(s) == 11, s.enabledMask == ~InputWord{1},
                              s.typematicOn == 0, std::strcmp(s.configName, "Edited") == 0};
        for (bool edit : edits)
            EXPECT_EQ(edit, edits[0]) << "all edits or none";
        return edits[0];
    }
    std::string Question() const { return fake.messages.empty() ? "" : fake.messages[0].text; }
};

// Only a save that stores nowhere says so, and the dialog stays open with the edits.
TEST_F(SetupCommandsTest, Ok_StoresWhereItMayOnlyStoringNowhereSaysSoAndPortableModeExportsAfter) {
    fake.registry.localMachineReadOnly = true;
    OpenAndEdit();
    AddRow(s);
    ApplyChordEdit(s, d.grid, 11, kButton1);
    RemoveRow(s, d.grid);
    EXPECT_TRUE(SaveSetup(s, dialog));
    ASSERT_TRUE(Close(true));
    EXPECT_TRUE(Edited() && fake.messages.empty()) << "the reload reads what OK stored";
    EXPECT_EQ(ChordMask(ReadEntry(s.keyMap.entries[11])), kButton1) << "row lowered by \"-\"";
    fake.registry.currentUserReadOnly = true;
    std::strcpy(s.configName, "Unsaved");
    EXPECT_FALSE(SaveSetup(s, dialog));
    EXPECT_EQ(Question() + s.configName, kNotSavedText + std::string("Unsaved"));
    fake.registry.currentUserReadOnly = false; // portable mode: the file is exported after a save
    OpenAndEdit();
    SaveSetup(s, dialog);
    EXPECT_TRUE(fake.process.commands.empty()) << "no file to write while portable mode is off";
    SetPortableMode(s, true, dialog);
    ASSERT_TRUE(Close(false));
    EXPECT_TRUE(s.portableOn) << "Cancel does not undo the mode";
    OpenAndEdit();
    fake.process.commands.clear();
    SaveSetup(s, dialog);
    ASSERT_EQ(fake.process.commands.size(), 1u);
    EXPECT_NE(fake.process.commands[0].find("|reg export "), std::string::npos);
    EXPECT_FALSE(fake.registry.Get(RegistryHive::CurrentUser, kBaseKeyPath, "keymap").empty());
    const std::string& exported = fake.process.contents["padwrt.cfg"]; // the writes before it
    EXPECT_EQ(exported.substr(exported.rfind('\n') + 1), std::to_string(fake.registry.writes.size()));
}

// Every entry is reset, high mask bits too; reserved bytes and timing (own Default) are kept.
TEST_F(SetupCommandsTest, DefaultsResetOnlyOnOkAJoystickOnlyOnASelectionClosingAsksWhileHeld) {
    OpenAndEdit();
    KeyMapEntry e = {0x30000, 1u << 8, 'A', 0x1E, 3, 0x5A};
    WriteEntry(s.keyMap.entries[127], e);
    d.grid.scrollPos = 1;
    s.timing.typematicDelay = 900;
    BeginKeyCapture(s, d, keys, KeyButtonId(3));
    for (int answer : {kIdCancel, kIdOk}) {
        fake.answer = answer;
        EXPECT_EQ(ResetSetupToDefaults(s, d, dialog, view), answer == kIdOk);
        EXPECT_FALSE(s.captureActive) << "ended before the question";
        EXPECT_EQ(KeyCount(s), answer == kIdCancel ? 11 : 10);
        EXPECT_EQ(d.grid.scrollPos, answer == kIdCancel ? 1 : 0);
    }
    EXPECT_EQ(ChordMask(ReadEntry(s.keyMap.entries[6])), 0u);
    EXPECT_EQ(s.enabledMask + s.typematicOn, ~InputWord{0} + 1) << "all enabled, typematic on";
    EXPECT_EQ(Question(), kSetupResetQuestion);
    EXPECT_EQ(fake.messages[0].buttons, kMbOkCancel);
    e = ReadEntry(s.keyMap.entries[127]);
    EXPECT_EQ(ChordMask(e) | e.vk | e.bitCount, 0u);
    EXPECT_EQ(e.reserved + s.timing.typematicDelay, 0x5A + 900) << "reserved bytes, timing kept";
    // a joystick choice without a selection keeps the joystick in use
    fake.joystick.caps.numButtons = 32;
    EXPECT_FALSE(ChooseJoystick(s, kNoListSelection, dialog));
    EXPECT_EQ(s.joystickId, 0u);
    EXPECT_TRUE(ChooseJoystick(s, 3, dialog));
    EXPECT_EQ(s.joystickId + fake.joystick.lastCapsId, 6u) << "the new joystick is calibrated";
    EXPECT_EQ(s.calibration.numButtons, 32);
    // closing asks while an enabled input is held, and Cancel discards the edits
    // held, disabled, capturing, answer -> closed
    const std::tuple<InputWord, InputWord, bool, int, bool> rows[] = {
        {0, 0, false, kIdOk, true},        {kButton1, 0, false, kIdCancel, false},
        {kButton1, 0, false, kIdOk, true}, {kButton1, kButton1, false, kIdCancel, true},
        {kButton1, 0, true, kIdCancel, false}};
    for (const auto& [held, disabled, capturing, answer, closed] : rows) {
        ResetFakeSystem();
        ResetKeyMapDefaults(s, ScanCodeOfKey);
        LoadSlot(s);
        OpenAndEdit();
        s.enabledMask = s.enabledMask & ~disabled;
        if (capturing)
            BeginKeyCapture(s, d, keys, KeyButtonId(3));
        s.engine.currentInput = held;
        fake.answer = answer;
        view.names = 0;
        EXPECT_EQ(Close(false), closed) << held << " " << answer;
        EXPECT_FALSE(s.captureActive);
        EXPECT_EQ(view.names, capturing ? 1 : 0) << "the key button names its key again";
        EXPECT_EQ(Question(), held & ~disabled ? kSetupNotReleasedQuestion : "");
        EXPECT_EQ(Edited(), !closed);
        EXPECT_EQ(std::pair(s.setupDialog == dialog, bool(s.dialogActive)),
                  std::pair(!closed, !closed));
        EXPECT_TRUE(fake.registry.writes.empty()) << "Cancel stores nothing";
    }
    EXPECT_EQ(std::pair(fake.messages[0].buttons, fake.messages[0].owner),
              std::pair(kMbOkCancel, dialog));
}

// Digit groups are read; small or unreadable values become 3 (a delay may be 0); spins stop at 3.
TEST(SetupRules, TimingTextToValidValueAndEventsPausedWhileAWindowOfTheDialogsIsActive) {
    const std::tuple<const char*, int32_t, int32_t> readable[] = { // text, interval, delay
        {"1000", 1000, 1000},  {" 250 ", 250, 250},   {"1,000", 1000, 1000}, {"1.000", 1000, 1000},
        {"1 000", 1000, 1000}, {"0", 3, 0},           {"2", 3, 2},           {"3", 3, 3},
        {"2147483648", 3, 3},  {"4,294,967,295", 3, 3}};
    uint32_t number = 0;
    for (const auto& [text, interval, delay] : readable) {
        EXPECT_TRUE(ReadTimingText(text, number)) << text;
        EXPECT_EQ(std::pair(ValidInterval(true, number), ValidTypematicDelay(true, number)),
                  std::pair(interval, delay)) << text;
    }
    for (const char* text : {"4294967296", "", "12a", "-5", "1,00", "1000,000", "1,00,000", ",100",
                             "1,,000", "1,000,"}) {
        EXPECT_FALSE(ReadTimingText(text, number)) << text;
        EXPECT_EQ(ValidInterval(false, number) + ValidTypematicDelay(false, number), 6) << text;
    }
    EXPECT_EQ(std::vector<bool>({AcceptSpin(4, -1), AcceptSpin(3, -1), AcceptSpin(12, -10),
                                 AcceptSpin(0, 1)}), // a delay typed as 0 can be spun up
              std::vector<bool>({true, false, false, true}));
    // events pause while a window of the dialogs is active, and flow in other programs
    const std::pair<ActivationChange, bool> rows[] = { // programWide, activated, otherIsOurDialog
        {{false, true, false}, true}, {{false, false, true}, true}, {{true, false, false}, false},
        {{true, true, false}, true},  {{false, false, false}, false}};
    for (const auto& [change, paused] : rows)
        EXPECT_EQ(DialogActiveAfter(change), paused) << &change - &rows[0].first;
}
} // namespace
