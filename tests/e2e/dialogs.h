#pragma once
// The program's dialogs as the cases work them: controls by the ids of the program's headers.
#include <map>
#include <string>

#include "res/setup_dialog_ids.h"
#include "res/timing_dialog_ids.h"
#include "tests/e2e/input_helpers.h"

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

HWND OpenSetup(const Program& program);
struct Setup {
    Program& program;
    HWND dialog;
};
Setup StartWithSetup(); // on slot 1

// The dialog's controls by id, read in one pass (a lookup each walks hundreds of children).
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
    // Bit j for column j: with check boxes in `row` (ticked ones only); headers shown (lit ones).
    uint64_t Columns(int row, bool tickedOnly = false) const;
    uint64_t Headers(bool litOnly = false) const;

  private:
    HWND dialog_;
    std::map<int, HWND> byId_;
};

std::string Ranges(uint64_t bits);  // "0-3 16-19"
std::string GridShown(HWND dialog); // per row the key's name and the ticked columns
void Click(HWND dialog, int id);    // posted: a question it opens does not block the case
void Settle(HWND dialog);           // the dialog has handled everything sent before
std::string PlatformKeyName(UINT vk, bool extended = false);
// Key buttons stacked, each row's boxes beside its key button and under its header, the controls
// below the grid below it, nothing cut off.
void RequireGridLinesUp(HWND dialog);
