#pragma once
// padwright.exe as a test starts it: one process per start, ended by the framework if a case
// leaves it running.
#include <windows.h>

#include <string>

class Program {
  public:
    Program(HANDLE process, DWORD processId, std::string commandLine);
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    ~Program();

    DWORD Id() const { return processId_; }
    const std::string& CommandLine() const { return commandLine_; }
    bool IsRunning() const;
    // The exit code once the process has ended; fails the case if it is still running after
    // `timeoutMs`.
    DWORD WaitForExit(DWORD timeoutMs = 10000) const;
    // Ends the process if it still runs; waits (bounded) until it has gone.
    void Kill();

  private:
    HANDLE process_;
    DWORD processId_;
    std::string commandLine_;
};

// Where padwright.exe is (set once by main).
void SetProgramPath(const std::string& windowsPath);
const std::string& ProgramPath();

// Starts padwright.exe with the command line "padwright.exe" followed by a space and
// `arguments` (just "padwright.exe" when `arguments` is empty), in `directory` (the case's
// directory when empty). The program parses its raw command line, so what is passed here is
// exactly what it sees.
Program& StartPadwright(const std::string& arguments = "", const std::string& directory = "");
// The same with the whole raw command line chosen by the case (for spacing and quoting cases).
Program& StartPadwrightWithCommandLine(const std::string& commandLine,
                                       const std::string& directory = "");

// Ends every program the current case started.
void EndStartedPrograms();
// Ends any process that still owns a window of the program's class: a leftover of an earlier
// case (or of a start the driver lost track of) would take a slot and skew the next case.
void EndLeftoverPrograms();
