#pragma once
// padwright.exe as the tools start and reach it: one process per start (ended by
// EndStartedPrograms), its hidden main window found by class and title, the tray callback and
// menu commands sent to it, and its dialogs and message boxes. The command numbers come from
// the program's own header; class, titles and captions are what a user sees.
#include <windows.h>

#include <string>
#include <vector>

#include "app/main_window.h"
#include "tools/winekit/wait.h"

constexpr char kProgramClass[] = "Padwright";
constexpr char kAppTitle[] = "Padwright Tool v3.1"; // the caption of its message boxes
constexpr char kSetupCaption[] = "PadwrightTool Setup";
constexpr char kTimingCaption[] = "Timing Setup";
constexpr char kDialogClass[] = "#32770";

std::string MainWindowTitle(char slotDigit); // "Padwright Config 1"

class Program {
  public:
    Program(HANDLE process, DWORD id, std::string commandLine)
        : process_(process), id_(id), commandLine_(std::move(commandLine)) {}
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    ~Program() { CloseHandle(process_); }

    DWORD Id() const { return id_; }
    const std::string& CommandLine() const { return commandLine_; }
    bool IsRunning() const { return WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }
    // The exit code; fails if the process still runs after `timeoutMs`.
    DWORD WaitForExit(DWORD timeoutMs = kExitTimeoutMs) const;
    // Waits for this process's main window on `slotDigit`; keeps it in `window`.
    HWND WaitForWindow(char slotDigit, DWORD timeoutMs = kStartTimeoutMs);
    void Kill();

    HWND window = nullptr;

  private:
    HANDLE process_;
    DWORD id_;
    std::string commandLine_;
};

// Where padwright.exe is, and the current directory of the starts that name none.
void SetProgramPath(const std::string& windowsPath);
void SetStartDirectory(const std::string& windowsPath);
// Starts "padwright.exe" followed by a space and `arguments` (the program parses its raw command
// line, so this is exactly what it sees).
Program& StartProgram(const std::string& arguments = "", const std::string& directory = "");
// Starts and waits until the program serves `slotDigit` with a window of its own.
Program& StartOnSlot(const std::string& arguments, char slotDigit,
                     const std::string& directory = "");
// Starts any program at `path` with `commandLine`; it is ended with padwright.exe's starts.
Program& StartProcess(const std::string& path, const std::string& commandLine,
                      const std::string& directory = "", DWORD flags = 0);
void EndStartedPrograms();
// Ends any process that still owns a window of the program's class (a leftover of an earlier
// run would take a slot).
void EndLeftoverPrograms();

std::vector<HWND> TopLevelWindows(const char* className, DWORD processId = 0);
std::string WindowTitle(HWND window);
DWORD WindowProcessId(HWND window);

void PostTrayCallback(HWND mainWindow, UINT mouseMessage);
void PostCommand(HWND window, WORD commandId);
// SendMessage that gives up (and fails) after `timeoutMs`.
LRESULT SendMessageBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                           DWORD timeoutMs = kShortTimeoutMs);

// A dialog of `processId` captioned `caption` and shown on screen, or null; and the wait for it.
HWND FindDialog(DWORD processId, const char* caption);
HWND WaitForDialog(DWORD processId, const char* caption, DWORD timeoutMs = kStartTimeoutMs);
std::string MessageBoxText(HWND box);
std::vector<int> MessageBoxButtons(HWND box); // IDOK 1, IDCANCEL 2, IDYES 6, IDNO 7
// Presses the button as a click does (posted: what it opens does not block the caller).
void ClickDialogButton(HWND dialog, int buttonId);
// Waits for a message box of `processId`, checks its text, presses `buttonId`, waits it away.
void AnswerMessageBox(DWORD processId, const std::string& expectedText, int buttonId,
                      const std::vector<int>& expectedButtons = {});
// Waits until `dialog` has closed after `how`; fails naming the message box it may still show.
void WaitUntilClosed(HWND dialog, const char* how);
