// Process entry: serialise concurrent starts, choose the slot, create the hidden window, load
// the settings, show the tray icon, start the engine and run the message loop.
#include <windows.h>

#include <cstring>

#include "app/command_line.h"
#include "app/follow_win32.h"
#include "app/instances_win32.h"
#include "app/main_window_win32.h"
#include "app/poll_thread.h"
#include "app/process_end_win32.h"
#include "app/startup.h"
#include "app/tray.h"
#include "core/key_map.h"
#include "core/program_state.h"
#include "platform/input.h"
#include "platform/message_box.h"
#include "platform/tray.h"
#include "store/portable_mode.h"
#include "store/slot_store.h"
#include "ui/joystick_warning.h"
#include "ui/setup_dialog_win32.h"

namespace {

constexpr DWORD kExitNoFreeSlot = 0xFFFFFFFF;

// The parser cuts the text in place, so it works on a copy of the process's command line.
char commandLineCopy[32768];

CommandLine ReadCommandLine() {
    std::strncpy(commandLineCopy, GetCommandLineA(), sizeof(commandLineCopy) - 1);
    commandLineCopy[sizeof(commandLineCopy) - 1] = '\0';
    return ParseCommandLine(commandLineCopy);
}

void RunMessageLoop() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
}

} // namespace

int WINAPI WinMain(HINSTANCE module, HINSTANCE, LPSTR, int) {
    SetMessageBoxCaption(kAppTitle);
    ProgramState& s = State();
    s.enabledMask = ~InputWord{0};
    InstallCrashRelease();

    const InstanceMutex mutex = WaitForInstanceMutex();

    DecidePortableModeAtStart(s);
    const CommandLine commandLine = ReadCommandLine();
    ImportFileAtStart(s, commandLine.fileArgument);
    if (commandLine.hasSlot)
        s.slotDigit = commandLine.slotDigit;
    else
        ReadSelectedSlot(s);

    if (!StepToFreeSlot(s, IsSlotTaken))
        ExitProcess(kExitNoFreeSlot);

    HWND mainWindow = CreateMainWindow(module, s.windowTitle);
    s.mainWindow = mainWindow;
    if (mutex.handle != nullptr) // not released: a start that opened it meanwhile waits its second
        CloseHandle(mutex.handle);
    if (mainWindow == nullptr)
        return 1;

    ResetKeyMapDefaults(s, ScanCodeOfKey);
    ResetTimingDefaults(s);
    LoadSlot(s);

    AddTrayIcon(mainWindow);
    // Before the calibration's message can hold start-up: a pad switched on while the message
    // is up works at once, and the tray follows the pad.
    StartPollThread();
    CalibrateOrWarn(s, mainWindow);
    StartFollowing(commandLine.hasSlot);
    InstallExtendedKeyHook();

    RunMessageLoop();

    RunExitSequence();
    ExitProcess(0);
}
