#pragma once
// The end-to-end cases: a case is a named function that does what a user does and checks what
// they see; the first broken expectation (Require, a timed-out wait) ends it with its reason.
// Every case starts from a clean world: the default scripted joystick, no program registry, no
// running program, an empty current directory of its own.
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

// Back to the clean world every case starts from, for cases whose rows each start anew.
void ResetWorld();
// The current case's own empty directory (a Windows path), the program's current directory.
const std::string& CaseDirectory();
// How long the random run lasts: PADWRIGHT_SOAK_SECONDS, 20 when not set, at most an hour.
int SoakSeconds();
