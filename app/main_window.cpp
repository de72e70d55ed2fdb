#include "app/main_window.h"

#include "engine/held_keys.h"

namespace {
constexpr uint32_t kWmClose = 0x0010;
constexpr uint32_t kWmEndSession = 0x0016;
constexpr uint32_t kWmCommand = 0x0111;
constexpr uint32_t kWmPowerBroadcast = 0x0218;
constexpr uint32_t kWmWtsSessionChange = 0x02B1;
constexpr int64_t kWmLButtonDown = 0x0201;
constexpr int64_t kWmLButtonDblClk = 0x0203;
constexpr int64_t kWmRButtonDown = 0x0204;

// wParam of WM_WTSSESSION_CHANGE
constexpr uint64_t kWtsConsoleConnect = 0x1;
constexpr uint64_t kWtsConsoleDisconnect = 0x2;
constexpr uint64_t kWtsRemoteConnect = 0x3;
constexpr uint64_t kWtsRemoteDisconnect = 0x4;
constexpr uint64_t kWtsSessionLock = 0x7;
constexpr uint64_t kWtsSessionUnlock = 0x8;
// wParam of WM_POWERBROADCAST
constexpr uint64_t kPbtApmSuspend = 0x4;
constexpr uint64_t kPbtApmResumeSuspend = 0x7;
constexpr uint64_t kPbtApmResumeAutomatic = 0x12;

// While the session is locked, disconnected or asleep, injected input reaches no one or is
// thrown away; each ends with its own counterpart.
struct SessionChange {
    uint32_t message;
    uint64_t code;
    bool away;
    uint32_t reason;
};
constexpr SessionChange kSessionChanges[] = {
    {kWmWtsSessionChange, kWtsSessionLock, true, kAwayLocked},
    {kWmWtsSessionChange, kWtsSessionUnlock, false, kAwayLocked},
    {kWmWtsSessionChange, kWtsConsoleDisconnect, true, kAwayDisconnected},
    {kWmWtsSessionChange, kWtsRemoteDisconnect, true, kAwayDisconnected},
    {kWmWtsSessionChange, kWtsConsoleConnect, false, kAwayDisconnected},
    {kWmWtsSessionChange, kWtsRemoteConnect, false, kAwayDisconnected},
    {kWmPowerBroadcast, kPbtApmSuspend, true, kAwaySuspended},
    {kWmPowerBroadcast, kPbtApmResumeSuspend, false, kAwaySuspended},
    {kWmPowerBroadcast, kPbtApmResumeAutomatic, false, kAwaySuspended},
};
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
        } else if (id == kCommandFollow) {
            d.action = MainWindowAction::ToggleFollow;
        } else if (id >= kCommandSlotFirst && id <= kCommandSlotLast) {
            d.action = MainWindowAction::ChangeSlot;
            d.slotDigit = static_cast<char>(static_cast<uint8_t>('0' + (id - kCommandSlotFirst)));
        }
    } else if (message == kWmEndSession) {
        if (wParam != 0) // FALSE: the session goes on after all
            d.action = MainWindowAction::EndSession;
    } else if (message == kTrayCallbackMessage) {
        if (lParam == kWmLButtonDown)
            d.action = MainWindowAction::OpenSetup;
        else if (lParam == kWmLButtonDblClk)
            d.action = MainWindowAction::Quit;
        else if (lParam == kWmRButtonDown)
            d.action = MainWindowAction::ShowSlotMenu;
    }
    for (const SessionChange& c : kSessionChanges) {
        if (c.message == message && c.code == wParam) {
            d.action = c.away ? MainWindowAction::SessionAway : MainWindowAction::SessionBack;
            d.awayReason = c.reason;
        }
    }
    return d;
}
