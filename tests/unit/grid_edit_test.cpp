#include "ui/grid_edit.h"

#include <gtest/gtest.h>

#include <memory>

#include "app/key_map.h"
#include "ui/grid_layout.h"

namespace {

struct GridEditTest : ::testing::Test {
    std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
    ProgramState& s = *state;
    void SetUp() override {
        ResetKeyMapDefaults(s);
        s.grid.pageRows = 30;
    }
    KeyMapEntry Entry(int i) { return ReadEntry(s.keyMap.entries[i]); }
    void SetEntry(int i, InputWord mask, uint8_t vk, uint8_t reserved = 0) {
        KeyMapEntry e = Entry(i);
        SetChordMask(e, mask);
        e.vk = vk;
        e.scan = static_cast<uint8_t>(vk + 1);
        e.bitCount = static_cast<uint8_t>(CountInputBits(mask));
        e.reserved = reserved;
        WriteEntry(s.keyMap.entries[i], e);
    }
};

TEST(GridIds, HeaderRowAndKeyButtonIdsDecodeToTheirColumnAndRow) {
    int column = -1;
    EXPECT_TRUE(DecodeHeaderId(100, column));
    EXPECT_EQ(column, 0);
    EXPECT_TRUE(DecodeHeaderId(147, column));
    EXPECT_EQ(column, 47);
    EXPECT_TRUE(DecodeHeaderId(163, column)) << "the whole header block";
    EXPECT_EQ(column, 63);
    EXPECT_FALSE(DecodeHeaderId(99, column));
    EXPECT_FALSE(DecodeHeaderId(164, column));

    GridCell cell{-1, -1};
    EXPECT_TRUE(DecodeRowCheckBoxId(164, cell));
    EXPECT_EQ(cell.row, 0);
    EXPECT_EQ(cell.column, 0);
    EXPECT_TRUE(DecodeRowCheckBoxId(RowCheckBoxId(3, 47), cell));
    EXPECT_EQ(cell.row, 3);
    EXPECT_EQ(cell.column, 47);
    EXPECT_TRUE(DecodeRowCheckBoxId(RowCheckBoxId(127, 16), cell));
    EXPECT_EQ(cell.row, 127);
    EXPECT_EQ(cell.column, 16);
    EXPECT_FALSE(DecodeRowCheckBoxId(164 + 48, cell)) << "identifiers 48..63 of a block";
    EXPECT_FALSE(DecodeRowCheckBoxId(8355, cell));
    EXPECT_FALSE(DecodeRowCheckBoxId(8356, cell));
    EXPECT_FALSE(DecodeRowCheckBoxId(163, cell));

    int row = -1;
    EXPECT_TRUE(DecodeKeyButtonId(13200, row));
    EXPECT_EQ(row, 0);
    EXPECT_TRUE(DecodeKeyButtonId(13327, row));
    EXPECT_EQ(row, 127);
    EXPECT_FALSE(DecodeKeyButtonId(13328, row));
    EXPECT_FALSE(DecodeKeyButtonId(13199, row));
}

TEST(GridIds, ChordMaskTakesBitJFromIdentifierBlockPlusJ) {
    bool checked[IDC_ROW_BLOCK] = {};
    EXPECT_EQ(ChordMaskFromChecks(checked), 0u);
    checked[0] = checked[3] = checked[16] = checked[47] = true;
    EXPECT_EQ(ChordMaskFromChecks(checked),
              InputWord{1} | (InputWord{1} << 3) | (InputWord{1} << 16) | (InputWord{1} << 47));
    checked[50] = checked[63] = true;
    EXPECT_EQ(ChordMaskFromChecks(checked) >> 48, 0u) << "bits 48..63 stay zero";
}

TEST_F(GridEditTest, ChordEditWritesTheEntryOfTheRowWithItsBitCountAndZoneMode) {
    s.keyMap.keyCount = 40;
    s.grid.scrollPos = 5;
    SetEntry(7, 0, 65, 0x5A);

    ASSERT_TRUE(ApplyChordEdit(s, 2, 0x3 | 0x10000));

    const KeyMapEntry e = Entry(7);
    EXPECT_EQ(ChordMask(e), 0x10003u);
    EXPECT_EQ(e.bitCount, 3);
    EXPECT_EQ(e.vk, 65) << "the key stays";
    EXPECT_EQ(e.scan, 66);
    EXPECT_EQ(e.reserved, 0x5A);
    EXPECT_EQ(s.zoneMode, 1) << "both X directions in one entry";
    EXPECT_EQ(s.maxChordSize, 1) << "not recomputed by a check-box edit";

    ASSERT_TRUE(ApplyChordEdit(s, 2, 0x1));
    EXPECT_EQ(s.zoneMode, 0);
    EXPECT_EQ(Entry(7).bitCount, 1);
}

TEST_F(GridEditTest, ChordEditOutsideTheVisibleRowsChangesNothing) {
    s.keyMap.keyCount = 4;
    EXPECT_FALSE(ApplyChordEdit(s, 4, 0x30000));
    EXPECT_FALSE(ApplyChordEdit(s, -1, 0x30000));
    EXPECT_EQ(ChordMask(Entry(4)), 0x10000u);
}

TEST_F(GridEditTest, HeaderClickTogglesTheInputAndASecondClickRestoresIt) {
    EXPECT_FALSE(ToggleInputEnabled(s, 16));
    EXPECT_EQ(s.enabledMask, ~(InputWord{1} << 16));
    EXPECT_STREQ(HeaderText(s.enabledMask, 16), "X");
    EXPECT_TRUE(ToggleInputEnabled(s, 16));
    EXPECT_EQ(s.enabledMask, ~InputWord{0});
    EXPECT_STREQ(HeaderText(s.enabledMask, 16), "");
}

TEST_F(GridEditTest, MinusAndPlusStayWithinOneTo128) {
    s.keyMap.keyCount = 1;
    EXPECT_FALSE(RemoveRow(s));
    EXPECT_EQ(s.keyMap.keyCount, 1);
    s.keyMap.keyCount = 128;
    EXPECT_FALSE(AddRow(s));
    EXPECT_EQ(s.keyMap.keyCount, 128);
    EXPECT_TRUE(RemoveRow(s));
    EXPECT_EQ(s.keyMap.keyCount, 127);
}

TEST_F(GridEditTest, MinusThenPlusBringsTheRemovedEntryBackUnchanged) {
    SetEntry(9, 0xC0000, 90, 0x11);
    const KeyMapEntry before = Entry(9);
    ASSERT_TRUE(RemoveRow(s));
    EXPECT_EQ(s.keyMap.keyCount, 9);
    ASSERT_TRUE(AddRow(s));
    EXPECT_EQ(s.keyMap.keyCount, 10);
    const KeyMapEntry after = Entry(9);
    EXPECT_EQ(ChordMask(after), ChordMask(before));
    EXPECT_EQ(after.vk, before.vk);
    EXPECT_EQ(after.scan, before.scan);
    EXPECT_EQ(after.bitCount, before.bitCount);
    EXPECT_EQ(after.reserved, before.reserved);
}

TEST_F(GridEditTest, MinusOnTheLastPageKeepsThePageFullThenReturnsToTop) {
    s.keyMap.keyCount = 50;
    s.grid.scrollPos = 20;
    RemoveRow(s);
    EXPECT_EQ(s.grid.scrollPos, 19);
    s.keyMap.keyCount = 31;
    s.grid.scrollPos = 1;
    RemoveRow(s);
    EXPECT_EQ(s.grid.scrollPos, 0) << "keyCount no longer above pageRows";
    s.grid.scrollPos = 0;
    AddRow(s);
    EXPECT_EQ(s.grid.scrollPos, 0) << "\"+\" leaves the position alone";
}

TEST_F(GridEditTest, RemovingTheRowThatHeldAZoneEntryRecomputesZoneMode) {
    SetEntry(9, 0xC, 65); // both Y directions
    RecomputeZoneMode(s);
    ASSERT_EQ(s.zoneMode, 1);
    RemoveRow(s);
    EXPECT_EQ(s.zoneMode, 0);
    AddRow(s);
    EXPECT_EQ(s.zoneMode, 1);
}

TEST(JoystickList, LabelsAreTwoCharactersWithALeadingSpaceBelowTen) {
    char label[kJoystickLabelSize];
    JoystickLabel(1, label);
    EXPECT_STREQ(label, " 1");
    JoystickLabel(9, label);
    EXPECT_STREQ(label, " 9");
    JoystickLabel(10, label);
    EXPECT_STREQ(label, "10");
    JoystickLabel(16, label);
    EXPECT_STREQ(label, "16");
}

TEST(KeyNames, MouseButtonsHaveFixedNamesAndOtherCodesThePlatformName) {
    EXPECT_STREQ(KeyNameText(1, "Esc"), "Left Button");
    EXPECT_STREQ(KeyNameText(2, "Esc"), "Right Button");
    EXPECT_STREQ(KeyNameText(4, "Esc"), "Middle Button");
    EXPECT_STREQ(KeyNameText(5, "Esc"), "X Button");
    EXPECT_STREQ(KeyNameText(6, "Esc"), "X Button");
    EXPECT_STREQ(KeyNameText(7, "Esc"), "X Button");
    EXPECT_STREQ(KeyNameText(3, "Break"), "Break");
    EXPECT_STREQ(KeyNameText(65, "A"), "A");
    EXPECT_STREQ(KeyNameText(32, "Space"), "Space");
    EXPECT_STREQ(KeyNameText(0, ""), "") << "a key without a name leaves the button empty";
    EXPECT_STREQ(KeyNameText(65, nullptr), "");
}

TEST(KeyNames, OnlySpaceTakesTheFocusFirst) {
    for (int vk = 0; vk < 256; ++vk)
        EXPECT_EQ(KeyNameTakesFocus(static_cast<uint8_t>(vk)), vk == 32) << vk;
}

TEST(KeyNames, ScanByteBecomesScanCodeInBits16To22AndExtendedBit24) {
    EXPECT_EQ(KeyNameLParam(0x1E), 0x1E0000u);
    EXPECT_EQ(KeyNameLParam(0xC8), 0x01480000u) << "extended up arrow";
    EXPECT_EQ(KeyNameLParam(0x80), 0x01000000u);
    EXPECT_EQ(KeyNameLParam(0x7F), 0x7F0000u);
    EXPECT_EQ(KeyNameLParam(0), 0u);
}

} // namespace
