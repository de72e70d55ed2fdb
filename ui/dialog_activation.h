#pragma once
// When the program's dialogs keep the engine from typing. While any window of the program is
// the active one (the setup or timing dialog, one of their questions) a held joystick input must
// not type into it: Return would answer a question. Once the user switches to another program,
// even with a question still open, the joystick types there again.

// An activation message as it reaches the setup or the timing dialog.
struct ActivationChange {
    bool programWide; // WM_ACTIVATEAPP: the program as a whole gains or loses the foreground
    bool activated;   // the dialog, or program-wide the program, becomes active
    // WM_ACTIVATE: the window on the other side is the open setup dialog or a window it owns,
    // directly or through the timing dialog (their questions). The program's hidden main
    // window, which a closing dialog or the tray menu activates, is none of them.
    bool otherIsOurDialog;
};

// The dialog-active flag after the change.
bool DialogActiveAfter(const ActivationChange& change);
