#pragma once
// What every case works with: the runner, the program, its registry, the scripted joystick held
// as a user holds it, and the input the program injects.
#include "tests/e2e/case_runner.h"
#include "tools/winekit/input_observer.h"
#include "tools/winekit/joystick_hold.h"
#include "tools/winekit/program.h"
#include "tools/winekit/registry_values.h"
