#pragma once
// In portable mode the settings travel in a file; every load first brings that file back into
// the registry, so the load reads what the file holds.
#include "app/program_state.h"

// Called first by LoadSlot, in either mode; does nothing while portable mode is off.
void ImportBeforeLoad(ProgramState& s);
