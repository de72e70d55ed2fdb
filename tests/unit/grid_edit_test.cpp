#include "ui/grid_edit.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "core/key_map.h"
#include "platform/input.h"
#include "ui/grid_layout.h"

namespace {

struct GridEditTest : ::testing::Test {
    std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
    ProgramState& s = *state;
    SetupDialogState d;
    void SetUp() override {
        ResetKeyMapDefaults(s, ScanCodeOfKey);
        d.grid.pageRows = 30;
    }
    KeyMapEntry Entry(int i) { return ReadEntry(s.keyMap.entries[i]); }
};

TEST(GridIds, ControlIdsDecodeToRowAndColumnWithinTheirBlocks) {
    GridCell cell{};
    ASSERT_TRUE(DecodeRowCheckBoxId(RowCheckBoxId(3, 47), cell));
    EXPECT_TRUE(cell.row == 3 && cell.column == 47);
    EXPECT_FALSE(DecodeRowCheckBoxId(164 + 48, cell)) << "identifiers 48..63 of a block";
    EXPECT_FALSE(DecodeRowCheckBoxId(8356, cell));
    int index = -1;
    EXPECT_TRUE(DecodeKeyButtonId(13327, index) && index == 127);
    EXPECT_FALSE(DecodeKeyButtonId(13328, index));
    EXPECT_TRUE(DecodeHeaderId(163, index) && index == 63);
    EXPECT_FALSE(DecodeHeaderId(164, index));
}

TEST_F(GridEditTest, ChordEditWritesTheRowsEntryFromItsCheckStates) {
    s.keyMap.keyCount = 40;
    d.grid.scrollPos = 5;
    KeyMapEntry e = Entry(7);
    e.vk = 65;
    e.reserved = 0x5A;
    WriteEntry(s.keyMap.entries[7], e);

    bool checked[IDC_ROW_BLOCK] = {};
    checked[0] = checked[1] = checked[16] = checked[63] = true;
    const InputWord mask = ChordMaskFromChecks(checked);
    EXPECT_EQ(mask, 0x10003u) << "bits 48..63 stay zero";
    ASSERT_TRUE(ApplyChordEdit(s, d.grid, 2, mask));

    e = Entry(7);
    EXPECT_EQ(ChordMask(e), 0x10003u);
    EXPECT_EQ(e.bitCount, 3);
    EXPECT_EQ(e.vk, 65);
    EXPECT_EQ(e.reserved, 0x5A);
    EXPECT_EQ(s.zoneMode, 1) << "both X directions";
    EXPECT_FALSE(ApplyChordEdit(s, d.grid, 30, mask)) << "beyond the visible rows";
}

TEST_F(GridEditTest, MinusAndPlusStayWithinLimitsKeepThePageFullAndBringTheEntryBack) {
    s.keyMap.keyCount = 1;
    EXPECT_FALSE(RemoveRow(s, d.grid));
    EXPECT_EQ(s.keyMap.keyCount, 1);
    s.keyMap.keyCount = 128;
    EXPECT_FALSE(AddRow(s));
    EXPECT_EQ(s.keyMap.keyCount, 128);

    s.keyMap.keyCount = 6;
    const KeyMapEntry before = Entry(5);
    RemoveRow(s, d.grid);
    AddRow(s);
    EXPECT_EQ(s.keyMap.keyCount, 6);
    EXPECT_EQ(std::memcmp(&before, &s.keyMap.entries[5], sizeof before), 0);

    s.keyMap.keyCount = 50; // last page shown: "-" keeps it full
    d.grid.scrollPos = 20;
    RemoveRow(s, d.grid);
    EXPECT_EQ(d.grid.scrollPos, 19);
}

TEST(KeyNames, MouseButtonsHaveFixedNamesOnlySpaceTakesTheFocusAndListLabelsAreTwoWide) {
    const char* fixed[8] = {nullptr,         "Left Button", "Right Button", nullptr,
                            "Middle Button", "X Button",    "X Button",     "X Button"};
    for (uint8_t vk = 1; vk < 8; ++vk)
        EXPECT_STREQ(KeyNameText(vk, "Name"), fixed[vk] ? fixed[vk] : "Name") << int{vk};
    EXPECT_STREQ(KeyNameText(65, ""), "") << "a key without a name leaves the button empty";
    EXPECT_TRUE(KeyNameTakesFocus(32));
    EXPECT_FALSE(KeyNameTakesFocus(13));
    EXPECT_EQ(KeyNameLParam(0x1E), 0x1E0000u);
    EXPECT_EQ(KeyNameLParam(0xC8), 0x01480000u) << "extended flag to bit 24";
    char label[kJoystickLabelSize];
    JoystickLabel(9, label);
    EXPECT_STREQ(label, " 9");
    JoystickLabel(10, label);
    EXPECT_STREQ(label, "10");
}

} // namespace
