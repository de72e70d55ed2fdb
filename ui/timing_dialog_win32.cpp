// The timing dialog: the procedure dispatches; the handlers read and write controls around the
// rules of ui/timing_rules.h.
#include "ui/timing_dialog_win32.h"

#include <commctrl.h>

#include "core/key_map.h"
#include "core/program_state.h"
#include "platform/message_box.h"
#include "res/resource_ids.h"
#include "res/timing_dialog_ids.h"
#include "store/slot_store.h"
#include "ui/dialog_activation_win32.h"
#include "ui/joystick_warning.h"
#include "ui/save_warning.h"
#include "ui/timing_rules.h"

namespace {

constexpr int kSpinIds[] = {IDC_POLLING_SPIN, IDC_DELAY_SPIN, IDC_INTERVAL_SPIN};
constexpr char kResetQuestion[] = "Reset to default settings?";

void FillSpin(HWND dialog, int id) {
    SendDlgItemMessageA(dialog, id, UDM_SETRANGE, 0, MAKELPARAM(kSpinMax, kSpinMin));
    UDACCEL accel[2];
    for (int i = 0; i < 2; ++i)
        accel[i] = {kSpinAccel[i].seconds, kSpinAccel[i].increment};
    SendDlgItemMessageA(dialog, id, UDM_SETACCEL, 2, reinterpret_cast<LPARAM>(accel));
}

// The box's number, validated, written back; returns what stands.
int32_t CommitBox(HWND dialog, int id, int32_t (*valid)(bool, uint32_t)) {
    char text[64] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    uint32_t number = 0;
    const bool readable = ReadTimingText(text, number);
    const int32_t value = valid(readable, number);
    SetDlgItemInt(dialog, id, static_cast<UINT>(value), FALSE);
    return value;
}

BOOL OnInitDialog(HWND dialog) {
    FillTimingControls(dialog);
    return TRUE;
}

INT_PTR OnNotify(HWND dialog, const NMHDR* header) {
    if (header->code != UDN_DELTAPOS)
        return FALSE;
    const auto* change = reinterpret_cast<const NMUPDOWN*>(header);
    const BOOL refuse = AcceptSpin(change->iPos, change->iDelta) ? FALSE : TRUE;
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, refuse);
    return TRUE;
}


void OnCancel(HWND dialog) {
    LoadTiming(State());
    EndDialog(dialog, 0);
}

void OnDefault(HWND dialog) {
    if (ShowMessageBox(dialog, kResetQuestion, kMbOkCancel) != kIdOk)
        return;
    ResetTimingDefaults(State());
    FillTimingControls(dialog);
}

void OnBoxLostFocus(HWND dialog) {
    ProgramState& s = State();
    s.timing.pollingInterval.store(CommitBox(dialog, IDC_POLLING_EDIT, ValidInterval));
    s.timing.typematicDelay.store(CommitBox(dialog, IDC_DELAY_EDIT, ValidTypematicDelay));
    s.timing.typematicInterval.store(CommitBox(dialog, IDC_INTERVAL_EDIT, ValidInterval));
}

// Enter in a box reaches OK while the box still has the focus, so nothing has committed the
// typed value yet; without committing here it would be saved stale and commit only as the
// dialog goes away.
void OnOk(HWND dialog) {
    OnBoxLostFocus(dialog);
    if (SavedOrWarned(SaveTiming(State()), dialog))
        EndDialog(dialog, 0);
}

void OnThresholdMoved(HWND dialog) {
    ProgramState& s = State();
    const auto position =
        static_cast<int32_t>(SendDlgItemMessageA(dialog, IDC_THRESHOLD_SLIDER, TBM_GETPOS, 0, 0));
    s.timing.thresholdPercent.store(position);
    SetDlgItemInt(dialog, IDC_THRESHOLD_TEXT, static_cast<UINT>(position), FALSE);
    CalibrateOrWarn(s, dialog);
}

void OnCommand(HWND dialog, WPARAM wParam) {
    switch (LOWORD(wParam)) {
    case IDC_TIMING_OK:
        OnOk(dialog);
        return;
    case IDC_TIMING_CANCEL:
        OnCancel(dialog);
        return;
    case IDC_TIMING_DEFAULT:
        OnDefault(dialog);
        return;
    }
    if (HIWORD(wParam) == EN_KILLFOCUS)
        OnBoxLostFocus(dialog);
}

} // namespace

void FillTimingControls(HWND dialog) {
    const ProgramState& s = State();
    SetDlgItemInt(dialog, IDC_POLLING_EDIT, static_cast<UINT>(s.timing.pollingInterval.load()), FALSE);
    SetDlgItemInt(dialog, IDC_DELAY_EDIT, static_cast<UINT>(s.timing.typematicDelay.load()), FALSE);
    SetDlgItemInt(dialog, IDC_INTERVAL_EDIT, static_cast<UINT>(s.timing.typematicInterval.load()), FALSE);
    SetDlgItemInt(dialog, IDC_THRESHOLD_TEXT, static_cast<UINT>(s.timing.thresholdPercent.load()), FALSE);
    SendDlgItemMessageA(dialog, IDC_THRESHOLD_SLIDER, TBM_SETRANGE, TRUE,
                        MAKELPARAM(kThresholdMin, kThresholdMax));
    SendDlgItemMessageA(dialog, IDC_THRESHOLD_SLIDER, TBM_SETSEL, FALSE,
                        MAKELPARAM(kThresholdMin, kThresholdMax));
    SendDlgItemMessageA(dialog, IDC_THRESHOLD_SLIDER, TBM_SETPAGESIZE, 0, kThresholdPage);
    SendDlgItemMessageA(dialog, IDC_THRESHOLD_SLIDER, TBM_SETTICFREQ, kThresholdTick, 0);
    SendDlgItemMessageA(dialog, IDC_THRESHOLD_SLIDER, TBM_SETPOS, TRUE, s.timing.thresholdPercent.load());
    for (int id : kSpinIds)
        FillSpin(dialog, id);
}

INT_PTR CALLBACK TimingDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ACTIVATE:
    case WM_ACTIVATEAPP:
        OnDialogActivation(message, wParam, lParam);
        return FALSE;
    case WM_NOTIFY:
        return OnNotify(dialog, reinterpret_cast<const NMHDR*>(lParam));
    case WM_INITDIALOG:
        return OnInitDialog(dialog);
    case WM_COMMAND:
        OnCommand(dialog, wParam);
        return FALSE;
    case WM_HSCROLL:
        OnThresholdMoved(dialog);
        return FALSE;
    }
    return FALSE;
}

void OpenTimingDialog(HWND setupDialog) {
    // The up-down and trackbar classes must be registered before the template is created.
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_UPDOWN_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_TIMING), setupDialog,
                    TimingDialogProc, 0);
}
