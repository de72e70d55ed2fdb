#include "tests/e2e/driver/text_receiver.h"

#include "tests/e2e/driver/case_runner.h"

struct TextReceiver::Shared {
    std::string title;
    HANDLE ready = nullptr;
    volatile HWND window = nullptr;
    volatile HWND edit = nullptr;
};

namespace {

constexpr char kReceiverClass[] = "PadwrightE2ETextReceiver";
constexpr int kLeft = 40, kTop = 40, kWidth = 520, kHeight = 140;
constexpr int kTextLimit = 4096;

LRESULT CALLBACK ReceiverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        if (HWND edit = GetWindow(window, GW_CHILD))
            MoveWindow(edit, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_SETFOCUS: // the edit box keeps the focus whenever the window has it
        if (HWND edit = GetWindow(window, GW_CHILD))
            SetFocus(edit);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

DWORD WINAPI ReceiverThread(void* param) {
    auto* shared = static_cast<TextReceiver::Shared*>(param);
    HMODULE module = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = ReceiverProc;
    windowClass.hInstance = module;
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = kReceiverClass;
    RegisterClassA(&windowClass); // fails harmlessly when registered before
    HWND window = CreateWindowExA(0, kReceiverClass, shared->title.c_str(),
                                  WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, kLeft, kTop, kWidth,
                                  kHeight, nullptr, nullptr, module, nullptr);
    HWND edit = nullptr;
    if (window != nullptr) {
        RECT client{};
        GetClientRect(window, &client);
        edit = CreateWindowExA(0, "EDIT", "",
                               WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL,
                               0, 0, client.right, client.bottom, window, nullptr, module, nullptr);
        if (edit != nullptr) {
            SendMessageA(edit, WM_SETFONT,
                         reinterpret_cast<WPARAM>(GetStockObject(ANSI_FIXED_FONT)), TRUE);
            SendMessageA(edit, EM_SETLIMITTEXT, kTextLimit, 0);
        }
        SetForegroundWindow(window);
        SetFocus(edit);
        UpdateWindow(window);
    }
    shared->window = window;
    shared->edit = edit;
    SetEvent(shared->ready);
    if (window == nullptr)
        return 1;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message); // key-downs become the characters the edit box takes
        DispatchMessageA(&message);
    }
    return 0;
}

} // namespace

TextReceiver::TextReceiver(const char* title) : shared_(new Shared) {
    shared_->title = title;
    shared_->ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, ReceiverThread, shared_, 0, nullptr);
    try {
        const bool opened = thread_ != nullptr &&
                            WaitForSingleObject(shared_->ready, kShortTimeoutMs) == WAIT_OBJECT_0 &&
                            shared_->window != nullptr && shared_->edit != nullptr;
        Require(opened, "the text receiver window did not open");
        const bool inFront = PollUntil(kShortTimeoutMs, [&] {
            if (GetForegroundWindow() == shared_->window)
                return true;
            SetForegroundWindow(shared_->window);
            return false;
        });
        Require(inFront, "the text receiver window could not be brought to the front");
    } catch (...) {
        Close();
        throw;
    }
}

TextReceiver::~TextReceiver() {
    Close();
}

HWND TextReceiver::Window() const {
    return shared_->window;
}

std::string TextReceiver::Text() const {
    char text[kTextLimit + 1] = {};
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(shared_->edit, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text),
                        SMTO_NORMAL, kShortTimeoutMs, &ignored);
    return text;
}

void TextReceiver::Close() {
    if (shared_ == nullptr)
        return;
    bool ended = true;
    if (thread_ != nullptr) {
        if (shared_->window != nullptr)
            PostMessageA(shared_->window, WM_CLOSE, 0, 0);
        ended = WaitForSingleObject(thread_, kShortTimeoutMs) == WAIT_OBJECT_0;
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    if (ended) {
        CloseHandle(shared_->ready);
        delete shared_;
    } else {
        Trace("the text receiver's thread did not end in time"); // it keeps its state
    }
    shared_ = nullptr;
}
