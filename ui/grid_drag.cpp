#include "ui/grid_drag.h"

#include "core/key_map.h"
#include "ui/grid_layout.h"

uint32_t PressedRow(uint32_t y, int32_t keyButtonTop, int32_t rowPitch) {
    const uint32_t pitch = static_cast<uint32_t>(rowPitch > 0 ? rowPitch : 1);
    return (y - static_cast<uint32_t>(keyButtonTop) + pitch - 1) / pitch;
}

bool BeginPress(const ProgramState& s, GridState& g, uint32_t y) {
    if (g.dragActive)
        return false;
    const uint32_t row = PressedRow(y, g.keyButtonTop, g.rowPitch);
    g.dragSourceRow = static_cast<int32_t>(row);
    return row < static_cast<uint32_t>(VisibleRows(s, g));
}

void SetDragDetected(GridState& g, bool dragging) {
    g.dragActive = dragging ? 1 : 0;
    if (dragging)
        g.dropRow = g.dragSourceRow;
}

DropLine DropLineAt(uint32_t y, int32_t keyButtonTop, int32_t rowPitch, int32_t visibleRows) {
    int32_t k = (static_cast<int32_t>(y) - keyButtonTop) / (rowPitch > 0 ? rowPitch : 1);
    TrackScroll scroll = TrackScroll::None;
    if (k < -1) {
        scroll = TrackScroll::LineUp;
        k = -1;
    }
    if (k > visibleRows - 1) {
        scroll = TrackScroll::LineDown;
        k = visibleRows - 1;
    }
    return {k, scroll};
}

int32_t DropMarkerY(int32_t dropRow, int32_t keyButtonTop, int32_t rowPitch) {
    return dropRow * rowPitch + keyButtonTop - rowPitch / 8;
}

TrackResult TrackPointer(const ProgramState& s, GridState& g, uint32_t y, bool leftButtonDown) {
    TrackResult t{};
    if (!g.dragActive)
        return t;
    const DropLine line = DropLineAt(y, g.keyButtonTop, g.rowPitch, VisibleRows(s, g));
    g.dropRow = line.dropRow;
    t.dragging = true;
    t.scroll = line.scroll;
    t.markerX = g.frameDx;
    t.markerY = DropMarkerY(line.dropRow, g.keyButtonTop, g.rowPitch);
    t.sourceRow = g.dragSourceRow;
    if (!leftButtonDown) {
        g.dragActive = 0;
        t.dragEnded = true;
    }
    return t;
}

DropMove PlanDrop(int32_t scrollPos, int32_t sourceRow, int32_t dropRow, int32_t visibleRows,
                  int32_t keyCount) {
    const DropMove none{false, 0, 0};
    if (sourceRow < 0 || sourceRow >= visibleRows || dropRow < -1 || dropRow > visibleRows - 1)
        return none;
    if (dropRow == sourceRow || dropRow == sourceRow - 1)
        return none;
    const int32_t from = scrollPos + sourceRow;
    const int32_t to = dropRow > sourceRow ? scrollPos + dropRow : scrollPos + dropRow + 1;
    if (from < 0 || to < 0 || from >= keyCount || to >= keyCount)
        return none;
    return {true, from, to};
}

ReleaseResult ReleaseDrag(ProgramState& s, const GridState& g) {
    if (!g.dragActive)
        return {false, false};
    const DropMove drop =
        PlanDrop(g.scrollPos, g.dragSourceRow, g.dropRow, VisibleRows(s, g), KeyCount(s));
    if (drop.move)
        MoveEntry(s, drop.from, drop.to);
    return {true, drop.move};
}

void MoveEntry(ProgramState& s, int32_t from, int32_t to) {
    if (from < 0 || to < 0 || from >= kMaxKeys || to >= kMaxKeys || from == to)
        return;
    KeyMapEntry* entries = s.keyMap.entries;
    const KeyMapEntry moved = ReadEntry(entries[from]);
    // Field-wise atomic copies: the poll thread may see a record half moved, never a torn field.
    if (to > from) {
        for (int32_t i = from; i < to; ++i)
            WriteEntry(entries[i], ReadEntry(entries[i + 1]));
    } else {
        for (int32_t i = from; i > to; --i)
            WriteEntry(entries[i], ReadEntry(entries[i - 1]));
    }
    WriteEntry(entries[to], moved);
}
