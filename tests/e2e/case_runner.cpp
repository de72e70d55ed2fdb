// The end-to-end driver: padwright_e2e.exe --exe PATH --work DIR [--artifacts DIR]
// [--case NAME]... [--match TEXT] [--verbose]. Prints "PASS  name" or "FAIL  name: reason" per
// case, then "summary: N passed, N failed".
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "tests/e2e/input_helpers.h"
#include "tools/winekit/screenshot.h"

namespace {

std::vector<std::pair<const char*, CaseBody>>& Cases() {
    static std::vector<std::pair<const char*, CaseBody>> cases;
    return cases;
}

std::string caseDirectory;
int passed = 0, failed = 0;

void Report(const char* name, const std::string& reason, ULONGLONG ms) {
    std::printf(reason.empty() ? "PASS  %s%s (%.1f s)\n" : "FAIL  %s: %s (%.1f s)\n", name,
                reason.c_str(), ms / 1000.0);
    ++(reason.empty() ? passed : failed);
    std::fflush(stdout);
}

void Run(const char* name, CaseBody body, const std::string& directory) {
    CreateDirectoryA((caseDirectory = directory).c_str(), nullptr);
    SetStartDirectory(caseDirectory);
    RestartTraceClock();
    const ULONGLONG start = GetTickCount64();
    std::string reason;
    try {
        ResetWorld();
        body();
    } catch (const Failure& failure) {
        reason = failure.reason;
    }
    try {
        ResetWorld();
    } catch (const Failure& failure) {
        reason += reason.empty() ? "cleaning up: " + failure.reason : "";
    }
    Report(name, reason, GetTickCount64() - start);
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
    Cases().emplace_back(name, body);
}

const std::string& CaseDirectory() {
    return caseDirectory;
}

int SoakSeconds() {
    const char* text = std::getenv("PADWRIGHT_SOAK_SECONDS");
    const int seconds = text != nullptr ? std::atoi(text) : 20;
    return seconds < 1 ? 20 : std::min(seconds, 3600);
}

int main(int argc, char** argv) {
    std::string work = "e2e-cases", match;
    std::vector<std::string> names;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--verbose") {
            SetVerbose(true);
            continue;
        }
        const std::string value = ++i < argc ? argv[i] : "";
        if (arg == "--exe")
            SetProgramPath(FullPath(value));
        else if (arg == "--artifacts")
            SetArtifactsDirectory(FullPath(value));
        else if (arg == "--case" || arg == "--match" || arg == "--work")
            (arg == "--case" ? names.emplace_back() : arg == "--match" ? match : work) = value;
        else
            return std::fprintf(stderr, "unknown argument %s\n", arg.c_str()), 2;
    }
    work = FullPath(work);
    CreateDirectoryA(work.c_str(), nullptr);
    CreateScriptedJoystick();
    const bool byName = !names.empty();
    for (const auto& [name, body] : Cases()) {
        if (byName ? std::erase(names, name) > 0
                   : std::string(name).find(match) != std::string::npos)
            Run(name, body, Format("%s\\case-%02d", work.c_str(), passed + failed + 1));
    }
    for (const std::string& name : names)
        Report(name.c_str(), "no case of that name", 0);
    if (passed + failed == 0)
        Report("no case selected", "nothing matched", 0);
    std::printf("summary: %d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
