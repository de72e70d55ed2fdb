#pragma once
// The program's windows as a user (and the shell) reaches them: the hidden main window found by
// class and title, the tray callback and menu commands sent to it, and its message boxes.
// The names and numbers are written out here from the documents rather than taken from the
// program's headers, so a wrong value in the program cannot agree with itself.
#include <windows.h>

#include <string>
#include <vector>

class Program;

constexpr char kProgramClass[] = "Padwright";
constexpr char kApplicationTitle[] = "Padwright Tool v3.1";
constexpr char kMessageBoxClass[] = "#32770";

constexpr UINT kTrayCallback = WM_USER;
constexpr WORD kCommandSlotBase = 4000; // + slot number, '1' to '9' from the tray menu
constexpr WORD kCommandExit = 4100;
constexpr WORD kCommandSetup = 4101;
constexpr WORD kCommandFollow = 4102;

// "Padwright Config 1" with the slot digit last.
std::string MainWindowTitle(char slotDigit);

struct ProgramWindow {
    HWND window;
    std::string title;
    DWORD processId;
    bool visible;
};

// Every top-level window of the program's class, of any process, hidden ones included.
std::vector<ProgramWindow> ListProgramWindows();
HWND FindProgramWindow(const std::string& title);
// Waits for the window of the program's class with exactly `title`; with `processId` non-zero,
// only a window of that process counts.
HWND WaitForProgramWindow(const std::string& title, DWORD processId = 0, DWORD timeoutMs = 20000);
DWORD WindowProcessId(HWND window);
std::string WindowTitle(HWND window);

// The shell's notification to the program: WM_USER with the mouse message as lParam.
void PostTrayCallback(HWND window, UINT mouseMessage);
// What a menu choice delivers: WM_COMMAND with the identifier in the low word.
void PostCommand(HWND window, WORD commandId);
// SendMessage that gives up (and fails the case) after `timeoutMs`.
LRESULT SendMessageBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                           DWORD timeoutMs = 5000);

// A dialog of `processId` captioned `caption` and shown on screen, or null.
HWND FindProgramDialog(DWORD processId, const char* caption);

// Message boxes captioned with the application title and shown on screen, of `processId` (any
// process when 0).
HWND FindMessageBox(DWORD processId = 0);
HWND WaitForMessageBox(DWORD processId = 0, DWORD timeoutMs = 10000);
std::string MessageBoxText(HWND box);
// Identifiers of the box's buttons, in creation order (IDOK 1, IDCANCEL 2, IDYES 6, IDNO 7).
std::vector<int> MessageBoxButtons(HWND box);
// Presses the button as a click does; the box closes and returns `buttonId` to its caller.
void ClickDialogButton(HWND dialog, int buttonId);
// Waits for a box of `processId`, checks its text, presses `buttonId`, waits until it is gone.
void AnswerMessageBox(DWORD processId, const std::string& expectedText, int buttonId,
                      DWORD timeoutMs = 10000);

// A start that came up on its slot: the process and its hidden main window.
struct StartedProgram {
    Program* program;
    HWND window;
};
// Starts the program with `arguments` and waits until it serves `slotDigit` with a window of
// its own.
StartedProgram StartOnSlot(const std::string& arguments, char slotDigit);
// Waits until the program has ended after `how` and requires exit code 0 and no window left.
void RequireExitCodeZero(const StartedProgram& started, const char* how);
