#pragma once
// A tiny case framework for the end-to-end driver. A case is a named function that describes
// what a user does and what they see; it fails by throwing CaseFailure (through Require or a
// timed-out WaitUntil), so the first broken expectation ends it with its reason. Every case
// starts from a clean world: default scripted joystick, empty program registry, no running
// program, a fresh current directory.
#include <windows.h>

#include <cstdarg>
#include <string>
#include <vector>

struct CaseFailure {
    std::string reason;
};

std::string Format(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));

[[noreturn]] void Fail(const std::string& reason);

// With --verbose, prints the step with the time since the case began; otherwise nothing.
void Trace(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));
void SetVerbose(bool verbose);

inline void Require(bool condition, const std::string& reason) {
    if (!condition)
        Fail(reason);
}

// Polls `ready` every few milliseconds; false if it did not become true within `timeoutMs`.
template <typename Ready> bool PollUntil(DWORD timeoutMs, Ready ready) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (ready())
            return true;
        if (GetTickCount64() >= deadline)
            return false;
        Sleep(10);
    }
}

// As PollUntil, but a timeout fails the case with `what`. Never waits unbounded.
template <typename Ready> void WaitUntil(DWORD timeoutMs, const std::string& what, Ready ready) {
    if (!PollUntil(timeoutMs, ready))
        Fail(Format("timed out after %lu ms waiting for %s", timeoutMs, what.c_str()));
}

// Timeouts generous enough for a cold Wine on a loaded machine; they bound hangs, they do not
// measure speed.
constexpr DWORD kStartTimeoutMs = 20000;
constexpr DWORD kExitTimeoutMs = 10000;
constexpr DWORD kShortTimeoutMs = 5000;

using CaseBody = void (*)();

struct CaseInfo {
    const char* group; // "program" cases prove the program; "harness" cases prove the tools
    const char* name;
    CaseBody body;
};

std::vector<CaseInfo>& RegisteredCases();

struct CaseRegistrar {
    CaseRegistrar(const char* group, const char* name, CaseBody body) {
        RegisteredCases().push_back({group, name, body});
    }
};

#define E2E_JOIN2(a, b) a##b
#define E2E_JOIN(a, b) E2E_JOIN2(a, b)
#define E2E_CASE_IN(group, name)                                                                   \
    static void E2E_JOIN(CaseBody_, __LINE__)();                                                   \
    static CaseRegistrar E2E_JOIN(caseRegistrar_, __LINE__)(group, name,                           \
                                                            E2E_JOIN(CaseBody_, __LINE__));        \
    static void E2E_JOIN(CaseBody_, __LINE__)()
#define E2E_CASE(name) E2E_CASE_IN("program", name)

// The current case's own empty directory (a Windows path), used as the program's current
// directory unless a case chooses another.
const std::string& CaseDirectory();

struct RunOptions {
    std::vector<std::string> names; // run only these cases (exact names)
    std::string match;              // or only cases whose name contains this
    std::string group = "program";  // or "harness", or "all"
    std::string workDirectory;      // cases get sub-directories here
    DWORD caseTimeoutMs = 90000;    // a case running longer is reported as hung
};

// Runs the selected cases in order, prints one line per case and a summary line; returns the
// number of failures (a run that selects no case counts as one failure).
int RunCases(const RunOptions& options);
