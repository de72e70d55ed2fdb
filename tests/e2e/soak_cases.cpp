// Random joystick input with the setup and timing dialogs opened and closed, for
// PADWRIGHT_SOAK_SECONDS; PADWRIGHT_SOAK_SEED repeats the run of a printed seed.
#include <cstdio>
#include <cstdlib>
#include <random>

#include "tests/e2e/dialogs.h"
#include "tools/winekit/tray_menu.h"

namespace {

std::mt19937 random;

uint32_t Pick(uint32_t count) {
    return std::uniform_int_distribution<uint32_t>(0, count - 1)(random);
}

// Each axis at an end, centred or anywhere; the hat at rest, in a direction or between; buttons.
void MoveFor(DWORD ms) {
    for (const ULONGLONG until = GetTickCount64() + ms; GetTickCount64() < until; Sleep(Pick(30)))
        ScriptJoystick([](ScriptedJoystickScript& s) {
            for (uint32_t& p : s.pos) {
                const uint32_t positions[] = {0, 65535, Pick(65536), 32767, 32767};
                p = positions[Pick(5)];
            }
            const uint32_t hat = Pick(10), buttons = Pick(4);
            s.pov = hat == 0 ? kJoyPovCentered : hat == 9 ? Pick(36001) : (hat - 1) * 4500;
            s.buttons = buttons == 0 ? Pick(1u << 12) : buttons == 1 ? 1u << Pick(12) : 0;
        });
}

// Opens the dialog with `open`, moves the joystick, and cancels it (OK to "not released").
void WorkDialog(DWORD processId, const char* caption, void (*open)(HWND), HWND from, int cancel) {
    open(from);
    HWND dialog = nullptr;
    WaitUntil(kStartTimeoutMs, caption, [&] {
        MoveFor(10);
        return (dialog = FindDialog(processId, caption)) != nullptr;
    });
    MoveFor(Pick(800));
    if (std::string(caption) == kSetupCaption && Pick(3) == 0)
        WorkDialog(
            processId, kTimingCaption, [](HWND d) { Click(d, IDC_TIMING_SETUP); }, dialog,
            IDC_TIMING_CANCEL);
    Click(dialog, cancel);
    WaitUntil(kStartTimeoutMs, Format("\"%s\" to close", caption), [&] {
        MoveFor(10);
        if (HWND box = FindDialog(processId, kAppTitle))
            ClickDialogButton(box, IDOK);
        return !IsWindow(dialog);
    });
}

} // namespace

E2E_CASE("the joystick at random with the dialogs opened and closed: nothing down, 0") {
    const char* seedText = std::getenv("PADWRIGHT_SOAK_SEED");
    const unsigned seed = seedText ? unsigned(std::strtoul(seedText, nullptr, 10)) : GetTickCount();
    random.seed(seed);
    // Arrows, Return and Tab beside a chord, mouse buttons, the hat, X zones; rate above delay.
    // clang-format off
    StoreKeyMap(RegistryRoot::Machine, '1', {
        {1 << 2, VK_UP, 0x48}, {1 << 3, VK_DOWN, 0x50}, {ButtonBit(1), VK_RETURN, 0x1C},
        {ButtonBit(2), VK_TAB, 0x0F}, {ButtonBit(1) | ButtonBit(2), 'A', 0x1E},
        {ButtonBit(3), VK_LBUTTON, 0}, {ButtonBit(4) | ButtonBit(5), VK_RBUTTON, 0},
        {1 << 12, 'H', 0x23}, {3, 'Z', 0x2C}, {3, 'X', 0x2D}, {3, 'C', 0x2E}});
    // clang-format on
    StoreNumbers({{"pollingspeed", 10}, {"typematicdelay", 40}, {"typematicrate", 60}});
    Program& program = StartOnSlot("", '1');
    StartInputObserver(true); // whatever the program injects lands nowhere
    for (const ULONGLONG end = GetTickCount64() + SoakSeconds() * 1000ull;
         GetTickCount64() < end;) {
        MoveFor(500 + Pick(2500));
        Require(program.IsRunning(), "the program ended by itself");
        WorkDialog(
            program.Id(), kSetupCaption, [](HWND main) { PostTrayCallback(main, WM_LBUTTONDOWN); },
            program.window, IDC_SETUP_CANCEL);
    }
    CentreJoystick();
    WaitForJoystickReads(5);
    const std::vector<ObservedInput> seen = ProgramInputs();
    StopInputObserver(); // the click on Exit must reach the menu
    const std::vector<std::string> stuck = StillDown(seen);
    Require(stuck.empty() && !seen.empty(),
            Format("seed %u: %zu left down, %zu injected", seed, stuck.size(), seen.size()));
    std::printf("soak: %d s, seed %u, %zu events injected, 0 left down\n", SoakSeconds(), seed,
                seen.size()); // scripts/test prints it
    std::fflush(stdout);
    ClickMenuItem(OpenTrayMenu(program.window), kCommandExit);
    Require(program.WaitForExit() == 0, "Exit after the random run did not end with 0");
}
