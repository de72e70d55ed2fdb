#include "tools/winekit/tray_menu.h"

#include <shellapi.h>

#include "tools/winekit/menu_reader/popup_menu_snapshot.h"
#include "tools/winekit/program.h"
#include "tools/winekit/user_input.h"

namespace {

constexpr char kPopupMenuClass[] = "#32768";
constexpr UINT kGetMenuHandle = 0x01E1; // MN_GETHMENU

struct MenuReader {
    HMODULE module = nullptr;
    HOOKPROC hook = nullptr;
    PopupMenuSnapshot* snapshot = nullptr;
    UINT readRequest = 0;
};

// The reader DLL beside the tool, and the shared memory it answers into (made once).
MenuReader& Reader() {
    static MenuReader reader;
    if (reader.snapshot != nullptr)
        return reader;
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, sizeof(self));
    std::string path = self;
    path = path.substr(0, path.find_last_of('\\') + 1) + kMenuReaderDll;
    reader.module = LoadLibraryA(path.c_str());
    reader.hook = reinterpret_cast<HOOKPROC>(
        reinterpret_cast<void*>(GetProcAddress(reader.module, kReadPopupMenuHookName)));
    Require(reader.hook != nullptr, "cannot load the menu reader " + path);
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        sizeof(PopupMenuSnapshot), kPopupMenuSnapshotMapping);
    auto* snapshot =
        mapping == nullptr
            ? nullptr
            : static_cast<PopupMenuSnapshot*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    Require(snapshot != nullptr,
            Format("cannot map the menu snapshot (error %lu)", GetLastError()));
    snapshot->magic = kPopupMenuSnapshotMagic;
    snapshot->size = sizeof(PopupMenuSnapshot);
    reader.readRequest = RegisterWindowMessageA(kReadPopupMenuMessage);
    reader.snapshot = snapshot; // the mapping stays open for the rest of the run
    return reader;
}

void WaitForMenuToClose(const TrayMenu& menu, const char* after) {
    WaitUntil(kShortTimeoutMs, Format("the tray menu to close after %s", after),
              [&] { return !IsWindow(menu.popup) || !IsWindowVisible(menu.popup); });
}

} // namespace

TrayMenu OpenTrayMenu(HWND mainWindow) {
    const DWORD processId = WindowProcessId(mainWindow);
    PostTrayCallback(mainWindow, WM_RBUTTONDOWN);
    HWND popup = nullptr;
    WaitUntil(kShortTimeoutMs, "the tray menu after a right-click on the tray icon", [&] {
        for (HWND w : TopLevelWindows(kPopupMenuClass, processId))
            popup = IsWindowVisible(w) ? w : popup;
        return popup != nullptr;
    });
    return ReadTrayMenu(popup);
}

TrayMenu ReadTrayMenu(HWND popup) {
    MenuReader& reader = Reader();
    DWORD processId = 0;
    const DWORD threadId = GetWindowThreadProcessId(popup, &processId);
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, reader.hook, reader.module, threadId);
    Require(hook != nullptr, Format("cannot place the menu reader on the program's thread "
                                    "(error %lu)",
                                    GetLastError()));
    PopupMenuSnapshot& snapshot = *reader.snapshot;
    const LONG request = InterlockedIncrement(&snapshot.requests);
    DWORD_PTR ignored = 0, menuHandle = 0;
    SendMessageTimeoutA(popup, reader.readRequest, 0, 0, SMTO_ABORTIFHUNG, kShortTimeoutMs,
                        &ignored);
    // The menu's own answer to MN_GETHMENU ties the reading to this very window.
    SendMessageTimeoutA(popup, kGetMenuHandle, 0, 0, SMTO_ABORTIFHUNG, kShortTimeoutMs,
                        &menuHandle);
    UnhookWindowsHookEx(hook);
    Require(snapshot.answers == request && snapshot.readerProcessId == processId &&
                snapshot.menu == menuHandle && snapshot.itemCount >= 0 &&
                snapshot.itemCount <= kSnapshotMaxItems,
            Format("the menu reader did not read the popup's menu inside the program (count %d, "
                   "error %d)",
                   snapshot.itemCount, snapshot.lastError));
    TrayMenu menu{popup, {}};
    for (int i = 0; i < snapshot.itemCount; ++i) {
        const PopupMenuSnapshotItem& s = snapshot.items[i];
        menu.items.push_back({s.id, std::string(s.text, strnlen(s.text, sizeof(s.text))),
                              (s.type & MFT_SEPARATOR) != 0, (s.state & MFS_CHECKED) != 0,
                              (s.state & MFS_GRAYED) != 0, (s.state & MFS_HILITE) != 0,
                              s.screenRect});
    }
    Trace("tray menu: %s", DescribeMenu(menu).c_str());
    return menu;
}

void ClickMenuItem(const TrayMenu& menu, UINT id) {
    const TrayMenuItem* target = nullptr;
    for (const TrayMenuItem& item : menu.items)
        target = !item.separator && item.id == id ? &item : target;
    Require(target != nullptr && target->screenRect.right > target->screenRect.left,
            Format("the tray menu has no item %u on screen: %s", id, DescribeMenu(menu).c_str()));
    const POINT at{(target->screenRect.left + target->screenRect.right) / 2,
                   (target->screenRect.top + target->screenRect.bottom) / 2};
    // Point first and click once the item is lit, as a hand does: the click then lands on the
    // item the menu itself holds under the pointer.
    SendUserInput({MouseAt(MOUSEEVENTF_MOVE, at)}, "move the pointer onto the menu item");
    WaitUntil(kShortTimeoutMs, Format("item %u to light up under the pointer", id), [&] {
        for (const TrayMenuItem& item : ReadTrayMenu(menu.popup).items)
            if (item.lit && item.id == id)
                return true;
        return false;
    });
    SendUserInput({MouseAt(MOUSEEVENTF_LEFTDOWN, at), MouseAt(MOUSEEVENTF_LEFTUP, at)},
                  "click the menu item");
    WaitForMenuToClose(menu, Format("a click on item %u", id).c_str());
}

void DismissMenuWithEscape(const TrayMenu& menu) {
    TapKey(VK_ESCAPE);
    WaitForMenuToClose(menu, "Escape");
}

std::string DescribeMenu(const TrayMenu& menu) {
    std::string text;
    for (const TrayMenuItem& item : menu.items) {
        text += text.empty() ? "" : " | ";
        if (item.separator) {
            text += "separator";
            continue;
        }
        text += Format("%u '%s'%s%s%s", item.id, item.text.c_str(), item.checked ? " checked" : "",
                       item.grayed ? " grayed" : "", item.lit ? " lit" : "");
    }
    return text.empty() ? "no items" : text;
}

bool AskShellOfTrayIcon(HWND mainWindow, DWORD what) {
    NOTIFYICONDATAA icon{};
    icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
    icon.hWnd = mainWindow;
    return Shell_NotifyIconA(what, &icon) != FALSE;
}
