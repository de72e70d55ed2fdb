#pragma once
// Following the program in front: the system's notice of every change of the foreground window,
// received out of context (nothing is loaded into other processes, nothing is polled).

// Start-up, once the slot is loaded. A pinned instance (started with "id=") never follows and
// listens to nothing.
void StartFollowing(bool pinned);
// At exit.
void StopFollowing();
// After the setup dialog has closed: the lists are read again and following catches up with the
// window in front.
void FollowAfterSetup();
// The tray menu's "Follow the program in front".
void ToggleFollowingFromMenu();
