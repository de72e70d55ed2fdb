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
    bool followChecked; // following is on
    bool followGrayed;  // a pinned instance never follows; nor while the setup dialog is open
    bool setupGrayed;   // "Setup dialog" while the setup dialog is open
};

constexpr char kMenuSetupText[] = "Setup dialog";
constexpr char kMenuExitText[] = "Exit";

// Reads the slot names and programs (in portable mode after importing the file) and marks the
// slot in use.
void BuildSlotMenu(ProgramState& s, SlotMenu& menu);

// Puts another slot in use: retitle, reload, recalibrate (a joystick that does not answer is
// reported only when `warn`). A key held at that moment is let go by the next cycle when the
// slot gives its chord another key. The stored slot choice is not touched.
void UseSlot(ProgramState& s, char slotDigit, bool warn);
// The menu's choice: the slot is put in use and becomes the user's own, remembered in the store
// (and exported in portable mode); following comes back to it.
void ChangeSlot(ProgramState& s, char slotDigit);
