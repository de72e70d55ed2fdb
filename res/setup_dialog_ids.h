#pragma once
// Control identifiers of the setup dialog (template IDD_SETUP). Plain #defines so that the
// resource script reads them too.

// Header check boxes: column j of the input word is IDC_HEADER_FIRST + j. The header block spans
// 100..163, one identifier per bit; only the first 48 exist.
#define IDC_HEADER_FIRST 100
#define IDC_HEADER_LAST 147
#define IDC_HEADER_BLOCK_END 163

// Row check boxes: visible row r, column j is IDC_ROW_CHECK_FIRST + IDC_ROW_BLOCK * r + j.
// Each row owns a block of 64 identifiers of which the first 48 are used.
#define IDC_ROW_CHECK_FIRST 164
#define IDC_ROW_BLOCK 64
#define IDC_ROW_CHECK_LAST 8355

// Buttons, boxes and lists of the dialog.
#define IDC_SETUP_OK 13103
#define IDC_SETUP_CANCEL 13104
#define IDC_SETUP_DEFAULTS 13105
#define IDC_TYPEMATIC 13106
#define IDC_PORTABLE 13107
#define IDC_JOYSTICK_LIST 13108
#define IDC_JOYSTICK_LABEL 13109
#define IDC_TIMING_SETUP 13110
#define IDC_ABOUT 13111
#define IDC_CONFIG_NAME 13113
#define IDC_GRID_SCROLL 13114
#define IDC_DROP_MARKER 13115
#define IDC_REMOVE_ROW 13116
#define IDC_ADD_ROW 13117
#define IDC_PROGRAMS_LABEL 13118
#define IDC_PROGRAMS 13119
// Past the key buttons' range, which rows may fill.
#define IDC_POINTER_SETUP 13330

// Row separators: visible row r is IDC_SEPARATOR_FIRST + r (row 0's is the template's).
#define IDC_SEPARATOR_FIRST 13120

// Key buttons: visible row r is IDC_KEY_BUTTON_FIRST + r (row 0's is the template's).
#define IDC_KEY_BUTTON_FIRST 13200
#define IDC_KEY_BUTTON_LAST 13327
