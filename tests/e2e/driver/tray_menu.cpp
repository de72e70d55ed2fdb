#include "tests/e2e/driver/tray_menu.h"

#include "tests/e2e/common/popup_menu_snapshot.h"
#include "tests/e2e/driver/case_runner.h"
#include "tests/e2e/driver/program_windows.h"
#include "tests/e2e/driver/user_input.h"

namespace {

constexpr char kPopupMenuClass[] = "#32768";
constexpr UINT kGetMenuHandle = 0x01E1; // MN_GETHMENU

struct MenuReader {
    HMODULE module = nullptr;
    HOOKPROC hook = nullptr;
    PopupMenuSnapshot* snapshot = nullptr;
    UINT readRequest = 0;
};

// The reader DLL beside the driver, and the shared memory it answers into (made once a run).
MenuReader& Reader() {
    static MenuReader reader;
    if (reader.snapshot != nullptr)
        return reader;
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, sizeof(self));
    std::string path = self;
    path = path.substr(0, path.find_last_of('\\') + 1) + kMenuReaderDll;
    reader.module = LoadLibraryA(path.c_str());
    if (reader.module == nullptr)
        Fail(Format("cannot load the menu reader %s (error %lu); it belongs beside the driver",
                    path.c_str(), GetLastError()));
    reader.hook = reinterpret_cast<HOOKPROC>(
        reinterpret_cast<void*>(GetProcAddress(reader.module, kReadPopupMenuHookName)));
    if (reader.hook == nullptr)
        Fail(Format("the menu reader does not export %s", kReadPopupMenuHookName));
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        sizeof(PopupMenuSnapshot), kPopupMenuSnapshotMapping);
    if (mapping == nullptr)
        Fail(Format("cannot create the menu snapshot memory (error %lu)", GetLastError()));
    auto* snapshot = static_cast<PopupMenuSnapshot*>(
        MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(PopupMenuSnapshot)));
    if (snapshot == nullptr)
        Fail(Format("cannot map the menu snapshot memory (error %lu)", GetLastError()));
    snapshot->magic = kPopupMenuSnapshotMagic;
    snapshot->size = sizeof(PopupMenuSnapshot);
    reader.readRequest = RegisterWindowMessageA(kReadPopupMenuMessage);
    reader.snapshot = snapshot; // the mapping stays open for the rest of the run
    return reader;
}

struct PopupSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindPopupOf(HWND window, LPARAM param) {
    auto& search = *reinterpret_cast<PopupSearch*>(param);
    char name[16] = {};
    GetClassNameA(window, name, sizeof(name));
    if (std::string(name) != kPopupMenuClass || !IsWindowVisible(window) ||
        WindowProcessId(window) != search.processId)
        return TRUE;
    search.found = window;
    return FALSE;
}

POINT Centre(const RECT& r) {
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void WaitForMenuToClose(const TrayMenu& menu, const char* after) {
    WaitUntil(kShortTimeoutMs, Format("the tray menu to close after %s", after),
              [&] { return !IsWindow(menu.popup) || !IsWindowVisible(menu.popup); });
}

} // namespace

HWND FindOpenMenu(DWORD processId) {
    PopupSearch search{processId, nullptr};
    EnumWindows(FindPopupOf, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND OpenTrayMenu(HWND mainWindow) {
    const DWORD processId = WindowProcessId(mainWindow);
    PostTrayCallback(mainWindow, WM_RBUTTONDOWN);
    HWND popup = nullptr;
    WaitUntil(kShortTimeoutMs, "the tray menu after a right-click on the tray icon",
              [&] { return (popup = FindOpenMenu(processId)) != nullptr; });
    Trace("tray menu window %p is on screen", static_cast<void*>(popup));
    return popup;
}

TrayMenu ReadTrayMenu(HWND popup) {
    MenuReader& reader = Reader();
    DWORD processId = 0;
    const DWORD threadId = GetWindowThreadProcessId(popup, &processId);
    Require(threadId != 0, "the tray menu's window is gone before it could be read");
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, reader.hook, reader.module, threadId);
    if (hook == nullptr)
        Fail(Format("cannot place the menu reader on the program's thread (error %lu)",
                    GetLastError()));
    PopupMenuSnapshot& snapshot = *reader.snapshot;
    const LONG request = InterlockedIncrement(&snapshot.requests);
    DWORD_PTR ignored = 0;
    const bool answered = SendMessageTimeoutA(popup, reader.readRequest, 0, 0, SMTO_ABORTIFHUNG,
                                              kShortTimeoutMs, &ignored) != 0;
    const DWORD sendError = GetLastError();
    // The menu's own answer to MN_GETHMENU, to tie the reading to this very window.
    DWORD_PTR menuHandle = 0;
    SendMessageTimeoutA(popup, kGetMenuHandle, 0, 0, SMTO_ABORTIFHUNG, kShortTimeoutMs,
                        &menuHandle);
    UnhookWindowsHookEx(hook);
    Require(answered, Format("the tray menu's window did not take the read request within %lu "
                             "ms (error %lu)",
                             kShortTimeoutMs, sendError));
    Require(snapshot.answers == request,
            "the menu reader did not answer from inside the program (was the hook DLL loaded?)");
    Require(snapshot.readerProcessId == processId,
            Format("the menu was read in process %u, not in the program's %lu",
                   snapshot.readerProcessId, processId));
    Require(snapshot.menu == menuHandle && snapshot.itemCount >= 0,
            Format("the popup window's menu %llx could not be read in the program (count %d, "
                   "error %d)",
                   static_cast<unsigned long long>(snapshot.menu), snapshot.itemCount,
                   snapshot.lastError));
    Require(snapshot.itemCount <= kSnapshotMaxItems,
            Format("the menu has %d items; the reader holds %d", snapshot.itemCount,
                   kSnapshotMaxItems));

    TrayMenu menu{popup, {}};
    for (int i = 0; i < snapshot.itemCount; ++i) {
        const PopupMenuSnapshotItem& s = snapshot.items[i];
        TrayMenuItem item{};
        item.id = s.id;
        item.textChars = s.textChars;
        item.text = std::string(s.text, strnlen(s.text, sizeof(s.text)));
        item.separator = (s.type & MFT_SEPARATOR) != 0;
        item.checked = (s.state & MFS_CHECKED) != 0;
        item.grayed = (s.state & MFS_GRAYED) != 0;
        item.highlighted = (s.state & MFS_HILITE) != 0;
        item.screenRect = s.screenRect;
        menu.items.push_back(item);
    }
    Trace("tray menu: %s", DescribeMenu(menu).c_str());
    return menu;
}

void ClickMenuItem(const TrayMenu& menu, UINT id) {
    const TrayMenuItem* target = nullptr;
    for (const TrayMenuItem& item : menu.items)
        if (!item.separator && item.id == id)
            target = &item;
    Require(target != nullptr,
            Format("the tray menu has no item %u: %s", id, DescribeMenu(menu).c_str()));
    const RECT& r = target->screenRect;
    Require(r.right > r.left && r.bottom > r.top,
            Format("item %u of the tray menu has no place on screen", id));
    const POINT at = Centre(r);
    // Point first and click once the item is lit, as a hand does: the click then lands on the
    // item the menu itself holds under the pointer.
    SendUserInput({MouseAt(MOUSEEVENTF_MOVE, at)}, "move the pointer onto the menu item");
    std::string lit;
    const bool underPointer = PollUntil(kShortTimeoutMs, [&] {
        const TrayMenu now = ReadTrayMenu(menu.popup);
        lit.clear();
        bool targetLit = false;
        for (const TrayMenuItem& item : now.items)
            if (item.highlighted) {
                lit += Format(" %u", item.id);
                targetLit = targetLit || item.id == id;
            }
        return targetLit;
    });
    Require(underPointer, Format("item %u did not light up with the pointer at %ld,%ld (lit:%s)",
                                 id, at.x, at.y, lit.empty() ? " none" : lit.c_str()));
    SendUserInput({MouseAt(MOUSEEVENTF_LEFTDOWN, at), MouseAt(MOUSEEVENTF_LEFTUP, at)},
                  "click the menu item");
    Trace("clicked item %u '%s' at %ld,%ld", id, target->text.c_str(), at.x, at.y);
    WaitForMenuToClose(menu, Format("a click on item %u", id).c_str());
}

void DismissMenuWithEscape(const TrayMenu& menu) {
    SendUserInput({KeyStroke(VK_ESCAPE, true), KeyStroke(VK_ESCAPE, false)}, "press Escape");
    WaitForMenuToClose(menu, "Escape");
}

std::string DescribeMenu(const TrayMenu& menu) {
    std::string text;
    for (const TrayMenuItem& item : menu.items) {
        if (!text.empty())
            text += " | ";
        if (item.separator) {
            text += "separator";
            continue;
        }
        text += Format("%u '%s'", item.id, item.text.c_str());
        if (item.checked)
            text += " checked";
        if (item.grayed)
            text += " grayed";
        if (item.highlighted)
            text += " lit";
    }
    return text.empty() ? "no items" : text;
}

namespace {

std::string FallbackName(char slot) {
    return std::string("Config ") + slot + std::string(25, ' ');
}

const TrayMenuItem& MenuItem(const TrayMenu& menu, size_t position) {
    Require(position < menu.items.size(),
            Format("the tray menu has no item %zu: %s", position, DescribeMenu(menu).c_str()));
    return menu.items[position];
}

} // namespace

void RequireSlotMenu(const TrayMenu& menu, const std::vector<std::string>& names, char current) {
    const std::string all = DescribeMenu(menu);
    Require(menu.items.size() == 13,
            Format("the tray menu has %zu items, expected 13: %s", menu.items.size(), all.c_str()));
    for (int i = 1; i <= 9; ++i) {
        const TrayMenuItem& item = MenuItem(menu, size_t(i - 1));
        const char slot = char('0' + i);
        const std::string expected =
            names[size_t(i - 1)].empty() ? FallbackName(slot) : names[size_t(i - 1)];
        Require(!item.separator && item.id == UINT(kCommandSlotBase + i),
                Format("item %d is not slot %c's (id %u): %s", i, slot, item.id, all.c_str()));
        Require(item.text == expected && item.textChars == int(expected.size()),
                Format("slot %c is listed as '%s' (%d characters), expected '%s' (%zu)", slot,
                       item.text.c_str(), item.textChars, expected.c_str(), expected.size()));
        Require(item.checked == (slot == current),
                Format("slot %c %s the check mark; the current slot is %c", slot,
                       item.checked ? "carries" : "lacks", current));
        Require(!item.grayed, Format("slot %c is grayed with no setup dialog open", slot));
    }
    Require(MenuItem(menu, 9).separator, "no separator after the nine slots: " + all);
    const TrayMenuItem& follow = MenuItem(menu, 10);
    Require(follow.text == "Follow the program in front" && follow.id == kCommandFollow,
            "the item after the separator is not 'Follow the program in front' (4102): " + all);
    const TrayMenuItem& setup = MenuItem(menu, 11);
    const TrayMenuItem& exit = MenuItem(menu, 12);
    Require(setup.text == "Setup dialog" && setup.id == kCommandSetup && !setup.grayed &&
                !setup.checked,
            "the item after Follow is not an enabled 'Setup dialog' (4101): " + all);
    Require(exit.text == "Exit" && exit.id == kCommandExit && !exit.grayed && !exit.checked,
            "the last item is not an enabled 'Exit' (4100): " + all);
}

void PickSlotFromMenu(HWND mainWindow, char slot) {
    const TrayMenu menu = ReadTrayMenu(OpenTrayMenu(mainWindow));
    ClickMenuItem(menu, UINT(kCommandSlotBase + (slot - '0')));
}
