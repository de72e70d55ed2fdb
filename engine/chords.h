#pragma once
// Chord resolution with typematic repeat, and lifting what the engine holds down.
#include "core/program_state.h"
#include "engine/cycle.h"

// Poll thread, once per cycle in which events may be produced, after zone selection. Larger
// chords first; a fired chord hides its bits from smaller ones. Per key map index the chord
// counter is non-zero exactly while a release is owed, and heldPress says what to release.
void ResolveChords(ProgramState& s, CycleWords& words);

// Some index below `below` has a press in effect on the same key or mouse button as `press`.
bool PressOwed(const EngineMemory& m, HeldPress press, int below = kMaxKeys);

// User-interface thread, before key map edits: a release for every key or mouse button that a
// press in effect holds, once each, sent to what that press injected. Counters are left as they are, so chord resolution
// still sends its own release when each chord ends.
void ReleaseAllKeys(ProgramState& s);

// The poll thread produces events only between these two; BeginEvents fails once the engine has
// stopped. Neither ever waits.
bool BeginEvents(ProgramState& s);
void EndEvents(ProgramState& s);

// At exit, on the user-interface thread: stops event production for good (waiting out a cycle
// that is producing events at that moment), then releases every key and mouse button the engine
// holds and clears the counters.
void ReleaseHeldAtExit(ProgramState& s);
