#include "ui/setup_grid_win32.h"

#include "core/program_state.h"
#include "ui/grid_edit.h"
#include "ui/grid_layout.h"
#include "ui/grid_scroll.h"
#include "ui/setup_commands.h"

namespace {

PixelRect WindowRectOf(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return {r.left, r.top, r.right, r.bottom};
}

// The work area of the monitor the dialog stands on, or of the primary monitor when the system
// cannot say.
PixelRect WorkAreaOf(HWND dialog) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    RECT work{};
    if (GetMonitorInfoA(MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor))
        work = monitor.rcWork;
    else
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    return {work.left, work.top, work.right, work.bottom};
}

GridMeasurements Measure(HWND dialog) {
    GridMeasurements m{};
    m.window = WindowRectOf(dialog);
    RECT client{};
    GetClientRect(dialog, &client);
    m.clientWidth = client.right - client.left;
    m.clientHeight = client.bottom - client.top;
    POINT origin{0, 0};
    ClientToScreen(dialog, &origin);
    m.clientTop = origin.y;
    m.keyButton = WindowRectOf(GetDlgItem(dialog, KeyButtonId(0)));
    m.separator = WindowRectOf(GetDlgItem(dialog, SeparatorId(0)));
    for (int j = 0; j < kGridColumns; ++j) {
        HWND header = GetDlgItem(dialog, HeaderId(j));
        m.headerFound[j] = header != nullptr;
        if (header != nullptr)
            m.headers[j] = WindowRectOf(header);
    }
    m.scrollBar = WindowRectOf(GetDlgItem(dialog, IDC_GRID_SCROLL));
    for (int i = 0; i < kBelowGridCount; ++i)
        m.belowGridTop[i] = WindowRectOf(GetDlgItem(dialog, kBelowGridIds[i])).top;
    m.workArea = WorkAreaOf(dialog);
    return m;
}

// Style, extended style and font of a template control that created controls copy.
struct Prototype {
    DWORD style;
    DWORD exStyle;
    HFONT font;
};

Prototype PrototypeOf(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    return {static_cast<DWORD>(GetWindowLongA(control, GWL_STYLE)),
            static_cast<DWORD>(GetWindowLongA(control, GWL_EXSTYLE)),
            reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0))};
}

HWND CreateGridControl(HWND dialog, const char* className, DWORD style, DWORD exStyle,
                       const ControlRect& r, int id) {
    return CreateWindowExA(exStyle, className, "", style, r.x, r.y, r.width, r.height, dialog,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleA(nullptr), nullptr);
}

void DestroyControl(HWND dialog, int id) {
    if (HWND control = GetDlgItem(dialog, id))
        DestroyWindow(control);
}

void ApplyNonGridValues(HWND dialog, const ProgramState& s) {
    CheckDlgButton(dialog, IDC_TYPEMATIC, s.typematicOn.load() ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemTextA(dialog, IDC_JOYSTICK_LABEL, kJoystickLabelText);
    SetDlgItemTextA(dialog, IDC_CONFIG_NAME, s.configName);
    SendDlgItemMessageA(dialog, IDC_CONFIG_NAME, EM_LIMITTEXT, kConfigNameLimit, 0);
    SetDlgItemTextA(dialog, IDC_PROGRAMS, s.programList);
    SendDlgItemMessageA(dialog, IDC_PROGRAMS, EM_LIMITTEXT, kProgramListLimit, 0);
    CheckDlgButton(dialog, IDC_PORTABLE, s.portableOn ? BST_CHECKED : BST_UNCHECKED);
}

void RemoveRows(HWND dialog, const GridPlan& plan) {
    for (int r = plan.visibleRows; r < plan.existingRows; ++r) {
        if (r >= 1) {
            DestroyControl(dialog, KeyButtonId(r));
            DestroyControl(dialog, SeparatorId(r));
        }
        for (int j = 0; j < kGridColumns; ++j)
            DestroyControl(dialog, RowCheckBoxId(r, j));
    }
}

void CreateRows(HWND dialog, const GridPlan& plan) {
    const Prototype key = PrototypeOf(dialog, KeyButtonId(0));
    const Prototype separator = PrototypeOf(dialog, SeparatorId(0));
    const Prototype header = PrototypeOf(dialog, HeaderId(0));
    for (int r = 0; r < plan.visibleRows; ++r) {
        if (r >= plan.firstNewRow) {
            CreateGridControl(dialog, "STATIC", SeparatorStyle(separator.style), separator.exStyle,
                              SeparatorRect(plan, r), SeparatorId(r));
            HWND button = CreateGridControl(dialog, "BUTTON", key.style, key.exStyle,
                                            KeyButtonRect(plan, r), KeyButtonId(r));
            SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(key.font), TRUE);
        }
        for (int j = 0; j < kGridColumns; ++j) {
            const int id = RowCheckBoxId(r, j);
            if (!plan.columnPresent[j])
                DestroyControl(dialog, id);
            else if (plan.columnPlaceable[j] && GetDlgItem(dialog, id) == nullptr)
                CreateGridControl(dialog, "BUTTON", RowCheckBoxStyle(header.style),
                                  RowCheckBoxExStyle(header.exStyle), RowCheckBoxRect(plan, r, j),
                                  id);
        }
    }
}

void SetUpScrollBar(HWND dialog, const GridPlan& plan) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = plan.scrollMax;
    info.nPage = static_cast<UINT>(plan.pageRows);
    info.nPos = plan.scrollPos;
    SetScrollInfo(GetDlgItem(dialog, IDC_GRID_SCROLL), SB_CTL, &info, TRUE);
}

void MoveControlsBelowGrid(HWND dialog, const GridPlan& plan) {
    if (!plan.moveBelowGrid)
        return;
    for (int i = 0; i < kBelowGridCount; ++i) {
        HWND control = GetDlgItem(dialog, kBelowGridIds[i]);
        RECT r{};
        GetWindowRect(control, &r);
        MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&r), 2);
        SetWindowPos(control, nullptr, r.left, plan.belowGridY[i], 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void PlaceDialogAndScrollBar(HWND dialog, const GridPlan& plan) {
    SetWindowPos(dialog, nullptr, 0, 0, plan.dialogWidth, plan.dialogHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    HWND scrollBar = GetDlgItem(dialog, IDC_GRID_SCROLL);
    const ControlRect& b = plan.scrollBarRect;
    SetWindowPos(scrollBar, nullptr, b.x, b.y, b.width, b.height, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(scrollBar, plan.scrollBarVisible ? SW_SHOW : SW_HIDE);
}

void UpdateHeaders(HWND dialog, const GridPlan& plan) {
    for (int j = 0; j < kGridColumns; ++j) {
        HWND header = GetDlgItem(dialog, HeaderId(j));
        if (j >= kButtonFirstColumn)
            ShowWindow(header, plan.headerVisible[j] ? SW_SHOWNA : SW_HIDE);
        SetWindowTextA(header, plan.headerText[j]);
    }
}

} // namespace

void BuildGrid(HWND dialog) {
    const ProgramState& s = State();
    GridState& g = SetupDialog().grid;
    ApplyNonGridValues(dialog, s);
    const GridPlan plan = PlanGrid(GridInputsOf(s, g), Measure(dialog));
    RemoveRows(dialog, plan);
    CreateRows(dialog, plan);
    SetUpScrollBar(dialog, plan);
    MoveControlsBelowGrid(dialog, plan);
    PlaceDialogAndScrollBar(dialog, plan);
    UpdateHeaders(dialog, plan);
    StoreGridPlan(g, plan);
    RefreshRows(dialog);
}

void RefreshRows(HWND dialog) {
    RowView rows[kMaxGridRows];
    const int count = PlanRefresh(State(), SetupDialog().grid, rows);
    for (int r = 0; r < count; ++r) {
        const RowView& row = rows[r];
        ShowKeyName(dialog, row.vk, row.scan, KeyButtonId(r));
        if (r >= 1)
            ShowWindow(GetDlgItem(dialog, SeparatorId(r)),
                       row.separatorShown ? SW_SHOWNA : SW_HIDE);
        for (int j = 0; j < kGridColumns; ++j)
            if (HWND box = GetDlgItem(dialog, RowCheckBoxId(r, j)))
                SendMessageA(box, BM_SETCHECK,
                             InputBitSet(row.mask, j) ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

void ShowKeyName(HWND dialog, uint8_t vk, uint8_t scan, int controlId) {
    char name[kKeyNameSize] = {};
    if (GetKeyNameTextA(static_cast<LONG>(KeyNameLParam(scan)), name, sizeof name) <= 0)
        name[0] = '\0';
    if (KeyNameTakesFocus(vk))
        SetFocus(dialog);
    SetDlgItemTextA(dialog, controlId, KeyNameText(vk, name));
}

void ScrollGrid(HWND dialog, int32_t request, int32_t thumb) {
    GridState& g = SetupDialog().grid;
    const bool moved = ApplyScroll(State(), g, request, thumb);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS;
    info.nPos = g.scrollPos;
    SetScrollInfo(GetDlgItem(dialog, IDC_GRID_SCROLL), SB_CTL, &info, TRUE);
    if (moved)
        RefreshRows(dialog);
}
