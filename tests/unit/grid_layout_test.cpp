#include "ui/grid_layout.h"

#include "tests/unit/fixture.h"

namespace {
// The template: frame 3, half non-client height 13, key button 23 high, header j at 250 + 15 j.
constexpr int32_t kWinTop = 40, kFrameDx = 3, kFrameDy = 13, kClientLeft = 150 + kFrameDx;
constexpr int32_t kClientTop = kWinTop + 2 * kFrameDy - kFrameDx;
constexpr int32_t kKeyTop = 72, kHeaderTop = 55, kScrollBarWidth = 15;
constexpr int32_t kKeyClientTop = kKeyTop - (kClientTop - kWinTop);

PixelRect At(int32_t left, int32_t top, int32_t width, int32_t height) {
    return {left, top, left + width, top + height};
}

GridMeasurements TemplateDialog() {
    GridMeasurements m{};
    m.window = At(150, kWinTop, 1101, 121);
    m.clientWidth = 1101 - 2 * kFrameDx;
    m.clientHeight = 121 - 2 * kFrameDy;
    m.clientTop = kClientTop;
    m.keyButton = At(kClientLeft + 8, kWinTop + kKeyTop, 240, 23);
    m.separator = At(kClientLeft + 9, kWinTop + kKeyTop - 2, 1066, 1);
    for (int j = 0; j < kGridColumns; ++j) {
        m.headers[j] = At(kClientLeft + 250 + 15 * j, kWinTop + kHeaderTop, 12, 13);
        m.headerFound[j] = true;
    }
    m.scrollBar = At(kClientLeft + 1078, kWinTop + 80, kScrollBarWidth, 24);
    for (int i = 0; i < kBelowGridCount; ++i)
        m.belowGridTop[i] = kWinTop + 78 + 10 * (i % 3);
    m.workArea = {0, 0, 1920, 1040};
    return m;
}

constexpr JoystickColumns kSmallPad{2, 0, 4};                // 2 axes, no hat, 4 buttons
constexpr JoystickColumns kFullStick{6, kJoyCapsHasPov, 32}; // 6 axes, hat, 32 buttons

struct GridLayoutTest : FakeSystemTest {
    SetupDialogState d;
    GridMeasurements m = TemplateDialog();
    GridLayoutTest() { SetJoystick(kFullStick); }
    void SetJoystick(const JoystickColumns& j) {
        s.calibration.numAxes = j.numAxes;
        s.calibration.capsFlags = j.capsFlags;
        s.calibration.numButtons = j.numButtons;
    }
    // One BuildGrid; the dialog then stands as the plan left it.
    GridPlan Build() {
        const GridPlan plan = PlanGrid(GridInputsOf(s, d.grid), m);
        StoreGridPlan(d.grid, plan);
        m.window.bottom = m.window.top + plan.dialogHeight;
        m.clientHeight = plan.dialogHeight - 2 * kFrameDy;
        for (int i = 0; i < kBelowGridCount; ++i)
            m.belowGridTop[i] = kClientTop + plan.belowGridY[i];
        return plan;
    }
};

// The grid layout fuzzer checks the plan's invariants; these tests pin the template's numbers.
TEST(GridArithmetic, PitchPageRowsAndColumnsFromTheMeasuredKeyButtonWorkAreaAndJoystick) {
    constexpr int32_t kLow = INT32_MIN, kHigh = INT32_MAX;
    EXPECT_EQ(RowPitch(23), 25);
    const std::pair<PixelRect, int32_t> rows[] = { // work area -> rows of pitch 25 on a page
        {{0, 0, 1920, 1040}, 36}, {{0, 0, 800, 149}, 0}, // below six pitches: no rows
        {{0, 0, 2160, 3840}, kMaxGridRows}, {{kLow, kLow, kHigh, kHigh}, kMaxGridRows}, // 33 bits
        {{0, kHigh, 0, kLow}, 0}}; // upside down
    for (const auto& [area, pageRows] : rows)
        EXPECT_EQ(PageRows(area, 25), pageRows) << area.top << " " << area.bottom;
    for (int j = 0; j < kGridColumns; ++j) { // check boxes follow axes, hat and buttons
        EXPECT_EQ(ColumnHasCheckBoxes(kSmallPad, j), j <= 3 || (j >= 16 && j <= 19)) << j;
        EXPECT_TRUE(ColumnHasCheckBoxes(kFullStick, j)) << j;
        EXPECT_STREQ(HeaderText(~InputWord{1}, j), j == 0 ? "X" : "") << j; // disabled inputs
    }
}

TEST_F(GridLayoutTest, FirstBuildAddsTenRowsAndMinusAndPlusMoveWhatIsBelowOnlyWhileAllAreVisible) {
    const GridPlan p = Build();
    EXPECT_EQ(std::pair(p.pageRows, p.visibleRows), std::pair(36, 10));
    EXPECT_EQ(p.firstNewRow, 1) << "row 0 comes from the template";
    EXPECT_EQ(p.dialogHeight, 121 + 10 * 25);
    EXPECT_EQ(std::pair(d.grid.keyButtonTop, d.grid.builtKeyCount),
              std::pair(kKeyClientTop + 25, 10));
    EXPECT_EQ(KeyButtonRect(p, 4).y, kKeyClientTop + 4 * 25);
    EXPECT_EQ(SeparatorRect(p, 4).y, kKeyClientTop + 4 * 25 - 23 / 8);
    const ControlRect box = RowCheckBoxRect(p, 4, 16);
    EXPECT_EQ(std::pair(box.x, box.y), std::pair(250 + 15 * 16, kKeyClientTop + 4 * 25 + 5));
    // "-" with all rows visible lifts what is below by a pitch; "+" beyond the page moves nothing
    const GridPlan ten = Build();
    s.keyMap.keyCount = 9;
    const GridPlan nine = Build();
    EXPECT_EQ(std::pair(nine.existingRows, nine.dialogHeight), std::pair(10, ten.dialogHeight - 25))
        << "a pitch less";
    for (int i = 0; i < kBelowGridCount; ++i)
        EXPECT_EQ(nine.belowGridY[i], ten.belowGridY[i] - 25) << kBelowGridIds[i];
    s.keyMap.keyCount = 50;
    const GridPlan fifty = Build();
    s.keyMap.keyCount = 51;
    const GridPlan more = Build();
    EXPECT_EQ(std::tuple(more.moveBelowGrid, more.firstNewRow, more.dialogHeight),
              std::tuple(false, more.visibleRows, fifty.dialogHeight)) << "no row to create";
}

// The template's controls below the grid, under a pitch apart, part into two pitch lines.
TEST_F(GridLayoutTest, ControlsBelowTheGridStandOnTwoPitchLinesBelowTheRows) {
    for (int32_t caption : {18, 25, 40}) {
        SCOPED_TRACE(caption);
        m.clientTop = kWinTop + kFrameDx + caption;
        m.keyButton = At(kClientLeft + 8, m.clientTop + 48, 240, 23); // 1.9 pitches
        const double pitches[kBelowGridCount] = {2.79, 2.79, 2.29, 2.79, 2.16, 2.16,
                                                 2.79, 2.79, 2.79, 2.22, 2.09, 2.79};
        for (int i = 0; i < kBelowGridCount; ++i)
            m.belowGridTop[i] = m.clientTop + static_cast<int32_t>(pitches[i] * 25);
        const GridPlan p = PlanGrid(GridInputsOf(s, d.grid), m);
        for (int i = 0; i < kBelowGridCount; ++i)
            EXPECT_EQ(p.belowGridY[i], (pitches[i] < 2.5 ? 12 : 13) * 25) << kBelowGridIds[i];
    }
}

TEST_F(GridLayoutTest, DialogWidthEndsAtTheLastHeaderPlusScrollBarSeparatorsStandAboveEvenEntries) {
    SetJoystick(kSmallPad); // never narrower than for 10 buttons
    const GridPlan pad = PlanGrid(GridInputsOf(s, d.grid), m);
    EXPECT_EQ(pad.dialogWidth, 250 + 15 * 25 + 12 + kScrollBarWidth + 4 * kFrameDx); // header 25
    EXPECT_EQ(pad.scrollBarRect.x + kScrollBarWidth, pad.dialogWidth - 2 * kFrameDx);
    SetJoystick(kFullStick);
    EXPECT_EQ(PlanGrid(GridInputsOf(s, d.grid), m).dialogWidth, 250 + 15 * 47 + 12 + 15 + 12);
    // separators stand above even entries but never in row 0
    s.keyMap.keyCount = 20;
    d.grid.pageRows = 8;
    RowView rows[kMaxGridRows];
    for (int32_t scrollPos : {0, 1}) {
        d.grid.scrollPos = scrollPos;
        PlanRefresh(s, d.grid, rows);
        for (int r = 0; r < 8; ++r)
            EXPECT_EQ(rows[r].separatorShown, r >= 1 && (scrollPos + r) % 2 == 0) << r;
    }
}

} // namespace
