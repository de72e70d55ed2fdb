// The timing dialog as a user works it from the setup dialog's "Timing setup" button, and a row
// of the setup grid dragged to another place with the mouse.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/e2e/driver/case_runner.h"
#include "tests/e2e/driver/program.h"
#include "tests/e2e/driver/program_windows.h"
#include "tests/e2e/driver/registry_values.h"
#include "tests/e2e/driver/screenshot.h"
#include "tests/e2e/driver/scripted_joystick_control.h"

namespace {

// Written out from the documents, not taken from the program's headers.
constexpr char kDialogClass[] = "#32770";
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
constexpr ULONG_PTR kDriverKeyMark = 0x50574B31;

HWND FindDialog(DWORD processId, const char* caption) {
    HWND w = nullptr;
    while ((w = FindWindowExA(nullptr, w, kDialogClass, caption)) != nullptr)
        if (WindowProcessId(w) == processId && IsWindowVisible(w))
            return w;
    return nullptr;
}

HWND WaitForDialog(DWORD processId, const char* caption) {
    HWND dialog = nullptr;
    WaitUntil(kStartTimeoutMs, Format("\"%s\" to open", caption),
              [&] { return (dialog = FindDialog(processId, caption)) != nullptr; });
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

void BringToFront(HWND dialog) {
    if (GetForegroundWindow() != dialog)
        SetForegroundWindow(dialog);
    WaitUntil(kShortTimeoutMs, "the dialog to be the foreground window",
              [&] { return GetForegroundWindow() == dialog; });
}

void TypeKey(UINT vk) {
    INPUT input[2]{};
    for (int i = 0; i < 2; ++i) {
        input[i].type = INPUT_KEYBOARD;
        input[i].ki.wVk = static_cast<WORD>(vk);
        input[i].ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
        input[i].ki.dwFlags = i == 0 ? 0 : KEYEVENTF_KEYUP;
        input[i].ki.dwExtraInfo = kDriverKeyMark;
    }
    Require(SendInput(2, input, sizeof(INPUT)) == 2, "SendInput failed");
}

bool Checked(HWND dialog, int id) {
    return SendMessageBounded(Control(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

} // namespace

E2E_CASE("a user opens Timing setup and sees the stored values; a typed 0 for polling becomes 3 "
         "on Tab; Default answered OK shows 100, 500, 100 and 50 without saving; Cancel brings "
         "back the stored values") {
    StoreTiming(20, 250, 40, 70);
    const Opened open = StartAndOpenSetup();
    HWND timing = OpenTiming(open);
    RequireShown(timing, "20 250 40 70 slider 70", "at opening");
    SaveScreenshot("timing-dialog", timing);

    BringToFront(timing);
    WaitUntil(kShortTimeoutMs, "the polling box to have the focus", [&] {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        return GetGUIThreadInfo(GetWindowThreadProcessId(timing, nullptr), &info) &&
               info.hwndFocus == Control(timing, kPollingBox);
    });
    TypeKey('0');
    WaitUntil(kShortTimeoutMs, "the polling box to show the typed 0",
              [&] { return TextOf(Control(timing, kPollingBox)) == "0"; });
    TypeKey(VK_TAB);
    RequireShown(timing, "3 250 40 70 slider 70", "after Tab");

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
