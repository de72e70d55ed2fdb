#pragma once
// What the tray icon says about the joystick.
constexpr char kActiveTip[] = "PadwrightTool, double-click to exit, right-click for setup";
constexpr char kInactiveTip[] = "PadwrightTool is inactive, double-click to exit";
static_assert(sizeof(kActiveTip) <= 64 && sizeof(kInactiveTip) <= 64, "tips fit the 64-byte szTip");

// Active: the joystick is read. Inactive: it cannot be read.
void ShowTrayState(bool active);
