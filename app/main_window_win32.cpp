// The hidden main window: receives the tray icon's callbacks, the menu's commands and the news
// of the session.
#include "app/main_window_win32.h"

#include <wtsapi32.h>

#include "app/follow_win32.h"
#include "app/main_window.h"
#include "app/process_end_win32.h"
#include "app/slot_menu.h"
#include "app/slot_menu_win32.h"
#include "app/tray.h"
#include "core/program_state.h"
#include "engine/held_keys.h"
#include "platform/tray.h"
#include "res/resource_ids.h"
#include "ui/setup_dialog_win32.h"

namespace {

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == TaskbarCreatedMessage())
        RestoreTrayIcon(State());
    const MainWindowDecision d = DecideMainWindowAction(message, wParam, lParam);
    switch (d.action) {
    case MainWindowAction::Quit:
        PostQuitMessage(0);
        break;
    case MainWindowAction::ShowSlotMenu:
        ShowSlotMenu(window);
        break;
    case MainWindowAction::ChangeSlot:
        ChangeSlot(State(), d.slotDigit);
        break;
    case MainWindowAction::ToggleFollow:
        ToggleFollowingFromMenu();
        break;
    case MainWindowAction::OpenSetup:
        OpenSetupDialog(window);
        FollowAfterSetup();
        break;
    case MainWindowAction::SessionAway:
        PauseForSession(State(), d.awayReason);
        break;
    case MainWindowAction::SessionBack:
        ResumeAfterSession(State(), d.awayReason);
        break;
    case MainWindowAction::EndSession:
        RunExitSequence(); // the process may end any time after this returns
        PostQuitMessage(0);
        break;
    case MainWindowAction::None:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

HWND CreateMainWindow(HINSTANCE module, const char* title) {
    WNDCLASSA windowClass{};
    windowClass.style = CS_DBLCLKS; // the tray delivers double-clicks only to such a class
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = module;
    windowClass.hIcon = LoadIconA(module, MAKEINTRESOURCEA(IDI_ACTIVE));
    windowClass.lpszClassName = kProgramWord;
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, kProgramWord, title, WS_OVERLAPPEDWINDOW, 0, 0, 0, 0, nullptr,
                                  nullptr, module, nullptr);
    if (window != nullptr) // lock, unlock, disconnect and connect of this session
        WTSRegisterSessionNotification(window, NOTIFY_FOR_THIS_SESSION);
    return window;
}
