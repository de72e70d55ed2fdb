#pragma once
// What the tray icon says about the joystick, and the icon brought back when the shell's
// notification area is made anew.
#include "core/program_state.h"

constexpr char kActiveTip[] = "PadwrightTool, double-click to exit, right-click for setup";
constexpr char kInactiveTip[] = "PadwrightTool is inactive, double-click to exit";
static_assert(sizeof(kActiveTip) <= 64 && sizeof(kInactiveTip) <= 64, "tips fit the 64-byte szTip");

// Start-up, before the poll thread: the icon with the active tip.
void AddTrayIcon(WindowHandle window);

// Poll thread. Active: the joystick is read. Inactive: it cannot be read.
void ShowTrayState(ProgramState& s, bool active);

// User-interface thread, on the shell's "TaskbarCreated": adds the icon again (or for the first
// time, if the shell was not there at start-up) with the state shown last. A change of state
// made while the icon was gone may have been lost, so the poll thread is asked to repeat its own.
void RestoreTrayIcon(ProgramState& s);
