#pragma once
// A window of the driver's own on a thread of its own, with its message loop: what the
// receiver windows share. The window is made on that thread, so it answers while the driver's
// thread waits.
#include <windows.h>

// Registers a plain window class with an arrow cursor and a white background; registering it
// again (a later case) fails harmlessly.
void RegisterReceiverClass(const char* name, WNDPROC procedure);

class WindowThread {
  public:
    // Runs on the new thread; makes the window (or returns nullptr) before the loop starts.
    using MakeWindow = HWND (*)(void* context);

    // Starts the thread and waits, within the short timeout, for its window; false when none
    // was made. `context` must outlive the thread.
    bool Start(MakeWindow make, void* context);
    HWND Window() const;
    // Closes the window and waits, within the short timeout, for the thread. False when the
    // thread did not end: it may still use `context`, which the owner must then keep.
    bool Stop();

    struct Run; // what the thread sees

  private:
    Run* run_ = nullptr;
    HANDLE thread_ = nullptr;
};
