#pragma once
// Small window operations the program's decisions need.
#include "core/program_state.h"

void SetWindowTitle(WindowHandle window, const char* title); // SetWindowTextA
