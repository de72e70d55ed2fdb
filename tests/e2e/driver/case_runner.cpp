#include "tests/e2e/driver/case_runner.h"

#include <cstdio>

#include "tests/e2e/driver/input_observer.h"
#include "tests/e2e/driver/program.h"
#include "tests/e2e/driver/registry_values.h"
#include "tests/e2e/driver/scripted_joystick_control.h"

namespace {

std::string caseDirectory;
bool verbose = false;
ULONGLONG caseStart = 0;

struct Tally {
    int passed = 0;
    int failed = 0;
};

struct Watchdog {
    HANDLE caseDone = nullptr; // set at the start of every case and at the end of the run
    volatile bool finished = false;
    DWORD timeoutMs = 0;
    const CaseInfo* current = nullptr;
    const std::vector<const CaseInfo*>* selected = nullptr;
    size_t index = 0;
    Tally* tally = nullptr;
};

Watchdog watchdog;

void PrintResult(bool passed, const char* name, const std::string& reason, ULONGLONG elapsedMs) {
    if (passed)
        std::printf("PASS  %s (%.1f s)\n", name, elapsedMs / 1000.0);
    else
        std::printf("FAIL  %s: %s (%.1f s)\n", name, reason.c_str(), elapsedMs / 1000.0);
    std::fflush(stdout);
}

void PrintSummary(const Tally& tally) {
    std::printf("summary: %d passed, %d failed\n", tally.passed, tally.failed);
    std::fflush(stdout);
}

// A case that outlives its limit is stuck in a call that the framework cannot interrupt
// safely. The watchdog reports it, reports the cases after it as not run, ends the programs the
// run started and ends the driver, so a hang costs one bounded wait and not the whole run.
DWORD WINAPI WatchdogThread(void*) {
    for (;;) {
        if (WaitForSingleObject(watchdog.caseDone, watchdog.timeoutMs) == WAIT_OBJECT_0) {
            if (watchdog.finished)
                return 0;
            continue; // a new case began: its clock starts now
        }
        if (watchdog.current == nullptr)
            continue;
        PrintResult(false, watchdog.current->name,
                    Format("still running after %lu ms: hung", watchdog.timeoutMs),
                    watchdog.timeoutMs);
        ++watchdog.tally->failed;
        for (size_t i = watchdog.index + 1; i < watchdog.selected->size(); ++i) {
            PrintResult(false, (*watchdog.selected)[i]->name, "not run: an earlier case hung", 0);
            ++watchdog.tally->failed;
        }
        try {
            EndStartedPrograms(); // the hung case is stuck in a call, not starting programs
        } catch (const CaseFailure&) {
        }
        PrintSummary(*watchdog.tally);
        ExitProcess(1);
    }
}

// The world every case starts from, and the one every case leaves behind.
void ResetWorld() {
    EndStartedPrograms();
    EndLeftoverPrograms();
    StopInputObserver();
    ResetScriptedJoystick();
    DeleteProgramRegistry();
}

bool Selected(const CaseInfo& c, const RunOptions& options) {
    if (!options.names.empty()) {
        for (const std::string& name : options.names)
            if (name == c.name)
                return true;
        return false;
    }
    if (options.group != "all" && options.group != c.group)
        return false;
    return options.match.empty() || std::string(c.name).find(options.match) != std::string::npos;
}

} // namespace

std::string Format(const char* format, ...) {
    char buffer[2048];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof(buffer), format, args);
    va_end(args);
    return buffer;
}

void Fail(const std::string& reason) {
    throw CaseFailure{reason};
}

void SetVerbose(bool on) {
    verbose = on;
}

void Trace(const char* format, ...) {
    if (!verbose)
        return;
    char buffer[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof(buffer), format, args);
    va_end(args);
    std::printf("      %7.3f s  %s\n", (GetTickCount64() - caseStart) / 1000.0, buffer);
    std::fflush(stdout);
}

std::vector<CaseInfo>& RegisteredCases() {
    static std::vector<CaseInfo> cases;
    return cases;
}

const std::string& CaseDirectory() {
    return caseDirectory;
}

int RunCases(const RunOptions& options) {
    // The harness's own checks first: when they fail, the program's results are suspect.
    std::vector<const CaseInfo*> selected;
    for (const char* group : {"harness", "program"})
        for (const CaseInfo& c : RegisteredCases())
            if (std::string(c.group) == group && Selected(c, options))
                selected.push_back(&c);
    Tally tally;
    for (const std::string& name : options.names) {
        bool known = false;
        for (const CaseInfo& c : RegisteredCases())
            known = known || name == c.name;
        if (!known) {
            std::printf("FAIL  no case named '%s'\n", name.c_str());
            ++tally.failed;
        }
    }
    if (selected.empty() && tally.failed == 0) {
        std::printf("FAIL  no case selected\n");
        ++tally.failed;
    }
    if (selected.empty()) {
        PrintSummary(tally);
        return tally.failed;
    }

    watchdog.caseDone = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    watchdog.timeoutMs = options.caseTimeoutMs;
    watchdog.selected = &selected;
    watchdog.tally = &tally;
    HANDLE watchdogThread = CreateThread(nullptr, 0, WatchdogThread, nullptr, 0, nullptr);

    for (size_t i = 0; i < selected.size(); ++i) {
        const CaseInfo& c = *selected[i];
        caseDirectory = Format("%s\\case-%02u", options.workDirectory.c_str(), unsigned(i + 1));
        CreateDirectoryA(caseDirectory.c_str(), nullptr);

        const ULONGLONG start = GetTickCount64();
        caseStart = start;
        bool passed = true;
        std::string reason;
        watchdog.index = i;
        watchdog.current = &c;
        SetEvent(watchdog.caseDone);
        try {
            ResetWorld();
            c.body();
        } catch (const CaseFailure& failure) {
            passed = false;
            reason = failure.reason;
        } catch (...) {
            passed = false;
            reason = "unexpected exception";
        }
        watchdog.current = nullptr;
        try {
            ResetWorld();
        } catch (const CaseFailure& failure) {
            if (passed)
                reason = "cleaning up: " + failure.reason;
            passed = false;
        }
        PrintResult(passed, c.name, reason, GetTickCount64() - start);
        ++(passed ? tally.passed : tally.failed);
    }

    watchdog.finished = true;
    SetEvent(watchdog.caseDone);
    WaitForSingleObject(watchdogThread, kShortTimeoutMs);
    PrintSummary(tally);
    return tally.failed;
}
