#include "tests/e2e/driver/text_receiver.h"

#include "tests/e2e/driver/case_runner.h"

struct TextReceiver::Shared {
    std::string title;
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

HWND MakeReceiver(void* context) {
    auto* shared = static_cast<TextReceiver::Shared*>(context);
    HMODULE module = GetModuleHandleA(nullptr);
    RegisterReceiverClass(kReceiverClass, ReceiverProc);
    HWND window = CreateWindowExA(0, kReceiverClass, shared->title.c_str(),
                                  WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, kLeft, kTop, kWidth,
                                  kHeight, nullptr, nullptr, module, nullptr);
    if (window == nullptr)
        return nullptr;
    RECT client{};
    GetClientRect(window, &client);
    HWND edit = CreateWindowExA(
        0, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL, 0, 0,
        client.right, client.bottom, window, nullptr, module, nullptr);
    if (edit != nullptr) {
        SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(ANSI_FIXED_FONT)),
                     TRUE);
        SendMessageA(edit, EM_SETLIMITTEXT, kTextLimit, 0);
    }
    SetForegroundWindow(window);
    SetFocus(edit);
    UpdateWindow(window);
    shared->edit = edit;
    return window;
}

} // namespace

TextReceiver::TextReceiver(const char* title) : shared_(new Shared) {
    shared_->title = title;
    try {
        const bool opened = thread_.Start(MakeReceiver, shared_) && shared_->edit != nullptr;
        Require(opened, "the text receiver window did not open");
        const bool inFront = PollUntil(kShortTimeoutMs, [&] {
            if (GetForegroundWindow() == Window())
                return true;
            SetForegroundWindow(Window());
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
    return thread_.Window();
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
    if (thread_.Stop())
        delete shared_;
    else
        Trace("the text receiver's thread did not end in time"); // it keeps its state
    shared_ = nullptr;
}
