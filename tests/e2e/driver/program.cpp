#include "tests/e2e/driver/program.h"

#include <deque>
#include <memory>
#include <vector>

#include "tests/e2e/driver/case_runner.h"
#include "tests/e2e/driver/program_windows.h"

namespace {

std::string programPath;
std::deque<std::unique_ptr<Program>> startedPrograms;

} // namespace

Program::Program(HANDLE process, DWORD processId, std::string commandLine)
    : process_(process), processId_(processId), commandLine_(std::move(commandLine)) {}

Program::~Program() {
    if (process_ != nullptr)
        CloseHandle(process_);
}

bool Program::IsRunning() const {
    return WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

DWORD Program::WaitForExit(DWORD timeoutMs) const {
    if (WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0)
        Fail(Format("'%s' (process %lu) still running after %lu ms", commandLine_.c_str(),
                    processId_, timeoutMs));
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    Trace("process %lu ended with code 0x%lX", processId_, code);
    return code;
}

void Program::Kill() {
    if (!IsRunning())
        return;
    TerminateProcess(process_, 0xDEAD);
    if (WaitForSingleObject(process_, kShortTimeoutMs) != WAIT_OBJECT_0)
        Fail(Format("process %lu did not end within %lu ms of being terminated", processId_,
                    kShortTimeoutMs));
    Trace("terminated process %lu", processId_);
}

void SetProgramPath(const std::string& windowsPath) {
    programPath = windowsPath;
}
const std::string& ProgramPath() {
    return programPath;
}

Program& StartPadwrightWithCommandLine(const std::string& commandLine,
                                       const std::string& directory) {
    const std::string& cwd = directory.empty() ? CaseDirectory() : directory;
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(programPath.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        cwd.c_str(), &startup, &info))
        Fail(Format("cannot start '%s' as '%s' in '%s' (error %lu)", programPath.c_str(),
                    commandLine.c_str(), cwd.c_str(), GetLastError()));
    CloseHandle(info.hThread);
    Trace("started '%s' as process %lu", commandLine.c_str(), info.dwProcessId);
    startedPrograms.push_back(
        std::make_unique<Program>(info.hProcess, info.dwProcessId, commandLine));
    return *startedPrograms.back();
}

Program& StartPadwright(const std::string& arguments, const std::string& directory) {
    std::string commandLine = "padwright.exe";
    if (!arguments.empty())
        commandLine += " " + arguments;
    return StartPadwrightWithCommandLine(commandLine, directory);
}

void EndStartedPrograms() {
    for (auto& program : startedPrograms)
        program->Kill();
    startedPrograms.clear();
}

void EndLeftoverPrograms() {
    for (const ProgramWindow& w : ListProgramWindows()) {
        Trace("ending leftover process %lu of window '%s'", w.processId, w.title.c_str());
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, w.processId);
        if (process == nullptr)
            continue;
        TerminateProcess(process, 0xDEAD);
        WaitForSingleObject(process, kShortTimeoutMs);
        CloseHandle(process);
    }
    WaitUntil(kShortTimeoutMs, "leftover program windows to go",
              [] { return ListProgramWindows().empty(); });
    Trace("no program window left");
}
