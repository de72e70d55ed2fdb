#pragma once
// Axis-zone selection: an entry holding both directions of X or of Y turns that axis into a
// selector that taps one of several keys as the stick crosses from zone to zone.
#include "core/program_state.h"
#include "engine/cycle.h"
#include "engine/event_batch.h"
#include "platform/joystick.h"

// Poll thread, in cycles in which events may be produced and zone mode is on, before chord
// resolution. Taps the key of the zone under each axis when the zone changed, and takes the
// bits of the tapped axis's participants from the working word.
void SelectAxisZones(ProgramState& s, const JoystickSample& sample, CycleWords& words,
                     EventBatch& b);
