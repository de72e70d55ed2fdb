#pragma once
// Files and a reg.exe that behave like the system's: its import succeeds for a file that exists,
// its export writes the named file, and either can be made to fail. A file holds an empty
// export unless the test gives it other contents.
#include <map>
#include <set>
#include <string>
#include <vector>

struct FakeProcess {
    std::set<std::string> files;                 // files that exist
    std::map<std::string, std::string> contents; // their bytes; a registry export when not given
    std::vector<std::string> commands;           // every run, in order: "program|command line"
    std::string systemDirectory = "C:\\Windows\\system32"; // none when empty
    int exitCode = 0;                                      // what reg.exe ends with
    bool exportWritesFile = true;                          // a successful export leaves its file
    bool startFails = false;                               // no reg.exe to start
};

FakeProcess& TheFakeProcess();
void ResetFakeProcess();
