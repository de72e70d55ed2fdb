#pragma once
// Loading and saving the settings of a slot. All run on the user-interface thread. What cannot be
// read keeps its value in memory. The saves tell whether every value was stored, so that a user
// without the right to write the store hears of it instead of losing the edits unawares.
#include "core/program_state.h"

// Key map, options, name, programs, timing and pointer of the current slot, then the values
// derived from them.
void LoadSlot(ProgramState& s);
// The four timing values of the current slot.
void LoadTiming(ProgramState& s);
// The pointer and the wheel of the current slot: none unless the slot holds a valid value.
void LoadPointer(ProgramState& s);
// Key map, options and name of the current slot; the timing values are not part of it.
bool SaveSlot(const ProgramState& s);
bool SaveTiming(const ProgramState& s);
bool SavePointer(const ProgramState& s);
// Remembers the current slot digit in the base key, whatever the slot.
bool SaveSelectedSlot(const ProgramState& s);
// Takes the slot remembered in the base key; the digit stays when none can be read.
void ReadSelectedSlot(ProgramState& s);
// Whether slots follow the program in front, in the base key for every slot and instance.
bool SaveFollowChoice(const ProgramState& s);
// Takes the stored choice; it stays as it is when none (or no 0 or 1) is stored.
void ReadFollowChoice(ProgramState& s);
// The stored name of any slot, over a buffer that holds the fallback; the current slot stays.
void ReadSlotName(const ProgramState& s, char slotDigit, char (&name)[kConfigNameSize]);
// The stored program list of any slot; empty when it stores none.
void ReadSlotPrograms(const ProgramState& s, char slotDigit, char (&list)[kProgramListSize]);
