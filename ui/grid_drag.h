#pragma once
// Drag reordering of the setup grid's rows: hit tests, the drop line, and moving entries.
// Pointer y is the client y the mouse message carries, taken as unsigned.
#include <cstdint>

#include "core/program_state.h"
#include "ui/setup_dialog_state.h"

// Row band hit by a press: row r when keyButtonTop + (r-1)*rowPitch < y <= keyButtonTop +
// r*rowPitch. Computed unsigned, so a pointer above row 0's band gives a huge row, never row 0.
uint32_t PressedRow(uint32_t y, int32_t keyButtonTop, int32_t rowPitch);

// WM_LBUTTONDOWN: records dragSourceRow and returns whether to ask DragDetect (no drag running
// and the press lies in a visible row).
bool BeginPress(const ProgramState& s, GridState& g, uint32_t y);
// DragDetect's answer. A drag starts with the line at the source row, so a release that comes
// before any tracked move drops nothing. The key button of dragSourceRow shows pushed while
// dragging.
void SetDragDetected(GridState& g, bool dragging);

enum class TrackScroll { None, LineUp, LineDown };

struct DropLine {
    int32_t dropRow; // the line stands below this row; -1 is above row 0
    TrackScroll scroll;
};
DropLine DropLineAt(uint32_t y, int32_t keyButtonTop, int32_t rowPitch, int32_t visibleRows);
int32_t DropMarkerY(int32_t dropRow, int32_t keyButtonTop, int32_t rowPitch);

struct TrackResult {
    bool dragging;      // false: nothing to do
    TrackScroll scroll; // send WM_VSCROLL with this request first
    int32_t markerX, markerY;
    bool dragEnded; // left button up: unpush the source key button, hide the marker
    int32_t sourceRow;
};
// WM_MOUSEMOVE, and the end of every release.
TrackResult TrackPointer(const ProgramState& s, GridState& g, uint32_t y, bool leftButtonDown);

struct DropMove {
    bool move;
    int32_t from, to;
};
// Release rule. Entries move only among the visible rows: a source row or a line outside the
// current grid (left by an earlier drag or an earlier grid) drops nothing, and so do the lines
// directly above and below the source row.
DropMove PlanDrop(int32_t scrollPos, int32_t sourceRow, int32_t dropRow, int32_t visibleRows,
                  int32_t keyCount);

struct ReleaseResult {
    bool dragging; // false: the release is ignored
    bool moved;
};
// WM_LBUTTONUP: drops the dragged entry. When dragging, the dialog then refreshes the rows and
// tracks the release point, which ends the drag.
ReleaseResult ReleaseDrag(ProgramState& s, const GridState& g);

// Takes entry from out and puts it back at index to, the others keeping their order. Whole
// records move, the reserved byte with them; nothing else changes.
void MoveEntry(ProgramState& s, int32_t from, int32_t to);
