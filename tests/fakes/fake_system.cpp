#include "tests/fakes/fake_system.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <utility>

#include "platform/clock.h"
#include "platform/fine_timer.h"
#include "platform/message_box.h"
#include "platform/tray.h"

void ResetFakeRegistryHandles();

namespace {
// As on the system, the poll thread and the user-interface thread may inject or notify at once.
std::mutex injecting, notifying;

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
    // The injection records keep their room (no allocation while an engine cycle injects), and
    // keeping it across resets spares the fuzzers a large allocation per input.
    std::vector<InputEvent> events = std::move(Fake().input.events);
    std::vector<InputEvent> refused = std::move(Fake().input.refused);
    Fake() = FakeSystem{};
    events.clear();
    refused.clear();
    events.reserve(1 << 16);
    refused.reserve(1 << 12);
    Fake().input.events = std::move(events);
    Fake().input.refused = std::move(refused);
    ResetFakeRegistryHandles();
}
uint32_t SendInputEvents(const InputEvent* events, uint32_t count) {
    const std::lock_guard<std::mutex> lock(injecting);
    FakeInput& f = Fake().input;
    ++f.calls;
    const uint32_t inserted = std::min(count, f.insertPerCall);
    for (uint32_t k = 0; k < count; ++k) {
        const InputEvent& e = events[k];
        if (k >= inserted)
            f.refused.push_back(e);
        if (k >= inserted || f.dropInserted)
            continue;
        f.events.push_back(e);
        if (e.kind == InputEvent::Key)
            f.injectedDown[e.vk] = (e.flags & kKeyEventKeyUp) == 0;
        for (int b = 0; b < kFakeMouseButtons && e.kind == InputEvent::Mouse; ++b) {
            const FakeMouseButton& m = kFakeMouseButtonEvents[b];
            if (m.data == 0 || e.data == m.data)
                f.mouseDown[b] = (f.mouseDown[b] || (e.flags & m.down)) && !(e.flags & m.up);
        }
    }
    return inserted;
}
bool AnythingInjectedDown() {
    const FakeInput& f = Fake().input;
    return std::count(f.injectedDown, f.injectedDown + 256, true) +
               std::count(f.mouseDown, f.mouseDown + kFakeMouseButtons, true) >
           0;
}
// A US keyboard's scan codes of the keys the tests look at; 0 for the rest, as for a key without.
uint32_t ScanCodeOfKey(uint32_t vk) {
    static const std::map<uint32_t, uint32_t> kScans = {
        {'A', 0x1E}, {9, 0x0F},  {13, 0x1C}, {16, 0x2A},  {37, 0x4B},  {38, 0x48},
        {39, 0x4D},  {40, 0x50}, {45, 0x52}, {160, 0x2A}, {161, 0x36}, {162, 0x1D}};
    const auto scan = kScans.find(vk);
    return scan == kScans.end() ? 0 : scan->second;
}
bool IsKeyDownNow(uint32_t vk) {
    return vk < 256 && Fake().input.physicalDown[vk];
}
void SleepMilliseconds(uint32_t ms) {
    std::atomic_ref<uint64_t>(Fake().nowMicroseconds).fetch_add(uint64_t{ms} * 1000);
    if (Fake().onSleep)
        Fake().onSleep(ms);
}
uint64_t MonotonicMicroseconds() {
    return Load(Fake().nowMicroseconds);
}
PollTimer CreatePollTimer(uint32_t flags) {
    FakeTimers& t = Fake().timers;
    const bool known = flags == 0 || (flags == kTimerHighResolution && t.knowsHighResolution);
    if (!known && !t.takesAnyFlag)
        return nullptr;
    ++t.open;
    return &t;
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
// Field by field, so that a sample written meanwhile is read without a data race.
template <class From, class To, class Copy> void CopySample(From& from, To& to, Copy copy) {
    for (int k = 0; k < kAxisCount; ++k)
        copy(from.pos[k], to.pos[k]);
    copy(from.buttons, to.buttons);
    copy(from.pov, to.pov);
}
uint32_t ReadJoystick(uint32_t joystickId, JoystickSample& sample) {
    FakeJoystick& j = Fake().joystick;
    Store(j.lastReadId, joystickId);
    const uint32_t result = Load(j.readResult);
    if (result == kJoyNoError)
        CopySample(j.sample, sample, [](auto& from, auto& to) { to = Load(from); });
    return result;
}
void SetFakeJoystickSample(const JoystickSample& sample) {
    CopySample(sample, Fake().joystick.sample, [](auto& from, auto& to) { Store(to, from); });
}
void SetFakeJoystickReadResult(uint32_t result) {
    Store(Fake().joystick.readResult, result);
}
