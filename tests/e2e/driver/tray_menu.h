#pragma once
// The tray icon's popup menu as a user meets it: opened by the shell's right-click callback,
// read item by item while it is on screen, and closed by a click on an item or by Escape.
//
// Under Wine a menu handle means nothing outside the process that made it, so the driver reads
// the open menu through its menu reader: a hook DLL placed on the program's user-interface
// thread for the moment of one read, which asks the popup window for its menu and reads it with
// the ordinary menu calls inside the program (tests/e2e/menu_reader).
#include <windows.h>

#include <string>
#include <vector>

struct TrayMenuItem {
    UINT id;
    std::string text;
    int textChars; // as the menu reports it (-1 when it could not)
    bool separator;
    bool checked;
    bool grayed;
    bool highlighted; // lit, as under the pointer
    RECT screenRect;
};

struct TrayMenu {
    HWND popup; // the menu's window ("#32768"), of the program's process
    std::vector<TrayMenuItem> items;
};

// Sends the right-click callback to `mainWindow` and waits until its process shows a popup
// menu; returns that menu's window.
HWND OpenTrayMenu(HWND mainWindow);
// The menu shown by `popup`, read inside the program.
TrayMenu ReadTrayMenu(HWND popup);
// The open menu of the program that owns `mainWindow`, or null.
HWND FindOpenMenu(DWORD processId);

// What a user does with an open menu: points at the item, sees it light up and clicks it, or
// presses Escape. Both go through the system's input stream. The menu must then go away.
void ClickMenuItem(const TrayMenu& menu, UINT id);
void DismissMenuWithEscape(const TrayMenu& menu);

// "4001 'Config 1' checked | separator | ..." for failure messages.
std::string DescribeMenu(const TrayMenu& menu);

// The menu of a program with no setup dialog open: the nine slots, each under its stored name
// (`names`, "" for the fallback "Config N" and 25 blanks), the check on the slot `current`
// alone, then a separator, "Setup dialog" and "Exit", none grayed.
void RequireSlotMenu(const TrayMenu& menu, const std::vector<std::string>& names, char current);
// Opens the tray menu of the program and clicks the slot's item.
void PickSlotFromMenu(HWND mainWindow, char slot);
