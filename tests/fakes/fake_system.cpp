#include "tests/fakes/fake_system.h"

#include <atomic>
#include <mutex>

#include "platform/clock.h"
#include "platform/fine_timer.h"
#include "platform/message_box.h"
#include "platform/tray.h"

void ResetFakeRegistryHandles();

namespace {
// The poll thread changes the icon while the user-interface thread may add it again.
std::mutex notifying;

template <class T> T Load(T& field) {
    return std::atomic_ref<T>(field).load(std::memory_order_relaxed);
}
template <class T> void Store(T& field, T value) {
    std::atomic_ref<T>(field).store(value, std::memory_order_relaxed);
}
} // namespace

FakeSystem& Fake() {
    static FakeSystem system;
    return system;
}

void ResetFakeSystem() {
    Fake() = FakeSystem{};
    Fake().input.events.reserve(1 << 16); // no allocation while an engine cycle injects
    Fake().input.refused.reserve(1 << 12);
    ResetFakeRegistryHandles();
}

void SleepMilliseconds(uint32_t ms) {
    std::atomic_ref<uint64_t>(Fake().nowMicroseconds).fetch_add(uint64_t{ms} * 1000);
    if (Fake().onSleep)
        Fake().onSleep(ms);
}

PollTimer CreatePollTimer(uint32_t flags) {
    FakeTimers& t = Fake().timers;
    const bool known = flags == 0 || (flags == kTimerHighResolution && t.knowsHighResolution);
    if (!known && !t.takesAnyFlag)
        return nullptr;
    ++t.open;
    return &t;
}
uint64_t MonotonicMicroseconds() {
    return Load(Fake().nowMicroseconds);
}
void ClosePollTimer(PollTimer) {
    --Fake().timers.open;
}
bool WaitOnPollTimer(PollTimer, uint32_t ms) {
    Fake().timers.waits.push_back(ms);
    return !Fake().timers.waitsFail;
}
void BeginFineTimerPeriod() {
    ++Fake().timers.periodsBegun;
}

int ShowMessageBox(WindowHandle owner, const char* text, uint32_t buttons) {
    Fake().messages.push_back({owner, text, buttons});
    return Fake().answer;
}

void SetWindowTitle(WindowHandle window, const char* title) {
    Fake().titledWindow = window;
    Fake().title = title;
}

void TraySetUp(WindowHandle, TrayIconIds) {}
void TrayAdd(const char* tip, bool) {
    const std::lock_guard<std::mutex> lock(notifying);
    if (!std::exchange(Fake().trayPresent, true))
        Fake().trayTip = tip;
}
void TrayModify(const char* tip, bool activeIcon) {
    const std::lock_guard<std::mutex> lock(notifying);
    Fake().trayStates.push_back(activeIcon);
    if (Fake().trayPresent)
        Fake().trayTip = tip;
}
void TrayRemove() {
    const std::lock_guard<std::mutex> lock(notifying);
    Fake().trayPresent = false;
}
uint32_t TaskbarCreatedMessage() {
    return 0xC123;
}
bool ProcessIsElevated() {
    return false;
}
void AllowMessageFromLowerRights(WindowHandle, uint32_t) {}

uint32_t ReadJoystickCaps(uint32_t joystickId, JoystickCaps& caps) {
    FakeJoystick& j = Fake().joystick;
    Store(j.lastCapsId, joystickId); // both threads ask
    if (j.capsResult == kJoyNoError)
        caps = j.caps;
    return j.capsResult;
}

uint32_t ReadJoystick(uint32_t joystickId, JoystickSample& sample) {
    FakeJoystick& j = Fake().joystick;
    Store(j.lastReadId, joystickId);
    const uint32_t result = Load(j.readResult);
    if (result == kJoyNoError) {
        for (int k = 0; k < kAxisCount; ++k)
            sample.pos[k] = Load(j.sample.pos[k]);
        sample.buttons = Load(j.sample.buttons);
        sample.pov = Load(j.sample.pov);
    }
    return result;
}

void SetFakeJoystickSample(const JoystickSample& sample) {
    JoystickSample& to = Fake().joystick.sample;
    for (int k = 0; k < kAxisCount; ++k)
        Store(to.pos[k], sample.pos[k]);
    Store(to.buttons, sample.buttons);
    Store(to.pov, sample.pov);
}

void SetFakeJoystickReadResult(uint32_t result) {
    Store(Fake().joystick.readResult, result);
}
