#include "tests/fakes/fake_joystick.h"

#include <atomic>

namespace {
template <class T> T Load(T& field) {
    return std::atomic_ref<T>(field).load(std::memory_order_relaxed);
}
template <class T> void Store(T& field, T value) {
    std::atomic_ref<T>(field).store(value, std::memory_order_relaxed);
}

void CopySample(JoystickSample& to, JoystickSample& from) {
    for (int k = 0; k < kAxisCount; ++k)
        Store(to.pos[k], Load(from.pos[k]));
    Store(to.buttons, Load(from.buttons));
    Store(to.pov, Load(from.pov));
}
} // namespace

FakeJoystick& TheFakeJoystick() {
    static FakeJoystick joystick;
    return joystick;
}

void ResetFakeJoystick() {
    FakeJoystick& j = TheFakeJoystick();
    j = FakeJoystick{};
    for (int k = 0; k < kAxisCount; ++k) {
        j.caps.axisMin[k] = 0;
        j.caps.axisMax[k] = 65535;
        j.sample.pos[k] = 32767;
    }
    j.caps.numAxes = 6;
    j.caps.numButtons = 12;
    j.caps.caps = kJoyCapsHasPov;
    j.sample.pov = kJoyPovCentered;
}

uint32_t JoystickCount() { return TheFakeJoystick().count; }

uint32_t ReadJoystickCaps(uint32_t joystickId, JoystickCaps& caps) {
    FakeJoystick& j = TheFakeJoystick();
    Store(j.lastCapsId, joystickId); // both threads ask
    if (j.capsResult != kJoyNoError)
        return j.capsResult;
    caps = j.caps;
    return kJoyNoError;
}

uint32_t ReadJoystick(uint32_t joystickId, JoystickSample& sample) {
    FakeJoystick& j = TheFakeJoystick();
    Store(j.lastReadId, joystickId);
    std::atomic_ref<uint64_t>(j.reads).fetch_add(1, std::memory_order_relaxed);
    const uint32_t result = Load(j.readResult);
    if (result != kJoyNoError)
        return result;
    CopySample(sample, j.sample);
    return kJoyNoError;
}

void SetFakeJoystickSample(const JoystickSample& sample) {
    JoystickSample copy = sample;
    CopySample(TheFakeJoystick().sample, copy);
}

void SetFakeJoystickReadResult(uint32_t result) { Store(TheFakeJoystick().readResult, result); }

uint64_t FakeJoystickReads() { return Load(TheFakeJoystick().reads); }
