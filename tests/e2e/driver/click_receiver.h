#pragma once
// A window of the driver's own, on top of everything with the mouse pointer over its middle,
// that records the mouse-button messages it receives: where a user's click would land.
#include <windows.h>

#include <string>
#include <vector>

#include "tests/e2e/driver/window_thread.h"

struct ReceivedClick {
    UINT message; // WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, ...
    POINT at;     // client coordinates
};

std::string Describe(const std::vector<ReceivedClick>& clicks); // "WM_LBUTTONDOWN at 100,100"

class ClickReceiver {
  public:
    // Opens the window on a thread of its own and moves the pointer over it; fails the case
    // when the pointer is not over the window within the short timeout.
    ClickReceiver();
    // Closes the window and ends its thread, bounded; never fails.
    ~ClickReceiver();
    ClickReceiver(const ClickReceiver&) = delete;
    ClickReceiver& operator=(const ClickReceiver&) = delete;

    std::vector<ReceivedClick> Clicks() const;
    // Waits until at least `count` messages have arrived; fails with what did.
    std::vector<ReceivedClick> WaitForClicks(size_t count, DWORD timeoutMs) const;

    struct Shared;

  private:
    void Close();

    Shared* shared_;
    WindowThread thread_;
};
