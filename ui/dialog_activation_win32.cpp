#include "ui/dialog_activation_win32.h"

#include "core/program_state.h"
#include "ui/dialog_activation.h"

namespace {

// Owners nest no deeper than setup dialog, timing dialog, question.
constexpr int kOwnerDepth = 4;

bool IsOurDialog(HWND window) {
    const auto setup = static_cast<HWND>(State().setupDialog);
    for (int depth = 0; window != nullptr && depth < kOwnerDepth; ++depth) {
        if (window == setup)
            return true;
        window = GetWindow(window, GW_OWNER);
    }
    return false;
}

} // namespace

// WM_ACTIVATE names in lParam the window on the other side of the change; WM_ACTIVATEAPP reaches
// every top-level window of the thread, a dialog disabled under its open question included.
void OnDialogActivation(UINT message, WPARAM wParam, LPARAM lParam) {
    ActivationChange change{};
    change.programWide = message == WM_ACTIVATEAPP;
    change.activated = change.programWide ? wParam != FALSE : LOWORD(wParam) != WA_INACTIVE;
    change.otherIsOurDialog = !change.programWide && IsOurDialog(reinterpret_cast<HWND>(lParam));
    State().dialogActive.store(DialogActiveAfter(change));
}
