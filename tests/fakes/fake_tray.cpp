#include "tests/fakes/fake_tray.h"

#include <mutex>

#include "platform/tray.h"

namespace {
// The poll thread changes the icon while the user-interface thread may add it again.
std::mutex notifying;
constexpr uint32_t kFakeTaskbarCreated = 0xC123;
} // namespace

FakeTray& TheFakeTray() {
    static FakeTray tray;
    return tray;
}

void TraySetUp(WindowHandle, TrayIconIds) {}

void TrayAdd(const char* tip, bool) {
    const std::lock_guard<std::mutex> lock(notifying);
    FakeTray& t = TheFakeTray();
    if (t.present)
        return;
    t.present = true;
    t.tip = tip;
}

void TrayModify(const char* tip, bool activeIcon) {
    const std::lock_guard<std::mutex> lock(notifying);
    FakeTray& t = TheFakeTray();
    t.states.push_back(activeIcon);
    if (t.present)
        t.tip = tip;
}

void TrayRemove() {
    const std::lock_guard<std::mutex> lock(notifying);
    TheFakeTray().present = false;
}

uint32_t TaskbarCreatedMessage() { return kFakeTaskbarCreated; }

bool ProcessIsElevated() { return false; } // a standard user

void AllowMessageFromLowerRights(WindowHandle, uint32_t) {}
