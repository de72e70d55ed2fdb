#pragma once
// Modal message boxes, all with the one caption start-up gives.
#include <cstdint>

#include "platform/window.h"

constexpr uint32_t kMbOk = 0x0;
constexpr uint32_t kMbOkCancel = 0x1;
constexpr uint32_t kMbYesNo = 0x4;
constexpr uint32_t kMbSetForeground = 0x10000; // in front even when owned by the hidden window
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

// The caption of every message box from now on; start-up sets it before anything can ask.
void SetMessageBoxCaption(const char* caption);
// MessageBoxA(owner, text, caption, buttons); returns the button chosen.
int ShowMessageBox(WindowHandle owner, const char* text, uint32_t buttons);
