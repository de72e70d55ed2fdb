#pragma once
// A text window of the tool's own, in front with the keyboard focus, on a thread of its own (so
// it takes keys while the tool waits): where keys typed by the program land when a user has
// another program's window in front.
#include <windows.h>

#include <string>

class TextReceiver {
  public:
    // Fails when the window is not in front within the short timeout.
    explicit TextReceiver(const char* title);
    ~TextReceiver(); // closes the window and ends its thread, bounded; never fails
    TextReceiver(const TextReceiver&) = delete;
    TextReceiver& operator=(const TextReceiver&) = delete;

    HWND Window() const;
    std::string Text() const; // the characters it received

    struct Run;

  private:
    void Close();

    Run* run_;
    HANDLE thread_;
};

// padwright_receiver.exe (beside the tool) copied to `directory`\`path` and started: the window
// of another process whose image has that file name. It ends with EndStartedPrograms.
HWND StartReceiverAs(const std::string& directory, const std::string& path);
