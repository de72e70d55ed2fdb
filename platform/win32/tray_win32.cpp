// The notification-area icon. The record is filled once by start-up; afterwards only the poll
// thread changes its tip and icon, and the removal uses a record of its own.
#include <windows.h>

#include <shellapi.h>

#include <cstring>

#include "platform/tray.h"

namespace {
NOTIFYICONDATAA trayRecord;
HICON activeIcon;
HICON inactiveIcon;

void CopyTip(const char* tip) {
    std::strncpy(trayRecord.szTip, tip, sizeof(trayRecord.szTip) - 1);
    trayRecord.szTip[sizeof(trayRecord.szTip) - 1] = '\0';
}
} // namespace

void TrayAdd(WindowHandle window, const char* tip, bool active, TrayIconIds icons) {
    HINSTANCE module = GetModuleHandleA(nullptr);
    activeIcon = LoadIconA(module, MAKEINTRESOURCEA(icons.active));
    inactiveIcon = LoadIconA(module, MAKEINTRESOURCEA(icons.inactive));
    std::memset(&trayRecord, 0, sizeof(trayRecord));
    trayRecord.cbSize = NOTIFYICONDATAA_V1_SIZE;
    trayRecord.hWnd = static_cast<HWND>(window);
    trayRecord.uID = 0;
    trayRecord.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    trayRecord.uCallbackMessage = WM_USER;
    trayRecord.hIcon = active ? activeIcon : inactiveIcon;
    CopyTip(tip);
    Shell_NotifyIconA(NIM_ADD, &trayRecord);
}

void TrayModify(const char* tip, bool active) {
    CopyTip(tip);
    trayRecord.hIcon = active ? activeIcon : inactiveIcon;
    Shell_NotifyIconA(NIM_MODIFY, &trayRecord);
}

void TrayRemove() {
    NOTIFYICONDATAA removal{};
    removal.cbSize = NOTIFYICONDATAA_V1_SIZE;
    removal.hWnd = trayRecord.hWnd;
    removal.uID = 0;
    Shell_NotifyIconA(NIM_DELETE, &removal);
}
