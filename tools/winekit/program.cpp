#include "tools/winekit/program.h"

#include <deque>
#include <memory>

namespace {

std::string programPath;
std::string startDirectory;
std::deque<std::unique_ptr<Program>> startedPrograms;

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof(name));
    return name;
}

struct Search {
    const char* className;
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK Collect(HWND window, LPARAM param) {
    auto& search = *reinterpret_cast<Search*>(param);
    if (ClassOf(window) == search.className &&
        (search.processId == 0 || WindowProcessId(window) == search.processId))
        search.found.push_back(window);
    return TRUE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> children;
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!PostMessageA(window, message, wParam, lParam))
        Fail(Format("cannot post message 0x%X (error %lu)", message, GetLastError()));
}

} // namespace

std::string MainWindowTitle(char slotDigit) {
    return std::string("Padwright Config ") + slotDigit;
}

DWORD Program::WaitForExit(DWORD timeoutMs) const {
    if (WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0)
        Fail(Format("'%s' (process %lu) still running after %lu ms", commandLine_.c_str(), id_,
                    timeoutMs));
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    Trace("process %lu ended with code 0x%lX", id_, code);
    return code;
}

HWND Program::WaitForWindow(char slotDigit, DWORD timeoutMs) {
    const std::string title = MainWindowTitle(slotDigit);
    const bool found = PollUntil(timeoutMs, [&] {
        window = nullptr;
        for (HWND w : TopLevelWindows(kProgramClass, id_))
            window = WindowTitle(w) == title ? w : window;
        return window != nullptr;
    });
    if (!found) {
        std::string seen;
        for (HWND w : TopLevelWindows(kProgramClass))
            seen += Format(" '%s' (process %lu)", WindowTitle(w).c_str(), WindowProcessId(w));
        Fail(Format("no window '%s' of process %lu after %lu ms; program windows:%s", title.c_str(),
                    id_, timeoutMs, seen.empty() ? " none" : seen.c_str()));
    }
    Trace("window '%s' of process %lu is there", title.c_str(), id_);
    return window;
}

void Program::Kill() {
    if (!IsRunning())
        return;
    TerminateProcess(process_, 0xDEAD);
    Require(WaitForSingleObject(process_, kShortTimeoutMs) == WAIT_OBJECT_0,
            Format("process %lu did not end after being terminated", id_));
}

void SetProgramPath(const std::string& windowsPath) {
    programPath = windowsPath;
}

void SetStartDirectory(const std::string& windowsPath) {
    startDirectory = windowsPath;
}

Program& StartProcess(const std::string& path, const std::string& commandLine,
                      const std::string& directory, DWORD flags) {
    std::string line = commandLine;
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(path.c_str(), line.data(), nullptr, nullptr, FALSE, flags, nullptr,
                        directory.empty() ? nullptr : directory.c_str(), &startup, &info))
        Fail(Format("cannot start '%s' in '%s' (error %lu)", commandLine.c_str(), directory.c_str(),
                    GetLastError()));
    CloseHandle(info.hThread);
    Trace("started '%s' as process %lu", commandLine.c_str(), info.dwProcessId);
    startedPrograms.push_back(
        std::make_unique<Program>(info.hProcess, info.dwProcessId, commandLine));
    return *startedPrograms.back();
}

Program& StartProgram(const std::string& arguments, const std::string& directory) {
    return StartProcess(programPath, "padwright.exe" + (arguments.empty() ? "" : " " + arguments),
                        directory.empty() ? startDirectory : directory);
}

Program& StartOnSlot(const std::string& arguments, char slotDigit, const std::string& directory) {
    Program& program = StartProgram(arguments, directory);
    program.WaitForWindow(slotDigit);
    return program;
}

void EndStartedPrograms() {
    for (auto& program : startedPrograms)
        program->Kill();
    startedPrograms.clear();
}

void EndLeftoverPrograms() {
    for (HWND w : TopLevelWindows(kProgramClass)) {
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, WindowProcessId(w));
        if (process == nullptr)
            continue;
        TerminateProcess(process, 0xDEAD);
        WaitForSingleObject(process, kShortTimeoutMs);
        CloseHandle(process);
    }
    WaitUntil(kShortTimeoutMs, "leftover program windows to go",
              [] { return TopLevelWindows(kProgramClass).empty(); });
}

std::vector<HWND> TopLevelWindows(const char* className, DWORD processId) {
    Search search{className, processId, {}};
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&search));
    return search.found;
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

void PostTrayCallback(HWND mainWindow, UINT mouseMessage) {
    Post(mainWindow, kTrayCallbackMessage, 0, static_cast<LPARAM>(mouseMessage));
}

void PostCommand(HWND window, WORD commandId) {
    Post(window, WM_COMMAND, MAKEWPARAM(commandId, 0), 0);
}

LRESULT SendMessageBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                           DWORD timeoutMs) {
    // A busy program can refuse a send at once (Wine may take it for hung); only a window that
    // stays silent until the deadline fails.
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        DWORD_PTR result = 0;
        const ULONGLONG now = GetTickCount64();
        const DWORD left = now < deadline ? static_cast<DWORD>(deadline - now) : 1;
        if (SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, left, &result))
            return static_cast<LRESULT>(result);
        if (!IsWindow(window) || GetTickCount64() >= deadline)
            Fail(Format("message 0x%X to window %p not answered within %lu ms", message,
                        static_cast<void*>(window), timeoutMs));
        Sleep(20);
    }
}

// Only a dialog on screen counts: one found before its first showing has not finished setting
// up its text and buttons.
HWND FindDialog(DWORD processId, const char* caption) {
    for (HWND dialog : TopLevelWindows(kDialogClass, processId))
        if (IsWindowVisible(dialog) && WindowTitle(dialog) == caption)
            return dialog;
    return nullptr;
}

HWND WaitForDialog(DWORD processId, const char* caption, DWORD timeoutMs) {
    HWND dialog = nullptr;
    WaitUntil(timeoutMs, Format("\"%s\" of process %lu", caption, processId),
              [&] { return (dialog = FindDialog(processId, caption)) != nullptr; });
    return dialog;
}

std::string MessageBoxText(HWND box) {
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
    Require(button != nullptr, Format("the dialog has no button %d", buttonId));
    Post(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

void AnswerMessageBox(DWORD processId, const std::string& expectedText, int buttonId,
                      const std::vector<int>& expectedButtons) {
    HWND box = WaitForDialog(processId, kAppTitle, kExitTimeoutMs);
    const std::string text = MessageBoxText(box);
    Require(text == expectedText,
            Format("message box says '%s', expected '%s'", text.c_str(), expectedText.c_str()));
    Require(expectedButtons.empty() || MessageBoxButtons(box) == expectedButtons,
            "the message box '" + text + "' has other buttons");
    ClickDialogButton(box, buttonId);
    WaitUntil(kExitTimeoutMs, "the message box to close", [&] { return !IsWindow(box); });
}

void WaitUntilClosed(HWND dialog, const char* how) {
    if (PollUntil(kShortTimeoutMs, [&] { return !IsWindow(dialog); }))
        return;
    HWND box = FindDialog(WindowProcessId(dialog), kAppTitle);
    Fail(Format("the dialog is still open after %s%s", how,
                box ? (", asking '" + MessageBoxText(box) + "'").c_str() : ""));
}
