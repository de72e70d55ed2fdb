#include "ui/grid_layout.h"

#include <algorithm>

#include "core/key_map.h"
#include "platform/joystick.h"

namespace {
constexpr uint32_t kWsVisible = 0x10000000;
constexpr uint32_t kWsDisabled = 0x08000000;
constexpr uint32_t kBsTypeMask = 0x0000000F;
constexpr uint32_t kBsAutoCheckBox = 0x00000003;
constexpr uint32_t kWsExStaticEdge = 0x00020000;

int32_t Width(const PixelRect& r) {
    return r.right - r.left;
}
int32_t Height(const PixelRect& r) {
    return r.bottom - r.top;
}
} // namespace

int LastButtonHeaderId(int32_t numButtons) {
    const int32_t buttons =
        std::clamp<int32_t>(numButtons, kMinButtonColumnsWide, kMaxButtonColumns);
    return HeaderId(kButtonFirstColumn - 1) + buttons;
}

JoystickColumns JoystickColumnsOf(const ProgramState& s) {
    return {s.calibration.numAxes.load(std::memory_order_relaxed),
            s.calibration.capsFlags.load(std::memory_order_relaxed),
            s.calibration.numButtons.load(std::memory_order_relaxed)};
}

bool ColumnHasCheckBoxes(const JoystickColumns& joystick, int column) {
    if (column < 0 || column >= kGridColumns)
        return false;
    if (column < kAxisColumns)
        return static_cast<uint64_t>(column) < 2 * uint64_t{joystick.numAxes};
    if (column < kButtonFirstColumn)
        return (joystick.capsFlags & kJoyCapsHasPov) != 0;
    return column < kButtonFirstColumn + joystick.numButtons;
}

bool HeaderVisible(const JoystickColumns& joystick, int column) {
    if (column < kButtonFirstColumn)
        return true;
    return column < kButtonFirstColumn + joystick.numButtons;
}

const char* HeaderText(InputWord enabledMask, int column) {
    return ((enabledMask >> column) & 1) == 0 ? "X" : "";
}

int32_t RowPitch(int32_t keyButtonHeight) {
    // A failed measurement must not leave a zero divisor for the hit tests.
    return std::max<int32_t>(keyButtonHeight + keyButtonHeight / 8, 1);
}

int32_t PageRows(const PixelRect& workArea, int32_t rowPitch) {
    // The work area is the system's: its height is taken in 64 bits, so no rectangle overflows.
    const int64_t height = int64_t{workArea.bottom} - workArea.top;
    const int64_t rows = height / std::max<int32_t>(rowPitch, 1) - kPageRowsReserve;
    return static_cast<int32_t>(std::clamp<int64_t>(rows, 0, kMaxGridRows));
}

int32_t MaxScrollPos(int32_t keyCount, int32_t pageRows) {
    // With no rows on screen the position still names an existing entry.
    return std::max<int32_t>(keyCount - std::max<int32_t>(pageRows, 1), 0);
}

int32_t ClampScrollPos(int32_t scrollPos, int32_t keyCount, int32_t pageRows) {
    return std::clamp<int32_t>(scrollPos, 0, MaxScrollPos(keyCount, pageRows));
}

int32_t VisibleRows(int32_t keyCount, int32_t pageRows) {
    return std::clamp<int32_t>(std::min(keyCount, pageRows), 0, kMaxGridRows);
}

int32_t VisibleRows(const ProgramState& s, const GridState& g) {
    return VisibleRows(KeyCount(s), g.pageRows);
}

int32_t BelowGridY(int32_t controlTop, int32_t clientTop, int32_t rowPitch, int32_t rowDelta) {
    return ((controlTop - clientTop + rowPitch / 2) / rowPitch + rowDelta) * rowPitch;
}

bool SeparatorShown(int32_t scrollPos, int32_t row) {
    return row >= 1 && (scrollPos + row) % 2 == 0;
}

uint32_t RowCheckBoxStyle(uint32_t headerStyle) {
    return (headerStyle & ~kWsDisabled & ~kBsTypeMask) | kBsAutoCheckBox;
}

uint32_t RowCheckBoxExStyle(uint32_t headerExStyle) {
    return headerExStyle | kWsExStaticEdge;
}

uint32_t SeparatorStyle(uint32_t templateSeparatorStyle) {
    return templateSeparatorStyle | kWsVisible;
}

GridInputs GridInputsOf(const ProgramState& s, const GridState& g) {
    return {KeyCount(s), g.builtKeyCount,      g.pageRows,
            g.scrollPos, JoystickColumnsOf(s), s.enabledMask.load(std::memory_order_relaxed)};
}

GridPlan PlanGrid(const GridInputs& in, const GridMeasurements& m) {
    GridPlan p{};
    p.keyCount = std::clamp<int32_t>(in.keyCount, 1, kMaxKeys);

    const PixelRect& w = m.window;
    p.frameDx = (Width(w) - m.clientWidth) / 2;
    p.frameDy = (Height(w) - m.clientHeight) / 2;
    const int32_t clientLeft = w.left + p.frameDx;

    p.keyX = m.keyButton.left - clientLeft;
    p.keyWidth = Width(m.keyButton);
    p.keyHeight = Height(m.keyButton);

    const PixelRect& header0 = m.headers[0];
    p.checkWidth = Width(header0);
    p.checkHeight = Height(header0);

    const int lastColumn = LastButtonHeaderId(in.joystick.numButtons) - IDC_HEADER_FIRST;
    const bool lastFound = m.headerFound[lastColumn];
    const PixelRect& last = m.headers[lastColumn];
    p.separatorWidth = lastFound ? last.right - m.separator.left : Width(m.separator);

    p.rowPitch = RowPitch(p.keyHeight);
    // Rows stand one pitch apart from row 0's key button in client pixels. keyButtonTop is kept
    // one pitch below it, so that (r - 1) * rowPitch + keyButtonTop is row r's top for placing,
    // hit-testing and the drop line alike, whatever the caption's height; check boxes are
    // centred on their row's key button.
    const int32_t keyClientTop = m.keyButton.top - m.clientTop;
    p.keyButtonTop = keyClientTop + p.rowPitch;
    p.checkY = keyClientTop + (p.keyHeight - p.checkHeight) / 2;
    p.workArea = m.workArea;
    p.pageRows = PageRows(m.workArea, p.rowPitch);
    p.scrollPos = ClampScrollPos(in.scrollPos, p.keyCount, p.pageRows);

    // The rows that exist are the previous build's, counted with that build's pageRows, so a
    // work area that changed while the dialog is open neither strands rows nor misses any.
    p.visibleRows = VisibleRows(p.keyCount, p.pageRows);
    p.existingRows = VisibleRows(in.builtKeyCount, in.previousPageRows);
    p.firstNewRow = std::max(p.existingRows, 1);
    p.rowDelta = p.visibleRows - p.existingRows;

    for (int j = 0; j < kGridColumns; ++j) {
        p.columnPresent[j] = ColumnHasCheckBoxes(in.joystick, j);
        p.columnPlaceable[j] = p.columnPresent[j] && m.headerFound[j];
        p.headerVisible[j] = HeaderVisible(in.joystick, j);
        p.headerText[j] = HeaderText(in.enabledMask, j);
        p.checkX[j] = m.headers[j].left - clientLeft;
    }

    p.moveBelowGrid = p.rowDelta != 0;
    for (int i = 0; i < kBelowGridCount; ++i)
        p.belowGridY[i] = BelowGridY(m.belowGridTop[i], m.clientTop, p.rowPitch, p.rowDelta);

    const int32_t scrollBarWidth = Width(m.scrollBar);
    if (lastFound) {
        p.dialogWidth = (last.right - clientLeft) + scrollBarWidth + 4 * p.frameDx;
        p.scrollBarRect.x = (last.right - clientLeft) + 2 * p.frameDx;
    } else {
        p.dialogWidth = Width(w);
        p.scrollBarRect.x = m.scrollBar.left - clientLeft;
    }
    p.scrollBarRect.y = keyClientTop; // beside the rows, from row 0 down
    p.dialogHeight = Height(w) + p.rowDelta * p.rowPitch;
    p.scrollBarRect.width = scrollBarWidth;
    p.scrollBarRect.height = p.visibleRows * p.rowPitch;
    p.scrollBarVisible = p.keyCount > p.pageRows;
    p.scrollMax = p.keyCount - 1;
    return p;
}

void StoreGridPlan(GridState& g, const GridPlan& plan) {
    g.frameDx = plan.frameDx;
    g.frameDy = plan.frameDy;
    g.keyButtonTop = plan.keyButtonTop;
    g.rowPitch = plan.rowPitch;
    g.workArea = {plan.workArea.left, plan.workArea.top, plan.workArea.right, plan.workArea.bottom};
    g.pageRows = plan.pageRows;
    g.scrollPos = plan.scrollPos;
    g.builtKeyCount = plan.keyCount;
}

// Separators and key buttons of row r stand on r - 1 and check boxes on r: keyButtonTop lies one
// pitch below row 0's key button, checkY within it.
ControlRect SeparatorRect(const GridPlan& p, int row) {
    return {p.keyX, (row - 1) * p.rowPitch + p.keyButtonTop - p.keyHeight / 8, p.separatorWidth,
            p.keyHeight / 16};
}

ControlRect KeyButtonRect(const GridPlan& p, int row) {
    return {p.keyX, (row - 1) * p.rowPitch + p.keyButtonTop, p.keyWidth, p.keyHeight};
}

ControlRect RowCheckBoxRect(const GridPlan& p, int row, int column) {
    return {p.checkX[column], row * p.rowPitch + p.checkY, p.checkWidth, p.checkHeight};
}

int PlanRefresh(const ProgramState& s, const GridState& g, RowView (&rows)[kMaxGridRows]) {
    const int32_t visible = VisibleRows(s, g);
    const int32_t scrollPos = g.scrollPos;
    int count = 0;
    for (int r = 0; r < visible; ++r) {
        const int32_t entry = scrollPos + r;
        if (entry < 0 || entry >= kMaxKeys)
            break;
        const KeyMapEntry e = ReadEntry(s.keyMap.entries[entry]);
        rows[count++] = {entry, SeparatorShown(scrollPos, r), ChordMask(e), e.vk, e.scan};
    }
    return count;
}
