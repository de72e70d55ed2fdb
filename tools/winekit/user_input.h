#pragma once
// What the tools type and click as a user would: synthetic input marked as their own, so that
// checks can tell it from what the program injects.
#include <windows.h>

#include <vector>

constexpr ULONG_PTR kDriverInputMark = 0x50574B31; // "PWK1"

INPUT KeyStroke(UINT vk, bool down, bool extended = false);
// A mouse event at a point of the primary screen, in absolute coordinates.
INPUT MouseAt(DWORD flags, POINT screen);
// Sends all of them or fails, saying what could not be done.
void SendUserInput(std::vector<INPUT> inputs, const char* what);
void TapKey(UINT vk, bool extended = false); // down and up into the foreground window
// Makes the window the foreground window, or fails within the short timeout.
void BringToFront(HWND window);
// Moves (and with `flags` presses or lets go) the mouse at a point of `window`'s client area.
void MouseInClient(HWND window, LONG x, LONG y, DWORD flags = 0);
// BringToFront with the foreground notice Windows raises and Wine 8 does not raise itself.
void BringToFrontNoticed(HWND window);
