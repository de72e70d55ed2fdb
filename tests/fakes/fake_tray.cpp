#include "tests/fakes/fake_tray.h"

#include "platform/tray.h"

FakeTray& TheFakeTray() {
    static FakeTray tray;
    return tray;
}

void TrayAdd(WindowHandle, const char* tip, bool activeIcon, TrayIconIds) {
    FakeTray& t = TheFakeTray();
    t.present = true;
    t.tip = tip;
    t.activeIcon = activeIcon;
}

void TrayModify(const char* tip, bool activeIcon) {
    FakeTray& t = TheFakeTray();
    t.tip = tip;
    t.activeIcon = activeIcon;
    ++t.modifications;
    t.states.push_back(activeIcon);
}

void TrayRemove() { TheFakeTray().present = false; }
