#include "tools/winekit/text_receiver.h"

#include "tools/winekit/program.h"
#include "tools/winekit/user_input.h"
#include "tools/winekit/wait.h"

struct TextReceiver::Run {
    std::string title;
    HANDLE ready;
    volatile HWND window, edit;
};

namespace {

// An edit box in a window of the dialog class, which gives the box the focus back whenever the
// window is activated.
DWORD WINAPI RunReceiver(void* param) {
    auto* run = static_cast<TextReceiver::Run*>(param);
    HMODULE module = GetModuleHandleA(nullptr);
    HWND window =
        CreateWindowExA(0, "#32770", run->title.c_str(), WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE,
                        40, 40, 520, 140, nullptr, nullptr, module, nullptr);
    run->edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, 500, 100,
                                window, nullptr, module, nullptr);
    SetFocus(run->edit);
    run->window = run->edit != nullptr ? window : nullptr;
    SetEvent(run->ready);
    MSG message;
    while (window != nullptr && GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message); // key-downs become the characters the box takes
        DispatchMessageA(&message);
    }
    if (window != nullptr)
        DestroyWindow(window);
    return 0;
}

} // namespace

TextReceiver::TextReceiver(const char* title)
    : run_(new Run{title, CreateEventA(nullptr, TRUE, FALSE, nullptr), nullptr, nullptr}),
      thread_(CreateThread(nullptr, 0, RunReceiver, run_, 0, nullptr)) {
    WaitForSingleObject(run_->ready, kShortTimeoutMs);
    try {
        Require(Window() != nullptr, "the text window did not open");
        BringToFront(Window());
    } catch (...) {
        Close();
        throw;
    }
}

TextReceiver::~TextReceiver() {
    Close();
}

void TextReceiver::Close() {
    if (run_ == nullptr)
        return;
    PostThreadMessageA(GetThreadId(thread_), WM_QUIT, 0, 0);
    if (WaitForSingleObject(thread_, kShortTimeoutMs) == WAIT_OBJECT_0) {
        CloseHandle(run_->ready);
        delete run_; // otherwise the thread keeps its state
    }
    CloseHandle(thread_);
    run_ = nullptr;
}

HWND TextReceiver::Window() const {
    return run_->window;
}

std::string TextReceiver::Text() const {
    char text[4096] = {};
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(run_->edit, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text),
                        SMTO_NORMAL, kShortTimeoutMs, &ignored);
    return text;
}

HWND StartReceiverAs(const std::string& directory, const std::string& path) {
    char tool[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, tool, sizeof tool);
    std::string receiver = tool;
    receiver.replace(receiver.find_last_of('\\') + 1, std::string::npos, "padwright_receiver.exe");
    const std::string copy = directory + "\\" + path;
    CreateDirectoryA(copy.substr(0, copy.find_last_of('\\')).c_str(), nullptr);
    Require(CopyFileA(receiver.c_str(), copy.c_str(), FALSE), "cannot copy to " + copy);
    const DWORD id = StartProcess(copy, "receiver " + path).Id();
    std::vector<HWND> windows;
    WaitUntil(kShortTimeoutMs, path + "'s window",
              [&] { return !(windows = TopLevelWindows(kDialogClass, id)).empty(); });
    return windows[0];
}
