#include "tests/e2e/driver/click_receiver.h"

#include "tests/e2e/driver/case_runner.h"

struct ClickReceiver::Shared {
    CRITICAL_SECTION lock;
    std::vector<ReceivedClick> clicks;
};

namespace {

constexpr char kReceiverClass[] = "PadwrightE2EClickReceiver";
constexpr int kLeft = 200, kTop = 200, kSize = 240;

bool IsButtonMessage(UINT message) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_XBUTTONDOWN:
    case WM_XBUTTONUP:
        return true;
    default:
        return false;
    }
}

const char* MessageName(UINT message) {
    switch (message) {
    case WM_LBUTTONDOWN:
        return "WM_LBUTTONDOWN";
    case WM_LBUTTONUP:
        return "WM_LBUTTONUP";
    case WM_LBUTTONDBLCLK:
        return "WM_LBUTTONDBLCLK";
    case WM_RBUTTONDOWN:
        return "WM_RBUTTONDOWN";
    case WM_RBUTTONUP:
        return "WM_RBUTTONUP";
    case WM_MBUTTONDOWN:
        return "WM_MBUTTONDOWN";
    case WM_MBUTTONUP:
        return "WM_MBUTTONUP";
    case WM_XBUTTONDOWN:
        return "WM_XBUTTONDOWN";
    case WM_XBUTTONUP:
        return "WM_XBUTTONUP";
    default:
        return "?";
    }
}

LRESULT CALLBACK ReceiverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* shared =
        reinterpret_cast<ClickReceiver::Shared*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (shared != nullptr && IsButtonMessage(message)) {
        const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        EnterCriticalSection(&shared->lock);
        shared->clicks.push_back({message, at});
        LeaveCriticalSection(&shared->lock);
        return 0;
    }
    if (message == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeReceiver(void* context) {
    RegisterReceiverClass(kReceiverClass, ReceiverProc);
    HWND window = CreateWindowExA(WS_EX_TOPMOST, kReceiverClass, "click receiver",
                                  WS_POPUP | WS_VISIBLE | WS_BORDER, kLeft, kTop, kSize, kSize,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), context);
    if (window != nullptr) {
        SetForegroundWindow(window);
        UpdateWindow(window);
    }
    return window;
}

} // namespace

std::string Describe(const std::vector<ReceivedClick>& clicks) {
    if (clicks.empty())
        return "nothing";
    std::string text;
    for (const ReceivedClick& c : clicks)
        text += Format("%s%s at %ld,%ld", text.empty() ? "" : ", ", MessageName(c.message), c.at.x,
                       c.at.y);
    return text;
}

ClickReceiver::ClickReceiver() : shared_(new Shared) {
    InitializeCriticalSection(&shared_->lock);
    try {
        Require(thread_.Start(MakeReceiver, shared_), "the click receiver window did not open");
        const POINT middle{kLeft + kSize / 2, kTop + kSize / 2};
        const bool under = PollUntil(kShortTimeoutMs, [&] {
            SetCursorPos(middle.x, middle.y);
            POINT now{};
            return GetCursorPos(&now) && now.x == middle.x && now.y == middle.y &&
                   WindowFromPoint(middle) == thread_.Window();
        });
        Require(under, "the mouse pointer could not be put over the click receiver window");
    } catch (...) {
        Close();
        throw;
    }
}

ClickReceiver::~ClickReceiver() {
    Close();
}

void ClickReceiver::Close() {
    if (shared_ == nullptr)
        return;
    if (thread_.Stop()) {
        DeleteCriticalSection(&shared_->lock);
        delete shared_;
    } else {
        Trace("the click receiver's thread did not end in time"); // it keeps its state
    }
    shared_ = nullptr;
}

std::vector<ReceivedClick> ClickReceiver::Clicks() const {
    EnterCriticalSection(&shared_->lock);
    std::vector<ReceivedClick> copy = shared_->clicks;
    LeaveCriticalSection(&shared_->lock);
    return copy;
}

std::vector<ReceivedClick> ClickReceiver::WaitForClicks(size_t count, DWORD timeoutMs) const {
    std::vector<ReceivedClick> seen;
    if (!PollUntil(timeoutMs, [&] { return (seen = Clicks()).size() >= count; }))
        Fail(Format("timed out after %lu ms waiting for %zu mouse-button messages in the "
                    "receiver window; it got %s",
                    timeoutMs, count, Describe(seen).c_str()));
    return seen;
}
