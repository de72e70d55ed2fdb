#include "app/follow.h"

#include <string_view>

#include "app/startup.h"
#include "store/portable_mode.h"
#include "store/program_list.h"
#include "store/slot_store.h"

namespace {
// The desktop, the taskbar with its notification area and the task switcher: coming to the front,
// they leave the slot as it is, so that a click on the tray icon or an Alt+Tab on the way to
// another program changes nothing.
constexpr std::string_view kShellClasses[] = {"Progman",
                                              "WorkerW",
                                              "#32769",
                                              "Shell_TrayWnd",
                                              "Shell_SecondaryTrayWnd",
                                              "NotifyIconOverflowWindow",
                                              "TopLevelWindowForOverflowXamlIsland",
                                              "MultitaskingViewFrame",
                                              "TaskSwitcherWnd",
                                              "XamlExplorerHostIslandWindow",
                                              "ForegroundStaging"};

bool IsShellSurface(const char* className) {
    for (const std::string_view shell : kShellClasses)
        if (shell == className)
            return true;
    return false;
}

char MenuSlotDigit(int index) {
    return static_cast<char>('1' + index);
}

// The slot in use when it lists the program, else the first that does; 0 when none does.
char ListingSlot(const ProgramState& s, const FollowState& f, const char* imagePath) {
    if (imagePath == nullptr)
        return 0;
    const int inUse = s.slotDigit - '1';
    if (inUse >= 0 && inUse < kMenuSlots && ListNamesProgram(f.lists[inUse], imagePath))
        return s.slotDigit;
    for (int i = 0; i < kMenuSlots; ++i)
        if (ListNamesProgram(f.lists[i], imagePath))
            return MenuSlotDigit(i);
    return 0;
}
} // namespace

FollowState& Follow() {
    static FollowState follow;
    return follow;
}

void SetUpFollowing(ProgramState& s, FollowState& f, bool pinned) {
    f.pinned = pinned;
    f.userSlot = s.slotDigit;
    ReadFollowLists(s, f);
}

void ReadFollowLists(ProgramState& s, FollowState& f) {
    for (int i = 0; i < kMenuSlots; ++i)
        ReadSlotPrograms(s, MenuSlotDigit(i), f.lists[i]);
    ReadFollowChoice(s);
}

bool FollowingOn(const ProgramState& s, const FollowState& f) {
    if (s.followChoice != kFollowNotStored)
        return s.followChoice != 0;
    for (const auto& list : f.lists)
        if (ListNamesAnyProgram(list))
            return true;
    return false;
}

char FollowTarget(const ProgramState& s, const FollowState& f, const ForegroundWindow& w) {
    if (f.pinned || f.changing || s.setupDialog != nullptr)
        return 0;
    char target = f.userSlot;
    if (FollowingOn(s, f)) {
        if (!w.present || w.ownProcess || IsShellSurface(w.className))
            return 0;
        if (const char listing = ListingSlot(s, f, w.imagePath))
            target = listing;
    }
    return target == s.slotDigit ? 0 : target;
}

bool FollowTo(ProgramState& s, FollowState& f, char slotDigit, ClaimSlot claim) {
    char title[kWindowTitleSize];
    FormatWindowTitle(slotDigit, title);
    if (!claim(title))
        return false;
    UseSlot(s, slotDigit, false);
    ShowFollowed(s, f);
    return true;
}

void FollowWindow(ProgramState& s, FollowState& f, const ForegroundWindow& w, ClaimSlot claim) {
    const char target = FollowTarget(s, f, w);
    if (target == 0 || FollowTo(s, f, target, claim))
        return;
    // Another instance serves the slot that lists the program: the program is that instance's.
    if (target != f.userSlot && s.slotDigit != f.userSlot)
        FollowTo(s, f, f.userSlot, claim);
}

void ToggleFollowing(ProgramState& s, FollowState& f, const ForegroundWindow& w, ClaimSlot claim) {
    if (f.pinned)
        return;
    s.followChoice = FollowingOn(s, f) ? 0 : 1;
    SaveFollowChoice(s);
    ExportPortableFile(s);
    FollowWindow(s, f, w, claim);
}

void ShowFollowed(ProgramState& s, const FollowState& f) {
    const char followed = s.slotDigit != f.userSlot ? s.slotDigit : '\0';
    s.tray.followedSlot.store(followed, std::memory_order_relaxed);
    s.tray.showAgain.store(true, std::memory_order_release);
}
