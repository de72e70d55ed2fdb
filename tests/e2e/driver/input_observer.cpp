#include "tests/e2e/driver/input_observer.h"

#include "tests/e2e/driver/case_runner.h"
#include "tests/e2e/driver/scripted_joystick_control.h"
#include "tests/e2e/driver/user_input.h"

namespace {

struct Observer {
    CRITICAL_SECTION lock;
    std::vector<ObservedInput> inputs;
    HANDLE thread = nullptr;
    DWORD threadId = 0;
    HANDLE ready = nullptr;
    volatile bool installed = false;
    bool swallow = false;
};

Observer& TheObserver() {
    static Observer* observer = [] {
        auto* o = new Observer;
        InitializeCriticalSection(&o->lock);
        return o;
    }();
    return *observer;
}

// Never throws: a hook must return to the system whatever happens.
uint64_t JoystickReadsSoFar() {
    try {
        return JoystickReadCount();
    } catch (const CaseFailure&) {
        return 0;
    }
}

void Record(ObservedInput input) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    input.observedTicks = now.QuadPart;
    input.joystickReads = JoystickReadsSoFar();
    Observer& o = TheObserver();
    EnterCriticalSection(&o.lock);
    o.inputs.push_back(input);
    LeaveCriticalSection(&o.lock);
}

LRESULT CALLBACK KeyboardHook(int code, WPARAM message, LPARAM param) {
    if (code == HC_ACTION) {
        const auto* k = reinterpret_cast<const KBDLLHOOKSTRUCT*>(param);
        ObservedInput input{};
        input.isKey = true;
        input.down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
        input.vk = k->vkCode;
        input.scanCode = k->scanCode;
        input.flags = k->flags;
        input.extraInfo = k->dwExtraInfo;
        input.eventTime = k->time;
        input.observedAt = GetTickCount64();
        Record(input);
        if (TheObserver().swallow)
            return 1;
    }
    return CallNextHookEx(nullptr, code, message, param);
}

MouseButton ButtonOf(WPARAM message, DWORD mouseData) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        return MouseButton::Left;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        return MouseButton::Right;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        return MouseButton::Middle;
    case WM_XBUTTONDOWN:
    case WM_XBUTTONUP:
        return HIWORD(mouseData) == XBUTTON2 ? MouseButton::X2 : MouseButton::X1;
    default:
        return MouseButton::None;
    }
}

LRESULT CALLBACK MouseHook(int code, WPARAM message, LPARAM param) {
    if (code == HC_ACTION) {
        const auto* m = reinterpret_cast<const MSLLHOOKSTRUCT*>(param);
        const MouseButton button = ButtonOf(message, m->mouseData);
        if (button != MouseButton::None) { // moves and wheel turns are not what we watch
            ObservedInput input{};
            input.isKey = false;
            input.down = message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN ||
                         message == WM_MBUTTONDOWN || message == WM_XBUTTONDOWN;
            input.button = button;
            input.flags = m->flags;
            input.extraInfo = m->dwExtraInfo;
            input.eventTime = m->time;
            input.observedAt = GetTickCount64();
            Record(input);
            if (TheObserver().swallow)
                return 1;
        }
    }
    return CallNextHookEx(nullptr, code, message, param);
}

DWORD WINAPI ObserverThread(void*) {
    Observer& o = TheObserver();
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE); // the thread's queue exists from here
    HMODULE module = GetModuleHandleA(nullptr);
    HHOOK keyboard = SetWindowsHookExA(WH_KEYBOARD_LL, KeyboardHook, module, 0);
    HHOOK mouse = SetWindowsHookExA(WH_MOUSE_LL, MouseHook, module, 0);
    o.installed = keyboard != nullptr && mouse != nullptr;
    SetEvent(o.ready);
    if (o.installed)
        while (GetMessageA(&message, nullptr, 0, 0) > 0)
            DispatchMessageA(&message);
    if (keyboard)
        UnhookWindowsHookEx(keyboard);
    if (mouse)
        UnhookWindowsHookEx(mouse);
    return 0;
}

const char* ButtonName(MouseButton b) {
    switch (b) {
    case MouseButton::Left:
        return "left";
    case MouseButton::Right:
        return "right";
    case MouseButton::Middle:
        return "middle";
    case MouseButton::X1:
        return "x1";
    case MouseButton::X2:
        return "x2";
    default:
        return "none";
    }
}

} // namespace

std::string Describe(const ObservedInput& input) {
    if (input.isKey)
        return Format("key %s vk 0x%02X scan 0x%02X%s", input.down ? "down" : "up", input.vk,
                      input.scanCode, input.Extended() ? " extended" : "");
    return Format("mouse %s %s", ButtonName(input.button), input.down ? "down" : "up");
}

std::string Describe(const std::vector<ObservedInput>& inputs) {
    if (inputs.empty())
        return "nothing";
    std::string text;
    for (const ObservedInput& input : inputs)
        text += (text.empty() ? "" : ", ") + Describe(input);
    return text;
}

std::vector<std::string> StillDown(const std::vector<ObservedInput>& inputs) {
    std::vector<std::string> down;
    for (const ObservedInput& input : inputs) {
        const std::string what = input.isKey ? Format("key vk 0x%02X", input.vk)
                                             : Format("mouse %s", ButtonName(input.button));
        std::erase(down, what);
        if (input.down)
            down.push_back(what);
    }
    return down;
}

void StartInputObserver(bool swallow) {
    Observer& o = TheObserver();
    if (o.thread != nullptr)
        StopInputObserver();
    ClearObservedInputs();
    o.swallow = swallow;
    o.installed = false;
    o.ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    o.thread = CreateThread(nullptr, 0, ObserverThread, nullptr, 0, &o.threadId);
    const bool signalled = WaitForSingleObject(o.ready, kShortTimeoutMs) == WAIT_OBJECT_0;
    CloseHandle(o.ready);
    o.ready = nullptr;
    if (!signalled || !o.installed) {
        StopInputObserver();
        Fail(signalled ? "cannot install the low-level keyboard and mouse hooks"
                       : "the input observer did not start within its time");
    }
}

void StopInputObserver() {
    Observer& o = TheObserver();
    if (o.thread == nullptr)
        return;
    PostThreadMessageA(o.threadId, WM_QUIT, 0, 0);
    const bool ended = WaitForSingleObject(o.thread, kShortTimeoutMs) == WAIT_OBJECT_0;
    CloseHandle(o.thread);
    o.thread = nullptr;
    o.threadId = 0;
    if (!ended)
        Fail("the input observer did not stop within its time");
}

std::vector<ObservedInput> ObservedInputs() {
    Observer& o = TheObserver();
    EnterCriticalSection(&o.lock);
    std::vector<ObservedInput> copy = o.inputs;
    LeaveCriticalSection(&o.lock);
    return copy;
}

void ClearObservedInputs() {
    Observer& o = TheObserver();
    EnterCriticalSection(&o.lock);
    o.inputs.clear();
    LeaveCriticalSection(&o.lock);
}

std::vector<ObservedInput> WaitForObservedInputs(size_t count, DWORD timeoutMs) {
    std::vector<ObservedInput> seen;
    if (!PollUntil(timeoutMs, [&] { return (seen = ObservedInputs()).size() >= count; }))
        Fail(Format("timed out after %lu ms waiting for %zu input events; saw %s", timeoutMs, count,
                    Describe(seen).c_str()));
    return seen;
}

void RequireNothingInjectedByTheProgram(const char* when) {
    for (const ObservedInput& input : ObservedInputs())
        Require(input.extraInfo == kDriverKeyMark,
                Format("the program injected %s %s", Describe(input).c_str(), when));
}
