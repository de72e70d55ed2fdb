#pragma once
// What the hidden main window does with the tray's callbacks, the menu's commands and the news
// that the session goes away and comes back or ends.
#include <cstdint>

constexpr uint32_t kTrayCallbackMessage = 0x0400; // WM_USER
constexpr uint32_t kCommandSlotFirst = 4000;      // 4000 + n selects slot '0' + n
constexpr uint32_t kCommandSlotLast = 4099;
constexpr uint32_t kCommandExit = 4100;
constexpr uint32_t kCommandSetup = 4101;
constexpr uint32_t kCommandFollow = 4102; // "Follow the program in front"

enum class MainWindowAction {
    None,
    Quit,
    OpenSetup,
    ShowSlotMenu,
    ChangeSlot,
    ToggleFollow,
    SessionAway, // pause events (engine/held_keys.h)
    SessionBack,
    EndSession, // logoff, shutdown or the Restart Manager: the process ends after this
};

struct MainWindowDecision {
    MainWindowAction action = MainWindowAction::None;
    char slotDigit = 0;      // for ChangeSlot
    uint32_t awayReason = 0; // for SessionAway and SessionBack
};

MainWindowDecision DecideMainWindowAction(uint32_t message, uint64_t wParam, int64_t lParam);
