#include "app/slot_menu_win32.h"

#include "app/follow.h"
#include "app/main_window.h"
#include "app/slot_menu.h"

void ShowSlotMenu(HWND mainWindow) {
    SlotMenu items;
    BuildSlotMenu(State(), items);

    HMENU menu = CreatePopupMenu();
    for (const SlotMenuItem& item : items.slots) {
        const UINT flags = MF_BYPOSITION | (item.checked ? MF_CHECKED : 0u) |
                           (item.grayed ? MF_GRAYED : 0u);
        AppendMenuA(menu, flags, item.id, item.text);
    }
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu,
                (items.followChecked ? MF_CHECKED : 0u) | (items.followGrayed ? MF_GRAYED : 0u),
                kCommandFollow, kMenuFollowText);
    AppendMenuA(menu, items.setupGrayed ? MF_GRAYED : 0u, kCommandSetup, kMenuSetupText);
    AppendMenuA(menu, 0, kCommandExit, kMenuExitText);

    POINT cursor;
    GetCursorPos(&cursor);
    // A tray menu closes on an outside click only while its owner is the foreground window.
    SetForegroundWindow(mainWindow);
    TrackPopupMenu(menu, TPM_RIGHTALIGN, cursor.x, cursor.y, 0, mainWindow, nullptr);
    PostMessageA(mainWindow, WM_NULL, 0, 0);
    DestroyMenu(menu);
}
