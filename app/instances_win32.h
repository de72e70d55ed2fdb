#pragma once
// How instances keep out of each other's slots: the mutex named by the program word serialises
// the checks, and a slot is taken when a window of the program's class carries its title.
#include <windows.h>

struct InstanceMutex {
    HANDLE handle; // null when it could not be had
    bool owned;    // the wait ended with the mutex ours, not by the timeout
};
// Creates or opens the mutex and waits for it, at most a second.
InstanceMutex WaitForInstanceMutex();
bool IsSlotTaken(const char* title);
