#pragma once
// The default key map and timing, and the values derived from the key map.
#include "core/program_state.h"

// Default key map: arrows on the stick, Return and Tab on buttons 1 and 2, ten rows.
void ResetKeyMapDefaults(ProgramState& s);
// Polling 100 ms, typematic delay 500 ms and interval 100 ms, threshold 50 %.
void ResetTimingDefaults(ProgramState& s);
// Largest bitCount among the first keyCount entries, at least 1.
void RecomputeMaxChordSize(ProgramState& s);
// Zone mode is on while some entry holds both direction bits of X or of Y.
void RecomputeZoneMode(ProgramState& s);

// keyCount as the rest of the program may rely on it: always 1..kMaxKeys.
int KeyCount(const ProgramState& s);
