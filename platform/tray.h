#pragma once
// The notification-area icon. The record itself lives in platform/win32/.
#include "core/program_state.h"

void TrayAdd(WindowHandle window, const char* tip, bool activeIcon); // NIM_ADD
void TrayModify(const char* tip, bool activeIcon);                   // NIM_MODIFY
void TrayRemove();                                                   // NIM_DELETE
