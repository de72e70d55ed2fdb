#pragma once
// The default key map and timing, and the values derived from the key map.
#include "core/program_state.h"

// The system's scan code of a virtual key (ScanCodeOfKey of platform/input.h in the program).
using ScanCodeLookup = uint32_t (*)(uint32_t vk);

// Default key map: arrows on the stick, Return and Tab on buttons 1 and 2, ten rows; every
// entry's scan code is what `scanCodeOf` gives for its key.
void ResetKeyMapDefaults(ProgramState& s, ScanCodeLookup scanCodeOf);
// Polling 100 ms, typematic delay 500 ms and interval 100 ms, threshold 50 %.
void ResetTimingDefaults(ProgramState& s);
// Largest bitCount among the first keyCount entries, at least 1.
void RecomputeMaxChordSize(ProgramState& s);
// Zone mode is on while some entry holds both direction bits of X or of Y.
void RecomputeZoneMode(ProgramState& s);

// keyCount as the rest of the program may rely on it: always 1..kMaxKeys.
int KeyCount(const ProgramState& s);
