#pragma once
// The timing dialog: polling interval, typematic delay and interval, and the axis threshold.
#include <windows.h>

// Writes the four timing values and the control ranges; at opening and after "Default".
void FillTimingControls(HWND dialog);
INT_PTR CALLBACK TimingDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Runs the timing dialog modally over the setup dialog.
void OpenTimingDialog(HWND setupDialog);
