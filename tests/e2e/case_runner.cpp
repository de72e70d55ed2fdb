// The end-to-end driver: runs the cases against padwright.exe and the scripted joystick.
//
//   padwright_e2e.exe --exe PATH --work DIR [--artifacts DIR] [--case NAME]... [--match TEXT]
//                     [--verbose]
//
// Prints "PASS  name" or "FAIL  name: reason" per case and "summary: N passed, N failed"; exits
// with 0 only when every selected case passed.
#include "tests/e2e/case_runner.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "tools/winekit/input_observer.h"
#include "tools/winekit/program.h"
#include "tools/winekit/registry_values.h"
#include "tools/winekit/screenshot.h"
#include "tools/winekit/scripted_joystick_control.h"

namespace {

struct Case {
    const char* name;
    CaseBody body;
};

std::vector<Case>& Cases() {
    static std::vector<Case> cases;
    return cases;
}

std::string caseDirectory;
int passed = 0, failed = 0;
HANDLE caseStarted = CreateEventA(nullptr, FALSE, FALSE, nullptr);
const char* volatile currentCase = nullptr;

void Report(const char* name, const std::string& reason, ULONGLONG elapsedMs) {
    if (reason.empty())
        std::printf("PASS  %s (%.1f s)\n", name, elapsedMs / 1000.0);
    else
        std::printf("FAIL  %s: %s (%.1f s)\n", name, reason.c_str(), elapsedMs / 1000.0);
    ++(reason.empty() ? passed : failed);
    std::fflush(stdout);
}

void Summary() {
    std::printf("summary: %d passed, %d failed\n", passed, failed);
    std::fflush(stdout);
}

// A case that outlives its limit is stuck in a call nobody can interrupt safely: the watchdog
// reports it, ends the programs it started and ends the driver, so a hang costs one bounded wait.
DWORD WINAPI Watchdog(void*) {
    const DWORD limitMs = DWORD(90 + SoakSeconds()) * 1000;
    while (WaitForSingleObject(caseStarted, limitMs) == WAIT_OBJECT_0 || currentCase == nullptr) {
    }
    Report(currentCase, Format("still running after %lu ms: hung", limitMs), limitMs);
    try {
        EndStartedPrograms();
    } catch (const Failure&) {
    }
    Summary();
    ExitProcess(1);
}

void Run(const Case& c, int number, const std::string& work) {
    caseDirectory = Format("%s\\case-%02d", work.c_str(), number);
    CreateDirectoryA(caseDirectory.c_str(), nullptr);
    SetStartDirectory(caseDirectory);
    RestartTraceClock();
    const ULONGLONG start = GetTickCount64();
    currentCase = c.name;
    SetEvent(caseStarted);
    std::string reason;
    try {
        ResetWorld();
        c.body();
    } catch (const Failure& failure) {
        reason = failure.reason;
    }
    currentCase = nullptr;
    try {
        ResetWorld();
    } catch (const Failure& failure) {
        reason = reason.empty() ? "cleaning up: " + failure.reason : reason;
    }
    Report(c.name, reason, GetTickCount64() - start);
}

} // namespace

void ResetWorld() {
    EndStartedPrograms();
    EndLeftoverPrograms();
    StopInputObserver();
    ResetScriptedJoystick();
    DeleteProgramRegistry();
}

CaseRegistrar::CaseRegistrar(const char* name, CaseBody body) {
    Cases().push_back({name, body});
}

const std::string& CaseDirectory() {
    return caseDirectory;
}

int SoakSeconds() {
    const char* text = std::getenv("PADWRIGHT_SOAK_SECONDS");
    const long seconds = text != nullptr ? std::strtol(text, nullptr, 10) : 20;
    return seconds < 1 ? 20 : seconds > 3600 ? 3600 : int(seconds);
}

int main(int argc, char** argv) {
    std::string work = "e2e-cases", match;
    std::vector<std::string> names;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i], value = i + 1 < argc ? argv[i + 1] : "";
        i += arg != "--verbose";
        if (arg == "--verbose")
            SetVerbose(true);
        else if (arg == "--exe")
            SetProgramPath(FullPath(value));
        else if (arg == "--work")
            work = value;
        else if (arg == "--artifacts")
            SetArtifactsDirectory(FullPath(value));
        else if (arg == "--case")
            names.push_back(value);
        else if (arg == "--match")
            match = value;
        else
            return std::fprintf(stderr, "unknown argument %s\n", arg.c_str()), 2;
    }
    work = FullPath(work);
    CreateDirectoryA(work.c_str(), nullptr);
    CreateScriptedJoystick();
    CreateThread(nullptr, 0, Watchdog, nullptr, 0, nullptr);
    for (const std::string& name : names) {
        bool known = false;
        for (const Case& c : Cases())
            known = known || name == c.name;
        if (!known)
            Report(name.c_str(), "no case of that name", 0);
    }
    int number = 0;
    for (const Case& c : Cases()) {
        bool selected = names.empty() && std::string(c.name).find(match) != std::string::npos;
        for (const std::string& name : names)
            selected = selected || name == c.name;
        if (selected)
            Run(c, ++number, work);
    }
    if (passed + failed == 0)
        Report("no case selected", "nothing matched", 0);
    Summary();
    return failed == 0 ? 0 : 1;
}
