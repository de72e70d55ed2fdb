#include "app/tray.h"

#include "platform/tray.h"
#include "res/resource_ids.h"

namespace {
const char* Tip(bool active) { return active ? kActiveTip : kInactiveTip; }
} // namespace

void AddTrayIcon(WindowHandle window) {
    // The shell runs without elevation, and the message filter keeps its notices from an
    // elevated program unless that program lets them through.
    if (ProcessIsElevated())
        AllowMessageFromLowerRights(window, TaskbarCreatedMessage());
    TraySetUp(window, {IDI_ACTIVE, IDI_INACTIVE});
    TrayAdd(kActiveTip, true);
}

void ShowTrayState(ProgramState& s, bool active) {
    s.tray.active.store(active, std::memory_order_relaxed);
    // Taking the request: this change then comes after the add that asked for it.
    s.tray.showAgain.exchange(false, std::memory_order_acquire);
    TrayModify(Tip(active), active);
}

void RestoreTrayIcon(ProgramState& s) {
    const bool active = s.tray.active.load(std::memory_order_relaxed);
    TrayAdd(Tip(active), active);
    s.tray.showAgain.store(true, std::memory_order_release);
}
