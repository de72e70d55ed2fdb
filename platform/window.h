#pragma once
// Small window operations the program's decisions need.

// A window of the system, as neutral code carries it.
using WindowHandle = void*;

void SetWindowTitle(WindowHandle window, const char* title); // SetWindowTextA
