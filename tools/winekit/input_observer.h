#pragma once
// Sees every keyboard and mouse-button event that reaches the system input stream, in order,
// through low-level hooks on a thread of their own (a low-level hook is called on its thread's
// message loop, so that thread does nothing else).
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

enum class MouseButton { None, Left, Right, Middle, X1, X2 };

struct ObservedInput {
    bool isKey; // otherwise a mouse button
    bool down;
    uint32_t vk;       // keys
    uint32_t scanCode; // keys
    uint32_t flags;    // LLKHF_* for keys, LLMHF_* for mouse buttons
    MouseButton button;
    ULONG_PTR extraInfo;
    LONGLONG observedTicks; // QueryPerformanceCounter() when the hook saw it
    // The program's joystick reads so far when the hook saw the event. An injecting call returns
    // only once the low-level hooks have seen its event, so an event that a poll cycle injects
    // carries the number of that cycle's read.
    uint64_t joystickReads;

    bool Extended() const { return isKey && (flags & LLKHF_EXTENDED) != 0; }
    bool Injected() const { return (flags & (isKey ? LLKHF_INJECTED : LLMHF_INJECTED)) != 0; }
};

// "key down vk 0x0D scan 0x1C", "mouse x2 up"; a list joined by ", ", or "nothing".
std::string Describe(const ObservedInput& input);
std::string Describe(const std::vector<ObservedInput>& inputs);
// The keys and mouse buttons that `inputs` leave down, in the order of their presses.
std::vector<std::string> StillDown(const std::vector<ObservedInput>& inputs);

// Installs both hooks. With `swallow` the events are recorded and then stopped, so what the
// program injects lands nowhere.
void StartInputObserver(bool swallow = false);
void StopInputObserver();
std::vector<ObservedInput> ObservedInputs();
void ClearObservedInputs();
// Waits until at least `count` events have been observed; fails with what was seen.
std::vector<ObservedInput> WaitForObservedInputs(size_t count, DWORD timeoutMs = 5000);
// What was observed but not sent by the tool itself (kDriverInputMark): the program's input.
std::vector<ObservedInput> ProgramInputs();
// Waits until the program has injected `count` presses (or releases) of key `vk` (any key: 0);
// returns all it injected.
std::vector<ObservedInput> WaitForKey(uint32_t vk, bool down, size_t count = 1,
                                      DWORD timeoutMs = 5000);
