#include "ui/key_capture_win32.h"

#include "core/program_state.h"
#include "ui/setup_dialog_win32.h"
#include "ui/setup_grid_win32.h"

namespace {

// The hook belongs to the user-interface thread for the life of the process, and so does what it
// has seen for the capture steps.
HHOOK extendedKeyHook = nullptr;
KeyMessageMemory keyMessages;

LRESULT CALLBACK ExtendedKeyHook(int code, WPARAM wParam, LPARAM lParam) {
    const MSG* message = reinterpret_cast<const MSG*>(lParam);
    if (code >= 0 && message != nullptr)
        NoteKeyMessage(SetupDialog(), keyMessages, message->message, message->wParam,
                       static_cast<uint64_t>(message->lParam));
    return CallNextHookEx(extendedKeyHook, code, wParam, lParam);
}

} // namespace

void DialogCaptureView::ShowChordCheck(int controlId, bool checked) {
    if (HWND box = GetDlgItem(dialog_, controlId))
        SendMessageA(box, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void DialogCaptureView::ShowKeyName(uint8_t vk, uint8_t scan, int keyButtonId) {
    ::ShowKeyName(dialog_, vk, scan, keyButtonId);
}

// Only input is looked at, so no message is handled from in here.
bool DialogCaptureView::KeyDownWaiting() {
    MSG message;
    constexpr UINT kPeek = PM_NOREMOVE | PM_QS_INPUT;
    return PeekMessageA(&message, nullptr, WM_KEYDOWN, WM_KEYDOWN, kPeek) ||
           PeekMessageA(&message, nullptr, WM_SYSKEYDOWN, WM_SYSKEYDOWN, kPeek);
}

void StartKeyCapture(HWND dialog, int keyButtonId) {
    BeginKeyCapture(State(), SetupDialog(), keyMessages, keyButtonId);
    SetDlgItemTextA(dialog, keyButtonId, kChooseKeyText);
}

bool CaptureStep(HWND dialog, bool timerTick) {
    DialogCaptureView view(dialog);
    return StepKeyCapture(State(), SetupDialog(), keyMessages, view, timerTick);
}

void InstallExtendedKeyHook() {
    if (extendedKeyHook == nullptr)
        extendedKeyHook =
            SetWindowsHookExA(WH_MSGFILTER, ExtendedKeyHook, nullptr, GetCurrentThreadId());
}

void RemoveExtendedKeyHook() {
    if (extendedKeyHook != nullptr)
        UnhookWindowsHookEx(extendedKeyHook);
    extendedKeyHook = nullptr;
}
