#include <cstring>
#include <tuple>

#include "tests/unit/fixture.h"
#include "ui/grid_drag.h"
#include "ui/grid_edit.h"
#include "ui/grid_layout.h"
#include "ui/grid_scroll.h"

namespace {
constexpr int32_t kTop = 100; // keyButtonTop
constexpr int32_t kPitch = 25;

struct GridMotionTest : FakeSystemTest {
    SetupDialogState d;
    GridMotionTest() {
        d.grid.pageRows = 36;
        d.grid.keyButtonTop = kTop;
        d.grid.rowPitch = kPitch;
        for (int i = 0; i < kMaxKeys; ++i) // entry i: vk i, reserved 255 - i
            WriteEntry(s.keyMap.entries[i], {1u << (i % 32), 0, static_cast<uint8_t>(i), 0, 1,
                                             static_cast<uint8_t>(255 - i)});
    }
    KeyMapEntry Entry(int i) { return ReadEntry(s.keyMap.entries[i]); }
    std::vector<int> Order(int n) {
        std::vector<int> order;
        for (int i = 0; i < n; ++i)
            order.push_back(Entry(i).vk);
        return order;
    }
};

TEST_F(GridMotionTest, ChordEditWritesTheRowsEntryMinusAndPlusKeepLimitsAndKeyNamesShow) {
    s.keyMap.keyCount = 40;
    d.grid.pageRows = 30;
    d.grid.scrollPos = 5;
    bool checked[IDC_ROW_BLOCK] = {};
    checked[0] = checked[1] = checked[16] = checked[63] = true;
    const InputWord mask = ChordMaskFromChecks(checked);
    EXPECT_EQ(mask, 0x10003u) << "bits 48..63 stay zero";
    ASSERT_TRUE(ApplyChordEdit(s, d.grid, 2, mask));
    const KeyMapEntry e = Entry(7);
    EXPECT_EQ(ChordMask(e), 0x10003u);
    EXPECT_EQ(e.vk << 8 | e.reserved, 7 << 8 | 248) << "key and reserved byte kept";
    EXPECT_EQ(s.zoneMode, 1) << "both X directions";
    EXPECT_FALSE(ApplyChordEdit(s, d.grid, 30, mask)) << "beyond the visible rows";
    // "-" and "+" stay within limits, keep the page full and bring the entry back
    s.keyMap.keyCount = 1;
    EXPECT_FALSE(RemoveRow(s, d.grid));
    s.keyMap.keyCount = 128;
    EXPECT_FALSE(AddRow(s) || s.keyMap.keyCount != 128);
    s.keyMap.keyCount = 6;
    const KeyMapEntry before = Entry(5);
    RemoveRow(s, d.grid);
    AddRow(s);
    EXPECT_EQ(s.keyMap.keyCount, 6);
    EXPECT_EQ(std::memcmp(&before, &s.keyMap.entries[5], sizeof before), 0);
    s.keyMap.keyCount = 50; // last page shown: "-" keeps it full
    d.grid.pageRows = 30;
    d.grid.scrollPos = 20;
    RemoveRow(s, d.grid);
    EXPECT_EQ(d.grid.scrollPos, 19);
    // mouse buttons have fixed names, only Space takes the focus, list labels are two wide
    for (uint8_t vk = 1; vk < 8; ++vk) // the mouse buttons, but not Cancel (3)
        EXPECT_EQ(std::string(KeyNameText(vk, "Name")) == "Name", vk == 3) << int{vk};
    EXPECT_STREQ(KeyNameText(65, ""), "") << "a key without a name leaves the button empty";
    EXPECT_TRUE(KeyNameTakesFocus(32) && !KeyNameTakesFocus(13));
    EXPECT_EQ(std::pair(KeyNameLParam(0x1E), KeyNameLParam(0xC8)), std::pair(0x1E0000u, 0x1480000u))
        << "extended flag to bit 24";
    char label[kJoystickLabelSize];
    JoystickLabel(9, label);
    EXPECT_STREQ(label, " 9");
}

// 50 entries, 30 rows on the page: positions 0 to 20.
TEST(GridScroll, RequestsMoveWithinTheLastPageAndDropLinesScrollOneLineBeyondTheRows) {
    const std::tuple<int32_t, int32_t, int32_t, int32_t> rows[] = { // request, thumb, from, to
        {kSbLineUp, 0, 0, 0},  {kSbLineUp, 0, 7, 6},    {kSbLineDown, 0, 7, 8},
        {kSbLineDown, 0, 20, 20}, {kSbPageUp, 0, 15, 0}, {kSbPageDown, 0, 15, 20},
        {kSbTop, 0, 15, 0},    {kSbBottom, 0, 3, 20},
        {kSbThumbTrack, 400, 0, 20}, {kSbThumbPosition, 7, 0, 7},
        {8, 3, 11, 11}}; // unknown requests keep the position
    for (const auto& [request, thumb, from, to] : rows) {
        EXPECT_EQ(ScrollTarget(request, thumb, from, 50, 30), to) << request;
        EXPECT_EQ(ScrollTarget(request, thumb, 0, 30, 30), 0) << "all 30 fit";
    }
    // drop lines: truncated bands around the rows, one line of scroll beyond them
    constexpr TrackScroll kNone = TrackScroll::None;
    const std::tuple<uint32_t, int32_t, TrackScroll> lines[] = { // pointer y, drop row, scroll
        {150, 2, kNone}, {99, 0, kNone},  {76, 0, kNone},  {75, -1, kNone}, {51, -1, kNone},
        {50, -1, TrackScroll::LineUp},    {349, 9, kNone}, {350, 9, TrackScroll::LineDown}};
    for (const auto& [y, dropRow, scroll] : lines) {
        const DropLine line = DropLineAt(y, kTop, kPitch, 10);
        EXPECT_EQ(std::make_pair(line.dropRow, line.scroll), std::make_pair(dropRow, scroll)) << y;
    }
}

TEST_F(GridMotionTest, DragTracksThePointerAndTheReleaseMovesWholeRecordsToLinesAwayFromIt) {
    d.grid.dropRow = 8; // left by an earlier drag
    ASSERT_TRUE(BeginPress(s, d.grid, 140)); // row 2
    SetDragDetected(d.grid, true);
    EXPECT_FALSE(ReleaseDrag(s, d.grid).moved) << "released before any tracked move";
    const TrackResult t = TrackPointer(s, d.grid, 200, true);
    EXPECT_EQ(std::tuple(d.grid.dropRow, t.markerY, t.dragEnded),
              std::tuple(4, 4 * kPitch + kTop - kPitch / 8, false));
    EXPECT_TRUE(ReleaseDrag(s, d.grid).moved);
    EXPECT_EQ(Order(6), (std::vector<int>{0, 1, 3, 4, 2, 5}));
    const TrackResult end = TrackPointer(s, d.grid, 200, false);
    EXPECT_TRUE(end.dragEnded);
    EXPECT_EQ(end.sourceRow, 2);
    EXPECT_FALSE(TrackPointer(s, d.grid, 200, false).dragging);
    // a press asks for a drag only in a visible row while no drag runs
    EXPECT_EQ(PressedRow(100, kTop, kPitch) + PressedRow(101, kTop, kPitch), 1u)
        << "bands end at their bottom edge";
    EXPECT_FALSE(BeginPress(s, d.grid, 75)) << "above row 0's band is no row";
    EXPECT_TRUE(BeginPress(s, d.grid, 325)) << "row 9";
    EXPECT_FALSE(BeginPress(s, d.grid, 326)) << "row 10 is not visible";
    d.grid.dragActive = 1;
    EXPECT_FALSE(BeginPress(s, d.grid, 150));
    EXPECT_EQ(d.grid.dragSourceRow, 10);
    // a line next to the source or outside the grid, or a source no longer in it, moves nothing
    const std::tuple<int32_t, int32_t, int32_t, std::vector<int>> rows[] = { // count, from, to
        {10, 2, 5, {0, 1, 3, 4, 5, 2, 6}},  {10, 5, 1, {0, 1, 5, 2, 3, 4, 6}},
        {10, 3, -1, {3, 0, 1, 2, 4, 5, 6}}, {10, 4, 4, {0, 1, 2, 3, 4, 5, 6}},
        {10, 4, 3, {0, 1, 2, 3, 4, 5, 6}},  {10, 2, 12, {0, 1, 2, 3, 4, 5, 6}},
        {10, 2, -2, {0, 1, 2, 3, 4, 5, 6}}, {5, 7, 1, {0, 1, 2, 3, 4, 5, 6}}};
    for (const auto& [keyCount, source, drop, order] : rows) {
        for (int i = 0; i < 7; ++i)
            WriteEntry(s.keyMap.entries[i], {0, 0, static_cast<uint8_t>(i), 0, 0, 0});
        s.keyMap.keyCount = keyCount;
        d.grid.dragActive = 1;
        d.grid.dragSourceRow = source;
        d.grid.dropRow = drop;
        const bool moved = order != std::vector<int>{0, 1, 2, 3, 4, 5, 6};
        EXPECT_EQ(ReleaseDrag(s, d.grid).moved, moved) << source << " to " << drop;
        EXPECT_EQ(Order(7), order) << source << " to " << drop;
    }
    MoveEntry(s, 127, 0);
    EXPECT_EQ(Entry(0).vk, 127);
    EXPECT_EQ(Entry(0).reserved, 128);
    EXPECT_EQ(Entry(0).maskLow, 1u << 31);
    EXPECT_EQ(Entry(1).vk, 0);
}

} // namespace
