#include <windows.h>

#include "engine/poll_loop.h"
#include "app/poll_thread.h"

namespace {
DWORD WINAPI PollThread(LPVOID) {
    RunPollLoop(State());
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
