// A row of the setup grid dragged to another place with the mouse, and the timing dialog opened
// from the setup dialog's "Timing setup" button.
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include "tests/e2e/case_runner.h"
#include "tests/e2e/dialogs.h"
#include "tests/e2e/input_helpers.h"
#include "tools/winekit/registry_values.h"
#include "tools/winekit/screenshot.h"
#include "tools/winekit/text_receiver.h"
#include "tools/winekit/user_input.h"

namespace {

void MouseInDialog(HWND dialog, LONG x, LONG y, DWORD flags) {
    POINT at{x, y};
    ClientToScreen(dialog, &at);
    SendUserInput({MouseAt(flags | MOUSEEVENTF_MOVE, at)}, "move or press the mouse");
    Sleep(10);
}

// The first key letters of the rows as the dialog shows them, or as OK stored them.
std::string RowLetters(HWND dialog) {
    const Controls c(dialog);
    std::string letters;
    for (int r = 0; r < c.KeyRows(); ++r)
        for (char l = 'A'; l <= 'Z'; ++l)
            letters += c.Text(KeyButtonId(r)) == PlatformKeyName(l) ? std::string(1, l) : "";
    return letters;
}

std::string StoredLetters() {
    std::string letters;
    for (const StoredKey& k : ReadKeyMap(RegistryRoot::Machine, '1'))
        letters += char(k.vk);
    return letters;
}

HWND OpenTiming(HWND setup) {
    Click(setup, IDC_TIMING_SETUP);
    HWND timing = WaitForDialog(WindowProcessId(setup), kTimingCaption);
    BringToFront(timing);
    return timing;
}

// The three boxes, the threshold's number and the slider, as a user reads them.
std::string TimingShown(HWND timing) {
    const Controls c(timing);
    return Format("%s %s %s %s slider %ld", c.Text(IDC_POLLING_EDIT).c_str(),
                  c.Text(IDC_DELAY_EDIT).c_str(), c.Text(IDC_INTERVAL_EDIT).c_str(),
                  c.Text(IDC_THRESHOLD_TEXT).c_str(),
                  long(SendMessageBounded(c.Get(IDC_THRESHOLD_SLIDER), TBM_GETPOS, 0, 0)));
}

void RequireTiming(HWND timing, const char* expected, const char* when) {
    if (!PollUntil(kShortTimeoutMs, [&] { return TimingShown(timing) == expected; }))
        Fail(Format("%s the timing dialog shows '%s', not '%s'", when, TimingShown(timing).c_str(),
                    expected));
}

std::string StoredTiming() {
    std::string text;
    for (const char* name : {"pollingspeed", "typematicdelay", "typematicrate", "threshold"}) {
        const std::optional<Bytes> value = ReadStoredValue(RegistryRoot::Machine, "", name);
        text += text.empty() ? "" : " ";
        text +=
            value && value->size() == 4 ? std::to_string(value->at(0) | value->at(1) << 8) : "none";
    }
    return text;
}

void StoreTiming(uint32_t polling, uint32_t delay, uint32_t interval, uint32_t threshold) {
    const std::pair<const char*, uint32_t> values[] = {{"pollingspeed", polling},
                                                       {"typematicdelay", delay},
                                                       {"typematicrate", interval},
                                                       {"threshold", threshold}};
    for (const auto& [name, value] : values)
        WriteStoredValue(RegistryRoot::Machine, "", name, Word(value));
}

void WaitForFocus(HWND dialog, int id) {
    WaitUntil(kShortTimeoutMs, Format("control %d to have the focus", id), [&] {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        return GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) &&
               info.hwndFocus == GetDlgItem(dialog, id);
    });
}

} // namespace

E2E_CASE("a user holding joystick button 3 (key C) drags row 3 with the mouse below row 6: the "
         "line shows, the row looks pushed, rows 4 to 6 move up; OK stores the new order, and C "
         "alone is let go and pressed again from its new row") {
    std::vector<StoredKey> keys; // row i: button i % 8 + 1 types the letter 'A' + i
    for (int i = 0; i < 10; ++i)
        keys.push_back(
            {ButtonBit(i % 8 + 1), uint8_t('A' + i), uint8_t(MapVirtualKeyA('A' + i, 0))});
    StoreKeyMap(RegistryRoot::Machine, '1', keys);
    Program& program = StartOnSlot("", '1');
    StartInputObserver(); // the drag's own mouse input must reach the dialog
    SetJoystickButtons(Button(3));
    WaitForKey('C', true);
    HWND setup = OpenSetup(program);
    BringToFront(setup);
    const Controls c(setup);
    const RECT row0 = c.Rect(KeyButtonId(0));
    const LONG pitch = c.Rect(KeyButtonId(1)).top - row0.top;
    const LONG pressY = row0.top + 2 * pitch + pitch / 2, dropY = row0.top + 6 * pitch + pitch / 2;
    LONG x = 1; // on the dialog's own surface beside the rows, where no control stands
    while (ChildWindowFromPointEx(setup, {x, pressY}, CWP_SKIPINVISIBLE) != setup ||
           ChildWindowFromPointEx(setup, {x, dropY}, CWP_SKIPINVISIBLE) != setup)
        Require(++x < row0.left, "no free surface beside the rows");
    MouseInDialog(setup, x, pressY, 0);
    MouseInDialog(setup, x, pressY, MOUSEEVENTF_LEFTDOWN);
    for (LONG y = pressY; y <= dropY; y += 3)
        MouseInDialog(setup, x, y, 0);
    WaitUntil(kShortTimeoutMs, "the drop line", [&] { return c.Visible(IDC_DROP_MARKER); });
    Require(SendMessageBounded(c.Get(KeyButtonId(2)), BM_GETSTATE, 0, 0) & BST_PUSHED,
            "row 3's key button does not look pushed while it is dragged");
    SaveScreenshot("setup-dialog-dragging", setup);
    MouseInDialog(setup, x, dropY, MOUSEEVENTF_LEFTUP);
    WaitUntil(kShortTimeoutMs, "the new order", [&] { return RowLetters(setup) == "ABDEFCGHIJ"; });
    Require(!c.Visible(IDC_DROP_MARKER) &&
                !(SendMessageBounded(c.Get(KeyButtonId(2)), BM_GETSTATE, 0, 0) & BST_PUSHED),
            "the drop line or the pushed look stayed");
    Click(setup, IDC_SETUP_OK);
    AnswerMessageBox(program.Id(), kNotReleasedQuestion, IDOK);
    WaitUntilClosed(setup, "OK");
    WaitForJoystickReads(5);
    SetJoystickButtons(0);
    WaitForJoystickReads(5);
    std::string typed;
    for (const ObservedInput& i : ProgramInputs())
        typed += i.isKey ? Format("%c%c", char(i.vk), i.down ? 'v' : '^') : "mouse";
    // Repeated presses are the held chord's typematic repeat.
    const size_t letGo = typed.find("C^Cv");
    Require(StoredLetters() == "ABDEFCGHIJ" &&
                typed.find_first_not_of("Cv^") == std::string::npos && letGo != std::string::npos &&
                typed.find("C^C^") == std::string::npos && typed.ends_with("C^"),
            "OK stored " + StoredLetters() + "; the program typed " + typed);
}

E2E_CASE("a user opens Timing setup and sees the stored values; a typed 0 becomes 3 on Tab; "
         "Escape closes nothing; Default (OK) shows 100, 500, 100 and 50 unsaved; Cancel; the "
         "slider at 30 lights a small push's header and OK stores it; 998 and 5 spun up and down "
         "stop at 1000 and 3 and OK stores them; 7 and Enter store 7") {
    StoreTiming(20, 250, 40, 70);
    const Setup open = StartWithSetup();
    ScriptJoystick([](ScriptedJoystickScript& s) { s.pos[0] = 32767 - 13107; }); // 40% left
    WaitForJoystickReads(5);
    Require(!Controls(open.dialog).Checked(HeaderId(0)), "a 40% push counts under 70%");
    HWND timing = OpenTiming(open.dialog);
    RequireTiming(timing, "20 250 40 70 slider 70", "at opening");
    SaveScreenshot("timing-dialog", timing);
    WaitForFocus(timing, IDC_POLLING_EDIT);
    TapKey('0');
    TapKey(VK_TAB);
    RequireTiming(timing, "3 250 40 70 slider 70", "after 0 and Tab");
    TapKey(VK_ESCAPE);
    TapKey(VK_TAB); // reaches the dialog only if Escape left it open
    WaitForFocus(timing, IDC_INTERVAL_EDIT);
    Click(timing, IDC_TIMING_DEFAULT);
    AnswerMessageBox(open.program.Id(), kResetQuestion, IDOK);
    RequireTiming(timing, "100 500 100 50 slider 50", "after Default");
    Click(timing, IDC_TIMING_CANCEL);
    WaitUntilClosed(timing, "Cancel");
    Require(StoredTiming() == "20 250 40 70", "Default or Cancel stored " + StoredTiming());

    timing = OpenTiming(open.dialog);
    RequireTiming(timing, "20 250 40 70 slider 70", "opened again after Cancel");
    HWND slider = GetDlgItem(timing, IDC_THRESHOLD_SLIDER);
    SendMessageBounded(slider, TBM_SETPOS, TRUE, 30);
    SendMessageBounded(timing, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 30), LPARAM(slider));
    RequireTiming(timing, "20 250 40 30 slider 30", "after the slider moved");
    WaitUntil(kShortTimeoutMs, "X left's header to light up in the setup dialog",
              [&] { return Controls(open.dialog).Checked(HeaderId(0)); });
    Click(timing, IDC_TIMING_OK);
    WaitUntilClosed(timing, "OK");
    Require(StoredTiming() == "20 250 40 30", "the slider's OK stored " + StoredTiming());

    ResetWorld();
    StoreTiming(998, 5, 40, 50);
    HWND setup = StartWithSetup().dialog;
    timing = OpenTiming(setup);
    WaitForFocus(timing, IDC_POLLING_EDIT);
    for (const UINT key : {VK_UP, VK_UP, VK_UP, VK_UP, VK_TAB, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN,
                           VK_TAB}) // the last Tab reaches the dialog after the arrows
        TapKey(key);
    WaitForFocus(timing, IDC_INTERVAL_EDIT);
    RequireTiming(timing, "1000 3 40 50 slider 50", "after four steps each");
    Click(timing, IDC_TIMING_OK);
    WaitUntilClosed(timing, "OK");
    Require(StoredTiming() == "1000 3 40 50", "the spun values' OK stored " + StoredTiming());
    timing = OpenTiming(setup);
    WaitForFocus(timing, IDC_POLLING_EDIT);
    TapKey('7');
    TapKey(VK_RETURN);
    WaitUntilClosed(timing, "Enter");
    Require(StoredTiming() == "7 3 40 50", "7 and Enter stored " + StoredTiming());
}

E2E_CASE("a user holding joystick button 1 clicks Default in Timing setup: Return does not answer "
         "\"Reset to default settings?\"; in another program's window the button types Return, "
         "and back at the question it types nothing") {
    const Setup open = StartWithSetup();
    HWND timing = OpenTiming(open.dialog);
    StartInputObserver(true);
    SetJoystickButtons(Button(1));
    WaitForJoystickReads(3);
    Click(timing, IDC_TIMING_DEFAULT);
    HWND box = WaitForDialog(open.program.Id(), kAppTitle);
    for (int visit = 0; visit < 2; ++visit) {
        BringToFront(box);
        ClearObservedInputs();
        SetJoystickButtons(Button(1));
        WaitForJoystickReads(5);
        Require(IsWindow(box) && ProgramInputs().empty(),
                "with the question in front the program typed " + Describe(ProgramInputs()));
        const TextReceiver other("another program");
        WaitForKey(VK_RETURN, true);
        SetJoystickButtons(0);
        WaitForKey(VK_RETURN, false);
    }
    BringToFront(box);
    AnswerMessageBox(open.program.Id(), kResetQuestion, IDCANCEL);
}
