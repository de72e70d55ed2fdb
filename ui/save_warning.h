#pragma once
// What the user hears when a dialog's OK could not store its settings. Writing under
// HKEY_LOCAL_MACHINE needs an administrator; without a word the reload after OK would silently
// put back what the registry still holds.
#include "core/program_state.h"

constexpr char kNotSavedText[] =
    "The settings could not be stored in the registry.\n"
    "Start the program as administrator, or tick Portable mode to keep them for this user.";

// Shows the message when saved is false; returns saved.
bool SavedOrWarned(bool saved, WindowHandle owner);
