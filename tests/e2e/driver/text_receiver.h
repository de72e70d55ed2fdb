#pragma once
// A window of the driver's own with an edit box that has the keyboard focus: where keys typed by
// the program land when a user has a text window in front.
#include <windows.h>

#include <string>

#include "tests/e2e/driver/window_thread.h"

class TextReceiver {
  public:
    // Opens the window on a thread of its own, brings it to the front and focuses the edit box;
    // fails the case when the window is not in front within the short timeout.
    explicit TextReceiver(const char* title);
    // Closes the window and ends its thread, bounded; never fails.
    ~TextReceiver();
    TextReceiver(const TextReceiver&) = delete;
    TextReceiver& operator=(const TextReceiver&) = delete;

    HWND Window() const;
    // What the edit box holds: the characters it received.
    std::string Text() const;

    struct Shared;

  private:
    void Close();

    Shared* shared_;
    WindowThread thread_;
};
