#pragma once
// The tray icon's popup menu as a user meets it: opened by the shell's right-click callback,
// read item by item while it is on screen, and closed by a click on an item or by Escape.
//
// Under Wine a menu handle means nothing outside the process that made it, so the open menu is
// read by the menu reader: a hook DLL (menu_reader/, beside the tool) placed on the program's
// user-interface thread for the moment of one read, which reads the menu inside the program.
#include <windows.h>

#include <string>
#include <vector>

struct TrayMenuItem {
    UINT id;
    std::string text;
    bool separator, checked, grayed, lit;
    RECT screenRect;
};

struct TrayMenu {
    HWND popup; // the menu's window ("#32768") in the program's process
    std::vector<TrayMenuItem> items;
};

// Sends the right-click callback to `mainWindow` and reads the menu its process shows.
TrayMenu OpenTrayMenu(HWND mainWindow);
TrayMenu ReadTrayMenu(HWND popup);
// What a user does with an open menu, through the system's input stream: points at the item,
// sees it light up and clicks it; or presses Escape. The menu must then go away.
void ClickMenuItem(const TrayMenu& menu, UINT id);
void DismissMenuWithEscape(const TrayMenu& menu);
// "4001 'Config 1' checked | separator | ..." for failure messages.
std::string DescribeMenu(const TrayMenu& menu);
// Asks the shell `what` (NIM_MODIFY, NIM_DELETE) of `mainWindow`'s tray icon; NIM_MODIFY succeeds
// only for an icon the shell holds.
bool AskShellOfTrayIcon(HWND mainWindow, DWORD what);
