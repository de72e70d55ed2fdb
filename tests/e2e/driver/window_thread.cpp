#include "tests/e2e/driver/window_thread.h"

#include "tests/e2e/driver/case_runner.h"

struct WindowThread::Run {
    WindowThread::MakeWindow make;
    void* context;
    HANDLE ready;
    volatile HWND window;
};

namespace {
DWORD WINAPI RunWindow(void* param) {
    auto* run = static_cast<WindowThread::Run*>(param);
    HWND window = run->make(run->context);
    run->window = window;
    SetEvent(run->ready);
    if (window == nullptr)
        return 1;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message); // key-downs become the characters an edit box takes
        DispatchMessageA(&message);
    }
    return 0;
}
} // namespace

void RegisterReceiverClass(const char* name, WNDPROC procedure) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = name;
    RegisterClassA(&windowClass);
}

bool WindowThread::Start(MakeWindow make, void* context) {
    run_ = new Run{make, context, CreateEventA(nullptr, TRUE, FALSE, nullptr), nullptr};
    thread_ = CreateThread(nullptr, 0, RunWindow, run_, 0, nullptr);
    return thread_ != nullptr &&
           WaitForSingleObject(run_->ready, kShortTimeoutMs) == WAIT_OBJECT_0 &&
           run_->window != nullptr;
}

HWND WindowThread::Window() const {
    return run_ != nullptr ? run_->window : nullptr;
}

bool WindowThread::Stop() {
    if (run_ == nullptr)
        return true;
    bool ended = true;
    if (thread_ != nullptr) {
        if (run_->window != nullptr)
            PostMessageA(run_->window, WM_CLOSE, 0, 0);
        ended = WaitForSingleObject(thread_, kShortTimeoutMs) == WAIT_OBJECT_0;
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    if (ended) {
        CloseHandle(run_->ready);
        delete run_;
    } // otherwise the thread keeps its state
    run_ = nullptr;
    return ended;
}
