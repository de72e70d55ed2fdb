#pragma once
// Chord resolution with typematic repeat.
#include "core/program_state.h"
#include "engine/cycle.h"
#include "engine/event_batch.h"

// Poll thread, once per cycle in which events may be produced, after zone selection. Larger
// chords first; a fired chord hides its bits from smaller ones. Per key map index the chord
// counter is non-zero exactly while its press is in effect, and heldPress says what to release.
// Events go into the batch in the order they happen.
void ResolveChords(ProgramState& s, CycleWords& words, EventBatch& b);

// Some index has a press in effect on the same key or mouse button as `press`.
bool PressOwed(const EngineMemory& m, HeldPress press);
