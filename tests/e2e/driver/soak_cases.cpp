// A long run of random joystick input, axes, hat and buttons, with the setup dialog opened and
// closed again and again and now and then the timing dialog from it: the program never ends by
// itself, still answers at the end, leaves nothing down once the joystick is let go, and exits
// with code 0. Its length comes from PADWRIGHT_SOAK_SECONDS (60 by default, 600 for the long
// run); PADWRIGHT_SOAK_SEED repeats a run, whose seed is printed.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "tests/e2e/driver/case_runner.h"
#include "tests/e2e/driver/input_observer.h"
#include "tests/e2e/driver/program.h"
#include "tests/e2e/driver/program_windows.h"
#include "tests/e2e/driver/registry_values.h"
#include "tests/e2e/driver/scripted_joystick_control.h"
#include "tests/e2e/driver/soak_length.h"
#include "tests/e2e/driver/tray_menu.h"

namespace {

constexpr char kSetupCaption[] = "PadwrightTool Setup";
constexpr char kTimingCaption[] = "Timing Setup";
constexpr int kSetupCancel = 13104;
constexpr int kTimingSetupButton = 13110;
constexpr int kTimingCancel = 2202;

constexpr uint64_t Input(int bit) {
    return uint64_t{1} << bit;
}
constexpr int kButton1 = 16, kHatUp = 12, kXLow = 0, kXHigh = 1;

// The default arrows, Return and Tab, and beside them a chord, two mouse buttons, the hat and
// a zone split of the X axis; a repeat interval above the delay. Every way the engine presses
// and lets go is in play.
void StoreSoakSettings() {
    StoreKeyMap(RegistryRoot::Machine, '1',
                {{Input(2), VK_UP, 0x48},
                 {Input(3), VK_DOWN, 0x50},
                 {Input(kButton1), VK_RETURN, 0x1C},
                 {Input(kButton1 + 1), VK_TAB, 0x0F},
                 {Input(kButton1) | Input(kButton1 + 1), 'A', 0x1E},
                 {Input(kButton1 + 2), 1, 0},
                 {Input(kButton1 + 3) | Input(kButton1 + 4), 2, 0},
                 {Input(kHatUp), 'H', 0x23},
                 {Input(kXLow) | Input(kXHigh), 'Z', 0x2C},
                 {Input(kXLow) | Input(kXHigh), 'X', 0x2D},
                 {Input(kXLow) | Input(kXHigh), 'C', 0x2E}});
    WriteStoredUint32(RegistryRoot::Machine, "", "pollingspeed", 10);
    WriteStoredUint32(RegistryRoot::Machine, "", "typematicdelay", 40);
    WriteStoredUint32(RegistryRoot::Machine, "", "typematicrate", 60);
}

unsigned SoakSeed() {
    const char* text = std::getenv("PADWRIGHT_SOAK_SEED");
    return text != nullptr ? unsigned(std::strtoul(text, nullptr, 10)) : unsigned(GetTickCount());
}

class RandomJoystick {
  public:
    explicit RandomJoystick(unsigned seed) : random_(seed) {}

    // One new sample: each axis at an end, centred or anywhere; the hat at rest or in one of
    // its eight directions or between; a few of the twelve buttons.
    void Change() {
        ScriptJoystick([&](ScriptedJoystickScript& s) {
            for (int axis = 0; axis < kScriptedAxes; ++axis)
                s.pos[axis] = AxisPosition(s.axisMin[axis], s.axisMax[axis]);
            const uint32_t hat = Pick(10);
            s.pov = hat == 0 ? kJoyPovCentered : hat == 9 ? Pick(36001) : (hat - 1) * 4500;
            const uint32_t buttons = Pick(4);
            s.buttons = buttons == 0 ? Pick(1u << 12) : buttons == 1 ? 1u << Pick(12) : 0;
        });
        ++changes;
    }

    uint32_t Pick(uint32_t count) {
        return std::uniform_int_distribution<uint32_t>(0, count - 1)(random_);
    }

    unsigned long changes = 0;

  private:
    uint32_t AxisPosition(uint32_t min, uint32_t max) {
        switch (Pick(5)) {
        case 0:
            return min;
        case 1:
            return max;
        case 2:
            return min + Pick(max - min + 1);
        default:
            return min + (max - min) / 2;
        }
    }

    std::mt19937 random_;
};

// Keeps the joystick moving for about `ms` milliseconds.
void MoveFor(RandomJoystick& joystick, DWORD ms) {
    const ULONGLONG until = GetTickCount64() + ms;
    while (GetTickCount64() < until) {
        joystick.Change();
        Sleep(joystick.Pick(30));
    }
}

// Waits for the dialog while the joystick moves on.
HWND WaitForDialogMoving(RandomJoystick& joystick, DWORD processId, const char* caption) {
    HWND dialog = nullptr;
    WaitUntil(kStartTimeoutMs, Format("\"%s\" to open", caption), [&] {
        joystick.Change();
        return (dialog = FindProgramDialog(processId, caption)) != nullptr;
    });
    return dialog;
}

// Cancel, and OK to "not released" when an input is held at that moment.
void CancelDialog(RandomJoystick& joystick, DWORD processId, HWND dialog, int cancelId,
                  const char* caption) {
    PostMessageA(GetDlgItem(dialog, cancelId), BM_CLICK, 0, 0);
    WaitUntil(kStartTimeoutMs, Format("\"%s\" to close", caption), [&] {
        joystick.Change();
        if (HWND box = FindMessageBox(processId))
            ClickDialogButton(box, IDOK);
        return !IsWindow(dialog);
    });
}

} // namespace

E2E_CASE("a user plays with the joystick at random for a long time, opening and closing the "
         "setup and timing dialogs now and then: the program keeps running, answers, leaves "
         "nothing down and exits with 0") {
    const int seconds = SoakSeconds();
    const unsigned seed = SoakSeed();
    std::printf("soak: seed %u (PADWRIGHT_SOAK_SEED), %d s (PADWRIGHT_SOAK_SECONDS)\n", seed,
                seconds);
    std::fflush(stdout);
    StoreSoakSettings();
    const StartedProgram started = StartOnSlot("", '1');
    const DWORD id = started.program->Id();
    WaitForJoystickReads(1, kStartTimeoutMs);
    StartInputObserver(true); // whatever the program injects lands nowhere

    RandomJoystick joystick(seed);
    unsigned long dialogs = 0, timingDialogs = 0;
    const ULONGLONG end = GetTickCount64() + ULONGLONG(seconds) * 1000;
    while (GetTickCount64() < end) {
        MoveFor(joystick, 500 + joystick.Pick(2500));
        Require(started.program->IsRunning(), "the program ended by itself");
        PostTrayCallback(started.window, WM_LBUTTONDOWN);
        HWND setup = WaitForDialogMoving(joystick, id, kSetupCaption);
        ++dialogs;
        MoveFor(joystick, joystick.Pick(800));
        if (joystick.Pick(3) == 0) {
            PostMessageA(GetDlgItem(setup, kTimingSetupButton), BM_CLICK, 0, 0);
            HWND timing = WaitForDialogMoving(joystick, id, kTimingCaption);
            ++timingDialogs;
            MoveFor(joystick, joystick.Pick(500));
            CancelDialog(joystick, id, timing, kTimingCancel, kTimingCaption);
        }
        CancelDialog(joystick, id, setup, kSetupCancel, kSetupCaption);
    }

    CentreJoystick();
    WaitForJoystickReads(5, kShortTimeoutMs);
    Require(started.program->IsRunning(), "the program ended by itself");
    SendMessageBounded(started.window, WM_NULL, 0, 0);
    const std::vector<ObservedInput> seen = ObservedInputs();
    StopInputObserver();
    const std::vector<std::string> stuck = StillDown(seen);
    std::printf("soak: %zu key and mouse-button events injected; the timing dialog opened %lu "
                "times\n",
                seen.size(), timingDialogs);
    std::printf("soak: %d s, %lu joystick changes, %lu dialog openings, %zu stuck keys\n", seconds,
                joystick.changes, dialogs, stuck.size());
    std::fflush(stdout);
    Require(stuck.empty(), Format("with the joystick let go, %s is still down (seed %u)",
                                  stuck.front().c_str(), seed));
    Require(!seen.empty(), Format("%lu joystick changes injected nothing", joystick.changes));

    const TrayMenu menu = ReadTrayMenu(OpenTrayMenu(started.window));
    RequireSlotMenu(menu, std::vector<std::string>(9), '1');
    ClickMenuItem(menu, kCommandExit);
    RequireExitCodeZero(started, "Exit after the random run");
}
