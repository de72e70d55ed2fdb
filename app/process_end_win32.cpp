#include "app/process_end_win32.h"

#include <windows.h>

#include "app/follow_win32.h"
#include "core/program_state.h"
#include "engine/held_keys.h"
#include "platform/fine_timer.h"
#include "platform/tray.h"
#include "ui/setup_dialog_win32.h"

namespace {
LPTOP_LEVEL_EXCEPTION_FILTER previousFilter = nullptr;

LONG WINAPI ReleaseHeldOnCrash(EXCEPTION_POINTERS* exception) {
    ReleaseHeldAfterCrash(State());
    return previousFilter != nullptr ? previousFilter(exception) : EXCEPTION_CONTINUE_SEARCH;
}
} // namespace

void RunExitSequence() {
    StopFollowing();
    TrayRemove();
    RemoveExtendedKeyHook();
    ReleaseHeldAtExit(State()); // nothing the engine pressed stays down after the program is gone
    EndFineTimerPeriod();
}

void InstallCrashRelease() {
    previousFilter = SetUnhandledExceptionFilter(ReleaseHeldOnCrash);
}
