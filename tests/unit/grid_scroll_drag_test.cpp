#include "ui/grid_drag.h"
#include "ui/grid_scroll.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

constexpr int32_t kTop = 100; // keyButtonTop
constexpr int32_t kPitch = 25;

struct GridMotionTest : ::testing::Test {
    std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
    ProgramState& s = *state;
    SetupDialogState d;
    void SetUp() override {
        s.keyMap.keyCount = 10;
        d.grid.pageRows = 36;
        d.grid.keyButtonTop = kTop;
        d.grid.rowPitch = kPitch;
        for (int i = 0; i < kMaxKeys; ++i) // entry i: vk i, reserved 255 - i
            WriteEntry(s.keyMap.entries[i], {1u << (i % 32), 0, static_cast<uint8_t>(i), 0, 1,
                                             static_cast<uint8_t>(255 - i)});
    }
    std::vector<int> Order(int n) {
        std::vector<int> order;
        for (int i = 0; i < n; ++i)
            order.push_back(ReadEntry(s.keyMap.entries[i]).vk);
        return order;
    }
    ReleaseResult Release(int sourceRow, int dropRow) {
        d.grid.dragActive = 1;
        d.grid.dragSourceRow = sourceRow;
        d.grid.dropRow = dropRow;
        return ReleaseDrag(s, d.grid);
    }
};

TEST_F(GridMotionTest, ScrollRequestsClampIntoTheLastPageAndRefreshOnlyOnChange) {
    s.keyMap.keyCount = 50;
    d.grid.pageRows = 30;
    EXPECT_FALSE(ApplyScroll(s, d.grid, kSbLineUp, 0)) << "at 0 nothing is redrawn";
    EXPECT_TRUE(ApplyScroll(s, d.grid, kSbBottom, 0));
    EXPECT_EQ(d.grid.scrollPos, 20);
    d.grid.scrollPos = 15;
    EXPECT_TRUE(ApplyScroll(s, d.grid, kSbPageDown, 0));
    EXPECT_EQ(d.grid.scrollPos, 20);
    EXPECT_EQ(ScrollTarget(kSbThumbTrack, 400, 0, 50, 30), 20);
    EXPECT_EQ(ScrollTarget(kSbThumbPosition, 7, 0, 50, 30), 7);
    EXPECT_EQ(ScrollTarget(8, 3, 11, 50, 30), 11) << "unknown requests keep the position";
    for (int32_t code = 0; code <= 8; ++code)
        EXPECT_EQ(ScrollTarget(code, 5, 0, 30, 30), 0) << "all entries fit, code " << code;
}

TEST_F(GridMotionTest, PressAsksForADragOnlyInAVisibleRowWhileNoDragRuns) {
    EXPECT_EQ(PressedRow(76, kTop, kPitch), 0u);
    EXPECT_EQ(PressedRow(100, kTop, kPitch), 0u) << "bands end at their bottom edge";
    EXPECT_EQ(PressedRow(101, kTop, kPitch), 1u);
    EXPECT_FALSE(BeginPress(s, d.grid, 75)) << "above row 0's band is no row";
    EXPECT_TRUE(BeginPress(s, d.grid, 325)) << "row 9";
    EXPECT_FALSE(BeginPress(s, d.grid, 326)) << "row 10 is not visible";
    EXPECT_EQ(d.grid.dragSourceRow, 10);
    d.grid.dragActive = 1;
    EXPECT_FALSE(BeginPress(s, d.grid, 150));
    EXPECT_EQ(d.grid.dragSourceRow, 10);
}

TEST(DropLine, TruncatedBandsAroundTheRowsAndOneLineOfScrollBeyondThem) {
    struct Case {
        uint32_t y;
        int32_t dropRow;
        TrackScroll scroll;
    } cases[] = {{150, 2, TrackScroll::None}, {99, 0, TrackScroll::None},
                 {76, 0, TrackScroll::None},  {75, -1, TrackScroll::None},
                 {51, -1, TrackScroll::None}, {50, -1, TrackScroll::LineUp},
                 {349, 9, TrackScroll::None}, {350, 9, TrackScroll::LineDown}};
    for (const Case& c : cases) {
        const DropLine line = DropLineAt(c.y, kTop, kPitch, 10);
        EXPECT_EQ(line.dropRow, c.dropRow) << c.y;
        EXPECT_EQ(line.scroll, c.scroll) << c.y;
    }
}

TEST_F(GridMotionTest, TrackingFollowsThePointerAndEndsTheDragOnceTheButtonIsUp) {
    d.grid.dragActive = 1;
    d.grid.dragSourceRow = 3;
    TrackResult t = TrackPointer(s, d.grid, 200, true);
    EXPECT_EQ(d.grid.dropRow, 4);
    EXPECT_EQ(t.markerY, 4 * kPitch + kTop - kPitch / 8);
    EXPECT_FALSE(t.dragEnded);
    t = TrackPointer(s, d.grid, 200, false);
    EXPECT_TRUE(t.dragEnded);
    EXPECT_EQ(t.sourceRow, 3);
    EXPECT_FALSE(TrackPointer(s, d.grid, 200, false).dragging);
}

TEST_F(GridMotionTest, ReleaseMovesTheDraggedEntryBelowOrAboveTheLine) {
    EXPECT_TRUE(Release(2, 5).moved);
    EXPECT_EQ(Order(7), (std::vector<int>{0, 1, 3, 4, 5, 2, 6}));
    EXPECT_TRUE(Release(5, 1).moved);
    EXPECT_EQ(Order(7), (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_TRUE(Release(3, -1).moved);
    EXPECT_EQ(Order(5), (std::vector<int>{3, 0, 1, 2, 4}));
}

TEST_F(GridMotionTest, ReleaseNextToTheSourceOrOutsideTheGridMovesNothing) {
    const std::vector<int> order = Order(10);
    EXPECT_FALSE(Release(4, 4).moved);
    EXPECT_FALSE(Release(4, 3).moved);
    EXPECT_FALSE(Release(2, 12).moved) << "line left by an earlier, longer grid";
    EXPECT_FALSE(Release(2, -2).moved);
    s.keyMap.keyCount = 5;
    EXPECT_FALSE(Release(7, 1).moved) << "source row no longer in the grid";
    EXPECT_EQ(Order(10), order);
}

TEST_F(GridMotionTest, ReleaseBeforeAnyTrackedMoveDropsNothing) {
    d.grid.dropRow = 8; // left by an earlier drag
    ASSERT_TRUE(BeginPress(s, d.grid, 100));
    SetDragDetected(d.grid, true);
    const ReleaseResult r = ReleaseDrag(s, d.grid);
    EXPECT_TRUE(r.dragging);
    EXPECT_FALSE(r.moved);
}

TEST_F(GridMotionTest, MoveEntryCarriesWholeRecordsBothWays) {
    MoveEntry(s, 1, 6);
    EXPECT_EQ(Order(8), (std::vector<int>{0, 2, 3, 4, 5, 6, 1, 7}));
    EXPECT_EQ(ReadEntry(s.keyMap.entries[6]).reserved, 254);
    EXPECT_EQ(ReadEntry(s.keyMap.entries[6]).maskLow, 1u << 1);
    MoveEntry(s, 127, 0);
    EXPECT_EQ(ReadEntry(s.keyMap.entries[0]).vk, 127);
    EXPECT_EQ(ReadEntry(s.keyMap.entries[0]).reserved, 128);
    EXPECT_EQ(ReadEntry(s.keyMap.entries[127]).vk, 126);
}

} // namespace
