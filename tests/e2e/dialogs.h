#pragma once
// The program's dialogs as the cases work them: controls by the ids of the program's headers.
#include "res/setup_dialog_ids.h"
#include "res/timing_dialog_ids.h"
#include "tests/e2e/input_helpers.h"
#include "tools/winekit/dialog_controls.h"

constexpr char kNotReleasedQuestion[] = "A joystick key or axis is not released. Exit anyway?";
constexpr char kResetQuestion[] = "Reset to default settings?";
constexpr char kChooseKey[] = "-- Choose key --";

constexpr int kColumns = 48;
constexpr auto HeaderId = [](int column) { return IDC_HEADER_FIRST + column; };
constexpr int RowCheckId(int row, int column) {
    return IDC_ROW_CHECK_FIRST + IDC_ROW_BLOCK * row + column;
}
constexpr auto KeyButtonId = [](int row) { return IDC_KEY_BUTTON_FIRST + row; };

HWND OpenSetup(const Program& program);
struct Setup {
    Program& program;
    HWND dialog;
};
Setup StartWithSetup(); // on slot 1

// The setup dialog's grid as well.
class Controls : public DialogControls {
  public:
    using DialogControls::DialogControls;
    int KeyRows() const;
    // Bit j for column j: with check boxes in `row` (ticked ones only); headers shown (lit ones).
    uint64_t Columns(int row, bool tickedOnly = false) const;
    uint64_t Headers(bool litOnly = false) const;
    uint64_t ShownHeaders() const { return Headers(); }
};

std::string Ranges(uint64_t bits);  // "0-3 16-19"
std::string GridShown(HWND dialog); // per row the key's name and the ticked columns
// Key buttons stacked, each row's boxes beside its key button and under its header, the controls
// below the grid below it, nothing cut off.
void RequireGridLinesUp(HWND dialog);
