#include <windows.h>

#include "platform/input.h"

static_assert(KEYEVENTF_EXTENDEDKEY == kKeyEventExtended && KEYEVENTF_KEYUP == kKeyEventKeyUp);
static_assert(MOUSEEVENTF_LEFTDOWN == kMouseLeftDown && MOUSEEVENTF_LEFTUP == kMouseLeftUp);
static_assert(MOUSEEVENTF_RIGHTDOWN == kMouseRightDown && MOUSEEVENTF_RIGHTUP == kMouseRightUp);
static_assert(MOUSEEVENTF_MIDDLEDOWN == kMouseMiddleDown && MOUSEEVENTF_MIDDLEUP == kMouseMiddleUp);
static_assert(MOUSEEVENTF_XDOWN == kMouseXDown && MOUSEEVENTF_XUP == kMouseXUp);
static_assert(XBUTTON1 == kXButton1 && XBUTTON2 == kXButton2);

void InjectKey(uint8_t vk, uint8_t scan, uint32_t flags) {
    keybd_event(vk, scan, flags, 0);
}

void InjectMouse(uint32_t flags, uint32_t data) {
    mouse_event(flags, 0, 0, data, 0);
}

uint32_t ScanCodeOfKey(uint32_t vk) {
    return MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
}

bool IsKeyDownNow(uint32_t vk) {
    return (GetAsyncKeyState(static_cast<int>(vk)) & 0x8000) != 0;
}
