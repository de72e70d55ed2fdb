#pragma once
// The decisions of start-up: the window title that names the slot, and stepping past slots
// that other running instances already serve.
#include "core/program_state.h"

// "Padwright Config 1" with its last character replaced by the slot digit.
void FormatWindowTitle(char slotDigit, char (&title)[kWindowTitleSize]);

// Moves the slot digit (and the title with it) past slots whose title isTaken reports, up to
// slot '6'. Returns false when the slot is taken and the digit is at or above '6': the process
// then gives up.
bool StepToFreeSlot(ProgramState& s, bool (*isTaken)(const char* title));
