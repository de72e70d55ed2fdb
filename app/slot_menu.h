#pragma once
// The tray icon's menu: the nine slots by name, then "Setup dialog" and "Exit".
#include <cstdint>

#include "core/program_state.h"

constexpr int kMenuSlots = 9;
constexpr int kSlotItemTextSize = 34; // "Config N" and 25 blanks, NUL

struct SlotMenuItem {
    uint32_t id;
    char text[kSlotItemTextSize];
    bool checked;
    bool grayed;
};

struct SlotMenu {
    SlotMenuItem slots[kMenuSlots];
    bool setupGrayed; // "Setup dialog" while the setup dialog is open
};

constexpr char kMenuSetupText[] = "Setup dialog";
constexpr char kMenuExitText[] = "Exit";

// Reads the slot names (in portable mode after importing the file) and marks the current slot.
void BuildSlotMenu(ProgramState& s, SlotMenu& menu);

// Switches to another slot: retitle, reload, recalibrate, remember the slot, export.
void ChangeSlot(ProgramState& s, char slotDigit);
