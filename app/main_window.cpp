#include "app/main_window.h"

namespace {
constexpr uint32_t kWmClose = 0x0010;
constexpr uint32_t kWmCommand = 0x0111;
constexpr int64_t kWmLButtonDown = 0x0201;
constexpr int64_t kWmLButtonDblClk = 0x0203;
constexpr int64_t kWmRButtonDown = 0x0204;
} // namespace

MainWindowDecision DecideMainWindowAction(uint32_t message, uint64_t wParam, int64_t lParam) {
    MainWindowDecision d;
    if (message == kWmClose) {
        d.action = MainWindowAction::Quit;
    } else if (message == kWmCommand) {
        const uint32_t id = static_cast<uint32_t>(wParam & 0xFFFF);
        if (id == kCommandExit) {
            d.action = MainWindowAction::Quit;
        } else if (id == kCommandSetup) {
            d.action = MainWindowAction::OpenSetup;
        } else if (id >= kCommandSlotFirst && id <= kCommandSlotLast) {
            d.action = MainWindowAction::ChangeSlot;
            d.slotDigit = static_cast<char>(static_cast<uint8_t>('0' + (id - kCommandSlotFirst)));
        }
    } else if (message == kTrayCallbackMessage) {
        if (lParam == kWmLButtonDown)
            d.action = MainWindowAction::OpenSetup;
        else if (lParam == kWmLButtonDblClk)
            d.action = MainWindowAction::Quit;
        else if (lParam == kWmRButtonDown)
            d.action = MainWindowAction::ShowSlotMenu;
    }
    return d;
}
