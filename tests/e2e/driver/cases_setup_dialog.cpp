// The setup dialog as a user works it: opened from the tray, its grid of rows and columns, the
// live joystick display, editing chords and inputs, rows, defaults, closing, and assigning a key
// by holding the joystick combination and pressing the key.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "tests/e2e/driver/case_runner.h"
#include "tests/e2e/driver/input_observer.h"
#include "tests/e2e/driver/program.h"
#include "tests/e2e/driver/program_windows.h"
#include "tests/e2e/driver/registry_values.h"
#include "tests/e2e/driver/screenshot.h"
#include "tests/e2e/driver/scripted_joystick_control.h"
#include "tests/e2e/driver/user_input.h"

namespace {

// Written out here rather than taken from the program's headers, so that a wrong value in the
// program cannot agree with itself.
constexpr char kSetupCaption[] = "PadwrightTool Setup";
constexpr char kDialogClass[] = "#32770";
constexpr int kHeaderFirst = 100;   // + column
constexpr int kRowCheckFirst = 164; // + 64 row + column
constexpr int kKeyButtonFirst = 13200;
constexpr int kOk = 13103;
constexpr int kCancel = 13104;
constexpr int kDefaults = 13105;
constexpr int kRemoveRow = 13116;
constexpr int kAddRow = 13117;
constexpr int kScrollBar = 13114;
constexpr int kTypematic = 13106;
constexpr int kJoystickList = 13108;
constexpr int kJoystickLabel = 13109;
constexpr int kAbout = 13111;
constexpr int kConfigName = 13113;
constexpr int kColumns = 48;
// The controls below the grid.
constexpr int kBelowGrid[] = {kTypematic, 13107,     kJoystickList, kJoystickLabel, 13110,
                              kAbout,     kDefaults, kOk,           kCancel};
constexpr int kButton1Column = 16;
constexpr char kChooseKey[] = "-- Choose key --";
constexpr char kNotReleased[] = "A joystick key or axis is not released. Exit anyway?";
constexpr char kResetQuestion[] = "Reset to default settings?";
constexpr uint32_t kButton1 = 1;

int HeaderId(int column) {
    return kHeaderFirst + column;
}
int RowCheckId(int row, int column) {
    return kRowCheckFirst + 64 * row + column;
}
int KeyButtonId(int row) {
    return kKeyButtonFirst + row;
}

struct OpenDialog {
    Program* program;
    HWND mainWindow;
    HWND dialog;
};

std::vector<HWND> SetupDialogsOf(DWORD processId) {
    std::vector<HWND> dialogs;
    HWND w = nullptr;
    while ((w = FindWindowExA(nullptr, w, kDialogClass, kSetupCaption)) != nullptr)
        if (WindowProcessId(w) == processId && IsWindowVisible(w))
            dialogs.push_back(w);
    return dialogs;
}

HWND FindSetupDialog(DWORD processId) {
    const std::vector<HWND> dialogs = SetupDialogsOf(processId);
    return dialogs.empty() ? nullptr : dialogs.front();
}

HWND WaitForSetupDialog(DWORD processId) {
    HWND dialog = nullptr;
    WaitUntil(kStartTimeoutMs, "the setup dialog to open",
              [&] { return (dialog = FindSetupDialog(processId)) != nullptr; });
    return dialog;
}

// A left click on the tray icon of a program already running.
HWND OpenFromTray(const Program& program, HWND mainWindow) {
    PostTrayCallback(mainWindow, WM_LBUTTONDOWN);
    return WaitForSetupDialog(program.Id());
}

// Starts the program on slot 1 and left-clicks its tray icon.
OpenDialog StartAndOpenSetup() {
    Program& program = StartPadwright();
    HWND window = WaitForProgramWindow("Padwright Config 1", program.Id(), kStartTimeoutMs);
    return {&program, window, OpenFromTray(program, window)};
}

// Text that crossed from the program's process comes as UTF-16; its characters are ASCII here.
std::string Narrow(const wchar_t* text) {
    std::string narrow;
    for (; *text != 0; ++text)
        narrow.push_back(static_cast<char>(*text));
    return narrow;
}

// The dialog's controls by identifier, read in one pass: looking each one up by itself walks all
// the dialog's children every time, seconds over a grid of several hundred controls.
class Controls {
  public:
    explicit Controls(HWND dialog) : dialog_(dialog) {
        EnumChildWindows(dialog, Collect, reinterpret_cast<LPARAM>(this));
    }
    HWND Find(int id) const {
        const auto found = byId_.find(id);
        return found == byId_.end() ? nullptr : found->second;
    }
    bool Has(int id) const { return Find(id) != nullptr; }
    HWND Get(int id) const {
        HWND control = Find(id);
        Require(control != nullptr, Format("the setup dialog has no control %d", id));
        return control;
    }
    bool Checked(int id) const {
        return SendMessageBounded(Get(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    std::string Text(int id) const { return WindowTitle(Get(id)); }
    // An edit box keeps its text itself: it is asked, not read from the window's title.
    std::string EditText(int id) const {
        wchar_t text[64] = {};
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(Get(id), WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text), SMTO_NORMAL,
                            kShortTimeoutMs, &ignored);
        return Narrow(text);
    }
    bool Visible(int id) const { return (GetWindowLongA(Get(id), GWL_STYLE) & WS_VISIBLE) != 0; }
    RECT ClientRect(int id) const {
        RECT r{};
        GetWindowRect(Get(id), &r);
        MapWindowPoints(HWND_DESKTOP, dialog_, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    int KeyRows() const {
        int rows = 0;
        while (Has(KeyButtonId(rows)))
            ++rows;
        return rows;
    }
    // Columns with check boxes in `row`, as a readable list.
    std::string RowColumns(int row) const {
        std::string columns;
        for (int j = 0; j < kColumns; ++j)
            if (Has(RowCheckId(row, j)))
                columns += Format("%s%d", columns.empty() ? "" : " ", j);
        return columns;
    }

  private:
    static BOOL CALLBACK Collect(HWND child, LPARAM self) {
        reinterpret_cast<Controls*>(self)->byId_[GetDlgCtrlID(child)] = child;
        return TRUE;
    }
    HWND dialog_;
    std::map<int, HWND> byId_;
};

bool Checked(HWND dialog, int id) {
    return Controls(dialog).Checked(id);
}

std::string Text(HWND dialog, int id) {
    return Controls(dialog).Text(id);
}

int KeyRowCount(HWND dialog) {
    return Controls(dialog).KeyRows();
}

// A click as the mouse gives it, posted so that a message box it opens does not block the
// driver.
void Click(HWND dialog, int id) {
    if (!PostMessageA(Controls(dialog).Get(id), BM_CLICK, 0, 0))
        Fail(Format("cannot click control %d (error %lu)", id, GetLastError()));
}

// The dialog has handled everything posted to it before.
void Settle(HWND dialog) {
    Require(IsWindow(dialog), "the setup dialog has closed");
    SendMessageBounded(dialog, WM_NULL, 0, 0);
}

// What the platform calls the key, as the program is to show it on a key button.
std::string PlatformKeyName(UINT vk) {
    char name[32] = {};
    GetKeyNameTextA(static_cast<LONG>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC) << 16), name,
                    sizeof(name));
    return name;
}

void WaitUntilClosed(HWND dialog, const char* how) {
    if (PollUntil(kShortTimeoutMs, [&] { return !IsWindow(dialog); }))
        return;
    const HWND box = FindMessageBox(WindowProcessId(dialog));
    Fail(Format("the setup dialog is still open after %s%s", how,
                box ? (", asking '" + MessageBoxText(box) + "'").c_str() : ""));
}

// The stored key map: 12 bytes per entry.
struct StoredEntry {
    uint64_t mask;
    uint8_t vk, scan, bitCount;
};

std::vector<StoredEntry> StoredKeyMap() {
    const auto value = ReadStoredValue(RegistryRoot::Machine, "", "keymap");
    Require(value.has_value(), "no \"keymap\" value stored");
    Require(value->type == REG_BINARY && value->data.size() % 12 == 0,
            Format("\"keymap\" has type %lu and %zu bytes", value->type, value->data.size()));
    std::vector<StoredEntry> entries;
    for (size_t at = 0; at < value->data.size(); at += 12) {
        const uint8_t* b = value->data.data() + at;
        uint64_t mask = 0;
        for (int i = 7; i >= 0; --i)
            mask = (mask << 8) | b[i];
        entries.push_back({mask, b[8], b[9], b[10]});
    }
    return entries;
}

void SetScriptedJoystick(uint32_t axes, bool hat, uint32_t buttons) {
    ScriptJoystick([&](ScriptedJoystickScript& s) {
        s.numAxes = axes;
        s.numButtons = buttons;
        s.caps = hat ? (kJoyCapsHasPov | kJoyCapsPov4Dir) : 0;
        for (uint32_t axis = 2; axis < axes; ++axis)
            s.caps |= kJoyCapsHasZ << (axis - 2);
    });
}

std::string ExpectedColumns(const std::vector<int>& present) {
    std::string columns;
    for (int j : present)
        columns += Format("%s%d", columns.empty() ? "" : " ", j);
    return columns;
}

std::vector<int> Range(int first, int last) {
    std::vector<int> r;
    for (int j = first; j <= last; ++j)
        r.push_back(j);
    return r;
}

// What a user sees line up: the key buttons stack one under the other without overlapping, each
// row's check boxes stand beside their key button and under their header, the controls below the
// grid stay below it, and nothing reaches past the client area.
void RequireGridLinesUp(HWND dialog) {
    const Controls c(dialog);
    RECT client{};
    GetClientRect(dialog, &client);
    auto inside = [&](const RECT& r) {
        return r.right <= client.right && r.bottom <= client.bottom;
    };
    const int rows = c.KeyRows();
    RECT lastRow{};
    for (int r = 0; r < rows; ++r) {
        const RECT key = c.ClientRect(KeyButtonId(r));
        Require(inside(key), Format("key button of row %d is cut off", r));
        if (r >= 1)
            Require(key.top >= lastRow.bottom,
                    Format("key button of row %d (top %ld) overlaps row %d (bottom %ld)", r,
                           key.top, r - 1, lastRow.bottom));
        for (int j = 0; j < kColumns; ++j) {
            if (!c.Has(RowCheckId(r, j)))
                continue;
            const RECT box = c.ClientRect(RowCheckId(r, j));
            const RECT header = c.ClientRect(HeaderId(j));
            Require(box.left == header.left && box.right == header.right,
                    Format("row %d column %d stands at x %ld..%ld, its header at %ld..%ld", r, j,
                           box.left, box.right, header.left, header.right));
            Require(box.top >= key.top && box.bottom <= key.bottom,
                    Format("row %d column %d (y %ld..%ld) is not beside its key button "
                           "(y %ld..%ld)",
                           r, j, box.top, box.bottom, key.top, key.bottom));
            Require(inside(box), Format("row %d column %d is cut off", r, j));
        }
        lastRow = key;
    }
    for (int id : kBelowGrid) {
        const RECT below = c.ClientRect(id);
        Require(rows == 0 || below.top >= lastRow.bottom,
                Format("control %d (top %ld) overlaps the last row (bottom %ld)", id, below.top,
                       lastRow.bottom));
        Require(inside(below), Format("control %d is cut off", id));
        for (int other : kBelowGrid) {
            RECT both{};
            const RECT second = c.ClientRect(other);
            Require(other == id || !IntersectRect(&both, &below, &second),
                    Format("controls %d and %d overlap", id, other));
        }
    }
}

// The program's question, or the reason there is none.
HWND WaitForQuestion(const OpenDialog& open, HWND dialog, const char* after) {
    HWND box = nullptr;
    if (PollUntil(kExitTimeoutMs,
                  [&] {
                      box = FindMessageBox(open.program->Id());
                      return box != nullptr || !IsWindow(dialog);
                  }) &&
        box != nullptr)
        return box;
    SaveScreenshot("setup-dialog-no-question");
    Fail(Format("no question after %s; the dialog %s", after,
                IsWindow(dialog) ? (IsWindowEnabled(dialog) ? "is open" : "is open but disabled")
                                 : "has closed"));
}

} // namespace

E2E_CASE("a user left-clicks the tray icon and the setup dialog shows the default key map: "
         "ten rows named by the platform, checked as their chords") {
    const OpenDialog open = StartAndOpenSetup();
    const Controls c(open.dialog);
    Require(c.KeyRows() == 10, Format("%d rows, expected 10", c.KeyRows()));
    const UINT keys[10] = {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT, VK_RETURN, VK_TAB, 0, 0, 0, 0};
    const uint64_t masks[10] = {0x4, 0x8, 0x1, 0x2, 0x10000, 0x20000, 0, 0, 0, 0};
    for (int r = 0; r < 10; ++r) {
        const std::string expected = keys[r] ? PlatformKeyName(keys[r]) : "";
        Require(c.Text(KeyButtonId(r)) == expected,
                Format("row %d shows '%s', expected '%s'", r, c.Text(KeyButtonId(r)).c_str(),
                       expected.c_str()));
        for (int j = 0; j < kColumns; ++j)
            if (c.Has(RowCheckId(r, j)))
                Require(c.Checked(RowCheckId(r, j)) == (((masks[r] >> j) & 1) != 0),
                        Format("row %d column %d does not show the mask 0x%llx", r, j,
                               static_cast<unsigned long long>(masks[r])));
    }
    // The scripted joystick has 6 axes, a hat and 12 buttons.
    Require(c.RowColumns(9) == ExpectedColumns(Range(0, 27)),
            "row 9 has check boxes in columns " + c.RowColumns(9));
    Require(!c.Visible(kScrollBar), "a scroll bar for 10 rows");
    RequireGridLinesUp(open.dialog);
    // A second click on the tray icon while the dialog is open opens no second one.
    PostTrayCallback(open.mainWindow, WM_LBUTTONDOWN);
    Settle(open.mainWindow);
    Settle(open.dialog);
    const size_t dialogs = SetupDialogsOf(open.program->Id()).size();
    Require(dialogs == 1, Format("%zu setup dialogs after a second click", dialogs));
}

E2E_CASE("a user with a pad of 2 axes, no hat and 4 buttons sees columns for X, Y and buttons "
         "1 to 4 only") {
    SetScriptedJoystick(2, false, 4);
    const OpenDialog open = StartAndOpenSetup();
    SaveScreenshot("setup-dialog-2-axes-4-buttons", open.dialog);
    const Controls c(open.dialog);
    std::vector<int> present = Range(0, 3);
    for (int j : Range(16, 19))
        present.push_back(j);
    for (int r = 0; r < 10; ++r)
        Require(c.RowColumns(r) == ExpectedColumns(present),
                Format("row %d has check boxes in columns %s", r, c.RowColumns(r).c_str()));
    for (int j = 0; j < kColumns; ++j)
        Require(c.Visible(HeaderId(j)) == (j <= 19),
                Format("header %d is %s", HeaderId(j), j <= 19 ? "hidden" : "shown"));
    // The dialog stays as wide as for 10 buttons.
    RECT client{};
    GetClientRect(open.dialog, &client);
    Require(client.right > c.ClientRect(HeaderId(25)).right,
            "the dialog ends before button 10's column");
    RequireGridLinesUp(open.dialog);
}

E2E_CASE("a user with a stick of 6 axes, a hat and 32 buttons sees all 48 columns, none cut "
         "off") {
    SetScriptedJoystick(6, true, 32);
    const OpenDialog open = StartAndOpenSetup();
    SaveScreenshot("setup-dialog-6-axes-hat-32-buttons", open.dialog);
    const Controls c(open.dialog);
    for (int r = 0; r < 10; ++r)
        Require(c.RowColumns(r) == ExpectedColumns(Range(0, 47)),
                Format("row %d has check boxes in columns %s", r, c.RowColumns(r).c_str()));
    for (int j = 0; j < kColumns; ++j)
        Require(c.Visible(HeaderId(j)), Format("header %d is hidden", HeaderId(j)));
    RequireGridLinesUp(open.dialog);
}

E2E_CASE("a user holds joystick button 1 in the setup dialog: its header lights up and no key "
         "is typed") {
    const OpenDialog open = StartAndOpenSetup();
    HWND dialog = open.dialog;
    BringToFront(dialog);
    StartInputObserver();
    SetJoystickButtons(kButton1);
    WaitUntil(kShortTimeoutMs, "header 116 to light up",
              [&] { return Checked(dialog, HeaderId(kButton1Column)); });
    WaitForJoystickReads(5, kShortTimeoutMs);
    const Controls c(dialog);
    for (int j = 0; j < kColumns; ++j)
        Require(c.Checked(HeaderId(j)) == (j == kButton1Column),
                Format("header %d is %s", HeaderId(j), j == kButton1Column ? "off" : "on"));
    SetJoystickButtons(0);
    WaitUntil(kShortTimeoutMs, "header 116 to go dark",
              [&] { return !Checked(dialog, HeaderId(kButton1Column)); });
    WaitForJoystickReads(3, kShortTimeoutMs);
    RequireNothingInjectedByTheProgram("while the setup dialog was active");
}

E2E_CASE("a user clicks the header of button 1: it shows X, the button no longer lights, and OK "
         "stores \"enabled\" without bit 16") {
    const OpenDialog open = StartAndOpenSetup();
    HWND dialog = open.dialog;
    Click(dialog, HeaderId(kButton1Column));
    WaitUntil(kShortTimeoutMs, "header 116 to show X",
              [&] { return Text(dialog, HeaderId(kButton1Column)) == "X"; });
    const Controls c(dialog);
    for (int j = 0; j < kColumns; ++j)
        Require(j == kButton1Column || c.Text(HeaderId(j)).empty(),
                Format("header %d shows '%s'", HeaderId(j), c.Text(HeaderId(j)).c_str()));
    SetJoystickButtons(kButton1);
    WaitForJoystickReads(5, kShortTimeoutMs);
    Settle(dialog);
    Require(!c.Checked(HeaderId(kButton1Column)), "the disabled button 1 still lights up");
    // A disabled input held at closing asks nothing.
    Click(dialog, kOk);
    WaitUntilClosed(dialog, "OK");
    const auto enabled = ReadStoredValue(RegistryRoot::Machine, "", "enabled");
    Require(enabled.has_value(), "no \"enabled\" value stored");
    Require(enabled->type == REG_BINARY && enabled->data.size() == 8,
            Format("\"enabled\" has type %lu and %zu bytes", enabled->type, enabled->data.size()));
    uint64_t mask = 0;
    for (int i = 7; i >= 0; --i)
        mask = (mask << 8) | enabled->data[i];
    Require(mask == ~(uint64_t{1} << 16),
            Format("\"enabled\" is 0x%016llx", static_cast<unsigned long long>(mask)));
}

E2E_CASE("a user ticks X left and button 2 in row 7 and OK stores that chord in the key map") {
    const OpenDialog open = StartAndOpenSetup();
    HWND dialog = open.dialog;
    Click(dialog, RowCheckId(6, 17));
    Click(dialog, RowCheckId(6, 0));
    WaitUntil(kShortTimeoutMs, "the two boxes to be ticked", [&] {
        const Controls c(dialog);
        return c.Checked(RowCheckId(6, 17)) && c.Checked(RowCheckId(6, 0));
    });
    Click(dialog, kOk);
    WaitUntilClosed(dialog, "OK");
    const std::vector<StoredEntry> map = StoredKeyMap();
    Require(map.size() == 10, Format("%zu entries stored", map.size()));
    Require(map[6].mask == 0x20001 && map[6].bitCount == 2,
            Format("entry 6 stored with mask 0x%llx and bitCount %u",
                   static_cast<unsigned long long>(map[6].mask), map[6].bitCount));
    Require(map[5].mask == 0x20000 && map[7].mask == 0, "neighbouring entries changed");
    Require(ReadStoredUint32(RegistryRoot::Machine, "", "numkeys") == 10u, "numkeys is not 10");
}

E2E_CASE("a user presses + and -: a row comes and goes and the buttons below move with it") {
    const OpenDialog open = StartAndOpenSetup();
    HWND dialog = open.dialog;
    const Controls before(dialog);
    const RECT okBefore = before.ClientRect(kOk);
    RECT windowBefore{};
    GetWindowRect(dialog, &windowBefore);
    const RECT row0 = before.ClientRect(KeyButtonId(0));
    const int keyHeight = row0.bottom - row0.top;
    const int pitch = keyHeight + keyHeight / 8;

    Click(dialog, kAddRow);
    WaitUntil(kShortTimeoutMs, "an eleventh row", [&] { return KeyRowCount(dialog) == 11; });
    Settle(dialog);
    const Controls added(dialog);
    Require(added.ClientRect(kOk).top - okBefore.top == pitch,
            Format("OK moved by %ld pixels, expected one row pitch of %d",
                   added.ClientRect(kOk).top - okBefore.top, pitch));
    RECT windowAfter{};
    GetWindowRect(dialog, &windowAfter);
    Require((windowAfter.bottom - windowAfter.top) - (windowBefore.bottom - windowBefore.top) ==
                pitch,
            "the dialog did not grow by one row pitch");
    Require(added.RowColumns(10) == added.RowColumns(0), "the new row lacks check boxes");
    Require(added.Text(KeyButtonId(10)).empty(), "the new row names a key");
    RequireGridLinesUp(dialog);

    Click(dialog, kRemoveRow);
    Click(dialog, kRemoveRow);
    WaitUntil(kShortTimeoutMs, "nine rows", [&] { return KeyRowCount(dialog) == 9; });
    Settle(dialog);
    const Controls removed(dialog);
    Require(!removed.Has(RowCheckId(9, 0)), "row 10's check boxes outlived the row");
    Require(okBefore.top - removed.ClientRect(kOk).top == pitch,
            "OK did not move up one row pitch from where it started");
    RequireGridLinesUp(dialog);
}

E2E_CASE("a user clicks Default settings while row 3 waits for a key with button 1 held: Cancel "
         "to \"Reset to default settings?\" shows row 3's own entry again, and OK brings back the "
         "default rows") {
    const OpenDialog open = StartAndOpenSetup();
    HWND dialog = open.dialog;
    Click(dialog, kAddRow);
    Click(dialog, RowCheckId(0, 2)); // untick Y up from row 1
    WaitUntil(kShortTimeoutMs, "the edits",
              [&] { return KeyRowCount(dialog) == 11 && !Checked(dialog, RowCheckId(0, 2)); });
    Click(dialog, KeyButtonId(2));
    SetJoystickButtons(kButton1);
    WaitUntil(kShortTimeoutMs, "row 3 to follow the held button",
              [&] { return Checked(dialog, RowCheckId(2, kButton1Column)); });

    Click(dialog, kDefaults);
    HWND box = WaitForMessageBox(open.program->Id());
    Require(MessageBoxButtons(box) == std::vector<int>({IDOK, IDCANCEL}),
            "the question lacks OK and Cancel");
    AnswerMessageBox(open.program->Id(), kResetQuestion, IDCANCEL);
    Settle(dialog);
    Require(KeyRowCount(dialog) == 11, "Cancel reset the rows");
    // Row 3 is entry 2 of the default key map: X left gives Left.
    Require(Text(dialog, KeyButtonId(2)) == PlatformKeyName(VK_LEFT) &&
                Checked(dialog, RowCheckId(2, 0)) &&
                !Checked(dialog, RowCheckId(2, kButton1Column)),
            "row 3 does not show its entry after the capture ended: '" +
                Text(dialog, KeyButtonId(2)) + "'");
    SetJoystickButtons(0);

    Click(dialog, kDefaults);
    AnswerMessageBox(open.program->Id(), kResetQuestion, IDOK);
    WaitUntil(kShortTimeoutMs, "ten rows", [&] { return KeyRowCount(dialog) == 10; });
    Require(Checked(dialog, RowCheckId(0, 2)), "row 1 is not Y up again");
    RequireGridLinesUp(dialog);
}

E2E_CASE("a user edits the grid and cancels: nothing is stored and the next opening shows the "
         "map as it was") {
    const OpenDialog open = StartAndOpenSetup();
    HWND dialog = open.dialog;
    Click(dialog, kAddRow);
    Click(dialog, RowCheckId(1, 20));
    Click(dialog, HeaderId(0));
    WaitUntil(kShortTimeoutMs, "the edits", [&] {
        const Controls c(dialog);
        return c.KeyRows() == 11 && c.Checked(RowCheckId(1, 20)) && c.Text(HeaderId(0)) == "X";
    });
    Click(dialog, kCancel);
    WaitUntilClosed(dialog, "Cancel");
    Require(!ReadStoredValue(RegistryRoot::Machine, "", "keymap").has_value(),
            "Cancel stored a key map");

    HWND again = OpenFromTray(*open.program, open.mainWindow);
    const Controls c(again);
    Require(c.KeyRows() == 10, Format("%d rows after Cancel", c.KeyRows()));
    Require(!c.Checked(RowCheckId(1, 20)), "the chord edit survived Cancel");
    Require(c.Text(HeaderId(0)).empty(), "the disabled input survived Cancel");
    RequireGridLinesUp(again);
}

E2E_CASE("a user closes the dialog while holding joystick button 1 and is asked \"A joystick key "
         "or axis is not released. Exit anyway?\"") {
    const OpenDialog open = StartAndOpenSetup();
    HWND dialog = open.dialog;
    BringToFront(dialog);
    StartInputObserver();
    SetJoystickButtons(kButton1); // Return in the default key map
    WaitUntil(kShortTimeoutMs, "header 116 to light up",
              [&] { return Checked(dialog, HeaderId(kButton1Column)); });

    PostMessageA(dialog, WM_CLOSE, 0, 0);
    HWND box = WaitForQuestion(open, dialog, "closing the dialog");
    // The held button must not type its Return into the question, which would answer it.
    WaitForJoystickReads(5, kShortTimeoutMs);
    RequireNothingInjectedByTheProgram("while the question was on screen");
    Require(IsWindow(box), "the question went away by itself");
    Require(MessageBoxButtons(box) == std::vector<int>({IDOK, IDCANCEL}),
            "the question lacks OK and Cancel");
    AnswerMessageBox(open.program->Id(), kNotReleased, IDCANCEL);
    Settle(dialog);
    Require(IsWindowVisible(dialog), "Cancel closed the dialog anyway");

    Click(dialog, kCancel);
    WaitForQuestion(open, dialog, "clicking Cancel");
    AnswerMessageBox(open.program->Id(), kNotReleased, IDOK);
    WaitUntilClosed(dialog, "OK to the question");

    SetJoystickButtons(0);
    WaitForJoystickReads(2, kShortTimeoutMs);
    HWND again = OpenFromTray(*open.program, open.mainWindow);
    PostMessageA(again, WM_CLOSE, 0, 0);
    WaitUntilClosed(again, "closing with nothing held");
    Require(FindMessageBox(open.program->Id()) == nullptr, "a question with nothing held");
}

E2E_CASE("a user clicks row 3's key button, holds joystick button 1 and presses A: the row "
         "becomes button 1 with A, written once, and OK stores it") {
    const OpenDialog open = StartAndOpenSetup();
    HWND dialog = open.dialog;
    BringToFront(dialog);
    StartInputObserver();

    Click(dialog, KeyButtonId(2));
    WaitUntil(kShortTimeoutMs, "the key button to ask for a key",
              [&] { return Text(dialog, KeyButtonId(2)) == kChooseKey; });
    SetJoystickButtons(kButton1);
    WaitUntil(kShortTimeoutMs, "row 3 to follow the held button",
              [&] { return Checked(dialog, RowCheckId(2, kButton1Column)); });
    Require(!Checked(dialog, RowCheckId(2, 0)), "row 3 still shows X left");

    TypeKey('A', true);
    const std::string nameOfA = PlatformKeyName('A');
    const bool named = PollUntil(kShortTimeoutMs, [&] {
        DWORD_PTR ignored = 0;
        return SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &ignored) &&
               Text(dialog, KeyButtonId(2)) == nameOfA;
    });
    TypeKey('A', false);
    Require(named, Format("row 3 shows '%s', expected '%s'", Text(dialog, KeyButtonId(2)).c_str(),
                          nameOfA.c_str()));
    // The capture has ended: the dialog answers, and the row no longer follows the joystick.
    Settle(dialog);
    SetJoystickButtons(0);
    WaitUntil(kShortTimeoutMs, "header 116 to go dark",
              [&] { return !Checked(dialog, HeaderId(kButton1Column)); });
    Require(Checked(dialog, RowCheckId(2, kButton1Column)), "row 3 forgot its chord");
    Require(Text(dialog, KeyButtonId(2)) == nameOfA, "row 3's name changed after the capture");
    RequireNothingInjectedByTheProgram("during the capture");

    Click(dialog, kOk);
    WaitUntilClosed(dialog, "OK");
    const std::vector<StoredEntry> map = StoredKeyMap();
    Require(map.size() == 10, Format("%zu entries stored", map.size()));
    const StoredEntry& e = map[2];
    Require(e.mask == 0x10000 && e.vk == 'A' && e.scan == MapVirtualKeyA('A', MAPVK_VK_TO_VSC) &&
                e.bitCount == 1,
            Format("entry 2 stored as mask 0x%llx vk %u scan 0x%02x bitCount %u",
                   static_cast<unsigned long long>(e.mask), e.vk, e.scan, e.bitCount));
    Require(open.program->IsRunning(), "the program ended");
}

E2E_CASE("a user with 40 stored rows sees a scroll bar, and scrolling moves the rows over the key "
         "map") {
    constexpr int kRows = 40;
    std::vector<uint8_t> keymap(12 * kRows, 0);
    for (int i = 0; i < kRows; ++i) {
        const UINT vk = 'A' + i % 26;
        keymap[12 * i + 2] = 1; // button 1
        keymap[12 * i + 8] = static_cast<uint8_t>(vk);
        keymap[12 * i + 9] = static_cast<uint8_t>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
        keymap[12 * i + 10] = 1;
    }
    WriteStoredUint32(RegistryRoot::Machine, "", "numkeys", kRows);
    WriteStoredBytes(RegistryRoot::Machine, "", "keymap", keymap);
    const OpenDialog open = StartAndOpenSetup();
    HWND dialog = open.dialog;
    const Controls c(dialog);
    const int rows = c.KeyRows();
    Require(rows > 10 && rows < kRows, Format("%d rows for 40 entries", rows));
    Require(c.Visible(kScrollBar), "no scroll bar");
    const RECT bar = c.ClientRect(kScrollBar);
    const RECT lastHeader = c.ClientRect(HeaderId(25)); // 12 buttons: as wide as for 10
    Require(bar.left >= lastHeader.right, "the scroll bar stands over the grid");
    RequireGridLinesUp(dialog);
    SaveScreenshot("setup-dialog-40-rows", dialog);

    auto rowShows = [&](int row, int entry) {
        return Text(dialog, KeyButtonId(row)) == PlatformKeyName('A' + entry % 26);
    };
    Require(rowShows(0, 0) && rowShows(1, 1), "the rows do not start at entry 0");
    SendMessageBounded(dialog, WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0),
                       reinterpret_cast<LPARAM>(c.Get(kScrollBar)));
    Require(rowShows(0, 1) && rowShows(rows - 1, rows),
            "one line down: row 1 shows '" + Text(dialog, KeyButtonId(0)) + "'");
    SendMessageBounded(dialog, WM_VSCROLL, MAKEWPARAM(SB_BOTTOM, 0),
                       reinterpret_cast<LPARAM>(c.Get(kScrollBar)));
    Require(rowShows(rows - 1, kRows - 1), "the bottom does not end at the last entry");
    Require(GetScrollPos(c.Get(kScrollBar), SB_CTL) == kRows - rows,
            Format("the scroll bar stands at %d", GetScrollPos(c.Get(kScrollBar), SB_CTL)));
}

E2E_CASE("a user picks joystick 2 from the list of 16: it is calibrated at once and OK stores "
         "joyid 1") {
    const OpenDialog open = StartAndOpenSetup();
    HWND dialog = open.dialog;
    HWND list = Controls(dialog).Get(kJoystickList);
    Require(SendMessageBounded(list, CB_GETCOUNT, 0, 0) == 16, "the list does not hold 16 items");
    Require(SendMessageBounded(list, CB_GETCURSEL, 0, 0) == 0, "joystick 1 is not selected");
    auto item = [&](int index) {
        wchar_t text[16] = {};
        DWORD_PTR ignored = 0;
        if (SendMessageBounded(list, CB_GETLBTEXTLEN, index, 0) < 16)
            SendMessageTimeoutW(list, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text),
                                SMTO_NORMAL, kShortTimeoutMs, &ignored);
        return Narrow(text);
    };
    Require(item(0) == " 1" && item(8) == " 9" && item(9) == "10" && item(15) == "16",
            "the items read '" + item(0) + "', '" + item(8) + "', '" + item(9) + "', '" + item(15) +
                "'");

    SendMessageBounded(list, CB_SETCURSEL, 1, 0);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(kJoystickList, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
    WaitUntil(kShortTimeoutMs, "joystick 2 to be calibrated",
              [&] { return LastCapsJoystickId() == 1; });
    WaitUntil(kShortTimeoutMs, "joystick 2 to be read", [&] { return LastReadJoystickId() == 1; });
    RequireGridLinesUp(dialog);
    Click(dialog, kOk);
    WaitUntilClosed(dialog, "OK");
    Require(ReadStoredUint32(RegistryRoot::Machine, "", "joyid") == 1u, "joyid is not 1");
}

E2E_CASE("a user names the slot with 40 characters and unticks Use Typematic: OK stores the "
         "first 31 characters and typematic 0") {
    const OpenDialog open = StartAndOpenSetup();
    HWND dialog = open.dialog;
    const Controls c(dialog);
    Require(c.Checked(kTypematic), "Use Typematic is not ticked by default");
    Require(c.EditText(kConfigName) == "Config 1",
            "the name box shows '" + c.EditText(kConfigName) + "'");
    Require(c.EditText(kJoystickLabel) == "Joystick Nr.:",
            "the joystick label reads '" + c.EditText(kJoystickLabel) + "'");
    const std::string name = "Racing wheel with a very long name!!!!!";
    SendMessageBounded(c.Get(kConfigName), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
    Click(dialog, kTypematic);
    WaitUntil(kShortTimeoutMs, "Use Typematic to be unticked",
              [&] { return !c.Checked(kTypematic); });
    Click(dialog, kOk);
    WaitUntilClosed(dialog, "OK");

    const auto stored = ReadStoredValue(RegistryRoot::Machine, "", "configname");
    Require(stored.has_value(), "no \"configname\" stored");
    const std::string storedName(
        reinterpret_cast<const char*>(stored->data.data()),
        strnlen(reinterpret_cast<const char*>(stored->data.data()), stored->data.size()));
    Require(storedName == name.substr(0, 31), "stored name '" + storedName + "'");
    Require(ReadStoredUint32(RegistryRoot::Machine, "", "typematic") == 0u, "typematic is not 0");
}

E2E_CASE("a user clicks About and reads the maker on the first line and \"See infofile for "
         "details\" on the second") {
    const OpenDialog open = StartAndOpenSetup();
    Click(open.dialog, kAbout);
    HWND box = WaitForMessageBox(open.program->Id());
    const std::string text = MessageBoxText(box);
    const size_t lineEnd = text.find('\n');
    Require(lineEnd != std::string::npos && text.substr(lineEnd + 1) == "See infofile for details",
            "About says '" + text + "'");
    Require(text.substr(0, lineEnd).find("Orvanelk") != std::string::npos,
            "the first line does not name the maker: '" + text.substr(0, lineEnd) + "'");
    Require(MessageBoxButtons(box) == std::vector<int>({IDOK}), "About has more than OK");
    ClickDialogButton(box, IDOK);
    WaitUntil(kShortTimeoutMs, "About to close", [&] { return !IsWindow(box); });
    Settle(open.dialog);
    Require(IsWindowVisible(open.dialog), "About closed the setup dialog");
}

E2E_CASE("a user clicks row 1's key button and presses the arrow key Right: it is stored as the "
         "extended key, apart from the keypad's 6") {
    const OpenDialog open = StartAndOpenSetup();
    HWND dialog = open.dialog;
    BringToFront(dialog);
    Click(dialog, KeyButtonId(0));
    WaitUntil(kShortTimeoutMs, "the key button to ask for a key",
              [&] { return Text(dialog, KeyButtonId(0)) == kChooseKey; });
    TypeKey(VK_RIGHT, true, true);
    const bool named =
        PollUntil(kShortTimeoutMs, [&] { return Text(dialog, KeyButtonId(0)) != kChooseKey; });
    TypeKey(VK_RIGHT, false, true);
    Require(named, "no key was taken");
    char name[32] = {};
    GetKeyNameTextA(
        static_cast<LONG>((MapVirtualKeyA(VK_RIGHT, MAPVK_VK_TO_VSC) << 16) | (1 << 24)), name,
        sizeof name);
    Require(Text(dialog, KeyButtonId(0)) == name,
            Format("row 1 shows '%s', expected '%s'", Text(dialog, KeyButtonId(0)).c_str(), name));
    Click(dialog, kOk);
    WaitUntilClosed(dialog, "OK");
    const StoredEntry e = StoredKeyMap()[0];
    Require(e.vk == VK_RIGHT && e.scan == (MapVirtualKeyA(VK_RIGHT, MAPVK_VK_TO_VSC) | 0x80) &&
                e.mask == 0 && e.bitCount == 0,
            Format("entry 0 stored as mask 0x%llx vk %u scan 0x%02x bitCount %u",
                   static_cast<unsigned long long>(e.mask), e.vk, e.scan, e.bitCount));
}

E2E_CASE("a user clicks row 2's key button and presses Enter: the row gets Return and the dialog "
         "stays open") {
    const OpenDialog open = StartAndOpenSetup();
    HWND dialog = open.dialog;
    BringToFront(dialog);
    Click(dialog, KeyButtonId(1));
    WaitUntil(kShortTimeoutMs, "the key button to ask for a key",
              [&] { return Text(dialog, KeyButtonId(1)) == kChooseKey; });
    TypeKey(VK_RETURN, true);
    const bool named = PollUntil(kShortTimeoutMs, [&] {
        return !IsWindow(dialog) || Text(dialog, KeyButtonId(1)) != kChooseKey;
    });
    TypeKey(VK_RETURN, false);
    Require(named, "no key was taken");
    WaitForJoystickReads(3, kShortTimeoutMs); // a few timer ticks
    Require(IsWindow(dialog), "Enter also pressed OK and closed the dialog");
    Require(Text(dialog, KeyButtonId(1)) == PlatformKeyName(VK_RETURN),
            "row 2 shows '" + Text(dialog, KeyButtonId(1)) + "'");
}
