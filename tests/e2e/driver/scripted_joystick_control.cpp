#include "tests/e2e/driver/scripted_joystick_control.h"

#include <cstring>

#include "tests/e2e/driver/case_runner.h"

namespace {
ScriptedJoystickShared* shared = nullptr;
} // namespace

namespace scripted_joystick_detail {

ScriptedJoystickShared* Shared() {
    if (shared == nullptr)
        Fail("the scripted joystick was not created");
    return shared;
}

void BeginWrite() {
    InterlockedIncrement(&Shared()->sequence); // odd: the stand-in waits or retries
}

void EndWrite() {
    InterlockedIncrement(&Shared()->sequence);
}

} // namespace scripted_joystick_detail

using scripted_joystick_detail::Shared;

void CreateScriptedJoystick() {
    if (shared != nullptr)
        return;
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        sizeof(ScriptedJoystickShared), kScriptedJoystickMapping);
    if (mapping == nullptr)
        Fail(Format("cannot create the joystick mapping (error %lu)", GetLastError()));
    auto* view = static_cast<ScriptedJoystickShared*>(
        MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(ScriptedJoystickShared)));
    if (view == nullptr)
        Fail(Format("cannot map the joystick mapping (error %lu)", GetLastError()));
    // The mapping handle stays open for the life of the driver, so the shared memory outlives
    // every program a case starts.
    std::memset(const_cast<ScriptedJoystickShared*>(view), 0, sizeof(*view));
    view->script = DefaultJoystickScript();
    view->size = sizeof(ScriptedJoystickShared);
    MemoryBarrier();
    view->magic = kScriptedJoystickMagic;
    shared = view;
}

void ResetScriptedJoystick() {
    ScriptJoystick([](ScriptedJoystickScript& s) { s = DefaultJoystickScript(); });
    ScriptedJoystickShared* m = Shared();
    InterlockedExchange64(&m->readCount, 0);
    InterlockedExchange64(&m->capsCount, 0);
    InterlockedExchange(&m->lastReadId, -1);
    InterlockedExchange(&m->lastCapsId, -1);
    InterlockedExchange(&m->loadCount, 0);
    InterlockedExchange(&m->lastLoaderPid, 0);
    InterlockedExchange(&m->changeSeenSequence, 0);
}

ScriptedJoystickScript CurrentJoystickScript() {
    ScriptedJoystickScript copy;
    std::memcpy(&copy, const_cast<const ScriptedJoystickScript*>(&Shared()->script), sizeof(copy));
    return copy;
}

void SetJoystickButtons(uint32_t buttons) {
    ScriptJoystick([&](ScriptedJoystickScript& s) { s.buttons = buttons; });
}

void SetJoystickAxis(int axis, uint32_t position) {
    if (axis < 0 || axis >= kScriptedAxes)
        Fail(Format("no axis %d", axis));
    ScriptJoystick([&](ScriptedJoystickScript& s) { s.pos[axis] = position; });
}

void SetJoystickPov(uint32_t pov) {
    ScriptJoystick([&](ScriptedJoystickScript& s) { s.pov = pov; });
}

void CentreJoystick() {
    ScriptJoystick([](ScriptedJoystickScript& s) {
        for (int axis = 0; axis < kScriptedAxes; ++axis)
            s.pos[axis] = s.axisMin[axis] + (s.axisMax[axis] - s.axisMin[axis]) / 2;
        s.pov = kJoyPovCentered;
        s.buttons = 0;
    });
}

void SetJoystickPlugged(bool plugged) {
    ScriptJoystick([&](ScriptedJoystickScript& s) {
        s.capsResult = plugged ? kJoyErrNoError : kJoyErrUnplugged;
        s.readResult = plugged ? kJoyErrNoError : kJoyErrUnplugged;
    });
}

int32_t ScriptSequence() {
    return Shared()->sequence;
}

int64_t ChangeSeenAt(int32_t sequence) {
    ScriptedJoystickShared* m = Shared();
    if (m->changeSeenSequence != sequence)
        return 0;
    MemoryBarrier();
    return m->changeSeenAt;
}

uint64_t JoystickReadCount() {
    return uint64_t(Shared()->readCount);
}
uint64_t JoystickCapsCount() {
    return uint64_t(Shared()->capsCount);
}
int32_t LastReadJoystickId() {
    return Shared()->lastReadId;
}
int32_t LastCapsJoystickId() {
    return Shared()->lastCapsId;
}
int32_t StandInLoadCount() {
    return Shared()->loadCount;
}
uint32_t LastStandInLoaderPid() {
    return uint32_t(Shared()->lastLoaderPid);
}

void WaitForJoystickReads(uint64_t since, uint64_t reads, unsigned long timeoutMs) {
    if (!PollUntil(timeoutMs, [&] { return JoystickReadCount() - since >= reads; }))
        Fail(Format("timed out after %lu ms waiting for %llu joystick reads by the program "
                    "(saw %llu)",
                    timeoutMs, static_cast<unsigned long long>(reads),
                    static_cast<unsigned long long>(JoystickReadCount() - since)));
}

void WaitForJoystickReads(uint64_t reads, unsigned long timeoutMs) {
    WaitForJoystickReads(JoystickReadCount(), reads, timeoutMs);
}
