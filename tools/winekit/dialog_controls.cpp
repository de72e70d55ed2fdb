#include "tools/winekit/dialog_controls.h"

#include "tools/winekit/program.h"

namespace {

BOOL CALLBACK Collect(HWND child, LPARAM map) {
    (*reinterpret_cast<std::map<int, HWND>*>(map))[GetDlgCtrlID(child)] = child;
    return TRUE;
}

} // namespace

DialogControls::DialogControls(HWND dialog) : dialog_(dialog) {
    EnumChildWindows(dialog, Collect, reinterpret_cast<LPARAM>(&byId_));
}

HWND DialogControls::Get(int id) const {
    Require(Has(id), Format("the dialog has no control %d", id));
    return byId_.at(id);
}

bool DialogControls::Checked(int id) const {
    return SendMessageBounded(Get(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::string DialogControls::Text(int id) const {
    char text[64] = {};
    SendMessageBounded(Get(id), WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
    return text;
}

RECT DialogControls::Rect(int id) const {
    RECT r{};
    GetWindowRect(Get(id), &r);
    MapWindowPoints(HWND_DESKTOP, dialog_, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::string DialogControls::ItemText(int id, int index) const {
    wchar_t text[64] = {};
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(Get(id), CB_GETLBTEXT, index, LPARAM(text), SMTO_NORMAL, kShortTimeoutMs,
                        &ignored);
    return std::string(text, text + wcslen(text));
}

void Click(HWND dialog, int id) {
    Require(PostMessageA(DialogControls(dialog).Get(id), BM_CLICK, 0, 0) != FALSE,
            Format("cannot click control %d", id));
}

void Settle(HWND dialog) {
    Require(IsWindow(dialog), "the dialog has closed");
    SendMessageBounded(dialog, WM_NULL, 0, 0);
}

std::string PlatformKeyName(UINT vk, bool extended) {
    char name[32] = {};
    const LONG scan = LONG(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC) << 16 | (extended ? 1 << 24 : 0));
    GetKeyNameTextA(scan, name, sizeof(name));
    return name;
}

void WaitForFocus(HWND dialog, int id) {
    WaitUntil(kShortTimeoutMs, Format("control %d to have the focus", id), [&] {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        return GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) &&
               info.hwndFocus == GetDlgItem(dialog, id);
    });
}
