#include <windows.h>

#include "platform/window.h"

void SetWindowTitle(WindowHandle window, const char* title) {
    SetWindowTextA(static_cast<HWND>(window), title);
}
