// The sticks as the pointer and the hat as the wheel, as a user sees them: the pointer dialog's
// choices stored, the pointer's distance on screen, wheel turns reaching a window, and the keys
// of the default key map and the chords' cadence alongside.
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <atomic>
#include <cmath>

#include "res/pointer_dialog_ids.h"
#include "tests/e2e/dialogs.h"
#include "tests/e2e/input_helpers.h"
#include "tools/winekit/screenshot.h"
#include "tools/winekit/user_input.h"

namespace {

double Seconds(LONGLONG ticks) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(ticks) / double(frequency.QuadPart);
}

// When the program first read the joystick as `change` leaves it.
template <typename Change> int64_t Seen(Change change) {
    ScriptJoystick(change);
    const int32_t sequence = ScriptSequence();
    WaitUntil(kShortTimeoutMs, "the program to read the change",
              [&] { return ChangeSeenAt(sequence) != 0; });
    return ChangeSeenAt(sequence);
}

// Holds the joystick as `push` leaves it for a second, then as `release` does; the seconds the
// program saw it held.
template <typename Push, typename Release> double HeldSeconds(Push push, Release release) {
    const int64_t pushed = Seen(push);
    Sleep(1000);
    const int64_t released = Seen(release);
    WaitForJoystickReads(3);
    return Seconds(released - pushed);
}

// A window of the case's own under the pointer, adding up the wheel turns it receives.
std::atomic<int> wheelTurned{0};
DWORD WINAPI WheelWindowThread(void* created) {
    WNDCLASSA c{};
    c.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        wheelTurned += m == WM_MOUSEWHEEL ? GET_WHEEL_DELTA_WPARAM(wp) : 0;
        if (m == WM_DESTROY)
            PostQuitMessage(0);
        return DefWindowProcA(w, m, wp, lp);
    };
    c.hInstance = GetModuleHandleA(nullptr);
    c.lpszClassName = "wheel receiver";
    RegisterClassA(&c);
    *static_cast<std::atomic<HWND>*>(created) =
        CreateWindowA(c.lpszClassName, "wheel receiver", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100,
                      300, 200, nullptr, nullptr, c.hInstance, nullptr);
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0)
        DispatchMessageA(&m);
    return 0;
}
struct WheelWindow { // closed when the case ends, however it ends
    std::atomic<HWND> window{nullptr};
    WheelWindow() { CreateThread(nullptr, 0, WheelWindowThread, &window, 0, nullptr); }
    ~WheelWindow() { PostMessageA(window, WM_CLOSE, 0, 0); }
};

} // namespace

E2E_CASE("a user gives the left stick to the pointer in Pointer setup with 400 pixels/s, linear, "
         "no dead zone: OK stores it, and the stick held half right for a second moves the "
         "pointer 200 pixels a second within 10%, typing no arrow key") {
    const Setup open = StartWithSetup();
    Click(open.dialog, IDC_POINTER_SETUP);
    HWND dialog = WaitForDialog(open.program.Id(), "Pointer Setup");
    BringToFront(dialog);
    HWND stick = GetDlgItem(dialog, IDC_POINTER_STICK);
    SendMessageBounded(stick, CB_SETCURSEL, 1, 0);
    SendMessageBounded(dialog, WM_COMMAND, MAKEWPARAM(IDC_POINTER_STICK, CBN_SELCHANGE),
                       LPARAM(stick));
    ScriptJoystick([](ScriptedJoystickScript& s) { s.pos[0] = s.pos[1] = 16384; });
    WaitForJoystickReads(5);
    SaveScreenshot("pointer-dialog", dialog);
    CentreJoystick();
    for (int id : {IDC_CURVE_SLIDER, IDC_DEAD_ZONE_SLIDER}) {
        SendMessageBounded(GetDlgItem(dialog, id), TBM_SETPOS, TRUE, 0);
        SendMessageBounded(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 0),
                           LPARAM(GetDlgItem(dialog, id)));
    }
    SendMessageBounded(GetDlgItem(dialog, IDC_POINTER_SPEED), WM_SETTEXT, 0, LPARAM("400"));
    Click(dialog, IDC_POINTER_OK);
    WaitUntilClosed(dialog, "OK");
    const Bytes expected = {1, 0, 0, 0, 0x90, 0x01, 0, 10};
    Require(ReadStoredValue(RegistryRoot::Machine, "", "pointer") == expected,
            "OK did not store X/Y at 400 pixels/s, linear, no dead zone, no wheel");
    Click(open.dialog, IDC_SETUP_OK);
    WaitUntilClosed(open.dialog, "OK");

    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) / 4, GetSystemMetrics(SM_CYSCREEN) / 2);
    POINT before{}, after{};
    GetCursorPos(&before);
    const double expectedPixels = 200 * HeldSeconds([](auto& s) { s.pos[0] = 32767 + 16384; },
                                                    [](auto& s) { s.pos[0] = 32767; });
    GetCursorPos(&after);
    Require(after.y == before.y &&
                std::abs(after.x - before.x - expectedPixels) < expectedPixels / 10,
            Format("the pointer went from %ld,%ld to %ld,%ld; expected %.0f pixels right", before.x,
                   before.y, after.x, after.y, expectedPixels));
    // Keys are watched only now: under Wine a low-level mouse hook keeps the moves from the cursor.
    const std::string typed = TypedByHolding([](auto& s) { s.pos[0] = s.pos[1] = 0; }, 10);
    Require(typed == "nothing", "the stick pushed up and left typed " + typed);
}

E2E_CASE("a user with the hat as the wheel at 10 notches a second holds the hat up, then down: "
         "the window under the pointer turns away from the user, then toward, a notch at once "
         "and about ten a second") {
    WriteStoredValue(RegistryRoot::Machine, "", "pointer", {0, 0, 50, 15, 0xE8, 0x03, 1, 10});
    StartOnSlot("", '1');
    const WheelWindow receiver;
    WaitUntil(kShortTimeoutMs, "the wheel receiver", [&] { return IsWindow(receiver.window); });
    BringToFront(receiver.window);
    SetCursorPos(250, 200);
    for (auto [pov, sign] : {std::pair{0u, 1}, {18000u, -1}}) {
        wheelTurned = 0;
        const double notches = 1 + 10 * HeldSeconds([pov = pov](auto& s) { s.pov = pov; },
                                                    [](auto& s) { s.pov = kJoyPovCentered; });
        const int turned = wheelTurned * sign;
        Require(turned % WHEEL_DELTA == 0 && std::abs(turned / WHEEL_DELTA - notches) <= 2,
                Format("hat at %u turned the wheel by %d; expected about %.1f notches", pov,
                       int(wheelTurned), sign * notches));
    }
}

E2E_CASE("a user holds button 1 with 20 ms polling, a 100 ms delay and a 40 ms rate, once with "
         "the pointer's stick at rest and once pushed: Return repeats at the same pace, and the "
         "pushed stick has the joystick read more than twice as often") {
    double rates[2] = {};
    for (const uint32_t x : {32767u, 65535u}) {
        ResetWorld();
        WriteStoredValue(RegistryRoot::Machine, "", "pointer", {1, 0, 50, 15, 0xE8, 0x03, 0, 10});
        StoreNumbers({{"pollingspeed", 20}, {"typematicdelay", 100}, {"typematicrate", 40}});
        StartOnSlot("", '1');
        WaitForJoystickReads(2, kStartTimeoutMs);
        StartInputObserver(true);
        ScriptJoystick([x](ScriptedJoystickScript& s) {
            s.pos[0] = x;
            s.buttons = Button(1);
        });
        std::vector<ObservedInput> presses;
        for (const ObservedInput& i : WaitForKey(VK_RETURN, true, 7))
            if (i.vk == VK_RETURN && i.down)
                presses.push_back(i);
        CentreJoystick();
        const double delay = Seconds(presses[1].observedTicks - presses[0].observedTicks);
        const double rate = Seconds(presses[6].observedTicks - presses[1].observedTicks) / 5;
        rates[x == 65535u] = rate;
        // At rest each cycle lasts the interval and what it does (under Wine with the hook about
        // 3 ms); while the pointer moves the interval counts from the cycle's start. 5 ms of slack
        // for a loaded machine: counting from the cycle's end adds all of each cycle's injecting.
        Require(delay > 0.08 && delay < 0.14 && rate > 0.034 && rate < 0.055 &&
                    rates[1] <= rates[0] + 0.005,
                Format("with X at %u Return repeated after %.0f ms, then every %.1f ms", x,
                       delay * 1e3, rate * 1e3));
        const uint64_t reads = presses[6].joystickReads - presses[1].joystickReads; // 10 cycles
        Require(x == 32767u ? reads <= 11 : reads >= 20,
                Format("with X at %u the joystick was read %llu times in 10 cycles", x, reads));
    }
}
