#include "app/slot_menu.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/key_map.h"
#include "platform/input.h"
#include "tests/fakes/fake_joystick.h"
#include "tests/fakes/fake_message_box.h"
#include "tests/fakes/fake_registry.h"
#include "tests/fakes/fake_window.h"

namespace {

constexpr RegistryHive kMachine = RegistryHive::LocalMachine;
const std::string kBase = "SOFTWARE\\Orvanelk\\Padwright";

std::vector<uint8_t> Name(const std::string& text) {
    std::vector<uint8_t> bytes(32, 0);
    std::copy(text.begin(), text.end(), bytes.begin());
    return bytes;
}

struct SlotMenuTest : ::testing::Test {
    std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
    ProgramState& s = *state;
    FakeRegistry& reg = TheFakeRegistry();
    SlotMenu menu{};

    SlotMenuTest() {
        ResetFakeRegistry();
        ResetFakeJoystick();
        TheFakeMessageBox().shown.clear();
        ResetKeyMapDefaults(s, ScanCodeOfKey);
        ResetTimingDefaults(s);
    }
};

TEST_F(SlotMenuTest, NineSlotsWithFallbackOrStoredNamesAndTheCurrentOneChecked) {
    reg.Put(kMachine, kBase + "\\3", "configname", Name("Racing"), kRegSz);
    reg.Put(kMachine, kBase + "\\4", "numkeys", {1, 0, 0, 0}); // key without a name
    s.slotDigit = '3';

    BuildSlotMenu(s, menu);

    for (int i = 0; i < kMenuSlots; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(menu.slots[i].id, 4001u + i);
        EXPECT_EQ(menu.slots[i].checked, i == 2);
        EXPECT_FALSE(menu.slots[i].grayed);
    }
    EXPECT_STREQ(menu.slots[2].text, "Racing");
    const std::string fallback = std::string("Config 4") + std::string(25, ' ');
    EXPECT_EQ(std::string(menu.slots[3].text), fallback);
    EXPECT_EQ(fallback.size(), 33u);
    EXPECT_FALSE(menu.setupGrayed);
    EXPECT_EQ(s.slotDigit, '3') << "reading names changes no slot";
}

TEST_F(SlotMenuTest, StoredNameWithoutNulStaysWithinTheItemText) {
    reg.Put(kMachine, kBase, "configname", std::vector<uint8_t>(32, 'N'), kRegSz);
    BuildSlotMenu(s, menu);
    EXPECT_LE(std::string(menu.slots[0].text).size(), 33u);
    EXPECT_EQ(std::string(menu.slots[0].text).substr(0, 31), std::string(31, 'N'));
}

TEST_F(SlotMenuTest, SlotsAndSetupAreGrayedWhileTheSetupDialogIsOpen) {
    int dialog = 0;
    s.setupDialog = &dialog;
    BuildSlotMenu(s, menu);
    for (const SlotMenuItem& item : menu.slots)
        EXPECT_TRUE(item.grayed);
    EXPECT_TRUE(menu.setupGrayed);
}

TEST_F(SlotMenuTest, ChangeSlot_RetitlesLoadsRecalibratesAndRemembersTheSlot) {
    int window = 0;
    s.mainWindow = &window;
    reg.Put(kMachine, kBase + "\\5", "numkeys", {3, 0, 0, 0});
    reg.Put(kMachine, kBase + "\\5", "pollingspeed", {20, 0, 0, 0});
    TheFakeJoystick().caps.numButtons = 7;

    ChangeSlot(s, '5');

    EXPECT_EQ(s.slotDigit, '5');
    EXPECT_STREQ(s.windowTitle, "Padwright Config 5");
    EXPECT_EQ(TheFakeWindow().title, "Padwright Config 5");
    EXPECT_EQ(TheFakeWindow().lastWindow, &window);
    EXPECT_EQ(s.keyMap.keyCount, 3);
    EXPECT_EQ(s.timing.pollingInterval, 20);
    EXPECT_STREQ(s.configName, "Config 5");
    EXPECT_EQ(s.calibration.numButtons, 8) << "recalibrated";
    ASSERT_FALSE(reg.writes.empty());
    const FakeRegistryWrite& last = reg.writes.back();
    EXPECT_EQ(last.path, kBase);
    EXPECT_EQ(last.name, "config");
    EXPECT_EQ(last.type, kRegBinary);
    EXPECT_EQ(last.bytes, std::vector<uint8_t>{'5'});
    EXPECT_EQ(reg.writes.size(), 1u) << "a slot change stores nothing but the slot digit";
}

TEST_F(SlotMenuTest, ChangeSlot_ToANeverSavedSlotKeepsTheLoadedSettings) {
    ResetKeyMapDefaults(s, ScanCodeOfKey);
    s.keyMap.keyCount = 4;
    s.timing.typematicDelay = 250;
    ChangeSlot(s, '8');
    EXPECT_EQ(s.keyMap.keyCount, 4);
    EXPECT_EQ(s.timing.typematicDelay, 250);
    EXPECT_STREQ(s.configName, "Config 8");
}

} // namespace
