// A grid row dragged with the mouse; the timing dialog of the setup dialog.
#include <windows.h>

#include <commctrl.h> // after windows.h

#include "tests/e2e/dialogs.h"
#include "tools/winekit/screenshot.h"
#include "tools/winekit/text_receiver.h"
#include "tools/winekit/user_input.h"

namespace {

HWND OpenTiming(HWND setup) {
    Click(setup, IDC_TIMING_SETUP);
    HWND timing = WaitForDialog(WindowProcessId(setup), kTimingCaption);
    BringToFront(timing);
    return timing;
}

// The boxes, the threshold's number and the slider once they show `shown`; then what is stored.
void RequireTiming(HWND timing, const char* shown, const char* stored) {
    std::string seen;
    PollUntil(kShortTimeoutMs, [&] {
        const Controls c(timing);
        seen = Format("%s %s %s %s slider %d", c.Text(IDC_POLLING_EDIT).c_str(),
                      c.Text(IDC_DELAY_EDIT).c_str(), c.Text(IDC_INTERVAL_EDIT).c_str(),
                      c.Text(IDC_THRESHOLD_TEXT).c_str(),
                      int(SendMessageBounded(c.Get(IDC_THRESHOLD_SLIDER), TBM_GETPOS, 0, 0)));
        return seen == shown;
    });
    RequireSame(seen, shown, "the timing dialog");
    RequireSame(StoredNumbers({"pollingspeed", "typematicdelay", "typematicrate", "threshold"}),
                stored, "the stored timing");
}

void TypeAndWaitForFocus(HWND dialog, std::initializer_list<UINT> keys, int id) {
    for (const UINT key : keys)
        TapKey(key);
    WaitForFocus(dialog, id);
}

} // namespace

E2E_CASE("a row dragged with button 3 held: line, look, order stored, C again") {
    std::vector<StoredKey> keys; // row i: button i % 8 + 1 types 'A' + i
    for (int i = 0; i < 10; ++i)
        keys.push_back(
            {ButtonBit(i % 8 + 1), uint8_t('A' + i), uint8_t(MapVirtualKeyA('A' + i, 0))});
    StoreKeyMap(RegistryRoot::Machine, '1', keys);
    StoreNumbers({{"typematic", 0}});
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
    MouseInClient(setup, x, pressY);
    MouseInClient(setup, x, pressY, MOUSEEVENTF_LEFTDOWN);
    for (LONG y = pressY; y <= dropY; y += 3)
        MouseInClient(setup, x, y);
    WaitUntil(kShortTimeoutMs, "the drop line", [&] { return c.Visible(IDC_DROP_MARKER); });
    Require(SendMessageBounded(c.Get(KeyButtonId(2)), BM_GETSTATE, 0, 0) & BST_PUSHED,
            "row 3's key button does not look pushed while it is dragged");
    SaveScreenshot("setup-dialog-dragging", setup);
    MouseInClient(setup, x, dropY, MOUSEEVENTF_LEFTUP);
    WaitUntil(kShortTimeoutMs, "C in row 6, D in row 3",
              [&] { return c.Text(KeyButtonId(5)) == "C" && c.Text(KeyButtonId(2)) == "D"; });
    Require(!c.Visible(IDC_DROP_MARKER) &&
                !(SendMessageBounded(c.Get(KeyButtonId(2)), BM_GETSTATE, 0, 0) & BST_PUSHED),
            "the drop line or the pushed look stayed");
    Click(setup, IDC_SETUP_OK);
    AnswerMessageBox(program.Id(), kNotReleasedQuestion, IDOK);
    WaitUntilClosed(setup, "OK");
    WaitForJoystickReads(5);
    SetJoystickButtons(0);
    WaitForJoystickReads(5);
    std::string typed, stored;
    for (const ObservedInput& i : ProgramInputs())
        typed += i.isKey ? Format("%c%c", char(i.vk), i.down ? 'v' : '^') : "mouse";
    for (const StoredKey& k : ReadKeyMap(RegistryRoot::Machine, '1'))
        stored += char(k.vk);
    RequireSame(stored + " " + typed, "ABDEFCGHIJ CvC^CvC^", "OK stored and the program typed");
}

E2E_CASE("Timing setup: values, spin limits, Default asked with button 1 held, Cancel, slider, "
         "0 to 3, OK, Enter") {
    StoreNumbers(
        {{"pollingspeed", 998}, {"typematicdelay", 5}, {"typematicrate", 40}, {"threshold", 70}});
    const Setup open = StartWithSetup();
    ScriptHold({0, 0, 32767 - 13107}); // 40% to the left
    WaitForJoystickReads(5);
    Require(!Controls(open.dialog).Checked(HeaderId(0)), "a 40% push counts under 70%");
    HWND timing = OpenTiming(open.dialog);
    RequireTiming(timing, "998 5 40 70 slider 70", "998 5 40 70");
    SaveScreenshot("timing-dialog", timing);
    TypeAndWaitForFocus(timing, {}, IDC_POLLING_EDIT);
    TypeAndWaitForFocus(timing, {VK_UP, VK_UP, VK_UP, VK_UP, VK_TAB}, IDC_DELAY_EDIT);
    TypeAndWaitForFocus(timing, {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_ESCAPE, VK_TAB},
                        IDC_INTERVAL_EDIT); // Escape closes nothing
    RequireTiming(timing, "1000 3 40 70 slider 70", "998 5 40 70");
    Click(timing, IDC_TIMING_DEFAULT);
    HWND box = WaitForDialog(open.program.Id(), kAppTitle);
    StartInputObserver(true); // button 1 (Return) types nothing at the question, Return elsewhere
    for (int visit = 0; visit < 2; ++visit) {
        BringToFront(box);
        ClearObservedInputs();
        SetJoystickButtons(Button(1));
        WaitForJoystickReads(5);
        RequireSame(Describe(ProgramInputs()), "nothing",
                    "button 1 at the timing dialog's question");
        const TextReceiver other("another program");
        WaitForKey(VK_RETURN, true);
        SetJoystickButtons(0);
        WaitForKey(VK_RETURN, false);
    }
    StopInputObserver();
    BringToFront(box);
    AnswerMessageBox(open.program.Id(), kResetQuestion, IDOK);
    RequireTiming(timing, "100 500 100 50 slider 50", "998 5 40 70");
    Click(timing, IDC_TIMING_CANCEL);
    WaitUntilClosed(timing, "Cancel");
    timing = OpenTiming(open.dialog);
    RequireTiming(timing, "998 5 40 70 slider 70", "998 5 40 70");
    HWND slider = GetDlgItem(timing, IDC_THRESHOLD_SLIDER);
    SendMessageBounded(slider, TBM_SETPOS, TRUE, 30);
    SendMessageBounded(timing, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 30), LPARAM(slider));
    WaitUntil(kShortTimeoutMs, "X left's header to light up in the setup dialog",
              [&] { return Controls(open.dialog).Checked(HeaderId(0)); });
    TypeAndWaitForFocus(timing, {}, IDC_POLLING_EDIT);
    TypeAndWaitForFocus(timing, {'0', VK_TAB}, IDC_DELAY_EDIT);
    RequireTiming(timing, "3 5 40 30 slider 30", "998 5 40 70");
    Click(timing, IDC_TIMING_OK);
    WaitUntilClosed(timing, "OK");
    timing = OpenTiming(open.dialog);
    RequireTiming(timing, "3 5 40 30 slider 30", "3 5 40 30");
    TypeAndWaitForFocus(timing, {}, IDC_POLLING_EDIT);
    TapKey('7');
    TapKey(VK_RETURN);
    WaitUntilClosed(timing, "Enter");
    RequireTiming(OpenTiming(open.dialog), "7 5 40 30 slider 30", "7 5 40 30");
}
