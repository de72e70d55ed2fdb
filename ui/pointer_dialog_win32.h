#pragma once
// The pointer dialog: the stick that moves the pointer, its speed, curve and dead zone, and the
// wheel, with a live view of the stick.
#include <windows.h>

// Runs the pointer dialog modally over the setup dialog.
void OpenPointerDialog(HWND setupDialog);
