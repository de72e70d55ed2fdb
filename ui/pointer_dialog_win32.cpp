// The pointer dialog: the procedure dispatches; the handlers read and write controls around the
// rules of ui/pointer_rules.h. Every change applies at once, so the pointer can be tried while
// the dialog is open.
#include "ui/pointer_dialog_win32.h"

#include <commctrl.h>

#include "core/program_state.h"
#include "engine/pointer.h"
#include "platform/message_box.h"
#include "res/pointer_dialog_ids.h"
#include "res/resource_ids.h"
#include "store/portable_mode.h"
#include "store/slot_store.h"
#include "ui/dialog_activation_win32.h"
#include "ui/pointer_rules.h"
#include "ui/save_warning.h"
#include "ui/timing_rules.h"

namespace {

constexpr char kResetQuestion[] = "Reset to default settings?";

PointerSettings Current() {
    return UnpackPointer(State().pointer.load());
}

void Apply(const PointerSettings& p) {
    State().pointer.store(PackPointer(p));
}

uint64_t OpenedWith(HWND dialog) {
    return *reinterpret_cast<const uint64_t*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

void FillList(HWND dialog, int id, const char* const* items, int count, int selected) {
    SendDlgItemMessageA(dialog, id, CB_RESETCONTENT, 0, 0);
    for (int k = 0; k < count; ++k)
        SendDlgItemMessageA(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(items[k]));
    SendDlgItemMessageA(dialog, id, CB_SETCURSEL, selected, 0);
}

void FillSlider(HWND dialog, int slider, int text, int most, int tick, int position) {
    SendDlgItemMessageA(dialog, slider, TBM_SETRANGE, TRUE, MAKELPARAM(0, most));
    SendDlgItemMessageA(dialog, slider, TBM_SETPAGESIZE, 0, kSliderPage);
    SendDlgItemMessageA(dialog, slider, TBM_SETTICFREQ, tick, 0);
    SendDlgItemMessageA(dialog, slider, TBM_SETPOS, TRUE, position);
    SetDlgItemInt(dialog, text, static_cast<UINT>(position), FALSE);
}

void FillNumber(HWND dialog, int box, int spin, int least, int most, int value) {
    SendDlgItemMessageA(dialog, spin, UDM_SETRANGE32, least, most);
    SetDlgItemInt(dialog, box, static_cast<UINT>(value), FALSE);
}

void FillPointerControls(HWND dialog) {
    const PointerSettings p = Current();
    FillList(dialog, IDC_POINTER_STICK, kPointerStickItems, kPointerStickChoices,
             static_cast<int>(p.stick));
    FillList(dialog, IDC_WHEEL_SOURCE, kWheelSourceItems, kWheelSourceChoices,
             static_cast<int>(p.wheel));
    FillNumber(dialog, IDC_POINTER_SPEED, IDC_POINTER_SPEED_SPIN, kMinPointerSpeed,
               kMaxPointerSpeed, p.speed);
    FillNumber(dialog, IDC_WHEEL_SPEED, IDC_WHEEL_SPEED_SPIN, kMinWheelSpeed, kMaxWheelSpeed,
               p.wheelSpeed);
    FillSlider(dialog, IDC_CURVE_SLIDER, IDC_CURVE_TEXT, kMaxCurvePercent, kCurveTick,
               p.curvePercent);
    FillSlider(dialog, IDC_DEAD_ZONE_SLIDER, IDC_DEAD_ZONE_TEXT, kMaxDeadZonePercent, kDeadZoneTick,
               p.deadZonePercent);
    CheckDlgButton(dialog, IDC_POINTER_INVERT, p.invertVertical ? BST_CHECKED : BST_UNCHECKED);
}

// The box's number, clamped; written back once the box is left. Returns what stands.
int32_t CommitBox(HWND dialog, int id, int32_t least, int32_t most, int32_t current,
                  bool writeBack) {
    char text[64] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    uint32_t number = 0;
    const bool readable = ReadTimingText(text, number);
    const int32_t value = TypedNumber(readable, number, least, most, current);
    if (writeBack)
        SetDlgItemInt(dialog, id, static_cast<UINT>(value), FALSE);
    return value;
}

// Typing and spinning apply at once; leaving a box shows what stands.
void CommitBoxes(HWND dialog, bool writeBack) {
    PointerSettings p = Current();
    p.speed = static_cast<uint16_t>(CommitBox(dialog, IDC_POINTER_SPEED, kMinPointerSpeed,
                                              kMaxPointerSpeed, p.speed, writeBack));
    p.wheelSpeed = static_cast<uint8_t>(CommitBox(dialog, IDC_WHEEL_SPEED, kMinWheelSpeed,
                                                  kMaxWheelSpeed, p.wheelSpeed, writeBack));
    Apply(p);
}

BOOL OnInitDialog(HWND dialog, LPARAM opened) {
    SetWindowLongPtrA(dialog, DWLP_USER, opened);
    FillPointerControls(dialog);
    SetTimer(dialog, kStickViewTimerId, kStickViewPeriodMs, nullptr);
    return TRUE;
}

void Close(HWND dialog) {
    KillTimer(dialog, kStickViewTimerId);
    EndDialog(dialog, 0);
}

// Enter in a box reaches OK while the box still has the focus: its number is committed here.
void OnOk(HWND dialog) {
    CommitBoxes(dialog, true);
    const ProgramState& s = State();
    if (!SavedOrWarned(SavePointer(s), dialog))
        return;
    ExportPortableFile(s);
    Close(dialog);
}

void OnCancel(HWND dialog) {
    State().pointer.store(OpenedWith(dialog));
    Close(dialog);
}

void OnDefault(HWND dialog) {
    if (ShowMessageBox(dialog, kResetQuestion, kMbOkCancel) != kIdOk)
        return;
    Apply(DefaultTuning(Current()));
    FillPointerControls(dialog);
}

int32_t ListSelection(HWND dialog, int id) {
    return static_cast<int32_t>(SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0));
}

void OnListChoice(HWND dialog, int id) {
    const int32_t index = ListSelection(dialog, id);
    Apply(id == IDC_POINTER_STICK ? ChooseStick(Current(), index) : ChooseWheel(Current(), index));
    FillPointerControls(dialog); // the other list may have given way
}

void OnInvert(HWND dialog) {
    PointerSettings p = Current();
    p.invertVertical = IsDlgButtonChecked(dialog, IDC_POINTER_INVERT) == BST_CHECKED ? 1 : 0;
    Apply(p);
}

void OnSliderMoved(HWND dialog, HWND slider) {
    const auto position = static_cast<int32_t>(SendMessageA(slider, TBM_GETPOS, 0, 0));
    PointerSettings p = Current();
    if (GetDlgCtrlID(slider) == IDC_CURVE_SLIDER) {
        p.curvePercent = SliderValue(position, kMaxCurvePercent);
        SetDlgItemInt(dialog, IDC_CURVE_TEXT, p.curvePercent, FALSE);
    } else {
        p.deadZonePercent = SliderValue(position, kMaxDeadZonePercent);
        SetDlgItemInt(dialog, IDC_DEAD_ZONE_TEXT, p.deadZonePercent, FALSE);
        InvalidateRect(GetDlgItem(dialog, IDC_STICK_VIEW), nullptr, FALSE);
    }
    Apply(p);
}

void OnCommand(HWND dialog, WPARAM wParam) {
    const int id = LOWORD(wParam);
    switch (id) {
    case IDC_POINTER_OK:
        OnOk(dialog);
        return;
    case IDC_POINTER_CANCEL:
        OnCancel(dialog);
        return;
    case IDC_POINTER_DEFAULT:
        OnDefault(dialog);
        return;
    case IDC_POINTER_INVERT:
        OnInvert(dialog);
        return;
    case IDC_POINTER_STICK:
    case IDC_WHEEL_SOURCE:
        if (HIWORD(wParam) == CBN_SELCHANGE)
            OnListChoice(dialog, id);
        return;
    }
    if (HIWORD(wParam) == EN_CHANGE || HIWORD(wParam) == EN_KILLFOCUS)
        CommitBoxes(dialog, HIWORD(wParam) == EN_KILLFOCUS);
}

void FillCircle(HDC dc, const ViewCircle& c, int colour) {
    SelectObject(dc, GetSysColorBrush(colour));
    Ellipse(dc, c.left, c.top, c.right, c.bottom);
}

void OnDrawStickView(const DRAWITEMSTRUCT* item) {
    const RECT& r = item->rcItem;
    int32_t dx = 0;
    int32_t dy = 0;
    UnpackDeflection(State().engine.stickDeflection.load(), dx, dy);
    const StickView view =
        StickViewGeometry(r.right - r.left, r.bottom - r.top, Current().deadZonePercent, dx, dy);
    HDC dc = item->hDC;
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    const HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
    const HGDIOBJ oldBrush = SelectObject(dc, GetSysColorBrush(COLOR_WINDOW));
    FillCircle(dc, view.rim, COLOR_WINDOW);
    FillCircle(dc, view.deadZone, COLOR_BTNSHADOW);
    FillCircle(dc, view.dot, COLOR_HIGHLIGHT);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
}

void OnTimer(HWND dialog) {
    InvalidateRect(GetDlgItem(dialog, IDC_STICK_VIEW), nullptr, FALSE);
}

INT_PTR CALLBACK PointerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ACTIVATE:
    case WM_ACTIVATEAPP:
        OnDialogActivation(message, wParam, lParam);
        return FALSE;
    case WM_INITDIALOG:
        return OnInitDialog(dialog, lParam);
    case WM_COMMAND:
        OnCommand(dialog, wParam);
        return FALSE;
    case WM_HSCROLL:
        OnSliderMoved(dialog, reinterpret_cast<HWND>(lParam));
        return FALSE;
    case WM_TIMER:
        OnTimer(dialog);
        return FALSE;
    case WM_DRAWITEM:
        if (wParam != IDC_STICK_VIEW)
            return FALSE;
        OnDrawStickView(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    }
    return FALSE;
}

} // namespace

void OpenPointerDialog(HWND setupDialog) {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_UPDOWN_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    const uint64_t opened = State().pointer.load();
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_POINTER), setupDialog,
                    PointerDialogProc, reinterpret_cast<LPARAM>(&opened));
}
