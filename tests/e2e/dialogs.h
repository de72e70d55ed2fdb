#pragma once
// The program's dialogs as the cases work them: opened from the tray, controls read by their
// ids from the program's own headers, clicked as the mouse does; the questions as a user reads
// them.
#include <map>
#include <string>

#include "res/setup_dialog_ids.h"
#include "res/timing_dialog_ids.h"
#include "tools/winekit/program.h"

constexpr char kNotReleasedQuestion[] = "A joystick key or axis is not released. Exit anyway?";
constexpr char kResetQuestion[] = "Reset to default settings?";
constexpr char kChooseKey[] = "-- Choose key --";

constexpr int kColumns = 48;
constexpr int HeaderId(int column) {
    return IDC_HEADER_FIRST + column;
}
constexpr int RowCheckId(int row, int column) {
    return IDC_ROW_CHECK_FIRST + IDC_ROW_BLOCK * row + column;
}
constexpr int KeyButtonId(int row) {
    return IDC_KEY_BUTTON_FIRST + row;
}

// A left click on the tray icon, and the setup dialog it opens.
HWND OpenSetup(const Program& program);
struct Setup {
    Program& program;
    HWND dialog;
};
Setup StartWithSetup(); // on slot 1

// The dialog's controls by id, read in one pass (one lookup each walks hundreds of children).
class Controls {
  public:
    explicit Controls(HWND dialog);
    HWND Get(int id) const;
    bool Has(int id) const { return byId_.count(id) != 0; }
    bool Checked(int id) const;
    bool Visible(int id) const { return (GetWindowLongA(Get(id), GWL_STYLE) & WS_VISIBLE) != 0; }
    std::string Text(int id) const;
    RECT Rect(int id) const; // in the dialog's client coordinates
    int KeyRows() const;
    // Bit j for column j: the columns with check boxes in `row` (ticked ones only), or with a
    // header shown.
    uint64_t Columns(int row, bool tickedOnly = false) const;
    uint64_t ShownHeaders() const;

  private:
    HWND dialog_;
    std::map<int, HWND> byId_;
};

// Bit ranges as a user counts columns: "0-3 16-19".
std::string Ranges(uint64_t bits);
// The grid as a user reads it: per row the key's name and the ticked columns.
std::string GridShown(HWND dialog);
// Posted, so that a question it opens does not block the case.
void Click(HWND dialog, int id);
// The dialog has handled everything sent to it before.
void Settle(HWND dialog);
void WaitUntilClosed(HWND dialog, const char* how);
// What the platform calls the key, as the program is to show it.
std::string PlatformKeyName(UINT vk, bool extended = false);
// The key buttons stack without overlapping, each row's check boxes stand beside their key
// button and under their header, the controls below the grid stay below it, nothing is cut off.
void RequireGridLinesUp(HWND dialog);
