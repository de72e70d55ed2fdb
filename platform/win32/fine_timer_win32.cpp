#include <windows.h>

#include <mmsystem.h>

#include <atomic>

#include "platform/fine_timer.h"

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x2
#endif
static_assert(CREATE_WAITABLE_TIMER_HIGH_RESOLUTION == kTimerHighResolution);

namespace {
constexpr UINT kFinePeriodMs = 1;
constexpr LONGLONG kTimerUnitsPerMs = 10000; // due times count 100 ns

std::atomic<bool> periodGranted{false}; // granted on the poll thread, given back at exit

// Windows 11 ignores the resolution asked for by a process with no visible window, as a tray
// program is, unless it opts out. The call exists from Windows 8 and the class from Windows 10
// 1709; where either is missing (Wine 8 refuses the class) there is nothing to opt out of.
void KeepResolutionWithoutWindow() {
    using SetInformation = BOOL(WINAPI*)(HANDLE, PROCESS_INFORMATION_CLASS, LPVOID, DWORD);
    const FARPROC found = GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetProcessInformation");
    if (found == nullptr)
        return;
    PROCESS_POWER_THROTTLING_STATE state{};
    state.Version = PROCESS_POWER_THROTTLING_CURRENT_VERSION;
    state.ControlMask = PROCESS_POWER_THROTTLING_IGNORE_TIMER_RESOLUTION;
    state.StateMask = 0; // the request is honoured
    reinterpret_cast<SetInformation>(reinterpret_cast<void (*)()>(found))(
        GetCurrentProcess(), ProcessPowerThrottling, &state, sizeof state);
}
} // namespace

PollTimer CreatePollTimer(uint32_t flags) {
    return CreateWaitableTimerExW(nullptr, nullptr, flags, TIMER_ALL_ACCESS);
}

void ClosePollTimer(PollTimer timer) {
    CloseHandle(timer);
}

bool WaitOnPollTimer(PollTimer timer, uint32_t ms) {
    LARGE_INTEGER due;
    due.QuadPart = -static_cast<LONGLONG>(ms) * kTimerUnitsPerMs; // negative: relative to now
    return SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE) &&
           WaitForSingleObject(timer, INFINITE) == WAIT_OBJECT_0;
}

void BeginFineTimerPeriod() {
    if (periodGranted.load())
        return;
    KeepResolutionWithoutWindow();
    if (timeBeginPeriod(kFinePeriodMs) == TIMERR_NOERROR)
        periodGranted.store(true);
}

void EndFineTimerPeriod() {
    if (periodGranted.exchange(false))
        timeEndPeriod(kFinePeriodMs);
}
