#pragma once
// What the driver types and clicks as a user would: synthetic input, marked as the driver's own
// so that checks can tell it from what the program injects.
#include <windows.h>

#include <vector>

constexpr ULONG_PTR kDriverKeyMark = 0x50574B31; // "PWK1"

INPUT KeyStroke(UINT vk, bool down, bool extended = false);
// A mouse event at a point of the primary screen, in absolute coordinates.
INPUT MouseAt(DWORD flags, POINT screen);
// Sends all of them or fails the case, saying what could not be done.
void SendUserInput(std::vector<INPUT> inputs, const char* what);

// One key event, and a whole key press (down and up), into the foreground window.
void TypeKey(UINT vk, bool down, bool extended = false);
void TapKey(UINT vk);
// Makes the window the foreground window, or fails the case within the short timeout.
void BringToFront(HWND window);
