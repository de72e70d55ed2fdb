#pragma once
// Edits the setup grid makes to the key map, and the decoding of its control identifiers.
// The dialog procedure calls ReleaseAllKeys before a chord or enable edit, and BuildGrid after
// "-" and "+".
#include <cstdint>

#include "core/program_state.h"
#include "res/setup_dialog_ids.h"
#include "ui/setup_dialog_state.h"

struct GridCell {
    int row;
    int column;
};

// Header check box 100..163: the column (input bit) it toggles.
bool DecodeHeaderId(int id, int& column);
// Row check box 164..8355: the visible row and the column. Identifiers 48..63 of a row's block
// never exist and decode to nothing.
bool DecodeRowCheckBoxId(int id, GridCell& cell);
// Key button 13200..13327: the visible row.
bool DecodeKeyButtonId(int id, int& row);

// The chord of a row from the check states of its 64 identifiers (bit j from identifier
// block + j); missing controls count as unchecked.
InputWord ChordMaskFromChecks(const bool (&checked)[IDC_ROW_BLOCK]);
// Entry scrollPos + row takes the mask and its bitCount, then the zone mode is recomputed.
// False when the row shows no entry of the key map.
bool ApplyChordEdit(ProgramState& s, const GridState& g, int row, InputWord mask);

// Flips the column's bit of EnabledMask; returns whether the input is now enabled.
bool ToggleInputEnabled(ProgramState& s, int column);

// "-": one row fewer, never below 1; the page stays full. The removed entry keeps its contents.
// "+": one row more, never above 128; the entry shows whatever it held. Both recompute the zone
// mode; each returns whether keyCount changed.
bool RemoveRow(ProgramState& s, GridState& g);
bool AddRow(ProgramState& s);

// Joystick list item for joystick number n (1-based): " 1".." 9", then "10", "11", ...
constexpr int kJoystickLabelSize = 12;
void JoystickLabel(uint32_t number, char (&label)[kJoystickLabelSize]);

// ShowKeyName: mouse buttons carry fixed names, every other code the platform's name.
constexpr int kKeyNameSize = 32;
constexpr uint8_t kVkSpace = 32;
const char* KeyNameText(uint8_t vk, const char* platformName);
// A space key name is written only after the dialog itself has taken the keyboard focus.
bool KeyNameTakesFocus(uint8_t vk);
// The lParam GetKeyNameTextA expects for a stored scan byte.
uint32_t KeyNameLParam(uint8_t scan);
