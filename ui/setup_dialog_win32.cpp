// The setup dialog: the procedure dispatches, the handlers read and write controls around the
// decisions of ui/setup_commands.h, ui/grid_edit.h and ui/key_capture.h.
#include "ui/setup_dialog_win32.h"

#include "engine/held_keys.h"
#include "platform/joystick.h"
#include "res/resource_ids.h"
#include "res/setup_dialog_ids.h"
#include "store/portable_mode.h"
#include "ui/dialog_activation_win32.h"
#include "ui/grid_drag_win32.h"
#include "ui/grid_edit.h"
#include "ui/grid_layout.h"
#include "ui/key_capture_win32.h"
#include "ui/pointer_dialog_win32.h"
#include "ui/setup_commands.h"
#include "ui/setup_grid_win32.h"
#include "ui/timing_dialog_win32.h"

namespace {

void FillJoystickList(HWND dialog) {
    for (uint32_t k = 0; k < JoystickCount(); ++k) {
        char label[kJoystickLabelSize];
        JoystickLabel(k + 1, label);
        SendDlgItemMessageA(dialog, IDC_JOYSTICK_LIST, CB_INSERTSTRING, k,
                            reinterpret_cast<LPARAM>(label));
    }
}

void SelectJoystick(HWND dialog) {
    SendDlgItemMessageA(dialog, IDC_JOYSTICK_LIST, CB_SETCURSEL, State().joystickId.load(), 0);
}

const SetupSnapshot& OpenedWith(HWND dialog) {
    return *reinterpret_cast<const SetupSnapshot*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

BOOL OnInitDialog(HWND dialog, LPARAM opened) {
    SetWindowLongPtrA(dialog, DWLP_USER, opened);
    OpenSetup(State(), SetupDialog(), dialog);
    FillJoystickList(dialog);
    SelectJoystick(dialog);
    BuildGrid(dialog);
    SetTimer(dialog, kLiveDisplayTimerId, kLiveDisplayPeriodMs, nullptr);
    return TRUE;
}

void OnClose(HWND dialog) {
    SendMessageA(dialog, WM_COMMAND, IDC_SETUP_CANCEL, 0);
}

void OnTimer(HWND dialog) {
    const InputWord held = InputSnapshot(State());
    for (int j = 0; j < kInputBits; ++j)
        CheckDlgButton(dialog, IDC_HEADER_FIRST + j,
                       InputBitSet(held, j) ? BST_CHECKED : BST_UNCHECKED);
}

INT_PTR OnCtlColorEdit(HDC context, HWND control) {
    if (GetDlgCtrlID(control) != IDC_CONFIG_NAME)
        return FALSE;
    SetBkMode(context, TRANSPARENT);
    return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
}

void OnHeaderClick(HWND dialog, int id) {
    int column = 0;
    if (!DecodeHeaderId(id, column))
        return;
    ProgramState& s = State();
    ReleaseAllKeys(s);
    ToggleInputEnabled(s, column);
    SetDlgItemTextA(dialog, id, HeaderText(s.enabledMask.load(), column));
}

void OnChordClick(HWND dialog, int id) {
    GridCell cell{};
    if (!DecodeRowCheckBoxId(id, cell))
        return;
    ProgramState& s = State();
    ReleaseAllKeys(s);
    const int block = IDC_ROW_CHECK_FIRST + IDC_ROW_BLOCK * cell.row;
    bool checked[IDC_ROW_BLOCK];
    for (int j = 0; j < IDC_ROW_BLOCK; ++j)
        checked[j] = IsDlgButtonChecked(dialog, block + j) == BST_CHECKED;
    ApplyChordEdit(s, SetupDialog().grid, cell.row, ChordMaskFromChecks(checked));
}

void OnKeyButtonClick(HWND dialog, int id) {
    StartKeyCapture(dialog, id);
}

void Close(HWND dialog, bool saved) {
    DialogCaptureView view(dialog);
    if (!CloseSetup(State(), SetupDialog(), dialog, view, OpenedWith(dialog), saved))
        return;
    KillTimer(dialog, kLiveDisplayTimerId);
    EndDialog(dialog, 0);
}

void OnCancel(HWND dialog) {
    Close(dialog, false);
}

void OnOk(HWND dialog) {
    if (SaveSetup(State(), dialog))
        Close(dialog, true);
}

void OnTypematic(HWND dialog) {
    SetTypematic(State(), IsDlgButtonChecked(dialog, IDC_TYPEMATIC) == BST_CHECKED);
}

void OnDefaults(HWND dialog) {
    DialogCaptureView view(dialog);
    if (ResetSetupToDefaults(State(), SetupDialog(), dialog, view))
        BuildGrid(dialog);
    OnTypematic(dialog);
}

void OnPortableModeClick(HWND dialog) {
    SetPortableMode(State(), IsDlgButtonChecked(dialog, IDC_PORTABLE) == BST_CHECKED, dialog);
}

void OnJoystickChoice(HWND dialog, WORD notification) {
    if (notification != CBN_SELCHANGE)
        return;
    const auto selection =
        static_cast<int32_t>(SendDlgItemMessageA(dialog, IDC_JOYSTICK_LIST, CB_GETCURSEL, 0, 0));
    if (!ChooseJoystick(State(), selection, dialog)) {
        SelectJoystick(dialog);
        return;
    }
    BuildGrid(dialog);
}

void OnTimingSetup(HWND dialog) {
    OpenTimingDialog(dialog);
}

void OnPointerSetup(HWND dialog) {
    OpenPointerDialog(dialog);
}

void OnAbout(HWND dialog) {
    ShowAbout(dialog);
}

void OnConfigName(HWND dialog, WORD notification) {
    if (notification != EN_CHANGE)
        return;
    GetDlgItemTextA(dialog, IDC_CONFIG_NAME, State().configName, kConfigNameSize);
}

void OnPrograms(HWND dialog, WORD notification) {
    if (notification == EN_CHANGE)
        GetDlgItemTextA(dialog, IDC_PROGRAMS, State().programList, kProgramListSize);
}

void OnRemoveRow(HWND dialog) {
    RemoveRow(State(), SetupDialog().grid);
    BuildGrid(dialog);
}

void OnAddRow(HWND dialog) {
    AddRow(State());
    BuildGrid(dialog);
}

void OnVScroll(HWND dialog, WPARAM wParam) {
    ScrollGrid(dialog, LOWORD(wParam), HIWORD(wParam));
}

// Mouse messages carry the client point: x in the low 16 bits, y in the high 16 bits.
uint32_t PointerX(LPARAM point) {
    return LOWORD(point);
}

uint32_t PointerY(LPARAM point) {
    return HIWORD(point);
}

void OnLButtonDown(HWND dialog, LPARAM point) {
    OnGridPress(dialog, PointerX(point), PointerY(point));
}

void OnMouseMove(HWND dialog, WPARAM keyState, LPARAM point) {
    OnGridPointerMove(dialog, keyState, PointerY(point));
}

void OnLButtonUp(HWND dialog, WPARAM keyState, LPARAM point) {
    OnGridRelease(dialog, keyState, PointerY(point));
}

void OnCommand(HWND dialog, WPARAM wParam) {
    const int id = LOWORD(wParam);
    const WORD notification = HIWORD(wParam);
    switch (id) {
    case IDC_SETUP_OK:
        OnOk(dialog);
        return;
    case IDC_SETUP_CANCEL:
        OnCancel(dialog);
        return;
    case IDC_SETUP_DEFAULTS:
        OnDefaults(dialog);
        return;
    case IDC_TYPEMATIC:
        OnTypematic(dialog);
        return;
    case IDC_PORTABLE:
        OnPortableModeClick(dialog);
        return;
    case IDC_JOYSTICK_LIST:
        OnJoystickChoice(dialog, notification);
        return;
    case IDC_TIMING_SETUP:
        OnTimingSetup(dialog);
        return;
    case IDC_POINTER_SETUP:
        OnPointerSetup(dialog);
        return;
    case IDC_ABOUT:
        OnAbout(dialog);
        return;
    case IDC_CONFIG_NAME:
        OnConfigName(dialog, notification);
        return;
    case IDC_PROGRAMS:
        OnPrograms(dialog, notification);
        return;
    case IDC_REMOVE_ROW:
        OnRemoveRow(dialog);
        return;
    case IDC_ADD_ROW:
        OnAddRow(dialog);
        return;
    }
    if (id >= IDC_HEADER_FIRST && id <= IDC_HEADER_BLOCK_END)
        OnHeaderClick(dialog, id);
    else if (id >= IDC_ROW_CHECK_FIRST && id <= IDC_ROW_CHECK_LAST)
        OnChordClick(dialog, id);
    else if (id >= IDC_KEY_BUTTON_FIRST && id <= IDC_KEY_BUTTON_LAST)
        OnKeyButtonClick(dialog, id);
}

INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (State().captureActive.load() && CaptureStep(dialog, message == WM_TIMER))
        return TRUE;
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(dialog, lParam);
    case WM_ACTIVATE:
    case WM_ACTIVATEAPP:
        OnDialogActivation(message, wParam, lParam);
        return FALSE;
    case WM_CLOSE:
        OnClose(dialog);
        return FALSE;
    case WM_COMMAND:
        OnCommand(dialog, wParam);
        return FALSE;
    case WM_TIMER:
        OnTimer(dialog);
        return FALSE;
    case WM_VSCROLL:
        OnVScroll(dialog, wParam);
        return FALSE;
    case WM_LBUTTONDOWN:
        OnLButtonDown(dialog, lParam);
        return FALSE;
    case WM_MOUSEMOVE:
        OnMouseMove(dialog, wParam, lParam);
        return FALSE;
    case WM_LBUTTONUP:
        OnLButtonUp(dialog, wParam, lParam);
        return FALSE;
    case WM_CTLCOLOREDIT:
        return OnCtlColorEdit(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    }
    return FALSE;
}

} // namespace

void OpenSetupDialog(HWND owner) {
    if (State().setupDialog != nullptr)
        return;
    const SetupSnapshot opened = TakeSetupSnapshot(State());
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SETUP), owner, SetupDialogProc,
                    reinterpret_cast<LPARAM>(&opened));
}
