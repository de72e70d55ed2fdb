// The timing dialog as a user works it from the setup dialog's "Timing setup" button, and a row
// of the setup grid dragged to another place with the mouse.
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/e2e/driver/case_runner.h"
#include "tests/e2e/driver/input_observer.h"
#include "tests/e2e/driver/program.h"
#include "tests/e2e/driver/program_windows.h"
#include "tests/e2e/driver/registry_values.h"
#include "tests/e2e/driver/screenshot.h"
#include "tests/e2e/driver/scripted_joystick_control.h"
#include "tests/e2e/driver/text_receiver.h"
#include "tests/e2e/driver/user_input.h"

namespace {

// Written out from the documents, not taken from the program's headers.
constexpr char kSetupCaption[] = "PadwrightTool Setup";
constexpr char kTimingCaption[] = "Timing Setup";
constexpr int kTimingSetupButton = 13110;
constexpr int kSetupOk = 13103;
constexpr int kHeaderXLess = 100;
constexpr int kHeaderXMore = 101;
constexpr int kKeyButtonFirst = 13200;
constexpr int kDropMarker = 13115;
constexpr int kTimingOk = 2201;
constexpr int kTimingCancel = 2202;
constexpr int kPollingBox = 2203;
constexpr int kDelayBox = 2205;
constexpr int kIntervalBox = 2207;
constexpr int kDefault = 2210;
constexpr int kSlider = 2211;
constexpr int kThresholdText = 2212;
constexpr char kResetQuestion[] = "Reset to default settings?";
constexpr char kNotReleased[] = "A joystick key or axis is not released. Exit anyway?";
constexpr uint32_t kButton1 = 1; // Return in the default key map

HWND WaitForDialog(DWORD processId, const char* caption) {
    HWND dialog = nullptr;
    WaitUntil(kStartTimeoutMs, Format("\"%s\" to open", caption),
              [&] { return (dialog = FindProgramDialog(processId, caption)) != nullptr; });
    return dialog;
}

struct Opened {
    Program* program;
    HWND setup;
};

Opened StartAndOpenSetup() {
    Program& program = StartPadwright();
    HWND window = WaitForProgramWindow("Padwright Config 1", program.Id(), kStartTimeoutMs);
    PostTrayCallback(window, WM_LBUTTONDOWN);
    return {&program, WaitForDialog(program.Id(), kSetupCaption)};
}

HWND Control(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    Require(control != nullptr, Format("no control %d", id));
    return control;
}

// Posted, as a click is: a message box it opens does not block the driver.
void Click(HWND dialog, int id) {
    Require(PostMessageA(Control(dialog, id), BM_CLICK, 0, 0) != FALSE,
            Format("cannot click control %d", id));
}

HWND OpenTiming(const Opened& open) {
    Click(open.setup, kTimingSetupButton);
    return WaitForDialog(open.program->Id(), kTimingCaption);
}

std::string TextOf(HWND control) {
    wchar_t text[64] = {};
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(control, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        kShortTimeoutMs, &ignored);
    std::string narrow;
    for (const wchar_t* c = text; *c != 0; ++c)
        narrow.push_back(static_cast<char>(*c));
    return narrow;
}

// The three boxes, the threshold's number and the slider, as a user reads them.
std::string Shown(HWND timing) {
    const auto slider = SendMessageBounded(Control(timing, kSlider), TBM_GETPOS, 0, 0);
    return Format("%s %s %s %s slider %ld", TextOf(Control(timing, kPollingBox)).c_str(),
                  TextOf(Control(timing, kDelayBox)).c_str(),
                  TextOf(Control(timing, kIntervalBox)).c_str(),
                  TextOf(Control(timing, kThresholdText)).c_str(), static_cast<long>(slider));
}

void RequireShown(HWND timing, const std::string& expected, const char* when) {
    if (PollUntil(kShortTimeoutMs, [&] { return Shown(timing) == expected; }))
        return;
    Fail(Format("%s the dialog shows \"%s\", not \"%s\"", when, Shown(timing).c_str(),
                expected.c_str()));
}

// The program has injected Return down (or up) since the observer was last cleared.
bool ProgramTypedReturn(bool down) {
    for (const ObservedInput& input : ObservedInputs())
        if (input.isKey && input.extraInfo != kDriverKeyMark && input.vk == VK_RETURN &&
            input.down == down)
            return true;
    return false;
}

void StoreTiming(uint32_t polling, uint32_t delay, uint32_t interval, uint32_t threshold) {
    WriteStoredUint32(RegistryRoot::Machine, "", "pollingspeed", polling);
    WriteStoredUint32(RegistryRoot::Machine, "", "typematicdelay", delay);
    WriteStoredUint32(RegistryRoot::Machine, "", "typematicrate", interval);
    WriteStoredUint32(RegistryRoot::Machine, "", "threshold", threshold);
}

std::string StoredTiming() {
    auto value = [](const char* name) {
        const auto v = ReadStoredUint32(RegistryRoot::Machine, "", name);
        return v ? Format("%u", *v) : std::string("none");
    };
    return value("pollingspeed") + " " + value("typematicdelay") + " " + value("typematicrate") +
           " " + value("threshold");
}

void WaitUntilClosed(HWND dialog, const char* how) {
    WaitUntil(kShortTimeoutMs, Format("the dialog to close after %s", how),
              [&] { return !IsWindow(dialog); });
}

void WaitForFocus(HWND dialog, int id) {
    WaitUntil(kShortTimeoutMs, Format("control %d to have the focus", id), [&] {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        return GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) &&
               info.hwndFocus == Control(dialog, id);
    });
}

bool Checked(HWND dialog, int id) {
    return SendMessageBounded(Control(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

int KeyButtonId(int row) {
    return kKeyButtonFirst + row;
}

RECT ClientRectOf(HWND dialog, HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// A point of the dialog's own surface at each of `ys`: no control stands there, so the dialog
// itself gets the pointer's messages.
LONG SurfaceX(HWND dialog, const std::vector<LONG>& ys) {
    RECT client{};
    GetClientRect(dialog, &client);
    for (LONG x = client.left + 1; x < client.right - 1; ++x) {
        bool free = true;
        for (LONG y : ys)
            free = free && ChildWindowFromPointEx(dialog, POINT{x, y}, CWP_SKIPINVISIBLE) == dialog;
        if (free)
            return x;
    }
    Fail("no free surface beside the rows");
}

void SendMouse(HWND dialog, POINT client, DWORD flags) {
    POINT at = client;
    ClientToScreen(dialog, &at);
    SendUserInput({MouseAt(flags | MOUSEEVENTF_MOVE, at)}, "move or press the mouse");
}

std::string PlatformKeyName(UINT vk) {
    char name[32] = {};
    GetKeyNameTextA(static_cast<LONG>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC) << 16), name,
                    sizeof(name));
    return name;
}

// The letters the first `rows` key buttons show, as "ABC...".
std::string RowLetters(HWND dialog, int rows) {
    std::string letters;
    for (int r = 0; r < rows; ++r) {
        const std::string shown = TextOf(Control(dialog, KeyButtonId(r)));
        char letter = '?';
        for (char c = 'A'; c <= 'Z'; ++c)
            if (shown == PlatformKeyName(c))
                letter = c;
        letters.push_back(letter);
    }
    return letters;
}

// The stored key map's key letters, in order.
std::string StoredLetters() {
    const auto keymap = ReadStoredValue(RegistryRoot::Machine, "", "keymap");
    Require(keymap.has_value() && keymap->data.size() % 12 == 0, "no key map stored");
    std::string letters;
    for (size_t at = 0; at < keymap->data.size(); at += 12)
        letters.push_back(static_cast<char>(keymap->data[at + 8]));
    return letters;
}

// Presses the left button on the dialog's surface beside `row`, drags down until the line stands
// below `belowRow`, checks the line and the source row's pushed look, and releases there.
void DragRowBelow(HWND setup, int row, int belowRow) {
    const RECT row0 = ClientRectOf(setup, Control(setup, KeyButtonId(0)));
    const RECT row1 = ClientRectOf(setup, Control(setup, KeyButtonId(1)));
    const LONG pitch = row1.top - row0.top;
    // The line stands above the row beside which the pointer is.
    const LONG pressY = row0.top + row * pitch + pitch / 2;
    const LONG dropY = row0.top + (belowRow + 1) * pitch + pitch / 2;
    const LONG x = SurfaceX(setup, {pressY, dropY});
    BringToFront(setup);

    SendMouse(setup, {x, pressY}, 0);
    Sleep(50);
    SendMouse(setup, {x, pressY}, MOUSEEVENTF_LEFTDOWN);
    Sleep(50);
    for (LONG y = pressY; y <= dropY; y += 3) {
        SendMouse(setup, {x, y}, 0);
        Sleep(10);
    }
    SendMouse(setup, {x, dropY}, 0);
    HWND marker = Control(setup, kDropMarker);
    WaitUntil(kShortTimeoutMs, "the drop line to show", [&] { return IsWindowVisible(marker); });
    const auto pushed = SendMessageBounded(Control(setup, KeyButtonId(row)), BM_GETSTATE, 0, 0);
    Require((pushed & BST_PUSHED) != 0,
            Format("row %d's key button does not show pushed while dragging", row));
    SaveScreenshot("setup-dialog-dragging", setup);
    SendMouse(setup, {x, dropY}, MOUSEEVENTF_LEFTUP);
}

void StoreLetterKeyMap(int rows) {
    std::vector<uint8_t> keymap(12 * rows, 0);
    for (int i = 0; i < rows; ++i) {
        const UINT vk = 'A' + i;
        keymap[12 * i + 2] = static_cast<uint8_t>(1u << (i % 8)); // row i: button i % 8 + 1
        keymap[12 * i + 8] = static_cast<uint8_t>(vk);
        keymap[12 * i + 9] = static_cast<uint8_t>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
        keymap[12 * i + 10] = 1;
    }
    WriteStoredUint32(RegistryRoot::Machine, "", "numkeys", rows);
    WriteStoredBytes(RegistryRoot::Machine, "", "keymap", keymap);
}

} // namespace

E2E_CASE("a user opens Timing setup and sees the stored values; a typed 0 for polling becomes 3 "
         "on Tab; Escape closes nothing; Default answered OK shows 100, 500, 100 and 50 without "
         "saving; Cancel brings back the stored values") {
    StoreTiming(20, 250, 40, 70);
    const Opened open = StartAndOpenSetup();
    HWND timing = OpenTiming(open);
    RequireShown(timing, "20 250 40 70 slider 70", "at opening");
    SaveScreenshot("timing-dialog", timing);

    BringToFront(timing);
    WaitForFocus(timing, kPollingBox);
    TapKey('0');
    WaitUntil(kShortTimeoutMs, "the polling box to show the typed 0",
              [&] { return TextOf(Control(timing, kPollingBox)) == "0"; });
    TapKey(VK_TAB);
    RequireShown(timing, "3 250 40 70 slider 70", "after Tab");
    // Escape closes nothing: the Tab typed after it still reaches the open dialog.
    TapKey(VK_ESCAPE);
    TapKey(VK_TAB);
    WaitForFocus(timing, kIntervalBox);
    Require(IsWindowVisible(timing), "Escape closed the timing dialog");

    Click(timing, kDefault);
    AnswerMessageBox(open.program->Id(), kResetQuestion, IDOK);
    RequireShown(timing, "100 500 100 50 slider 50", "after Default");
    Require(StoredTiming() == "20 250 40 70", "Default stored " + StoredTiming());

    Click(timing, kTimingCancel);
    WaitUntilClosed(timing, "Cancel");
    Require(StoredTiming() == "20 250 40 70", "Cancel stored " + StoredTiming());
    timing = OpenTiming(open);
    RequireShown(timing, "20 250 40 70 slider 70", "opened again after Cancel");
}

E2E_CASE("a user moves the threshold slider to 30: a small stick push that 50 ignored now lights "
         "its header, and OK stores the four values") {
    StoreTiming(20, 250, 40, 50);
    const Opened open = StartAndOpenSetup();
    // 40 % of the half range to the left: inside a 50 % dead zone, outside a 30 % one.
    SetJoystickAxis(0, 32767 - 13107);
    WaitForJoystickReads(5, kShortTimeoutMs);
    auto lit = [&] {
        return Checked(open.setup, kHeaderXLess) || Checked(open.setup, kHeaderXMore);
    };
    Require(!lit(), "the small push counts before the slider moved");
    HWND timing = OpenTiming(open);
    HWND slider = Control(timing, kSlider);
    SendMessageBounded(slider, TBM_SETPOS, TRUE, 30);
    SendMessageBounded(timing, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 30),
                       reinterpret_cast<LPARAM>(slider));
    RequireShown(timing, "20 250 40 30 slider 30", "after the slider moved");
    WaitUntil(kShortTimeoutMs, "the X header to light up in the setup dialog", lit);

    Click(timing, kTimingOk);
    WaitUntilClosed(timing, "OK");
    Require(StoredTiming() == "20 250 40 30", "OK stored " + StoredTiming());
}

E2E_CASE("a user drags row 2 with the mouse to below row 5: rows 3 to 5 move up, the dragged key "
         "lands in row 5, the line and the pushed look go, and OK stores the new order") {
    constexpr int kRows = 10;
    StoreLetterKeyMap(kRows);
    const Opened open = StartAndOpenSetup();
    HWND setup = open.setup;
    Require(RowLetters(setup, kRows) == "ABCDEFGHIJ",
            "rows at opening: " + RowLetters(setup, kRows));

    DragRowBelow(setup, 2, 5);

    WaitUntil(kShortTimeoutMs, "the rows to show the new order",
              [&] { return RowLetters(setup, kRows) == "ABDEFCGHIJ"; });
    HWND marker = Control(setup, kDropMarker);
    WaitUntil(kShortTimeoutMs, "the drop line to go", [&] { return !IsWindowVisible(marker); });
    const auto after = SendMessageBounded(Control(setup, KeyButtonId(2)), BM_GETSTATE, 0, 0);
    Require((after & BST_PUSHED) == 0, "row 2's key button stays pushed after the drop");

    Click(setup, kSetupOk);
    WaitUntilClosed(setup, "OK");
    Require(StoredLetters() == "ABDEFCGHIJ", "OK stored " + StoredLetters());
}

E2E_CASE("a user holds joystick button 3 (key C), drags its row below row 5 and closes the "
         "dialog: C is let go and pressed again from its new row, no other key is touched, and "
         "letting go of the button leaves nothing down") {
    constexpr int kRows = 10;
    constexpr uint32_t kButton3 = 1u << 2;
    StoreLetterKeyMap(kRows);
    Program& program = StartPadwright();
    HWND window = WaitForProgramWindow("Padwright Config 1", program.Id(), kStartTimeoutMs);
    StartInputObserver();
    SetJoystickButtons(kButton3);
    WaitForObservedInputs(1);
    PostTrayCallback(window, WM_LBUTTONDOWN);
    HWND setup = WaitForDialog(program.Id(), kSetupCaption);

    DragRowBelow(setup, 2, 5);
    WaitUntil(kShortTimeoutMs, "the rows to show the new order",
              [&] { return RowLetters(setup, kRows) == "ABDEFCGHIJ"; });
    Click(setup, kSetupOk);
    AnswerMessageBox(program.Id(), kNotReleased, IDOK);
    WaitUntilClosed(setup, "OK");
    WaitForJoystickReads(10, kShortTimeoutMs);
    SetJoystickButtons(0);
    WaitForJoystickReads(10, kShortTimeoutMs);

    std::vector<ObservedInput> keys;
    for (const ObservedInput& input : ObservedInputs())
        if (input.isKey && input.extraInfo != kDriverKeyMark)
            keys.push_back(input);
    Require(!keys.empty(), "the program typed nothing");
    bool down = false;
    int releases = 0;
    for (const ObservedInput& key : keys) {
        releases += key.down ? 0 : 1;
        Require(key.vk == 'C', "the program touched another key: " + Describe(keys));
        // Repeated presses are the typematic repeat of the held chord.
        Require(key.down || down, "C let go while it was up: " + Describe(keys));
        down = key.down;
    }
    Require(!down, "C is left down: " + Describe(keys));
    Require(releases >= 2, "C was not let go when its row moved: " + Describe(keys));
}

E2E_CASE("a user spins the stored polling interval 998 up and the typematic delay 5 down with the "
         "arrow keys: they stop at 1000 and 3, and OK stores 1000") {
    StoreTiming(998, 5, 40, 50);
    const Opened open = StartAndOpenSetup();
    HWND timing = OpenTiming(open);
    BringToFront(timing);
    WaitForFocus(timing, kPollingBox);
    for (int step = 0; step < 4; ++step)
        TapKey(VK_UP);
    TapKey(VK_TAB);
    WaitForFocus(timing, kDelayBox);
    for (int step = 0; step < 4; ++step)
        TapKey(VK_DOWN);
    // The Tab after the arrows reaches the dialog only once they have been handled.
    TapKey(VK_TAB);
    WaitForFocus(timing, kIntervalBox);
    RequireShown(timing, "1000 3 40 50 slider 50", "after four steps each");
    Click(timing, kTimingOk);
    WaitUntilClosed(timing, "OK");
    Require(StoredTiming() == "1000 3 40 50", "OK stored " + StoredTiming());
}

E2E_CASE("a user types 7 as the polling interval and presses Enter: the dialog closes and 7 is "
         "stored") {
    StoreTiming(20, 250, 40, 50);
    const Opened open = StartAndOpenSetup();
    HWND timing = OpenTiming(open);
    BringToFront(timing);
    WaitForFocus(timing, kPollingBox);
    TapKey('7');
    WaitUntil(kShortTimeoutMs, "the polling box to show the typed 7",
              [&] { return TextOf(Control(timing, kPollingBox)) == "7"; });
    TapKey(VK_RETURN);
    WaitUntilClosed(timing, "Enter");
    Require(StoredTiming() == "7 250 40 50", "Enter stored " + StoredTiming());
}

E2E_CASE("a user holding joystick button 1 clicks Default in Timing setup: Return does not answer "
         "\"Reset to default settings?\"; in another program's window the button types Return, "
         "and back at the question it types nothing") {
    const Opened open = StartAndOpenSetup();
    HWND timing = OpenTiming(open);
    BringToFront(timing);
    StartInputObserver(true);
    SetJoystickButtons(kButton1);
    WaitForJoystickReads(3, kShortTimeoutMs);
    Click(timing, kDefault);
    HWND box = WaitForMessageBox(open.program->Id());
    BringToFront(box);
    WaitForJoystickReads(5, kShortTimeoutMs);
    RequireNothingInjectedByTheProgram("while Timing setup or its question was in front");
    Require(IsWindow(box), "the held button answered the question");
    {
        const TextReceiver other("another program");
        WaitUntil(kShortTimeoutMs, "button 1 to type Return in the other program",
                  [] { return ProgramTypedReturn(true); });
        SetJoystickButtons(0);
        WaitUntil(kShortTimeoutMs, "Return to be let go", [] { return ProgramTypedReturn(false); });
    }
    BringToFront(box);
    ClearObservedInputs();
    SetJoystickButtons(kButton1);
    WaitForJoystickReads(5, kShortTimeoutMs);
    RequireNothingInjectedByTheProgram("after coming back to the question");
    SetJoystickButtons(0);
    AnswerMessageBox(open.program->Id(), kResetQuestion, IDCANCEL);
}
