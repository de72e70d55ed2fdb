#pragma once
// A case does what a user does and checks what they see; the first broken expectation ends it.
// Each starts from a clean world: the default scripted joystick, no program registry, no program
// running, an empty current directory of its own.
#include <string>

#include "tools/winekit/wait.h"

using CaseBody = void (*)();
struct CaseRegistrar {
    CaseRegistrar(const char* name, CaseBody body);
};
#define E2E_JOIN2(a, b) a##b
#define E2E_JOIN(a, b) E2E_JOIN2(a, b)
#define E2E_CASE(name)                                                                             \
    static void E2E_JOIN(CaseBody_, __LINE__)();                                                   \
    static CaseRegistrar E2E_JOIN(caseRegistrar_, __LINE__)(name, E2E_JOIN(CaseBody_, __LINE__));  \
    static void E2E_JOIN(CaseBody_, __LINE__)()

void ResetWorld();                  // back to the clean world, for rows that each start anew
const std::string& CaseDirectory(); // the case's own directory, the program's current one
int SoakSeconds();                  // PADWRIGHT_SOAK_SECONDS, 20 when not set, at most 3600
