#pragma once
// How the program ends: the exit sequence, and what a crash still does before it runs its course.

// Removes the tray icon and the hook, releases everything the engine holds and gives back the
// timer period. Run when the message loop ends and when Windows ends the session; a second run
// changes nothing.
void RunExitSequence();

// From now on an unhandled exception on any thread first releases what the engine holds.
void InstallCrashRelease();
