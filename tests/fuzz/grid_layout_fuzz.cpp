// The setup grid's arithmetic on extreme dialogs, work areas, key counts and joysticks, through
// the steps the dialog runs. Window coordinates stay within 16 bits; the rest takes any value.
#include "core/key_map.h"
#include "engine/calibration.h"
#include "platform/input.h"
#include "tests/fuzz/fuzz_bytes.h"
#include "ui/grid_drag.h"
#include "ui/grid_edit.h"
#include "ui/grid_layout.h"
#include "ui/grid_scroll.h"

namespace {

int32_t Limit(int64_t value) { // the system keeps window coordinates to 16 bits
    return static_cast<int32_t>(std::clamp<int64_t>(value, -32767, 32767));
}
PixelRect ReadRect(FuzzBytes& in) {
    const int32_t left = in.I16(), top = in.I16();
    return {left, top, left + (in.U16() & 0x7FFF), top + (in.U16() & 0x7FFF)};
}
GridMeasurements ReadDialog(FuzzBytes& in) {
    GridMeasurements m{};
    m.window = ReadRect(in);
    m.clientWidth = in.U16() & 0x7FFF;
    m.clientHeight = in.U16() & 0x7FFF;
    m.clientTop = in.I16();
    m.keyButton = ReadRect(in);
    m.separator = ReadRect(in);
    m.scrollBar = ReadRect(in);
    const PixelRect header0 = ReadRect(in);
    const int32_t step = in.I16();
    const uint64_t missing = in.U64();
    for (int j = 0; j < kGridColumns; ++j) {
        m.headerFound[j] = ((missing >> j) & 1) == 0;
        const int32_t dx = Limit(int64_t{step} * j);
        m.headers[j] = {header0.left + dx, header0.top, header0.right + dx, header0.bottom};
    }
    for (int32_t& top : m.belowGridTop)
        top = in.I16();
    m.workArea = {in.I32(), in.I32(), in.I32(), in.I32()};
    return m;
}
void Recalibrate(FuzzBytes& in, ProgramState& s) {
    FakeJoystick& joystick = Fake().joystick;
    joystick.caps.numButtons = in.U32();
    joystick.caps.numAxes = in.U32();
    joystick.caps.caps = in.U32();
    joystick.capsResult = in.Byte() & 1;
    Calibrate(s);
}
// The default map, each entry's index in its reserved byte: moves are told from losses.
void DefaultMap(ProgramState& s) {
    ResetKeyMapDefaults(s, ScanCodeOfKey);
    for (int i = 0; i < kMaxKeys; ++i) {
        KeyMapEntry e = ReadEntry(s.keyMap.entries[i]);
        e.reserved = static_cast<uint8_t>(i);
        WriteEntry(s.keyMap.entries[i], e);
    }
}
// What the program relies on between any two steps.
FUZZ_NO_COVERAGE void CheckState(const ProgramState& s, const GridState& g) {
    const int32_t keyCount = KeyCount(s), visible = VisibleRows(s, g);
    FUZZ_CHECK(g.pageRows >= 0 && g.pageRows <= kMaxGridRows);
    FUZZ_CHECK(g.scrollPos >= 0 && g.scrollPos <= MaxScrollPos(keyCount, g.pageRows));
    FUZZ_CHECK(visible >= 0 && visible <= g.pageRows && g.scrollPos + visible <= keyCount);
    RowView rows[kMaxGridRows];
    FUZZ_CHECK(PlanRefresh(s, g, rows) == visible);
    for (int r = 0; r < visible; ++r)
        FUZZ_CHECK(rows[r].entry == g.scrollPos + r && (r >= 1 || !rows[r].separatorShown));
    bool seen[kMaxKeys] = {};
    for (const KeyMapEntry& shared : s.keyMap.entries) {
        const KeyMapEntry e = ReadEntry(shared);
        FUZZ_CHECK(e.bitCount == CountInputBits(ChordMask(e)));
        FUZZ_CHECK(e.reserved < kMaxKeys && !std::exchange(seen[e.reserved], true));
    }
}
// The plan of a build: rows, identifiers and positions.
FUZZ_NO_COVERAGE void CheckPlan(const ProgramState& s, const GridState& g, const GridPlan& p) {
    FUZZ_CHECK(p.rowPitch >= 1 && p.keyCount == KeyCount(s) && p.existingRows >= 0 &&
               p.existingRows <= kMaxGridRows && p.visibleRows <= kMaxGridRows);
    FUZZ_CHECK(p.visibleRows == std::min(p.keyCount, p.pageRows) && p.visibleRows >= 0);
    FUZZ_CHECK(p.firstNewRow >= 1 && p.rowDelta == p.visibleRows - p.existingRows);
    FUZZ_CHECK(p.scrollBarVisible == (p.keyCount > p.pageRows) && p.scrollMax == p.keyCount - 1);
    FUZZ_CHECK(p.scrollBarRect.height == p.visibleRows * p.rowPitch);
    const int32_t buttons = JoystickColumnsOf(s).numButtons;
    FUZZ_CHECK(buttons >= 0 && buttons <= kMaxButtonColumns && buttons % 2 == 0);
    for (int j = 0; j < kGridColumns; ++j) {
        FUZZ_CHECK(!p.columnPlaceable[j] || p.columnPresent[j]);
        FUZZ_CHECK(p.headerVisible[j] == (j < kButtonFirstColumn + buttons));
        FUZZ_CHECK(j < kButtonFirstColumn || p.columnPresent[j] == p.headerVisible[j]);
    }
    // Rows a pitch apart, separators between key buttons, a press on a key button hits its row.
    const ControlRect key0 = KeyButtonRect(p, 0);
    for (int r = 0; r < p.visibleRows; ++r) {
        const ControlRect key = KeyButtonRect(p, r);
        FUZZ_CHECK(key.y == key0.y + r * p.rowPitch);
        FUZZ_CHECK(RowCheckBoxRect(p, r, 0).y - key.y == RowCheckBoxRect(p, 0, 0).y - key0.y);
        FUZZ_CHECK(r == 0 || (SeparatorRect(p, r).y >= key.y - p.rowPitch + key.height &&
                              SeparatorRect(p, r).y <= key.y));
        const int32_t middle = key.y + key.height / 2;
        if (key.height >= 2 && middle >= 0 && middle <= 0xFFFF)
            FUZZ_CHECK(PressedRow(static_cast<uint32_t>(middle), g.keyButtonTop, g.rowPitch) ==
                       static_cast<uint32_t>(r));
    }
    for (int32_t y : p.belowGridY)
        FUZZ_CHECK(y % p.rowPitch == 0);
}
// Which of the grid's identifiers have a control, as BuildGrid leaves them.
struct GridControls {
    bool exists[IDC_KEY_BUTTON_LAST + 1] = {};
    int rowsTouched = 1; // rows from here on have never had a control
    GridControls() { exists[KeyButtonId(0)] = exists[SeparatorId(0)] = true; } // the template
    // As BuildGrid: rows that left lose their controls, rows that came get theirs.
    FUZZ_NO_COVERAGE void Apply(const GridPlan& p) {
        for (int r = p.visibleRows; r < p.existingRows; ++r) {
            exists[KeyButtonId(r)] = exists[SeparatorId(r)] = r == 0;
            for (int j = 0; j < kGridColumns; ++j)
                exists[RowCheckBoxId(r, j)] = false;
        }
        rowsTouched = std::max(rowsTouched, p.visibleRows);
        for (int r = 0; r < p.visibleRows; ++r) {
            for (int id : {SeparatorId(r), KeyButtonId(r)}) // never two controls with one id
                FUZZ_CHECK(r < p.firstNewRow || !std::exchange(exists[id], true));
            for (int j = 0; j < kGridColumns; ++j)
                if (!p.columnPresent[j] || p.columnPlaceable[j])
                    exists[RowCheckBoxId(r, j)] = p.columnPresent[j];
        }
        // Exactly the visible rows stand, each with a box in every column that can have one.
        for (int r = 0; r < rowsTouched; ++r) {
            const bool visible = r < p.visibleRows;
            FUZZ_CHECK(exists[KeyButtonId(r)] == (visible || r == 0) &&
                       exists[SeparatorId(r)] == exists[KeyButtonId(r)]);
            for (int j = 0; j < kGridColumns; ++j)
                FUZZ_CHECK(exists[RowCheckBoxId(r, j)] == (visible && p.columnPlaceable[j]));
        }
    }
};
struct GridFuzz {
    std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
    ProgramState& s = *state;
    SetupDialogState d;
    GridMeasurements opened{}; // the dialog as its template opens
    GridMeasurements m{};      // the dialog as the last build left it
    std::unique_ptr<GridControls> controls;
    // BuildGrid, then the dialog as the plan leaves it.
    void Build() {
        const GridPlan p = PlanGrid(GridInputsOf(s, d.grid), m);
        StoreGridPlan(d.grid, p);
        CheckPlan(s, d.grid, p);
        controls->Apply(p);
        const int32_t left = m.window.left + p.frameDx, top = m.clientTop;
        m.window.right = Limit(int64_t{m.window.left} + std::max(p.dialogWidth, 0));
        m.window.bottom = Limit(int64_t{m.window.top} + std::max(p.dialogHeight, 0));
        m.clientWidth = std::max(m.window.right - m.window.left - 2 * p.frameDx, 0);
        m.clientHeight = std::max(m.window.bottom - m.window.top - 2 * p.frameDy, 0);
        for (int i = 0; i < kBelowGridCount && p.moveBelowGrid; ++i)
            m.belowGridTop[i] = Limit(int64_t{top} + p.belowGridY[i]);
        const ControlRect& b = p.scrollBarRect;
        m.scrollBar = {Limit(int64_t{left} + b.x), Limit(int64_t{top} + b.y),
                       Limit(int64_t{left} + b.x + b.width), Limit(int64_t{top} + b.y + b.height)};
    }
    void Open() {
        d.grid.builtKeyCount = 0;
        controls = std::make_unique<GridControls>();
        const PixelRect workArea = m.workArea;
        m = opened;
        m.workArea = workArea;
        Build();
    }
    void Scroll(int32_t request, int32_t thumb) {
        const int32_t before = d.grid.scrollPos;
        FUZZ_CHECK(ApplyScroll(s, d.grid, request, thumb) == (d.grid.scrollPos != before));
    }
    void Track(uint32_t y, bool leftButtonDown) {
        const TrackResult t = TrackPointer(s, d.grid, y, leftButtonDown);
        if (!t.dragging)
            return;
        FUZZ_CHECK(d.grid.dropRow >= -1 &&
                   d.grid.dropRow <= std::max(VisibleRows(s, d.grid) - 1, -1));
        if (t.scroll != TrackScroll::None)
            Scroll(t.scroll == TrackScroll::LineUp ? kSbLineUp : kSbLineDown, 0);
    }
    // One step of the dialog, a byte and its arguments.
    void Operate(FuzzBytes& in) {
        const uint8_t op = in.Byte() % 11;
        const uint16_t y = op <= 3 ? in.U16() : 0; // the pointer's, or the scroll bar's request
        // A drag the platform sees at a press; the left button down as the pointer moves.
        const bool flag = (op == 1 || op == 2) && (in.Byte() & 1);
        if (op == 0) // with the thumb: the scroll message's two 16-bit halves
            Scroll(y, in.U16());
        if (op == 1 && BeginPress(s, d.grid, y))
            SetDragDetected(d.grid, flag);
        if (op == 2)
            Track(y, flag);
        if (op == 3 && ReleaseDrag(s, d.grid).dragging) // the button comes up
            Track(y, false);
        if (op == 4 ? AddRow(s) : op == 5 && RemoveRow(s, d.grid)) // "+", "-"
            Build();
        if (op == 6) { // a check box of a row
            const int row = in.Byte();
            ApplyChordEdit(s, d.grid, row, in.U64());
        }
        if (op == 7) // the work area changes while the dialog is open
            m.workArea = {in.I32(), in.I32(), in.I32(), in.I32()};
        if (op == 8) // another joystick
            Recalibrate(in, s);
        if (op == 9) // "Default settings"
            DefaultMap(s), d.grid.scrollPos = 0;
        if (op >= 7 && op <= 9)
            Build();
        if (op == 10) // closed, then opened again, perhaps after a slot of another length loaded
            s.keyMap.keyCount = in.Byte() % kMaxKeys + 1, Open();
        CheckState(s, d.grid);
    }
};

} // namespace

// Every row's identifiers lie in their ranges and decode to the row and column again.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    for (int r = 0; r < kMaxGridRows; ++r) {
        int row = -1;
        FUZZ_CHECK(DecodeKeyButtonId(KeyButtonId(r), row) && row == r);
        FUZZ_CHECK(SeparatorId(r) >= IDC_SEPARATOR_FIRST && SeparatorId(r) < IDC_KEY_BUTTON_FIRST);
        for (int j = 0; j < kGridColumns; ++j) {
            GridCell cell{-1, -1};
            FUZZ_CHECK(DecodeRowCheckBoxId(RowCheckBoxId(r, j), cell) && cell.row == r &&
                       cell.column == j);
            int column = -1;
            FUZZ_CHECK(DecodeHeaderId(HeaderId(j), column) && column == j);
        }
    }
    return 0;
}
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ResetFakeSystem();
    FuzzBytes in(data, size);
    GridFuzz fuzz;
    ProgramState& s = fuzz.s;
    DefaultMap(s);
    Recalibrate(in, s);
    s.keyMap.keyCount = in.I32();
    fuzz.d.grid.scrollPos = in.I32();
    fuzz.d.grid.pageRows = in.I32();
    fuzz.m = fuzz.opened = ReadDialog(in);
    fuzz.Open();
    CheckState(s, fuzz.d.grid);
    for (int i = 0; i < 64 && !in.Empty(); ++i)
        fuzz.Operate(in);
    return 0;
}
