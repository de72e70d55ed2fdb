#pragma once
// The notification-area icon. The record itself lives in platform/win32/.
#include "platform/window.h"

// The resource numbers of the two icons in the program's own module.
struct TrayIconIds {
    int active;
    int inactive;
};

void TrayAdd(WindowHandle window, const char* tip, bool activeIcon, TrayIconIds icons); // NIM_ADD
void TrayModify(const char* tip, bool activeIcon);                   // NIM_MODIFY
void TrayRemove();                                                   // NIM_DELETE
