#pragma once
// The notification-area icon. Each call fills a record of its own, so the poll thread's change
// and the user-interface thread's add after a restart of the shell never share one.
#include <cstdint>

#include "app/program_state.h"

// NIM_ADD. The first call, made by start-up before the poll thread exists, also keeps the window
// and loads both icons at the system's small-icon size.
void TrayAdd(WindowHandle window, const char* tip, bool activeIcon);
void TrayModify(const char* tip, bool activeIcon); // NIM_MODIFY
void TrayRemove();                                 // NIM_DELETE

// RegisterWindowMessageA("TaskbarCreated"): the shell's notice that its notification area was
// made anew (started after the program, or restarted), with every icon gone.
uint32_t TaskbarCreatedMessage();
bool ProcessIsElevated(); // TokenElevation of the process's token
// ChangeWindowMessageFilterEx with MSGFLT_ALLOW: lets processes of lower rights send it.
void AllowMessageFromLowerRights(WindowHandle window, uint32_t message);
