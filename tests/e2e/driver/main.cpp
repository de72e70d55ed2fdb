// The end-to-end driver: runs the cases against padwright.exe and the scripted joystick.
//
//   padwright_e2e.exe --exe PATH [--work DIR] [--artifacts DIR] [--case NAME]... [--match TEXT]
//                     [--group program|harness|all] [--case-timeout SECONDS] [--list] [--verbose]
//
// Prints "PASS  name" or "FAIL  name: reason" per case and "summary: N passed, N failed";
// exits with 0 only when every selected case passed.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/e2e/driver/case_runner.h"
#include "tests/e2e/driver/program.h"
#include "tests/e2e/driver/sample_injection.h"
#include "tests/e2e/driver/screenshot.h"
#include "tests/e2e/driver/scripted_joystick_control.h"
#include "tests/e2e/driver/soak_length.h"

namespace {

std::string FullPath(const std::string& path) {
    char full[MAX_PATH] = {};
    const DWORD length = GetFullPathNameA(path.c_str(), sizeof(full), full, nullptr);
    return length > 0 && length < sizeof(full) ? std::string(full) : path;
}

bool FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int Usage(const char* problem) {
    std::fprintf(stderr,
                 "%s\nusage: padwright_e2e.exe --exe PATH [--work DIR] [--artifacts DIR] "
                 "[--case NAME]... [--match TEXT] [--group program|harness|all] "
                 "[--case-timeout SECONDS] [--list] [--verbose]\n",
                 problem);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    RunOptions options;
    // The random run takes as long as it is told to, plus its start and end.
    options.caseTimeoutMs =
        std::max<DWORD>(options.caseTimeoutMs, DWORD(SoakSeconds() + 60) * 1000);
    std::string exe = "padwright.exe";
    std::string artifacts;
    bool list = false;
    if (argc == 2 && std::strcmp(argv[1], kInjectSampleArgument) == 0) {
        InjectSample();
        return 0;
    }
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--list") {
            list = true;
        } else if (arg == "--verbose") {
            SetVerbose(true);
        } else if (!hasValue) {
            return Usage(("missing value after " + arg).c_str());
        } else if (arg == "--exe") {
            exe = argv[++i];
        } else if (arg == "--work") {
            options.workDirectory = argv[++i];
        } else if (arg == "--artifacts") {
            artifacts = argv[++i];
        } else if (arg == "--case") {
            options.names.push_back(argv[++i]);
        } else if (arg == "--match") {
            options.match = argv[++i];
        } else if (arg == "--group") {
            options.group = argv[++i];
        } else if (arg == "--case-timeout") {
            const long seconds = std::strtol(argv[++i], nullptr, 10);
            if (seconds <= 0 || seconds > 3600)
                return Usage("--case-timeout takes 1 to 3600 seconds");
            options.caseTimeoutMs = DWORD(seconds) * 1000;
        } else {
            return Usage(("unknown argument " + arg).c_str());
        }
    }

    if (list) {
        for (const CaseInfo& c : RegisteredCases())
            std::printf("%s\t%s\n", c.group, c.name);
        return 0;
    }

    exe = FullPath(exe);
    if (!FileExists(exe))
        return Usage(("no program at " + exe).c_str());
    SetProgramPath(exe);
    if (options.workDirectory.empty())
        options.workDirectory = "e2e-cases";
    options.workDirectory = FullPath(options.workDirectory);
    CreateDirectoryA(options.workDirectory.c_str(), nullptr);
    if (!artifacts.empty()) {
        artifacts = FullPath(artifacts);
        CreateDirectoryA(artifacts.c_str(), nullptr);
        SetArtifactsDirectory(artifacts);
    }

    try {
        CreateScriptedJoystick();
    } catch (const CaseFailure& failure) {
        std::printf("FAIL  setting up the scripted joystick: %s\n", failure.reason.c_str());
        std::printf("summary: 0 passed, 1 failed\n");
        return 1;
    }
    return RunCases(options) == 0 ? 0 : 1;
}
