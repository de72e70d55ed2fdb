#pragma once
// The event gate, and lifting what the engine holds down: before key map edits, while the
// session is away, at exit and after a crash. Only the holder of the gate changes the engine's
// counters and key states, so the two threads never act on them at once.
#include "core/program_state.h"

// The poll thread produces events only between these two; BeginEvents fails while the gate is
// held by the user-interface thread, paused or stopped. Neither ever waits.
bool BeginEvents(ProgramState& s);
void EndEvents(ProgramState& s);

// User-interface thread, before key map edits: a release for every key or mouse button that a
// press in effect holds, once each, sent to what that press injected, and for every release
// still owed. Counters are left as they are, so chord resolution still sends its own release
// when each chord ends. A release that does not arrive is sent again by the next cycle.
void ReleaseAllKeys(ProgramState& s);

// Why the session is away; events stay paused until every reason has ended.
constexpr uint32_t kAwayLocked = 1;       // the lock screen or another desktop has the input
constexpr uint32_t kAwayDisconnected = 2; // console or remote session disconnected
constexpr uint32_t kAwaySuspended = 4;

// User-interface thread. The first reason stops event production (waiting out a cycle that is
// producing), releases everything held and clears the counters; the input may already belong to
// another desktop, so every release sent then is kept as owed. When the last reason ends, those
// releases are sent once more and events flow again: chords still held press anew.
void PauseForSession(ProgramState& s, uint32_t reason);
void ResumeAfterSession(ProgramState& s, uint32_t reason);

// At exit, on the user-interface thread: stops event production for good (waiting out a cycle
// that is producing events at that moment), then releases every key and mouse button the engine
// holds or owes a release, and clears the counters. Also while paused.
void ReleaseHeldAtExit(ProgramState& s);

// From an unhandled-exception filter, on whichever thread crashed: stops event production and
// releases what is held or owed, one event per call, without waiting or allocating.
void ReleaseHeldAfterCrash(ProgramState& s);
