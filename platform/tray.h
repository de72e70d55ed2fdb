#pragma once
// The notification-area icon. Each call fills a record of its own, so the poll thread's change
// and the user-interface thread's add after a restart of the shell never share one.
#include <cstdint>

#include "platform/window.h"

// The resource numbers of the two icons in the program's own module.
struct TrayIconIds {
    int active;
    int inactive;
};

// Start-up, before the poll thread exists: keeps the window the icon reports to and loads both
// icons at the system's small-icon size.
void TraySetUp(WindowHandle window, TrayIconIds icons);
void TrayAdd(const char* tip, bool activeIcon);    // NIM_ADD
void TrayModify(const char* tip, bool activeIcon); // NIM_MODIFY
void TrayRemove();                                 // NIM_DELETE

// RegisterWindowMessageA("TaskbarCreated"): the shell's notice that its notification area was
// made anew (started after the program, or restarted), with every icon gone.
uint32_t TaskbarCreatedMessage();
bool ProcessIsElevated(); // TokenElevation of the process's token
// ChangeWindowMessageFilterEx with MSGFLT_ALLOW: lets processes of lower rights send it.
void AllowMessageFromLowerRights(WindowHandle window, uint32_t message);
