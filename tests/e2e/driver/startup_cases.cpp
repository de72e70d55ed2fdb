// Starting the program, its instance slots, and ending it from the tray.
#include <windows.h>

#include <shellapi.h>

#include "tests/e2e/driver/case_runner.h"
#include "tests/e2e/driver/program.h"
#include "tests/e2e/driver/program_windows.h"
#include "tests/e2e/driver/registry_values.h"
#include "tests/e2e/driver/scripted_joystick_control.h"

namespace {

constexpr DWORD kExitNoFreeSlot = 0xFFFFFFFF;

// Waits for a start that must give up, watching all the while that it never shows a window.
void RequireGivesUp(Program& program) {
    bool sawWindow = false;
    const bool ended = PollUntil(kExitTimeoutMs, [&] {
        for (const ProgramWindow& w : ListProgramWindows())
            sawWindow = sawWindow || w.processId == program.Id();
        return !program.IsRunning();
    });
    Require(ended, Format("'%s' still running after %lu ms; it should have given up",
                          program.CommandLine().c_str(), kExitTimeoutMs));
    const DWORD code = program.WaitForExit(0);
    Require(code == kExitNoFreeSlot, Format("'%s' ended with code 0x%lX, expected 0xFFFFFFFF",
                                            program.CommandLine().c_str(), code));
    Require(!sawWindow,
            Format("'%s' created a window before giving up", program.CommandLine().c_str()));
}

void RequireProgramWindowCount(size_t expected) {
    const std::vector<ProgramWindow> windows = ListProgramWindows();
    std::string seen;
    for (const ProgramWindow& w : windows)
        seen += Format(" '%s'", w.title.c_str());
    Require(windows.size() == expected, Format("%zu program windows (%s), expected %zu",
                                               windows.size(), seen.c_str(), expected));
}

// Asks the shell `what` of the program's icon (its window, id 0). A change of nothing
// (NIM_MODIFY) succeeds only for an icon the shell holds.
bool TrayIconCall(HWND window, DWORD what) {
    NOTIFYICONDATAA icon{};
    icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
    icon.hWnd = window;
    return Shell_NotifyIconA(what, &icon) != FALSE;
}

} // namespace

E2E_CASE("a user starts the program and it runs hidden as Padwright Config 1") {
    Program& program = StartPadwright();
    HWND window = WaitForProgramWindow("Padwright Config 1", program.Id(), kStartTimeoutMs);
    Require(!IsWindowVisible(window), "the main window is visible; it must stay hidden");
    RequireProgramWindowCount(1);
    // The stand-in joystick is what the program reads; without it no joystick case means much.
    Require(StandInLoadCount() >= 1 && LastStandInLoaderPid() == program.Id(),
            "the program did not load the scripted winmm.dll next to it");
    Require(program.IsRunning(), "the program ended on its own");
}

E2E_CASE("a user starts a second copy and it comes up as Padwright Config 2") {
    const StartedProgram first = StartOnSlot("", '1');
    const StartedProgram second = StartOnSlot("", '2');
    Require(!IsWindowVisible(second.window), "the second copy's window is visible");
    Require(WindowTitle(first.window) == "Padwright Config 1",
            "the first copy's title changed to '" + WindowTitle(first.window) + "'");
    RequireProgramWindowCount(2);
}

E2E_CASE("a user starts two copies at the same moment and they take slots 1 and 2") {
    const ULONGLONG started = GetTickCount64();
    Program& a = StartPadwright();
    Program& b = StartPadwright();
    HWND one = WaitForProgramWindow("Padwright Config 1", 0, kStartTimeoutMs);
    const ULONGLONG firstWindowMs = GetTickCount64() - started;
    HWND two = nullptr;
    try {
        two = WaitForProgramWindow("Padwright Config 2", 0, kStartTimeoutMs);
    } catch (CaseFailure& failure) {
        // The copies queue at a mutex for at most one second: a first copy slower than that to
        // create its window lets the second one through to the same slot.
        if (firstWindowMs > 1000)
            failure.reason += Format(" (the first window took %llu ms, more than the one-second "
                                     "wait of a second start)",
                                     firstWindowMs);
        throw;
    }
    const DWORD owners[2] = {WindowProcessId(one), WindowProcessId(two)};
    Require((owners[0] == a.Id() && owners[1] == b.Id()) ||
                (owners[0] == b.Id() && owners[1] == a.Id()),
            "slots 1 and 2 are not served by the two copies, one each");
    RequireProgramWindowCount(2);
}

E2E_CASE("a user starts with id=3 and it comes up as Padwright Config 3, "
         "not on the slot chosen last") {
    WriteStoredBytes(RegistryRoot::Machine, "", "config", {'5'});
    const StartedProgram started = StartOnSlot("id=3", '3');
    Require(!IsWindowVisible(started.window), "the main window is visible");
    RequireProgramWindowCount(1);
}

E2E_CASE("a user whose last chosen slot was 5 starts the program and it comes up as "
         "Padwright Config 5") {
    WriteStoredBytes(RegistryRoot::Machine, "", "config", {'5'});
    StartOnSlot("", '5');
    RequireProgramWindowCount(1);
}

E2E_CASE("a user starts with id=3 while slot 3 runs and it comes up as Padwright Config 4") {
    StartOnSlot("id=3", '3');
    StartOnSlot("id=3", '4');
    RequireProgramWindowCount(2);
}

E2E_CASE("a user starts with id=7 while slot 7 runs and it gives up with code 0xFFFFFFFF") {
    const StartedProgram first = StartOnSlot("id=7", '7');
    Program& second = StartPadwright("id=7");
    RequireGivesUp(second);
    RequireProgramWindowCount(1);
    Require(first.program->IsRunning() && WindowTitle(first.window) == "Padwright Config 7",
            "the copy on slot 7 did not keep running unchanged");
}

E2E_CASE("a user starting on a busy slot 5 gets slot 6, and with 5 and 6 busy gives up") {
    StartOnSlot("id=5", '5');
    StartOnSlot("id=5", '6');
    Program& third = StartPadwright("id=5");
    RequireGivesUp(third);
    RequireProgramWindowCount(2);
}

E2E_CASE("a user double-clicks the tray icon and the program ends with code 0") {
    const StartedProgram started = StartOnSlot("", '1');
    PostTrayCallback(started.window, WM_LBUTTONDBLCLK);
    RequireExitCodeZero(started, "the double-click");
    // The slot is free again: the next start takes it.
    StartOnSlot("", '1');
}

E2E_CASE("a user chooses Exit from the tray menu and the program ends with code 0") {
    const StartedProgram started = StartOnSlot("", '1');
    PostCommand(started.window, kCommandExit);
    RequireExitCodeZero(started, "Exit");
}

E2E_CASE("a user closes the main window and the program ends with code 0") {
    const StartedProgram started = StartOnSlot("", '1');
    PostMessageA(started.window, WM_CLOSE, 0, 0);
    RequireExitCodeZero(started, "closing the window");
}

E2E_CASE("the shell's notification area is made anew, as when Explorer restarts, and the tray "
         "icon comes back") {
    const StartedProgram started = StartOnSlot("", '1');
    const auto shown = [&] { return TrayIconCall(started.window, NIM_MODIFY); };
    WaitUntil(kShortTimeoutMs, "the tray icon", shown);
    // A restart of the shell loses every icon; then it tells every top-level window.
    Require(TrayIconCall(started.window, NIM_DELETE) && !shown(),
            "the tray icon could not be taken away as a restart of the shell does");
    PostMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    WaitUntil(kShortTimeoutMs, "the tray icon to be added again", shown);
    PostTrayCallback(started.window, WM_LBUTTONDBLCLK);
    RequireExitCodeZero(started, "the double-click");
}
