#pragma once
// What the hidden main window does with the tray's callbacks and the menu's commands.
#include <cstdint>

constexpr uint32_t kTrayCallbackMessage = 0x0400; // WM_USER
constexpr uint32_t kCommandSlotFirst = 4000;       // 4000 + n selects slot '0' + n
constexpr uint32_t kCommandSlotLast = 4099;
constexpr uint32_t kCommandExit = 4100;
constexpr uint32_t kCommandSetup = 4101;

enum class MainWindowAction { None, Quit, OpenSetup, ShowSlotMenu, ChangeSlot };

struct MainWindowDecision {
    MainWindowAction action = MainWindowAction::None;
    char slotDigit = 0; // for ChangeSlot
};

MainWindowDecision DecideMainWindowAction(uint32_t message, uint64_t wParam, int64_t lParam);
