#include "tools/winekit/input_observer.h"

#include "tools/winekit/scripted_joystick_control.h"
#include "tools/winekit/user_input.h"

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
LRESULT Record(ObservedInput input, int code, WPARAM message, LPARAM param) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    input.observedTicks = now.QuadPart;
    try {
        input.joystickReads = JoystickReads();
    } catch (const Failure&) {
    }
    Observer& o = TheObserver();
    EnterCriticalSection(&o.lock);
    o.inputs.push_back(input);
    LeaveCriticalSection(&o.lock);
    return o.swallow ? 1 : CallNextHookEx(nullptr, code, message, param);
}

LRESULT CALLBACK KeyboardHook(int code, WPARAM message, LPARAM param) {
    if (code != HC_ACTION)
        return CallNextHookEx(nullptr, code, message, param);
    const auto* k = reinterpret_cast<const KBDLLHOOKSTRUCT*>(param);
    const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
    return Record(
        {true, down, k->vkCode, k->scanCode, k->flags, MouseButton::None, k->dwExtraInfo, 0, 0},
        code, message, param);
}

struct ButtonMessages {
    UINT down, up;
    MouseButton button;
};
constexpr ButtonMessages kButtonMessages[] = {{WM_LBUTTONDOWN, WM_LBUTTONUP, MouseButton::Left},
                                              {WM_RBUTTONDOWN, WM_RBUTTONUP, MouseButton::Right},
                                              {WM_MBUTTONDOWN, WM_MBUTTONUP, MouseButton::Middle},
                                              {WM_XBUTTONDOWN, WM_XBUTTONUP, MouseButton::X1}};

LRESULT CALLBACK MouseHook(int code, WPARAM message, LPARAM param) {
    const auto* m = reinterpret_cast<const MSLLHOOKSTRUCT*>(param);
    for (const ButtonMessages& b : kButtonMessages) {
        if (code != HC_ACTION || (message != b.down && message != b.up))
            continue; // moves and wheel turns pass
        const bool x2 = b.button == MouseButton::X1 && HIWORD(m->mouseData) == XBUTTON2;
        return Record({false, message == b.down, 0, 0, m->flags, x2 ? MouseButton::X2 : b.button,
                       m->dwExtraInfo, 0, 0},
                      code, message, param);
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
    while (o.installed && GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    if (keyboard)
        UnhookWindowsHookEx(keyboard);
    if (mouse)
        UnhookWindowsHookEx(mouse);
    return 0;
}

const char* ButtonName(MouseButton b) {
    static const char* const names[] = {"none", "left", "right", "middle", "x1", "x2"};
    return names[int(b)];
}

std::string What(const ObservedInput& input) {
    return input.isKey ? Format("key vk 0x%02X", input.vk)
                       : Format("mouse %s", ButtonName(input.button));
}

} // namespace

std::string Describe(const ObservedInput& input) {
    if (input.isKey)
        return Format("key %s vk 0x%02X scan 0x%02X%s", input.down ? "down" : "up", input.vk,
                      input.scanCode, input.Extended() ? " extended" : "");
    return Format("mouse %s %s", ButtonName(input.button), input.down ? "down" : "up");
}

std::string Describe(const std::vector<ObservedInput>& inputs) {
    std::string text;
    for (const ObservedInput& input : inputs)
        text += (text.empty() ? "" : ", ") + Describe(input);
    return text.empty() ? "nothing" : text;
}

std::vector<std::string> StillDown(const std::vector<ObservedInput>& inputs) {
    std::vector<std::string> down;
    for (const ObservedInput& input : inputs) {
        std::erase(down, What(input));
        if (input.down)
            down.push_back(What(input));
    }
    return down;
}

void StartInputObserver(bool swallow) {
    Observer& o = TheObserver();
    StopInputObserver();
    ClearObservedInputs();
    o.swallow = swallow;
    o.installed = false;
    o.ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    o.thread = CreateThread(nullptr, 0, ObserverThread, nullptr, 0, &o.threadId);
    const bool signalled = WaitForSingleObject(o.ready, kShortTimeoutMs) == WAIT_OBJECT_0;
    CloseHandle(o.ready);
    if (!signalled || !o.installed) {
        StopInputObserver();
        Fail("cannot install the low-level keyboard and mouse hooks");
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
    Require(ended, "the input observer did not stop within its time");
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

std::vector<ObservedInput> ProgramInputs() {
    std::vector<ObservedInput> inputs = ObservedInputs();
    std::erase_if(inputs, [](const ObservedInput& i) { return i.extraInfo == kDriverInputMark; });
    return inputs;
}

std::vector<ObservedInput> WaitForKey(uint32_t vk, bool down, size_t count, DWORD timeoutMs) {
    std::vector<ObservedInput> seen;
    const auto found = [&] {
        size_t n = 0;
        for (const ObservedInput& i : seen = ProgramInputs())
            n += i.isKey && (vk == 0 || i.vk == vk) && i.down == down;
        return n >= count;
    };
    if (!PollUntil(timeoutMs, found))
        Fail(Format("timed out after %lu ms waiting for key 0x%02X %s %zu times; the program "
                    "injected %s",
                    timeoutMs, vk, down ? "down" : "up", count, Describe(seen).c_str()));
    return seen;
}
