#include "app/tray.h"

#include <algorithm>

#include "platform/tray.h"
#include "res/resource_ids.h"

const char* TrayTip(const ProgramState& s, bool active, char (&tip)[kTipSize]) {
    const char followed = s.tray.followedSlot.load(std::memory_order_relaxed);
    if (!active)
        return kInactiveTip;
    if (followed == '\0')
        return kActiveTip;
    char* end = std::copy_n(kFollowingTipStart, sizeof(kFollowingTipStart) - 1, tip);
    *end++ = followed;
    std::copy_n(kFollowingTipEnd, sizeof(kFollowingTipEnd), end);
    return tip;
}

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
    char tip[kTipSize];
    TrayModify(TrayTip(s, active, tip), active);
}

void RestoreTrayIcon(ProgramState& s) {
    const bool active = s.tray.active.load(std::memory_order_relaxed);
    char tip[kTipSize];
    TrayAdd(TrayTip(s, active, tip), active);
    s.tray.showAgain.store(true, std::memory_order_release);
}
