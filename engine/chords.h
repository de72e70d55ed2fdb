#pragma once
// Chord resolution with typematic repeat.
#include "app/program_state.h"
#include "engine/cycle.h"
#include "engine/event_batch.h"

// Poll thread, once per cycle in which events may be produced, after zone selection. Larger
// chords first; a fired chord hides its bits from smaller ones. Per key map index the chord
// counter is non-zero exactly while a release is owed, and heldPress says what to release.
void ResolveChords(ProgramState& s, CycleWords& words, EventBatch& b);

// Some index has a press in effect on the same key or mouse button as `press`.
bool PressOwed(const EngineMemory& m, HeldPress press);
