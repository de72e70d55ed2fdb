#include "tools/winekit/user_input.h"

#include "tools/winekit/wait.h"

INPUT KeyStroke(UINT vk, bool down, bool extended) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = static_cast<WORD>(vk);
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = (down ? 0 : KEYEVENTF_KEYUP) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
    input.ki.dwExtraInfo = kDriverInputMark;
    return input;
}

INPUT MouseAt(DWORD flags, POINT screen) {
    // Absolute coordinates run from 0 to 65535 across the primary screen.
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = LONG((screen.x * 65535LL + width / 2) / (width - 1));
    input.mi.dy = LONG((screen.y * 65535LL + height / 2) / (height - 1));
    input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
    input.mi.dwExtraInfo = kDriverInputMark;
    return input;
}

void SendUserInput(std::vector<INPUT> inputs, const char* what) {
    const UINT sent = SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT));
    Require(sent == inputs.size(), Format("cannot %s: SendInput took %u of %zu events (error %lu)",
                                          what, sent, inputs.size(), GetLastError()));
}

void TapKey(UINT vk, bool extended) {
    SendUserInput({KeyStroke(vk, true, extended), KeyStroke(vk, false, extended)}, "press a key");
}

void BringToFront(HWND window) {
    if (GetForegroundWindow() != window)
        SetForegroundWindow(window);
    WaitUntil(kShortTimeoutMs, "the window to come to the front",
              [&] { return GetForegroundWindow() == window; });
}

void MouseInClient(HWND window, LONG x, LONG y, DWORD flags) {
    POINT at{x, y};
    ClientToScreen(window, &at);
    SendUserInput({MouseAt(flags | MOUSEEVENTF_MOVE, at)}, "move or press the mouse");
    Sleep(10);
}

void BringToFrontNoticed(HWND window) {
    BringToFront(window);
    NotifyWinEvent(EVENT_SYSTEM_FOREGROUND, window, OBJID_WINDOW, CHILDID_SELF);
}
