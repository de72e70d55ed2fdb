// The notification-area icon, and what an elevated program needs to hear the shell.
#include <windows.h>

#include <shellapi.h>

#include <cstring>

#include "platform/tray.h"

namespace {
// Set up by start-up, before the poll thread starts; only read afterwards.
HWND trayWindow;
HICON activeIcon;
HICON inactiveIcon;

// The small-icon size is the notification area's: LoadIcon would give the 32-pixel image,
// which the shell then scales down.
HICON LoadSmallIcon(int id) {
    return static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id),
                                         IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                         GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
}

void Notify(DWORD what, const char* tip, bool active) {
    NOTIFYICONDATAA record{};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = trayWindow;
    record.uID = 0;
    if (tip != nullptr) {
        record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        record.uCallbackMessage = WM_USER;
        record.hIcon = active ? activeIcon : inactiveIcon;
        std::strncpy(record.szTip, tip, sizeof(record.szTip) - 1);
    }
    Shell_NotifyIconA(what, &record);
}
} // namespace

void TraySetUp(WindowHandle window, TrayIconIds icons) {
    trayWindow = static_cast<HWND>(window);
    activeIcon = LoadSmallIcon(icons.active);
    inactiveIcon = LoadSmallIcon(icons.inactive);
}

void TrayAdd(const char* tip, bool active) { Notify(NIM_ADD, tip, active); }

void TrayModify(const char* tip, bool active) { Notify(NIM_MODIFY, tip, active); }

void TrayRemove() { Notify(NIM_DELETE, nullptr, false); }

uint32_t TaskbarCreatedMessage() {
    // Registered at its first use, on the user-interface thread, like every later use.
    static UINT message;
    if (message == 0)
        message = RegisterWindowMessageA("TaskbarCreated");
    return message;
}

bool ProcessIsElevated() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    const BOOL read =
        GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size);
    CloseHandle(token);
    return read && elevation.TokenIsElevated != 0;
}

void AllowMessageFromLowerRights(WindowHandle window, uint32_t message) {
    ChangeWindowMessageFilterEx(static_cast<HWND>(window), message, MSGFLT_ALLOW, nullptr);
}
