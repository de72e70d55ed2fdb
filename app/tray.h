#pragma once
// What the tray icon says about the joystick, and the icon brought back when the shell's
// notification area is made anew.
#include "core/program_state.h"

constexpr char kActiveTip[] = "PadwrightTool, double-click to exit, right-click for setup";
constexpr char kInactiveTip[] = "PadwrightTool is inactive, double-click to exit";
constexpr int kTipSize = 64; // szTip
static_assert(sizeof(kActiveTip) <= kTipSize && sizeof(kInactiveTip) <= kTipSize,
              "tips fit the 64-byte szTip");
// The active tip while a slot other than the user's is in use for the program in front.
constexpr char kFollowingTipStart[] = "PadwrightTool uses slot ";
constexpr char kFollowingTipEnd[] = " for the program in front";
static_assert(sizeof(kFollowingTipStart) + sizeof(kFollowingTipEnd) <= kTipSize);

// The tip for the state, built in `tip` when it names the followed slot.
const char* TrayTip(const ProgramState& s, bool active, char (&tip)[kTipSize]);

// Start-up, before the poll thread: the icon with the active tip.
void AddTrayIcon(WindowHandle window);

// Poll thread. Active: the joystick is read. Inactive: it cannot be read. The user-interface
// thread asks for a repeat (showAgain) when the followed slot changes.
void ShowTrayState(ProgramState& s, bool active);

// User-interface thread, on the shell's "TaskbarCreated": adds the icon again (or for the first
// time, if the shell was not there at start-up) with the state shown last. A change of state
// made while the icon was gone may have been lost, so the poll thread is asked to repeat its own.
void RestoreTrayIcon(ProgramState& s);
