#pragma once
// Files and a registry editor that behave like the system's: the editor's import succeeds for a
// file that exists, its export writes the named file, and either can be made to fail.
// A file holds the registry editor's export unless the test gives it other contents.
#include <map>
#include <set>
#include <string>
#include <vector>

struct FakeProcess {
    std::set<std::string> files;         // files that exist
    std::map<std::string, std::string> contents; // their bytes; a registry export when not given
    std::vector<std::string> commands;   // every command line run, in order
    int exitCode = 0;                    // what the editor ends with
    bool exportWritesFile = true;        // a successful export leaves its file
    bool startFails = false;             // no editor to start
};

FakeProcess& TheFakeProcess();
void ResetFakeProcess();
