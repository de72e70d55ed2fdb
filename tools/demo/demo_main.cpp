// A short demonstration of padwright.exe on the scripted joystick, for scripts/run on a machine
// without a joystick: a text window of its own in front, slot 1 holding a small key map, then a
// chord, a held button repeating and a sweep of the stick over axis zones. Every key and mouse
// button the program injects is printed as a low-level hook sees it; then what the text window
// received, a picture of the setup dialog opened from the tray, and Exit from the tray menu.
//
//   padwright_demo.exe --exe PATH [--work DIR] [--artifacts DIR]
//
// Exits with 0 when the program typed what the script asks for and ended through the tray.
#include <windows.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "res/setup_dialog_ids.h"
#include "tools/winekit/input_observer.h"
#include "tools/winekit/program.h"
#include "tools/winekit/registry_values.h"
#include "tools/winekit/screenshot.h"
#include "tools/winekit/scripted_joystick_control.h"
#include "tools/winekit/text_receiver.h"
#include "tools/winekit/tray_menu.h"

namespace {

// The demonstration's key map, in input-word bits: buttons 17 to 19 lie above the axis bits'
// 32-bit word, so they never take part in a zone.
constexpr uint64_t kBothXBits = 0x3; // X left and X right together: the X axis picks a zone
constexpr uint64_t kButton17 = 1ull << 32, kButton18 = 1ull << 33, kButton19 = 1ull << 34;
constexpr uint32_t kJoyButton17 = 1u << 16, kJoyButton18 = 1u << 17, kJoyButton19 = 1u << 18;

// Written out from the keyboard: four zones left to right type 1 to 4.
const std::vector<StoredKey> kDemoKeyMap = {
    {kBothXBits, '1', 0x02},
    {kBothXBits, '2', 0x03},
    {kBothXBits, '3', 0x04},
    {kBothXBits, '4', 0x05},
    {kButton17 | kButton18, 'A', 0x1E}, // a chord: two buttons, one key
    {kButton19, 'B', 0x30},             // held, it repeats
};
constexpr uint32_t kCycleMs = 20;
constexpr uint32_t kTypematicDelayMs = 300;
constexpr uint32_t kTypematicRateMs = 100;

constexpr int kAxisX = 0;
constexpr uint32_t kAxisMax = 65535;
// X positions in the middle of each of the four zones.
constexpr uint32_t kZoneMiddle[] = {kAxisMax / 8, 3 * (kAxisMax / 8), 5 * (kAxisMax / 8),
                                    7 * (kAxisMax / 8)};
constexpr uint32_t kCentre = kAxisMax / 2;

LARGE_INTEGER demoStart, ticksPerSecond;

double SecondsSinceStart(LONGLONG ticks) {
    return double(ticks - demoStart.QuadPart) / double(ticksPerSecond.QuadPart);
}

double Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return SecondsSinceStart(now.QuadPart);
}

void Say(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));
void Say(const char* format, ...) {
    char buffer[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof(buffer), format, args);
    va_end(args);
    std::printf("%7.3f s  %s\n", Now(), buffer);
    std::fflush(stdout);
}

void StoreDemoSettings() {
    DeleteProgramRegistry();
    StoreKeyMap(RegistryRoot::Machine, '1', kDemoKeyMap);
    const std::pair<const char*, uint32_t> timing[] = {{"typematic", 1},
                                                       {"pollingspeed", kCycleMs},
                                                       {"typematicdelay", kTypematicDelayMs},
                                                       {"typematicrate", kTypematicRateMs}};
    for (const auto& [name, value] : timing)
        WriteStoredValue(RegistryRoot::Machine, "", name, Word(value));
}

// "key down A", "key up 4", "mouse left down".
std::string Name(const ObservedInput& input) {
    if (!input.isKey)
        return Describe(input);
    const bool printable =
        (input.vk >= '0' && input.vk <= '9') || (input.vk >= 'A' && input.vk <= 'Z');
    const std::string key =
        printable ? std::string(1, char(input.vk)) : Format("vk 0x%02X", input.vk);
    return Format("key %s %s", input.down ? "down" : "up", key.c_str());
}

// Prints the injected events the hook has seen since the last call, each with its own time.
struct EventPrinter {
    size_t printed = 0;
    int keyDowns = 0, keyUps = 0, mouseEvents = 0;

    void PrintNew() {
        const std::vector<ObservedInput> seen = ObservedInputs();
        for (; printed < seen.size(); ++printed) {
            const ObservedInput& input = seen[printed];
            std::printf("%7.3f s      %s%s\n", SecondsSinceStart(input.observedTicks),
                        Name(input).c_str(), input.Injected() ? "" : " (not injected)");
            if (!input.isKey)
                ++mouseEvents;
            else
                ++(input.down ? keyDowns : keyUps);
        }
        std::fflush(stdout);
    }

    // Waits `ms`, printing events as they come.
    void Watch(DWORD ms) {
        const ULONGLONG end = GetTickCount64() + ms;
        while (GetTickCount64() < end) {
            PrintNew();
            Sleep(5);
        }
        PrintNew();
    }
};

void SetX(uint32_t position) {
    ScriptJoystick([&](ScriptedJoystickScript& s) { s.pos[kAxisX] = position; });
}

// The typed text the script leads to: the zone under the stick at start, the chord's key, at
// least one repeat of the held key, then the zones the sweep enters and the one it comes back to
// (the centre is the top of zone 2).
constexpr char kTypedPattern[] = "1a, then b repeated, then 2342";
bool TypedAsScripted(const std::string& text) {
    const size_t repeats = text.find_first_not_of('b', 2);
    return text.size() > 2 && text.compare(0, 2, "1a") == 0 && repeats != std::string::npos &&
           repeats >= 4 && text.substr(repeats) == "2342";
}

int RunDemo(const std::string& workDirectory, bool pictures) {
    CreateScriptedJoystick();
    ScriptJoystick([](ScriptedJoystickScript& s) {
        s.numButtons = 32;
        s.pos[kAxisX] = kZoneMiddle[0];
    });
    StoreDemoSettings();
    Say("slot 1 holds the demonstration key map: X zones 1-4 type 1, 2, 3, 4; buttons 17+18 "
        "type A; button 19 types B with typematic repeat (first after %u ms, then every %u ms); "
        "polling every %u ms",
        kTypematicDelayMs, kTypematicRateMs, kCycleMs);

    StartInputObserver(false); // sees every event; the events go on to the text window
    EventPrinter events;
    TextReceiver receiver("Padwright demonstration: typed keys land here");
    Say("opened a text window of the demonstration's own, in front with the focus");

    const uint64_t readsBefore = JoystickReads();
    Program& program = StartOnSlot("", '1', workDirectory);
    HWND mainWindow = program.window;
    WaitForJoystickReads(3, kStartTimeoutMs, readsBefore);
    events.PrintNew();
    Say("padwright.exe runs (process %lu) and polls the scripted joystick; the stick rests in "
        "zone 1",
        program.Id());
    events.Watch(300);

    Say("chord: buttons 17 and 18 pressed together");
    SetJoystickButtons(kJoyButton17 | kJoyButton18);
    events.Watch(150);
    Say("chord: both buttons let go");
    SetJoystickButtons(0);
    events.Watch(200);

    Say("repeat: button 19 held for 1 s");
    SetJoystickButtons(kJoyButton19);
    events.Watch(1000);
    Say("repeat: button 19 let go");
    SetJoystickButtons(0);
    events.Watch(200);

    Say("zones: the stick moves right through zones 2, 3 and 4, then back to the centre");
    for (uint32_t position : {kZoneMiddle[1], kZoneMiddle[2], kZoneMiddle[3], kCentre}) {
        SetX(position);
        events.Watch(250);
    }
    StopInputObserver();

    const std::string typed = receiver.Text();
    Say("the text window received \"%s\"", typed.c_str());

    std::string picture = "not taken (no artifacts directory)";
    if (pictures) {
        PostTrayCallback(mainWindow, WM_LBUTTONDOWN); // a left click on the tray icon
        HWND dialog = WaitForDialog(program.Id(), kSetupCaption);
        Say("setup dialog opened from the tray icon");
        picture = SaveScreenshot("setup-dialog", dialog) ? "setup-dialog.png"
                                                         : "not taken (nobody took the picture)";
        ClickDialogButton(dialog, IDC_SETUP_CANCEL);
        WaitUntil(kShortTimeoutMs, "the setup dialog to close",
                  [&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); });
        Say("setup dialog: picture %s; closed with Cancel", picture.c_str());
    }

    ClickMenuItem(OpenTrayMenu(mainWindow), kCommandExit);
    const DWORD code = program.WaitForExit(kExitTimeoutMs);
    Say("Exit chosen from the tray menu: padwright.exe ended with code %lu", code);

    const bool asScripted = TypedAsScripted(typed);
    const std::string verdict =
        asScripted ? "as scripted" : Format("NOT as scripted: expected %s", kTypedPattern);
    std::printf("\nsummary: %d key presses and %d key releases injected, %d mouse-button events; "
                "the text window received \"%s\" (%s); setup dialog picture %s; the program "
                "ended with code %lu\n",
                events.keyDowns, events.keyUps, events.mouseEvents, typed.c_str(), verdict.c_str(),
                picture.c_str(), code);
    return asScripted && code == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    QueryPerformanceFrequency(&ticksPerSecond);
    QueryPerformanceCounter(&demoStart);
    std::string exe = "padwright.exe", work = ".", artifacts;
    bool usage = argc % 2 == 0; // options come in pairs
    for (int i = 1; !usage && i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        if (arg == "--exe")
            exe = argv[i + 1];
        else if (arg == "--work")
            work = argv[i + 1];
        else if (arg == "--artifacts")
            artifacts = argv[i + 1];
        else
            usage = true;
    }
    if (usage) {
        std::fprintf(stderr,
                     "usage: padwright_demo.exe --exe PATH [--work DIR] [--artifacts DIR]\n");
        return 2;
    }
    SetProgramPath(FullPath(exe));
    if (!artifacts.empty())
        SetArtifactsDirectory(FullPath(artifacts));
    try {
        return RunDemo(FullPath(work), !artifacts.empty());
    } catch (const Failure& failure) {
        std::printf("demonstration failed: %s\n", failure.reason.c_str());
        try {
            EndStartedPrograms();
        } catch (const Failure&) {
        }
        return 1;
    }
}
