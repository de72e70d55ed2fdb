#pragma once
// The setup dialog, opened from the tray, and the message hook its key capture relies on.
#include <windows.h>

// Runs the setup dialog modally, unless one is open already.
void OpenSetupDialog(HWND owner);

// The hook that tells key capture whether the key pressed is an extended one: installed for the
// user-interface thread at start-up, removed at exit.
void InstallExtendedKeyHook();
void RemoveExtendedKeyHook();
