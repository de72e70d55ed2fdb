#pragma once
// Layout arithmetic of the setup grid. BuildGrid measures the live dialog in screen pixels, hands
// the rectangles to PlanGrid and carries the plan out (create, destroy, move, resize); RefreshRows
// writes what PlanRefresh lists. Neither decides anything itself.
#include <cstdint>

#include "core/program_state.h"
#include "engine/calibration.h"
#include "res/setup_dialog_ids.h"
#include "ui/setup_dialog_state.h"

struct PixelRect {
    int32_t left, top, right, bottom;
};

// Client-area placement of a control to create or move.
struct ControlRect {
    int32_t x, y, width, height;
};

constexpr int kGridColumns = kInputBits;
constexpr int kAxisColumns = 12;       // columns 0..11: two per axis
constexpr int kHatFirstColumn = 12;    // columns 12..15
constexpr int kButtonFirstColumn = 16; // column 16 + n - 1 is button n
constexpr int kMinButtonColumnsWide = 10; // the dialog is never narrower than for 10 buttons
constexpr int kPageRowsReserve = 5;       // row pitches of the work area left to the rest
// Separator n and key button n - 80 would share an identifier, so the grid never shows more
// rows than the separator range holds.
constexpr int kMaxGridRows = IDC_KEY_BUTTON_FIRST - IDC_SEPARATOR_FIRST;
static_assert(kMaxGridRows <= kMaxKeys);

// The controls below the grid, moved down and up as rows come and go.
constexpr int kBelowGridCount = 12;
constexpr int kBelowGridIds[kBelowGridCount] = {
    IDC_ABOUT,          IDC_TIMING_SETUP, IDC_JOYSTICK_LABEL, IDC_JOYSTICK_LIST,
    IDC_PORTABLE,       IDC_TYPEMATIC,    IDC_SETUP_DEFAULTS, IDC_SETUP_CANCEL,
    IDC_SETUP_OK,       IDC_PROGRAMS_LABEL, IDC_PROGRAMS,     IDC_POINTER_SETUP};

constexpr int HeaderId(int column) {
    return IDC_HEADER_FIRST + column;
}
constexpr int RowCheckBoxId(int row, int column) {
    return IDC_ROW_CHECK_FIRST + IDC_ROW_BLOCK * row + column;
}
constexpr int KeyButtonId(int row) {
    return IDC_KEY_BUTTON_FIRST + row;
}
constexpr int SeparatorId(int row) {
    return IDC_SEPARATOR_FIRST + row;
}
// The header that ends the grid on the right: the last button's, or button 10's.
int LastButtonHeaderId(int32_t numButtons);

// What the selected joystick offers, as calibration left it.
struct JoystickColumns {
    uint32_t numAxes;   // wNumAxes
    uint32_t capsFlags; // wCaps
    int32_t numButtons;
};
JoystickColumns JoystickColumnsOf(const ProgramState& s);
bool ColumnHasCheckBoxes(const JoystickColumns& joystick, int column);
// Headers 0..15 always stand; button headers only for the buttons the joystick has.
bool HeaderVisible(const JoystickColumns& joystick, int column);
// "X" marks a disabled input.
const char* HeaderText(InputWord enabledMask, int column);

int32_t RowPitch(int32_t keyButtonHeight);
int32_t PageRows(const PixelRect& workArea, int32_t rowPitch);
int32_t MaxScrollPos(int32_t keyCount, int32_t pageRows);
int32_t ClampScrollPos(int32_t scrollPos, int32_t keyCount, int32_t pageRows);
int32_t VisibleRows(int32_t keyCount, int32_t pageRows);
int32_t VisibleRows(const ProgramState& s, const GridState& g);
// New client y of a control below the grid (controlTop and clientTop in screen pixels): on the
// whole row pitch nearest to it, moved by the rows added or removed. The template stacks these
// controls closer than a pitch; the pitch lines part them into two lines below the rows.
int32_t BelowGridY(int32_t controlTop, int32_t clientTop, int32_t rowPitch, int32_t rowDelta);
// A line stands above every even entry except the one in row 0.
bool SeparatorShown(int32_t scrollPos, int32_t row);

// Styles of the created controls, from the prototypes' styles.
uint32_t RowCheckBoxStyle(uint32_t headerStyle);
uint32_t RowCheckBoxExStyle(uint32_t headerExStyle);
uint32_t SeparatorStyle(uint32_t templateSeparatorStyle);

// Window rectangles of the live dialog, all in screen pixels.
struct GridMeasurements {
    PixelRect window; // the dialog's window rectangle
    int32_t clientWidth, clientHeight;
    int32_t clientTop;               // screen y of the client area's top edge
    PixelRect keyButton;             // key button of row 0
    PixelRect separator;             // separator of row 0
    PixelRect headers[kGridColumns]; // header check boxes 100..147
    bool headerFound[kGridColumns];
    PixelRect scrollBar;
    int32_t belowGridTop[kBelowGridCount]; // top edges, in kBelowGridIds order
    PixelRect workArea;
};

// What the build reads from the program state and the grid.
struct GridInputs {
    int32_t keyCount;
    int32_t builtKeyCount;
    int32_t previousPageRows; // pageRows of the previous build of this opening
    int32_t scrollPos;
    JoystickColumns joystick;
    InputWord enabledMask;
};
GridInputs GridInputsOf(const ProgramState& s, const GridState& g);

struct GridPlan {
    // Stored into the grid's state.
    int32_t frameDx, frameDy, keyButtonTop, rowPitch, pageRows, scrollPos, keyCount;
    PixelRect workArea;

    // Rows. The rows that exist are those of the previous build; rows [visibleRows,
    // existingRows) lose their controls (key button and separator only from row 1 on), rows
    // [firstNewRow, visibleRows) get a separator and a key button, and every visible row gets
    // the check boxes of its present columns and loses those of absent ones.
    int32_t visibleRows;
    int32_t existingRows;
    int32_t firstNewRow;
    int32_t rowDelta; // visibleRows - existingRows

    bool columnPresent[kGridColumns];
    bool columnPlaceable[kGridColumns]; // present and its header was found
    bool headerVisible[kGridColumns];   // applied to columns from kButtonFirstColumn on
    const char* headerText[kGridColumns];

    // Prototype geometry of created controls, client pixels.
    int32_t keyX, keyWidth, keyHeight;
    int32_t checkX[kGridColumns], checkY, checkWidth, checkHeight;
    int32_t separatorWidth;

    // Controls below the grid: moved to (their x, belowGridY) when moveBelowGrid.
    bool moveBelowGrid;
    int32_t belowGridY[kBelowGridCount];

    int32_t dialogWidth, dialogHeight; // new window size, position kept

    ControlRect scrollBarRect;
    bool scrollBarVisible;
    int32_t scrollMax; // range 0..scrollMax, page pageRows, position scrollPos
};

GridPlan PlanGrid(const GridInputs& in, const GridMeasurements& m);
// Writes the measured geometry, pageRows, the clamped scrollPos and builtKeyCount.
void StoreGridPlan(GridState& g, const GridPlan& plan);

ControlRect SeparatorRect(const GridPlan& plan, int row);
ControlRect KeyButtonRect(const GridPlan& plan, int row);
ControlRect RowCheckBoxRect(const GridPlan& plan, int row, int column);

// One visible row as RefreshRows writes it.
struct RowView {
    int32_t entry;
    bool separatorShown; // meaningful from row 1 on; row 0's separator is never shown
    InputWord mask;
    uint8_t vk;
    uint8_t scan;
};
// Fills rows[0..V-1] from scrollPos on and returns V.
int PlanRefresh(const ProgramState& s, const GridState& g, RowView (&rows)[kMaxGridRows]);
