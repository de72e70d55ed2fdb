#include "store/portable_import.h"

// Portable mode has no file import yet; until it does, a load reads the registry as it stands.
void ImportBeforeLoad(ProgramState&) {}
