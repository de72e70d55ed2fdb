#include <windows.h>

#include "app/poll_thread.h"
#include "app/tray.h"
#include "engine/poll_loop.h"

namespace {
DWORD WINAPI PollThread(LPVOID) {
    RunPollLoop(State(), ShowTrayState);
    return 0;
}
} // namespace

bool StartPollThread() {
    HANDLE thread = CreateThread(nullptr, 0, PollThread, nullptr, 0, nullptr);
    if (thread == nullptr)
        return false;
    // It sleeps nearly always and works for microseconds when it wakes: above the programs
    // that keep both cores busy, a change of the pad is read and sent without waiting for them.
    SetThreadPriority(thread, THREAD_PRIORITY_ABOVE_NORMAL);
    CloseHandle(thread);
    return true;
}
