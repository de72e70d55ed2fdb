#pragma once
// A dialog of the program as a user works it: its controls by id, read in one pass (a lookup each
// walks hundreds of children), clicked as the mouse does.
#include <windows.h>

#include <map>
#include <string>

class DialogControls {
  public:
    explicit DialogControls(HWND dialog);
    HWND Get(int id) const; // fails when the dialog has none
    bool Has(int id) const { return byId_.count(id) != 0; }
    bool Checked(int id) const;
    bool Visible(int id) const { return (GetWindowLongA(Get(id), GWL_STYLE) & WS_VISIBLE) != 0; }
    std::string Text(int id) const;
    RECT Rect(int id) const;                       // in the dialog's client coordinates
    std::string ItemText(int id, int index) const; // of a combo box, read as UTF-16

  private:
    HWND dialog_;
    std::map<int, HWND> byId_;
};

void Click(HWND dialog, int id); // posted: a question it opens does not block the caller
void Settle(HWND dialog);        // the dialog has handled everything sent to it before
// What the platform calls the key, as the program is to show it.
std::string PlatformKeyName(UINT vk, bool extended = false);
// Waits until control `id` of `dialog` has the keyboard focus.
void WaitForFocus(HWND dialog, int id);
