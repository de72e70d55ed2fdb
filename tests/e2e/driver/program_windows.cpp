#include "tests/e2e/driver/program_windows.h"

#include "tests/e2e/driver/case_runner.h"
#include "tests/e2e/driver/program.h"

namespace {

constexpr int kMessageTextId = 0xFFFF; // the static control holding a message box's text

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof(name));
    return name;
}

struct WindowSearch {
    const char* className;
    const char* title; // any title when null
    DWORD processId;   // any process when 0
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM param) {
    auto& search = *reinterpret_cast<WindowSearch*>(param);
    if (ClassOf(window) != search.className)
        return TRUE;
    if (search.title != nullptr && WindowTitle(window) != search.title)
        return TRUE;
    if (search.processId != 0 && WindowProcessId(window) != search.processId)
        return TRUE;
    search.found.push_back(window);
    return TRUE;
}

std::vector<HWND> FindTopLevel(const char* className, const char* title, DWORD processId) {
    WindowSearch search{className, title, processId, {}};
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL CALLBACK CollectChildren(HWND window, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> children;
    EnumChildWindows(parent, CollectChildren, reinterpret_cast<LPARAM>(&children));
    return children;
}

} // namespace

std::string MainWindowTitle(char slotDigit) {
    return std::string("Padwright Config ") + slotDigit;
}

std::string WindowTitle(HWND window) {
    char title[256] = {};
    GetWindowTextA(window, title, sizeof(title));
    return title;
}

DWORD WindowProcessId(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId;
}

std::vector<ProgramWindow> ListProgramWindows() {
    std::vector<ProgramWindow> windows;
    for (HWND w : FindTopLevel(kProgramClass, nullptr, 0))
        windows.push_back({w, WindowTitle(w), WindowProcessId(w), IsWindowVisible(w) != FALSE});
    return windows;
}

HWND FindProgramWindow(const std::string& title) {
    return FindWindowA(kProgramClass, title.c_str());
}

HWND WaitForProgramWindow(const std::string& title, DWORD processId, DWORD timeoutMs) {
    HWND window = nullptr;
    const bool found = PollUntil(timeoutMs, [&] {
        const std::vector<HWND> all = FindTopLevel(kProgramClass, title.c_str(), processId);
        window = all.empty() ? nullptr : all.front();
        return window != nullptr;
    });
    if (!found) {
        std::string seen;
        for (const ProgramWindow& w : ListProgramWindows())
            seen += Format(" '%s' (process %lu)", w.title.c_str(), w.processId);
        Fail(Format("no window '%s'%s after %lu ms; program windows:%s", title.c_str(),
                    processId ? Format(" of process %lu", processId).c_str() : "", timeoutMs,
                    seen.empty() ? " none" : seen.c_str()));
    }
    Trace("window '%s' of process %lu is there", title.c_str(), WindowProcessId(window));
    return window;
}

void PostTrayCallback(HWND window, UINT mouseMessage) {
    if (!PostMessageA(window, kTrayCallback, 0, static_cast<LPARAM>(mouseMessage)))
        Fail(Format("cannot post the tray callback (error %lu)", GetLastError()));
}

void PostCommand(HWND window, WORD commandId) {
    if (!PostMessageA(window, WM_COMMAND, MAKEWPARAM(commandId, 0), 0))
        Fail(Format("cannot post command %u (error %lu)", commandId, GetLastError()));
}

LRESULT SendMessageBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                           DWORD timeoutMs) {
    // A busy program can refuse a send at once (Wine may take it for hung); only a window that
    // stays silent until the deadline fails the case.
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        DWORD_PTR result = 0;
        const ULONGLONG now = GetTickCount64();
        const DWORD left = now < deadline ? static_cast<DWORD>(deadline - now) : 1;
        if (SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, left, &result))
            return static_cast<LRESULT>(result);
        const DWORD error = GetLastError();
        if (!IsWindow(window) || GetTickCount64() >= deadline)
            Fail(Format("message 0x%X to window %p not answered within %lu ms (error %lu)", message,
                        static_cast<void*>(window), timeoutMs, error));
        Sleep(20);
    }
}

// Only a box on screen counts: one found between its creation and its first showing has not
// finished setting up its text and buttons.
HWND FindProgramDialog(DWORD processId, const char* caption) {
    for (HWND dialog : FindTopLevel(kMessageBoxClass, caption, processId))
        if (IsWindowVisible(dialog))
            return dialog;
    return nullptr;
}

HWND FindMessageBox(DWORD processId) {
    return FindProgramDialog(processId, kApplicationTitle);
}

HWND WaitForMessageBox(DWORD processId, DWORD timeoutMs) {
    HWND box = nullptr;
    if (!PollUntil(timeoutMs, [&] { return (box = FindMessageBox(processId)) != nullptr; }))
        Fail(Format("no message box '%s' after %lu ms", kApplicationTitle, timeoutMs));
    return box;
}

std::string MessageBoxText(HWND box) {
    if (HWND text = GetDlgItem(box, kMessageTextId))
        return WindowTitle(text);
    for (HWND child : Children(box))
        if (ClassOf(child) == "Static" && !WindowTitle(child).empty())
            return WindowTitle(child);
    return "";
}

std::vector<int> MessageBoxButtons(HWND box) {
    std::vector<int> ids;
    for (HWND child : Children(box))
        if (ClassOf(child) == "Button" && (GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE))
            ids.push_back(GetDlgCtrlID(child));
    return ids;
}

void ClickDialogButton(HWND dialog, int buttonId) {
    HWND button = GetDlgItem(dialog, buttonId);
    if (button == nullptr)
        Fail(Format("the dialog has no button %d", buttonId));
    if (!PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                      reinterpret_cast<LPARAM>(button)))
        Fail(Format("cannot click button %d (error %lu)", buttonId, GetLastError()));
}

void AnswerMessageBox(DWORD processId, const std::string& expectedText, int buttonId,
                      DWORD timeoutMs) {
    HWND box = WaitForMessageBox(processId, timeoutMs);
    const std::string text = MessageBoxText(box);
    Require(text == expectedText,
            Format("message box says '%s', expected '%s'", text.c_str(), expectedText.c_str()));
    ClickDialogButton(box, buttonId);
    WaitUntil(timeoutMs, "the message box to close", [&] { return !IsWindow(box); });
}

StartedProgram StartOnSlot(const std::string& arguments, char slotDigit) {
    Program& program = StartPadwright(arguments);
    HWND window = WaitForProgramWindow(MainWindowTitle(slotDigit), program.Id(), kStartTimeoutMs);
    return {&program, window};
}

void RequireExitCodeZero(const StartedProgram& started, const char* how) {
    const bool ended = PollUntil(kExitTimeoutMs, [&] { return !started.program->IsRunning(); });
    Require(ended, Format("after %s the program still runs after %lu ms, titled '%s'", how,
                          kExitTimeoutMs, WindowTitle(started.window).c_str()));
    const DWORD code = started.program->WaitForExit(0);
    Require(code == 0, Format("after %s the program ended with code 0x%lX, expected 0", how, code));
    Require(!IsWindow(started.window),
            Format("the main window outlived the program after %s", how));
}
