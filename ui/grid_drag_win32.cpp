#include "ui/grid_drag_win32.h"

#include "core/program_state.h"
#include "res/setup_dialog_ids.h"
#include "ui/grid_drag.h"
#include "ui/setup_grid_win32.h"

namespace {

void ShowSourcePushed(HWND dialog, int32_t row, bool pushed) {
    SendDlgItemMessageA(dialog, IDC_KEY_BUTTON_FIRST + row, BM_SETSTATE, pushed ? TRUE : FALSE, 0);
}

void TrackPointerAt(HWND dialog, WPARAM keyState, uint32_t y) {
    const TrackResult t =
        TrackPointer(State(), SetupDialog().grid, y, (keyState & MK_LBUTTON) != 0);
    if (!t.dragging)
        return;
    if (t.scroll == TrackScroll::LineUp)
        SendMessageA(dialog, WM_VSCROLL, SB_LINEUP, 0);
    else if (t.scroll == TrackScroll::LineDown)
        SendMessageA(dialog, WM_VSCROLL, SB_LINEDOWN, 0);
    HWND marker = GetDlgItem(dialog, IDC_DROP_MARKER);
    // At the bottom of the sibling order the other controls cover the line, so it shows in the
    // gaps between the rows.
    SetWindowPos(marker, HWND_BOTTOM, t.markerX, t.markerY, 0, 0, SWP_SHOWWINDOW | SWP_NOSIZE);
    if (!t.dragEnded)
        return;
    ShowSourcePushed(dialog, t.sourceRow, false);
    SetWindowPos(marker, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOZORDER);
}

} // namespace

void OnGridPress(HWND dialog, uint32_t x, uint32_t y) {
    GridState& g = SetupDialog().grid;
    if (!BeginPress(State(), g, y))
        return;
    // The press comes in client coordinates; DragDetect measures from a screen point.
    POINT press{static_cast<LONG>(x), static_cast<LONG>(y)};
    ClientToScreen(dialog, &press);
    const bool dragging = DragDetect(dialog, press) != FALSE;
    SetDragDetected(g, dragging);
    ShowSourcePushed(dialog, g.dragSourceRow, dragging);
}

void OnGridPointerMove(HWND dialog, WPARAM keyState, uint32_t y) {
    TrackPointerAt(dialog, keyState, y);
}

void OnGridRelease(HWND dialog, WPARAM keyState, uint32_t y) {
    if (!ReleaseDrag(State(), SetupDialog().grid).dragging)
        return;
    RefreshRows(dialog);
    TrackPointerAt(dialog, keyState, y);
}
