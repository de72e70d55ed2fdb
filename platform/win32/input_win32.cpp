#include <windows.h>

#include <algorithm>

#include "platform/input.h"

static_assert(KEYEVENTF_EXTENDEDKEY == kKeyEventExtended && KEYEVENTF_KEYUP == kKeyEventKeyUp);
static_assert(MOUSEEVENTF_LEFTDOWN == kMouseLeftDown && MOUSEEVENTF_LEFTUP == kMouseLeftUp);
static_assert(MOUSEEVENTF_RIGHTDOWN == kMouseRightDown && MOUSEEVENTF_RIGHTUP == kMouseRightUp);
static_assert(MOUSEEVENTF_MIDDLEDOWN == kMouseMiddleDown && MOUSEEVENTF_MIDDLEUP == kMouseMiddleUp);
static_assert(MOUSEEVENTF_XDOWN == kMouseXDown && MOUSEEVENTF_XUP == kMouseXUp);
static_assert(MOUSEEVENTF_MOVE == kMouseMove && MOUSEEVENTF_WHEEL == kMouseWheel);
static_assert(WHEEL_DELTA == kWheelDelta);
static_assert(XBUTTON1 == kXButton1 && XBUTTON2 == kXButton2);

uint32_t SendInputEvents(const InputEvent* events, uint32_t count) {
    INPUT inputs[kMaxEventsPerSend]{};
    count = std::min(count, kMaxEventsPerSend);
    for (uint32_t k = 0; k < count; ++k) {
        const InputEvent& e = events[k];
        if (e.kind == InputEvent::Key) {
            inputs[k].type = INPUT_KEYBOARD;
            inputs[k].ki.wVk = e.vk;
            inputs[k].ki.wScan = e.scan;
            inputs[k].ki.dwFlags = e.flags;
        } else {
            inputs[k].type = INPUT_MOUSE;
            inputs[k].mi.dx = e.dx;
            inputs[k].mi.dy = e.dy;
            inputs[k].mi.mouseData = e.data;
            inputs[k].mi.dwFlags = e.flags;
        }
    }
    return count == 0 ? 0 : SendInput(count, inputs, sizeof(INPUT));
}

uint32_t ScanCodeOfKey(uint32_t vk) {
    return MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
}

bool IsKeyDownNow(uint32_t vk) {
    return (GetAsyncKeyState(static_cast<int>(vk)) & 0x8000) != 0;
}
