#pragma once
#include <windows.h>

// Registers the "Padwright" class and creates the hidden main window.
HWND CreateMainWindow(HINSTANCE module, const char* title);
