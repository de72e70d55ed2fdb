#include "tools/winekit/scripted_joystick_control.h"

#include <cstring>

namespace {

ScriptedJoystickShared* shared = nullptr;

ScriptedJoystickShared& Shared() {
    Require(shared != nullptr, "the scripted joystick was not created");
    return *shared;
}

} // namespace

namespace scripted_joystick_detail {

ScriptedJoystickScript& BeginWrite() {
    InterlockedIncrement(&Shared().sequence);
    return Shared().script;
}

void EndWrite() {
    InterlockedIncrement(&Shared().sequence);
}

} // namespace scripted_joystick_detail

void CreateScriptedJoystick() {
    if (shared != nullptr)
        return;
    // The handle stays open for the life of the process, so the memory outlives every program
    // it starts.
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        sizeof(ScriptedJoystickShared), kScriptedJoystickMapping);
    auto* view = mapping == nullptr ? nullptr
                                    : static_cast<ScriptedJoystickShared*>(
                                          MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    Require(view != nullptr,
            Format("cannot map the scripted joystick (error %lu)", GetLastError()));
    std::memset(static_cast<void*>(view), 0, sizeof(*view));
    view->script = DefaultJoystickScript();
    view->size = sizeof(ScriptedJoystickShared);
    MemoryBarrier();
    view->magic = kScriptedJoystickMagic;
    shared = view;
}

void ResetScriptedJoystick() {
    ScriptJoystick([](ScriptedJoystickScript& s) { s = DefaultJoystickScript(); });
    ScriptedJoystickShared& m = Shared();
    InterlockedExchange64(&m.readCount, 0);
    InterlockedExchange64(&m.capsCount, 0);
    InterlockedExchange(&m.lastReadId, -1);
    InterlockedExchange(&m.lastCapsId, -1);
    InterlockedExchange(&m.loadCount, 0);
    InterlockedExchange(&m.lastLoaderPid, 0);
    InterlockedExchange(&m.changeSeenSequence, 0);
}

const volatile ScriptedJoystickShared& ScriptedJoystick() {
    return Shared();
}

uint64_t SetJoystickButtons(uint32_t buttons) {
    return ScriptJoystick([&](ScriptedJoystickScript& s) { s.buttons = buttons; });
}

uint64_t CentreJoystick() {
    return ScriptJoystick([](ScriptedJoystickScript& s) {
        for (int axis = 0; axis < kScriptedAxes; ++axis)
            s.pos[axis] = s.axisMin[axis] + (s.axisMax[axis] - s.axisMin[axis]) / 2;
        s.pov = kJoyPovCentered;
        s.buttons = 0;
    });
}

uint64_t SetJoystickPlugged(bool plugged) {
    return ScriptJoystick([&](ScriptedJoystickScript& s) {
        s.capsResult = s.readResult = plugged ? kJoyErrNoError : kJoyErrUnplugged;
    });
}

int32_t ScriptSequence() {
    return Shared().sequence;
}

int64_t ChangeSeenAt(int32_t sequence) {
    ScriptedJoystickShared& m = Shared();
    if (m.changeSeenSequence != sequence)
        return 0;
    MemoryBarrier();
    return m.changeSeenAt;
}

void WaitForJoystickReads(uint64_t reads, DWORD timeoutMs, uint64_t since) {
    if (!PollUntil(timeoutMs, [&] { return JoystickReads() - since >= reads; }))
        Fail(Format("timed out after %lu ms waiting for %llu joystick reads (saw %llu)", timeoutMs,
                    static_cast<unsigned long long>(reads),
                    static_cast<unsigned long long>(JoystickReads() - since)));
}
