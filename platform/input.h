#pragma once
// Synthetic keyboard and mouse-button events, and the keyboard queries.
#include <cstdint>

// keybd_event flags
constexpr uint32_t kKeyEventExtended = 0x0001;
constexpr uint32_t kKeyEventKeyUp = 0x0002;

// mouse_event flags and X button data
constexpr uint32_t kMouseLeftDown = 0x0002;
constexpr uint32_t kMouseLeftUp = 0x0004;
constexpr uint32_t kMouseRightDown = 0x0008;
constexpr uint32_t kMouseRightUp = 0x0010;
constexpr uint32_t kMouseMiddleDown = 0x0020;
constexpr uint32_t kMouseMiddleUp = 0x0040;
constexpr uint32_t kMouseXDown = 0x0080;
constexpr uint32_t kMouseXUp = 0x0100;
constexpr uint32_t kXButton1 = 1;
constexpr uint32_t kXButton2 = 2;

void InjectKey(uint8_t vk, uint8_t scan, uint32_t flags);   // keybd_event, extra info 0
void InjectMouse(uint32_t flags, uint32_t data);            // mouse_event, no movement

// MapVirtualKeyA with map type 0 (virtual key to scan code).
uint32_t ScanCodeOfKey(uint32_t vk);
// GetAsyncKeyState(vk) & 0x8000.
bool IsKeyDownNow(uint32_t vk);
