#include "app/follow_win32.h"

#include <windows.h>

#include "app/follow.h"
#include "app/instances_win32.h"

namespace {
HWINEVENTHOOK foregroundHook = nullptr;

// User-interface thread only; the description points into these until the next one.
char className[256];
char imagePath[32768];

ForegroundWindow Describe(HWND window) {
    ForegroundWindow w;
    if (window == nullptr)
        return w;
    w.present = true;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    w.ownProcess = process == GetCurrentProcessId();
    className[0] = '\0';
    GetClassNameA(window, className, sizeof className);
    w.className = className;
    // Limited information is granted for most processes, not for protected ones nor, without
    // elevation, for those of other users or of an elevated program: they count as unlisted.
    if (HANDLE handle = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process)) {
        DWORD size = sizeof imagePath;
        if (QueryFullProcessImageNameA(handle, 0, imagePath, &size))
            w.imagePath = imagePath;
        CloseHandle(handle);
    }
    return w;
}

// The window in front now; the one a notice named while the system names none (it may be on its
// way to the front).
ForegroundWindow DescribeForeground(HWND named = nullptr) {
    HWND window = GetForegroundWindow();
    return Describe(window != nullptr ? window : named);
}

// Under the mutex the starts check under, so that neither a start nor another following instance
// takes the slot between the check and the new title.
bool ClaimSlotTitle(const char* title) {
    const InstanceMutex mutex = WaitForInstanceMutex();
    const bool free = !IsSlotTaken(title);
    if (free)
        SetWindowTextA(static_cast<HWND>(State().mainWindow), title);
    if (mutex.owned)
        ReleaseMutex(mutex.handle);
    if (mutex.handle != nullptr)
        CloseHandle(mutex.handle);
    return free;
}

// Notices may wait in the queue while a change runs; the window in front now is what counts.
void CALLBACK OnForegroundChange(HWINEVENTHOOK, DWORD, HWND window, LONG, LONG, DWORD, DWORD) {
    FollowWindow(State(), Follow(), DescribeForeground(window), ClaimSlotTitle);
}
} // namespace

void StartFollowing(bool pinned) {
    SetUpFollowing(State(), Follow(), pinned);
    if (pinned)
        return;
    foregroundHook =
        SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr,
                        OnForegroundChange, 0, 0, WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
}

void StopFollowing() {
    if (foregroundHook != nullptr)
        UnhookWinEvent(foregroundHook);
    foregroundHook = nullptr;
}

void FollowAfterSetup() {
    ReadFollowLists(State(), Follow());
    FollowWindow(State(), Follow(), DescribeForeground(), ClaimSlotTitle);
}

void ToggleFollowingFromMenu() {
    ToggleFollowing(State(), Follow(), DescribeForeground(), ClaimSlotTitle);
}
