#include "app/instances_win32.h"

#include "core/program_state.h"

namespace {
constexpr DWORD kMutexWaitMs = 1000;
} // namespace

InstanceMutex WaitForInstanceMutex() {
    InstanceMutex mutex{CreateMutexA(nullptr, FALSE, kProgramWord), false};
    if (mutex.handle != nullptr) {
        const DWORD wait = WaitForSingleObject(mutex.handle, kMutexWaitMs);
        mutex.owned = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
    }
    return mutex;
}

bool IsSlotTaken(const char* title) {
    return FindWindowA(kProgramWord, title) != nullptr;
}
