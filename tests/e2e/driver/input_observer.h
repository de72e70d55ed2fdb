#pragma once
// Sees every keyboard and mouse-button event that reaches the system input stream, in order,
// through low-level hooks on a thread of its own (a low-level hook is called on the installing
// thread's message loop, so that thread does nothing else).
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

enum class MouseButton { None, Left, Right, Middle, X1, X2 };

struct ObservedInput {
    bool isKey;             // a key event, otherwise a mouse-button event
    bool down;              // press (otherwise release)
    uint32_t vk;            // keys: virtual-key code
    uint32_t scanCode;      // keys: scan code as reported by the hook
    uint32_t flags;         // the hook's flags: LLKHF_* for keys, LLMHF_* for mouse buttons
    MouseButton button;     // mouse events
    ULONG_PTR extraInfo;    // dwExtraInfo of the injecting call
    DWORD eventTime;        // the event's own time stamp (ms)
    ULONGLONG observedAt;   // GetTickCount64() when the hook saw it
    LONGLONG observedTicks; // QueryPerformanceCounter() when the hook saw it
    // The program's joystick reads so far when the hook saw the event. An injecting call
    // returns only once the low-level hooks have seen its event, so an event that a poll cycle
    // injects carries the number of that cycle's read.
    uint64_t joystickReads;

    bool Extended() const { return isKey && (flags & LLKHF_EXTENDED) != 0; }
    bool Injected() const { return (flags & (isKey ? LLKHF_INJECTED : LLMHF_INJECTED)) != 0; }
};

std::string Describe(const ObservedInput& input); // "key down vk 0x0D scan 0x1C" etc.
std::string Describe(const std::vector<ObservedInput>& inputs);
// The keys and mouse buttons that `inputs` leave down: those whose last event is a press
// ("key vk 0x26", "mouse left"), in the order of those presses.
std::vector<std::string> StillDown(const std::vector<ObservedInput>& inputs);

// Installs both hooks (fails the case when they cannot be installed in time). With `swallow`
// the events are recorded and then stopped, so injected clicks land nowhere.
void StartInputObserver(bool swallow = false);
// Removes the hooks and ends the thread (bounded); called between cases anyway.
void StopInputObserver();
std::vector<ObservedInput> ObservedInputs();
void ClearObservedInputs();
// Fails the case, saying `when`, if the program injected anything since the observer started or
// was last cleared: every event observed is the driver's own.
void RequireNothingInjectedByTheProgram(const char* when);
// Waits until at least `count` events have been observed; fails with what was seen.
std::vector<ObservedInput> WaitForObservedInputs(size_t count, DWORD timeoutMs = 5000);
