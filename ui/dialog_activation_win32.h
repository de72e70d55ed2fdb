#pragma once
// WM_ACTIVATE and WM_ACTIVATEAPP of the setup and timing dialogs: the Win32 side of
// ui/dialog_activation.h.
#include <windows.h>

void OnDialogActivation(UINT message, WPARAM wParam, LPARAM lParam);
