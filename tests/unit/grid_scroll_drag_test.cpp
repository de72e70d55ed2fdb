#include "ui/grid_drag.h"
#include "ui/grid_scroll.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "app/key_map.h"

namespace {

constexpr int32_t kTop = 100; // keyButtonTop
constexpr int32_t kPitch = 25;

struct GridMotionTest : ::testing::Test {
    std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
    ProgramState& s = *state;
    void SetUp() override {
        s.keyMap.keyCount = 10;
        s.grid.pageRows = 36;
        s.grid.keyButtonTop = kTop;
        s.grid.rowPitch = kPitch;
        s.grid.frameDx = 3;
        // Entry i is recognisable by its key, scan and reserved byte.
        for (int i = 0; i < kMaxKeys; ++i) {
            KeyMapEntry e{};
            SetChordMask(e, InputWord{1} << (i % 48));
            e.vk = static_cast<uint8_t>(i);
            e.scan = static_cast<uint8_t>(0x80 | i);
            e.bitCount = 1;
            e.reserved = static_cast<uint8_t>(0xFF - i);
            WriteEntry(s.keyMap.entries[i], e);
        }
    }
    int Vk(int i) { return ReadEntry(s.keyMap.entries[i]).vk; }
    // Which original entries stand at indexes 0..n-1.
    std::vector<int> Order(int n) {
        std::vector<int> order;
        for (int i = 0; i < n; ++i)
            order.push_back(Vk(i));
        return order;
    }
    void Dragging(int sourceRow, int dropRow) {
        s.grid.dragActive = 1;
        s.grid.dragSourceRow = sourceRow;
        s.grid.dropRow = dropRow;
    }
};

TEST(ScrollTarget, BottomPageAndLineRequestsEndInsideTheLastFullPage) {
    EXPECT_EQ(ScrollTarget(kSbBottom, 0, 0, 50, 30), 20);
    EXPECT_EQ(ScrollTarget(kSbPageDown, 0, 15, 50, 30), 20);
    EXPECT_EQ(ScrollTarget(kSbPageUp, 0, 15, 50, 30), 0);
    EXPECT_EQ(ScrollTarget(kSbLineDown, 0, 19, 50, 30), 20);
    EXPECT_EQ(ScrollTarget(kSbLineDown, 0, 20, 50, 30), 20);
    EXPECT_EQ(ScrollTarget(kSbLineUp, 0, 0, 50, 30), 0);
    EXPECT_EQ(ScrollTarget(kSbTop, 0, 17, 50, 30), 0);
}

TEST(ScrollTarget, ThumbRequestsTakeTheThumbAndUnknownCodesKeepThePosition) {
    EXPECT_EQ(ScrollTarget(kSbThumbTrack, 7, 0, 50, 30), 7);
    EXPECT_EQ(ScrollTarget(kSbThumbPosition, 12, 0, 50, 30), 12);
    EXPECT_EQ(ScrollTarget(kSbThumbTrack, 400, 0, 50, 30), 20);
    EXPECT_EQ(ScrollTarget(8, 3, 11, 50, 30), 11);
    EXPECT_EQ(ScrollTarget(42, 3, 11, 50, 30), 11);
}

TEST_F(GridMotionTest, ScrollRefreshesOnlyWhenThePositionChanges) {
    s.keyMap.keyCount = 50;
    s.grid.pageRows = 30;
    EXPECT_FALSE(ApplyScroll(s, kSbLineUp, 0));
    EXPECT_EQ(s.grid.scrollPos, 0);
    EXPECT_TRUE(ApplyScroll(s, kSbLineDown, 0));
    EXPECT_EQ(s.grid.scrollPos, 1);
    EXPECT_TRUE(ApplyScroll(s, kSbBottom, 0));
    EXPECT_EQ(s.grid.scrollPos, 20);
    EXPECT_FALSE(ApplyScroll(s, kSbPageDown, 0));
}

TEST_F(GridMotionTest, EveryScrollRequestStaysAtZeroWhenAllEntriesFit) {
    for (int32_t code = 0; code <= 8; ++code) {
        EXPECT_FALSE(ApplyScroll(s, code, 5)) << code;
        EXPECT_EQ(s.grid.scrollPos, 0) << code;
    }
}

TEST(PressHitTest, RowBandsEndAtTheBottomEdgeAndAboveRowZeroIsNoRow) {
    // Row r: keyButtonTop + (r-1)*pitch < y <= keyButtonTop + r*pitch.
    EXPECT_EQ(PressedRow(76, kTop, kPitch), 0u);
    EXPECT_EQ(PressedRow(100, kTop, kPitch), 0u);
    EXPECT_EQ(PressedRow(101, kTop, kPitch), 1u);
    EXPECT_EQ(PressedRow(125, kTop, kPitch), 1u);
    EXPECT_EQ(PressedRow(126, kTop, kPitch), 2u);
    EXPECT_GT(PressedRow(75, kTop, kPitch), 1000u) << "above row 0's band";
    EXPECT_GT(PressedRow(0, kTop, kPitch), 1000u);
}

TEST_F(GridMotionTest, PressStartsADragDetectOnlyInAVisibleRowWhileNoDragRuns) {
    EXPECT_TRUE(BeginPress(s, 150));
    EXPECT_EQ(s.grid.dragSourceRow, 2);

    EXPECT_TRUE(BeginPress(s, 325)) << "last visible row, 9";
    EXPECT_FALSE(BeginPress(s, 326)) << "row 10 is not visible";
    EXPECT_EQ(s.grid.dragSourceRow, 10) << "the row is recorded all the same";
    EXPECT_FALSE(BeginPress(s, 60));

    s.grid.dragActive = 1;
    s.grid.dragSourceRow = 4;
    EXPECT_FALSE(BeginPress(s, 150));
    EXPECT_EQ(s.grid.dragSourceRow, 4);
}

TEST_F(GridMotionTest, DetectedDragPutsTheLineAtTheSourceAndAClickStartsNone) {
    s.grid.dropRow = 7; // from an earlier drag
    ASSERT_TRUE(BeginPress(s, 150));
    SetDragDetected(s, false);
    EXPECT_EQ(s.grid.dragActive, 0);
    EXPECT_FALSE(TrackPointer(s, 150, false).dragging) << "no marker for a plain click";

    SetDragDetected(s, true);
    EXPECT_EQ(s.grid.dragActive, 1);
    EXPECT_EQ(s.grid.dropRow, 2);
}

TEST(DropLine, BandsAroundTheRowsAndScrollingBeyondThem) {
    const int32_t rows = 10;
    struct Case {
        uint32_t y;
        int32_t dropRow;
        TrackScroll scroll;
    } cases[] = {
        {150, 2, TrackScroll::None},  // keyButtonTop + 2 pitches: line above row 3
        {149, 1, TrackScroll::None},
        {99, 0, TrackScroll::None},   // just above the key button top: below row 0
        {76, 0, TrackScroll::None},
        {75, -1, TrackScroll::None},  // one pitch above: above row 0
        {51, -1, TrackScroll::None},
        {50, -1, TrackScroll::LineUp}, // two pitches above scrolls up
        {0, -1, TrackScroll::LineUp},
        {349, 9, TrackScroll::None},
        {350, 9, TrackScroll::LineDown}, // keyButtonTop + V pitches
        {2000, 9, TrackScroll::LineDown},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.y);
        const DropLine line = DropLineAt(c.y, kTop, kPitch, rows);
        EXPECT_EQ(line.dropRow, c.dropRow);
        EXPECT_EQ(line.scroll, c.scroll);
    }
    EXPECT_EQ(DropMarkerY(-1, kTop, kPitch), -25 + 100 - 3);
    EXPECT_EQ(DropMarkerY(4, kTop, kPitch), 100 + 100 - 3);
}

TEST_F(GridMotionTest, TrackingMovesTheLineWhileTheButtonIsDownAndEndsTheDragWhenUp) {
    Dragging(3, 3);
    TrackResult t = TrackPointer(s, 200, true);
    EXPECT_TRUE(t.dragging);
    EXPECT_FALSE(t.dragEnded);
    EXPECT_EQ(s.grid.dropRow, 4);
    EXPECT_EQ(t.markerX, 3);
    EXPECT_EQ(t.markerY, 4 * kPitch + kTop - kPitch / 8);
    EXPECT_EQ(s.grid.dragActive, 1);

    t = TrackPointer(s, 10, false);
    EXPECT_EQ(t.scroll, TrackScroll::LineUp);
    EXPECT_TRUE(t.dragEnded);
    EXPECT_EQ(t.sourceRow, 3) << "whose key button is unpushed";
    EXPECT_EQ(s.grid.dragActive, 0);
    EXPECT_FALSE(TrackPointer(s, 200, false).dragging);
}

TEST(DropRule, LineBelowTheSourceLandsOnTheLinesRowAndAboveItOneLower) {
    const DropMove down = PlanDrop(0, 2, 5, 10, 10);
    EXPECT_TRUE(down.move);
    EXPECT_EQ(down.from, 2);
    EXPECT_EQ(down.to, 5);
    const DropMove up = PlanDrop(0, 5, 1, 10, 10);
    EXPECT_TRUE(up.move);
    EXPECT_EQ(up.from, 5);
    EXPECT_EQ(up.to, 2);
    const DropMove top = PlanDrop(0, 3, -1, 10, 10);
    EXPECT_EQ(top.to, 0);
    const DropMove scrolled = PlanDrop(20, 0, 9, 10, 50);
    EXPECT_EQ(scrolled.from, 20);
    EXPECT_EQ(scrolled.to, 29);
}

TEST(DropRule, LinesNextToTheSourceMoveNothing) {
    EXPECT_FALSE(PlanDrop(0, 4, 4, 10, 10).move);
    EXPECT_FALSE(PlanDrop(0, 4, 3, 10, 10).move);
    EXPECT_FALSE(PlanDrop(0, 0, -1, 10, 10).move);
    EXPECT_FALSE(PlanDrop(0, 9, 9, 10, 10).move);
}

TEST(DropRule, SourceOrLineOutsideTheCurrentGridMovesNothing) {
    EXPECT_FALSE(PlanDrop(0, 2, 12, 10, 10).move) << "line left by a longer grid";
    EXPECT_FALSE(PlanDrop(0, 2, -2, 10, 10).move);
    EXPECT_FALSE(PlanDrop(0, 7, 1, 5, 5).move) << "source row no longer exists";
    EXPECT_FALSE(PlanDrop(0, -1, 3, 10, 10).move);
    EXPECT_FALSE(PlanDrop(0, 1, 3, 0, 10).move) << "a grid without rows";
    EXPECT_TRUE(PlanDrop(0, 4, 0, 5, 5).move);
}

TEST_F(GridMotionTest, ReleaseDownMovesTheEntriesBetweenUpByOne) {
    Dragging(2, 5);
    const ReleaseResult r = ReleaseDrag(s);
    EXPECT_TRUE(r.dragging);
    EXPECT_TRUE(r.moved);
    EXPECT_EQ(Order(7), (std::vector<int>{0, 1, 3, 4, 5, 2, 6}));
}

TEST_F(GridMotionTest, ReleaseUpMovesTheEntriesBetweenDownByOne) {
    Dragging(5, 1);
    EXPECT_TRUE(ReleaseDrag(s).moved);
    EXPECT_EQ(Order(7), (std::vector<int>{0, 1, 5, 2, 3, 4, 6}));

    Dragging(3, -1);
    EXPECT_TRUE(ReleaseDrag(s).moved);
    EXPECT_EQ(Order(4), (std::vector<int>{2, 0, 1, 5}));
}

TEST_F(GridMotionTest, ReleaseWithoutADragOrNextToTheSourceMovesNothing) {
    s.grid.dropRow = 5;
    s.grid.dragSourceRow = 1;
    EXPECT_FALSE(ReleaseDrag(s).dragging);
    Dragging(4, 3);
    EXPECT_FALSE(ReleaseDrag(s).moved);
    Dragging(4, 4);
    EXPECT_FALSE(ReleaseDrag(s).moved);
    EXPECT_EQ(Order(10), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

TEST_F(GridMotionTest, ReleaseBeforeAnyTrackedMoveIgnoresTheLineOfAnEarlierDrag) {
    Dragging(1, 8);
    TrackPointer(s, 150, false); // that drag ends, its line at row 2
    s.grid.dropRow = 8;          // as an earlier, longer grid left it
    s.keyMap.keyCount = 5;       // rows removed since

    ASSERT_TRUE(BeginPress(s, 100));
    SetDragDetected(s, true);
    EXPECT_FALSE(ReleaseDrag(s).moved);

    Dragging(0, 8); // a stale line that no drag of this grid could have set
    EXPECT_FALSE(ReleaseDrag(s).moved);
    EXPECT_EQ(Order(10), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

TEST_F(GridMotionTest, DragLeftActiveFromAClosedDialogWithASourceBeyondTheGridDropsNothing) {
    s.keyMap.keyCount = 4;
    Dragging(7, 1);
    EXPECT_TRUE(ReleaseDrag(s).dragging);
    EXPECT_EQ(Order(8), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
}

TEST_F(GridMotionTest, MoveEntryCarriesWholeRecordsBothWays) {
    MoveEntry(s, 1, 6);
    EXPECT_EQ(Order(8), (std::vector<int>{0, 2, 3, 4, 5, 6, 1, 7}));
    const KeyMapEntry moved = ReadEntry(s.keyMap.entries[6]);
    EXPECT_EQ(moved.scan, 0x81);
    EXPECT_EQ(moved.reserved, 0xFE);
    EXPECT_EQ(ChordMask(moved), InputWord{1} << 1);

    MoveEntry(s, 6, 1);
    EXPECT_EQ(Order(8), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    for (int i = 0; i < 8; ++i) {
        const KeyMapEntry e = ReadEntry(s.keyMap.entries[i]);
        EXPECT_EQ(e.reserved, 0xFF - i) << i;
        EXPECT_EQ(e.scan, 0x80 | i) << i;
    }

    MoveEntry(s, 127, 0);
    EXPECT_EQ(Vk(0), 127);
    EXPECT_EQ(Vk(127), 126);
    EXPECT_EQ(s.keyMap.keyCount, 10) << "nothing but the order changes";
}

TEST_F(GridMotionTest, MoveEntryOutsideTheKeyMapDoesNothing) {
    MoveEntry(s, 3, 128);
    MoveEntry(s, -1, 3);
    EXPECT_EQ(Order(10), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

} // namespace
