#include "ui/grid_layout.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "app/key_map.h"
#include "platform/joystick.h"

namespace {

// A dialog as the template comes out on screen: frame 3 pixels wide, 13 pixels of half
// non-client height, key button 23 pixels high (row pitch 25), one dialog unit 1.5 pixels wide.
constexpr int32_t kWinLeft = 150;
constexpr int32_t kWinTop = 40;
constexpr int32_t kFrameDx = 3;
constexpr int32_t kFrameDy = 13;
constexpr int32_t kClientLeft = kWinLeft + kFrameDx;
constexpr int32_t kKeyTop = 72;   // from the window's outer top edge
constexpr int32_t kHeaderTop = 55; // likewise
constexpr int32_t kScrollBarWidth = 15;
constexpr int kHeaderDialogX[kGridColumns] = {
    172, 182, 196, 206, 222, 232, 250, 260, 275, 285, 303, 313, 328, 338, 348, 358,
    375, 385, 395, 405, 417, 427, 437, 447, 459, 469, 479, 489, 502, 512, 522, 532,
    546, 556, 566, 576, 590, 600, 610, 620, 635, 645, 655, 665, 679, 689, 699, 709};
constexpr int32_t kBelowGridTops[kBelowGridCount] = {88, 100, 90, 100, 78, 78, 100, 100, 100};

PixelRect At(int32_t left, int32_t top, int32_t width, int32_t height) {
    return {left, top, left + width, top + height};
}

GridMeasurements TemplateDialog(int32_t windowHeight = 121) {
    GridMeasurements m{};
    m.window = At(kWinLeft, kWinTop, 1101, windowHeight);
    m.clientWidth = 1101 - 2 * kFrameDx;
    m.clientHeight = windowHeight - 2 * kFrameDy;
    m.keyButton = At(kClientLeft + 8, kWinTop + kKeyTop, 240, 23);
    m.separator = At(kClientLeft + 9, kWinTop + kKeyTop - 2, 1066, 1);
    for (int j = 0; j < kGridColumns; ++j) {
        m.headers[j] = At(kClientLeft + kHeaderDialogX[j] * 3 / 2, kWinTop + kHeaderTop, 12, 13);
        m.headerFound[j] = true;
    }
    m.scrollBar = At(kClientLeft + 1078, kWinTop + 80, kScrollBarWidth, 24);
    for (int i = 0; i < kBelowGridCount; ++i)
        m.belowGridTop[i] = kWinTop + kBelowGridTops[i];
    m.workArea = {0, 0, 1920, 1040};
    return m;
}

constexpr JoystickColumns kSmallPad{2, 0, 4};                   // 2 axes, no hat, 4 buttons
constexpr JoystickColumns kFullStick{6, kJoyCapsHasPov | 0x7, 32}; // 6 axes, hat, 32 buttons

struct GridLayoutTest : ::testing::Test {
    std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
    ProgramState& s = *state;
    void SetUp() override {
        ResetKeyMapDefaults(s);
        SetJoystick(kFullStick);
    }
    void SetJoystick(const JoystickColumns& j) {
        s.calibration.numAxes = j.numAxes;
        s.calibration.capsFlags = j.capsFlags;
        s.calibration.numButtons = j.numButtons;
    }
    // One build as BuildGrid runs it: plan from the state, store, and return the plan.
    GridPlan Build(const GridMeasurements& m) {
        const GridPlan plan = PlanGrid(GridInputsOf(s), m);
        StoreGridPlan(s, plan);
        return plan;
    }
    void SetEntry(int i, InputWord mask, uint8_t vk) {
        KeyMapEntry e = ReadEntry(s.keyMap.entries[i]);
        SetChordMask(e, mask);
        e.vk = vk;
        WriteEntry(s.keyMap.entries[i], e);
    }
};

TEST(GridArithmetic, RowPitchAddsAnEighthOfTheKeyButtonHeight) {
    EXPECT_EQ(RowPitch(23), 25);
    EXPECT_EQ(RowPitch(16), 18);
    EXPECT_EQ(RowPitch(7), 7);
    EXPECT_GE(RowPitch(0), 1) << "a failed measurement must not give a zero divisor";
}

TEST(GridArithmetic, PageRowsLeaveFivePitchesOfTheWorkAreaAndNeverGoNegative) {
    EXPECT_EQ(PageRows({0, 0, 1920, 1040}, 25), 36);
    EXPECT_EQ(PageRows({0, 40, 1920, 1080}, 25), 36) << "only the height counts";
    EXPECT_EQ(PageRows({0, 0, 800, 150}, 25), 1);
    EXPECT_EQ(PageRows({0, 0, 800, 149}, 25), 0) << "lower than six pitches: a grid without rows";
    EXPECT_EQ(PageRows({0, 0, 800, 60}, 25), 0);
}

TEST(GridArithmetic, PageRowsStopWhereSeparatorIdsWouldReachTheKeyButtons) {
    EXPECT_EQ(PageRows({0, 0, 2160, 3840}, 25), kMaxGridRows);
    for (int r = 0; r < kMaxGridRows; ++r)
        ASSERT_LT(SeparatorId(r), KeyButtonId(0)) << "row " << r;
}

TEST(GridArithmetic, ScrollPosIsClampedIntoTheLastFullPage) {
    EXPECT_EQ(ClampScrollPos(40, 50, 36), 14);
    EXPECT_EQ(ClampScrollPos(-3, 50, 36), 0);
    EXPECT_EQ(ClampScrollPos(7, 10, 36), 0) << "all entries visible";
    EXPECT_EQ(ClampScrollPos(7, 36, 36), 0);
    EXPECT_EQ(ClampScrollPos(5, 50, 36), 5);
    EXPECT_EQ(ClampScrollPos(200, 10, 0), 9) << "no rows on screen: still an existing entry";
}

TEST(GridColumns, SmallPadHasChecksOnlyForItsAxesAndButtonsAndKeepsTheFixedHeaders) {
    for (int j = 0; j < kGridColumns; ++j) {
        SCOPED_TRACE(j);
        const bool expected = j <= 3 || (j >= 16 && j <= 19);
        EXPECT_EQ(ColumnHasCheckBoxes(kSmallPad, j), expected);
        EXPECT_EQ(HeaderVisible(kSmallPad, j), j <= 19);
    }
    EXPECT_EQ(LastButtonHeaderId(4), 125) << "never narrower than for 10 buttons";
}

TEST(GridColumns, FullStickHasEveryColumnAndReachesHeader147) {
    for (int j = 0; j < kGridColumns; ++j) {
        EXPECT_TRUE(ColumnHasCheckBoxes(kFullStick, j)) << j;
        EXPECT_TRUE(HeaderVisible(kFullStick, j)) << j;
    }
    EXPECT_EQ(LastButtonHeaderId(32), 147);
    EXPECT_EQ(LastButtonHeaderId(12), 127);
    EXPECT_EQ(LastButtonHeaderId(40), 147) << "no header beyond button 32";
}

TEST(GridColumns, HatColumnsFollowThePovFlagAndAxisColumnsTheAxisCount) {
    const JoystickColumns hatNoButtons{3, kJoyCapsHasPov, 0};
    for (int j = 0; j < kGridColumns; ++j) {
        SCOPED_TRACE(j);
        EXPECT_EQ(ColumnHasCheckBoxes(hatNoButtons, j), j <= 5 || (j >= 12 && j <= 15));
    }
    const JoystickColumns manyAxes{9, 0, 2};
    EXPECT_TRUE(ColumnHasCheckBoxes(manyAxes, 11));
    EXPECT_FALSE(ColumnHasCheckBoxes(manyAxes, 12));
}

TEST(GridColumns, HeaderShowsXExactlyForADisabledInput) {
    const InputWord mask = ~InputWord{1};
    EXPECT_STREQ(HeaderText(mask, 0), "X");
    for (int j = 1; j < kGridColumns; ++j)
        EXPECT_STREQ(HeaderText(mask, j), "") << j;
    EXPECT_STREQ(HeaderText(~(InputWord{1} << 16), 16), "X");
}

TEST_F(GridLayoutTest, FirstBuildOfTheDefaultMapShowsTenRowsWithoutScrollBar) {
    const GridPlan p = Build(TemplateDialog());

    EXPECT_EQ(p.frameDx, kFrameDx);
    EXPECT_EQ(p.frameDy, kFrameDy);
    EXPECT_EQ(p.keyButtonTop, kKeyTop);
    EXPECT_EQ(p.rowPitch, 25);
    EXPECT_EQ(p.pageRows, 36);
    EXPECT_EQ(p.visibleRows, 10);
    EXPECT_EQ(p.existingRows, 0);
    EXPECT_EQ(p.firstNewRow, 1) << "row 0's key button and separator come from the template";
    EXPECT_EQ(p.rowDelta, 10);
    EXPECT_EQ(p.dialogHeight, 121 + 10 * 25);
    EXPECT_FALSE(p.scrollBarVisible);
    EXPECT_EQ(p.scrollMax, 9);
    EXPECT_EQ(p.scrollBarRect.height, 250);

    EXPECT_EQ(s.grid.pageRows, 36);
    EXPECT_EQ(s.grid.rowPitch, 25);
    EXPECT_EQ(s.grid.keyButtonTop, kKeyTop);
    EXPECT_EQ(s.grid.frameDx, kFrameDx);
    EXPECT_EQ(s.grid.builtKeyCount, 10);
    EXPECT_EQ(s.grid.workArea.bottom, 1040);
}

TEST_F(GridLayoutTest, ControlsBelowTheGridMoveByWholeRowPitches) {
    GridMeasurements m = TemplateDialog();
    const GridPlan first = Build(m);
    ASSERT_TRUE(first.moveBelowGrid);
    // (top - window top - frameDy) / pitch, plus ten rows.
    EXPECT_EQ(first.belowGridY[0], (75 / 25 + 10) * 25);
    EXPECT_EQ(first.belowGridY[1], (87 / 25 + 10) * 25);
    EXPECT_EQ(first.belowGridY[4], (65 / 25 + 10) * 25);
    for (int i = 0; i < kBelowGridCount; ++i)
        EXPECT_EQ(first.belowGridY[i] % 25, 0) << kBelowGridIds[i];

    // "-" with every entry visible: the bottom row goes, the controls rise one pitch.
    for (int i = 0; i < kBelowGridCount; ++i) {
        // Where the first build put them: client y + caption (the window-to-client offset).
        m.belowGridTop[i] = kWinTop + 2 * kFrameDy + first.belowGridY[i];
    }
    m.window.bottom = m.window.top + first.dialogHeight;
    m.clientHeight = first.dialogHeight - 2 * kFrameDy;
    s.keyMap.keyCount = 9;
    const GridPlan second = Build(m);
    EXPECT_EQ(second.existingRows, 10);
    EXPECT_EQ(second.visibleRows, 9);
    EXPECT_EQ(second.rowDelta, -1);
    EXPECT_EQ(second.dialogHeight, first.dialogHeight - 25);
    for (int i = 0; i < kBelowGridCount; ++i)
        EXPECT_EQ(second.belowGridY[i], first.belowGridY[i] - 25) << kBelowGridIds[i];
}

TEST_F(GridLayoutTest, AddingARowBeyondThePageOnlyWidensTheScrollRange) {
    s.keyMap.keyCount = 50;
    GridMeasurements m = TemplateDialog();
    const GridPlan first = Build(m);
    EXPECT_EQ(first.visibleRows, 36);
    EXPECT_TRUE(first.scrollBarVisible);
    EXPECT_EQ(first.scrollMax, 49);

    m.window.bottom = m.window.top + first.dialogHeight;
    s.keyMap.keyCount = 51;
    const GridPlan second = Build(m);
    EXPECT_EQ(second.rowDelta, 0);
    EXPECT_FALSE(second.moveBelowGrid);
    EXPECT_EQ(second.firstNewRow, second.visibleRows) << "no row to create";
    EXPECT_EQ(second.dialogHeight, first.dialogHeight);
    EXPECT_EQ(second.dialogWidth, first.dialogWidth);
    EXPECT_EQ(second.scrollMax, 50);
}

TEST_F(GridLayoutTest, DialogWidthEndsAtTheLastButtonHeaderPlusTheScrollBar) {
    SetJoystick(kSmallPad);
    const GridPlan pad = PlanGrid(GridInputsOf(s), TemplateDialog());
    const int32_t header125Right = kHeaderDialogX[25] * 3 / 2 + 12; // client x of its right edge
    EXPECT_EQ(pad.dialogWidth, header125Right + kScrollBarWidth + 4 * kFrameDx);
    EXPECT_EQ(pad.scrollBarRect.x, header125Right + 2 * kFrameDx);
    EXPECT_EQ(pad.scrollBarRect.x + pad.scrollBarRect.width, pad.dialogWidth - 2 * kFrameDx)
        << "the scroll bar's right edge is the client area's";
    EXPECT_EQ(pad.separatorWidth, (kClientLeft + header125Right) - (kClientLeft + 9));

    SetJoystick(kFullStick);
    const GridPlan full = PlanGrid(GridInputsOf(s), TemplateDialog());
    const int32_t header147Right = kHeaderDialogX[47] * 3 / 2 + 12;
    EXPECT_EQ(full.dialogWidth, header147Right + kScrollBarWidth + 4 * kFrameDx);
    EXPECT_EQ(full.scrollBarRect.y, kHeaderTop - kFrameDy);
}

TEST_F(GridLayoutTest, MissingLastHeaderKeepsTemplateSeparatorWidthAndDialogWidth) {
    GridMeasurements m = TemplateDialog();
    m.headerFound[25] = false;
    SetJoystick(kSmallPad);
    const GridPlan p = PlanGrid(GridInputsOf(s), m);
    EXPECT_EQ(p.separatorWidth, 1066);
    EXPECT_EQ(p.dialogWidth, 1101);
}

TEST_F(GridLayoutTest, PlanListsColumnsByPresenceAndSkipsChecksWithoutAHeader) {
    SetJoystick(kSmallPad);
    s.enabledMask = ~(InputWord{1} << 17);
    GridMeasurements m = TemplateDialog();
    m.headerFound[2] = false;
    const GridPlan p = PlanGrid(GridInputsOf(s), m);
    EXPECT_TRUE(p.columnPresent[2]);
    EXPECT_FALSE(p.columnPlaceable[2]);
    EXPECT_TRUE(p.columnPlaceable[3]);
    EXPECT_FALSE(p.columnPresent[4]);
    EXPECT_FALSE(p.columnPlaceable[20]);
    EXPECT_TRUE(p.headerVisible[19]);
    EXPECT_FALSE(p.headerVisible[20]);
    EXPECT_STREQ(p.headerText[17], "X");
    EXPECT_STREQ(p.headerText[16], "");
}

TEST_F(GridLayoutTest, CreatedRowsStandOnePitchApartFromThePrototypes) {
    const GridPlan p = PlanGrid(GridInputsOf(s), TemplateDialog());
    // Key buttons and separators of row r are placed with r - 1, check boxes with r.
    const ControlRect key1 = KeyButtonRect(p, 1);
    EXPECT_EQ(key1.x, 8);
    EXPECT_EQ(key1.y, kKeyTop);
    EXPECT_EQ(key1.width, 240);
    EXPECT_EQ(key1.height, 23);
    EXPECT_EQ(KeyButtonRect(p, 4).y, kKeyTop + 3 * 25);

    const ControlRect sep3 = SeparatorRect(p, 3);
    EXPECT_EQ(sep3.x, 8);
    EXPECT_EQ(sep3.y, 2 * 25 + kKeyTop - 23 / 8);
    EXPECT_EQ(sep3.height, 23 / 16);
    EXPECT_EQ(sep3.width, p.separatorWidth);

    const ControlRect check = RowCheckBoxRect(p, 2, 16);
    EXPECT_EQ(check.x, kHeaderDialogX[16] * 3 / 2);
    EXPECT_EQ(check.y, 2 * 25 + kHeaderTop);
    EXPECT_EQ(check.width, 12);
    EXPECT_EQ(check.height, 13);
}

TEST(GridStyles, RowChecksArePushLikeAutoCheckBoxesWithStaticEdge) {
    constexpr uint32_t kHeaderStyle = 0x50000000 | 0x1000 | 0x2; // child, visible, push-like, check
    EXPECT_EQ(RowCheckBoxStyle(kHeaderStyle), 0x50000000u | 0x1000 | 0x3);
    EXPECT_EQ(RowCheckBoxStyle(kHeaderStyle | 0x08000000), 0x50000000u | 0x1000 | 0x3)
        << "a disabled header still gives enabled row checks";
    EXPECT_EQ(RowCheckBoxExStyle(0x4), 0x4u | 0x20000);
    EXPECT_EQ(SeparatorStyle(0x48000008), 0x58000008u) << "created separators are visible";
}

TEST_F(GridLayoutTest, PageRowsChangingWhileOpenCountsTheRowsThatExist) {
    s.keyMap.keyCount = 50;
    GridMeasurements m = TemplateDialog();
    const GridPlan first = Build(m);
    ASSERT_EQ(first.visibleRows, 36);

    m.workArea.bottom = 1140; // four more pitches
    const GridPlan taller = Build(m);
    EXPECT_EQ(taller.existingRows, 36);
    EXPECT_EQ(taller.visibleRows, 40);
    EXPECT_EQ(taller.firstNewRow, 36) << "rows 36..39 get key buttons";
    EXPECT_EQ(taller.rowDelta, 4);

    m.workArea.bottom = 890; // 30 rows
    const GridPlan shorter = Build(m);
    EXPECT_EQ(shorter.existingRows, 40);
    EXPECT_EQ(shorter.visibleRows, 30);
    EXPECT_EQ(shorter.rowDelta, -10) << "rows 30..39 are destroyed";
}

TEST_F(GridLayoutTest, ReopeningAfterTheMapShrankClampsScrollPosAndBuildsEveryRow) {
    s.keyMap.keyCount = 40;
    s.grid.scrollPos = 20;
    s.grid.builtKeyCount = 0; // a fresh opening
    s.grid.pageRows = 36;     // from the previous opening
    const GridPlan p = Build(TemplateDialog());
    EXPECT_EQ(p.scrollPos, 4);
    EXPECT_EQ(s.grid.scrollPos, 4);
    EXPECT_EQ(p.existingRows, 0);
    EXPECT_EQ(p.rowDelta, 36);
}

TEST_F(GridLayoutTest, WorkAreaTooLowGivesAGridWithoutRows) {
    GridMeasurements m = TemplateDialog();
    m.workArea = {0, 0, 800, 140};
    const GridPlan p = Build(m);
    EXPECT_EQ(p.pageRows, 0);
    EXPECT_EQ(p.visibleRows, 0);
    EXPECT_EQ(p.rowDelta, 0);
    EXPECT_TRUE(p.scrollBarVisible);
    EXPECT_EQ(p.scrollBarRect.height, 0);
}

TEST_F(GridLayoutTest, RefreshShowsEntriesFromScrollPosWithLinesAboveEvenEntries) {
    s.keyMap.keyCount = 20;
    s.grid.pageRows = 8;
    for (int i = 0; i < 20; ++i)
        SetEntry(i, InputWord{1} << (i + 16), static_cast<uint8_t>(65 + i));

    RowView rows[kMaxGridRows];
    s.grid.scrollPos = 0;
    ASSERT_EQ(PlanRefresh(s, rows), 8);
    for (int r = 0; r < 8; ++r) {
        SCOPED_TRACE(r);
        EXPECT_EQ(rows[r].entry, r);
        EXPECT_EQ(rows[r].separatorShown, r >= 2 && r % 2 == 0);
    }

    s.grid.scrollPos = 1;
    ASSERT_EQ(PlanRefresh(s, rows), 8);
    for (int r = 0; r < 8; ++r) {
        SCOPED_TRACE(r);
        EXPECT_EQ(rows[r].entry, r + 1);
        EXPECT_EQ(rows[r].separatorShown, r % 2 == 1) << "above rows 1, 3, 5, ...";
        EXPECT_EQ(rows[r].mask, InputWord{1} << (r + 17));
        EXPECT_EQ(rows[r].vk, 66 + r);
    }
}

} // namespace
