// The menu reader: a call-window-procedure hook that the driver installs on the program's
// user-interface thread while a popup menu is open. Wine loads this DLL into the program for
// the hook; when the driver sends the read request to the popup window, the hook reads that
// window's menu with the ordinary menu calls, in the process that owns it, and writes what it
// found into the driver's shared memory. It changes nothing in the program and calls the next
// hook for every message.
#include <windows.h>

#include <cstring>

#include "tools/winekit/menu_reader/popup_menu_snapshot.h"

namespace {

constexpr UINT kGetMenuHandle = 0x01E1; // MN_GETHMENU

bool IsPopupMenuWindow(HWND window) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof(name));
    return std::strcmp(name, "#32768") == 0;
}

void ReadItem(HMENU menu, int position, PopupMenuSnapshotItem& item) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE;
    if (GetMenuItemInfoA(menu, UINT(position), TRUE, &info)) {
        item.id = info.wID;
        item.type = info.fType;
        item.state = info.fState;
    }
    item.textChars =
        GetMenuStringA(menu, UINT(position), item.text, sizeof(item.text), MF_BYPOSITION);
    if (!GetMenuItemRect(nullptr, menu, UINT(position), &item.screenRect))
        item.screenRect = RECT{};
}

void ReadMenuInto(HWND popup, PopupMenuSnapshot& snapshot) {
    HMENU menu = reinterpret_cast<HMENU>(SendMessageA(popup, kGetMenuHandle, 0, 0));
    snapshot.readerProcessId = GetCurrentProcessId();
    snapshot.readerThreadId = GetCurrentThreadId();
    snapshot.menu = reinterpret_cast<uint64_t>(menu);
    SetLastError(0);
    snapshot.itemCount = GetMenuItemCount(menu);
    snapshot.lastError = int32_t(GetLastError());
    std::memset(snapshot.items, 0, sizeof(snapshot.items));
    for (int i = 0; i < snapshot.itemCount && i < kSnapshotMaxItems; ++i)
        ReadItem(menu, i, snapshot.items[i]);
}

void AnswerReadRequest(HWND popup) {
    HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, kPopupMenuSnapshotMapping);
    if (mapping == nullptr)
        return;
    auto* snapshot = static_cast<PopupMenuSnapshot*>(
        MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(PopupMenuSnapshot)));
    if (snapshot != nullptr) {
        if (snapshot->magic == kPopupMenuSnapshotMagic &&
            snapshot->size == sizeof(PopupMenuSnapshot)) {
            ReadMenuInto(popup, *snapshot);
            InterlockedExchange(&snapshot->answers, snapshot->requests);
        }
        UnmapViewOfFile(snapshot);
    }
    CloseHandle(mapping);
}

} // namespace

extern "C" LRESULT CALLBACK ReadPopupMenuHook(int code, WPARAM wParam, LPARAM lParam) {
    static const UINT readRequest = RegisterWindowMessageA(kReadPopupMenuMessage);
    if (code == HC_ACTION) {
        const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (call->message == readRequest && IsPopupMenuWindow(call->hwnd))
            AnswerReadRequest(call->hwnd);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
