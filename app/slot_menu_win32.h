#pragma once
#include <windows.h>

// Shows the tray icon's slot menu at the cursor; the chosen item arrives as WM_COMMAND.
void ShowSlotMenu(HWND mainWindow);
