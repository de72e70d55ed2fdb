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
    CloseHandle(thread);
    return true;
}
