#pragma once
// Slots that follow the program in front. Each slot may list programs; while following is on,
// a program that comes to the front puts the slot that lists it in use, exactly as a choice in
// the tray menu would, and a program that no slot lists brings back the user's own slot. The
// stored slot choice ("config") stays the user's: an automatic change neither writes nor exports
// it. All of it runs on the user-interface thread.
#include "app/slot_menu.h"
#include "core/program_state.h"

constexpr char kMenuFollowText[] = "Follow the program in front";

struct FollowState {
    bool pinned = false;   // started with "id=": its user pinned the slot, it never follows
    char userSlot = '1';   // start-up's slot, then every choice made in the tray menu
    bool changing = false; // a slot change is under way; its message boxes run a message loop
    char lists[kMenuSlots][kProgramListSize]{}; // the programs of slots '1' to '9', as stored
};
FollowState& Follow(); // the process-wide record

// What the system tells of the window in front.
struct ForegroundWindow {
    bool present = false;
    bool ownProcess = false; // the program's own dialogs, message boxes and menu
    const char* className = "";
    const char* imagePath = nullptr; // null when the process cannot be opened for its name
};

// Another instance may serve the slot of that title: the glue checks, across the instances,
// that none does and then gives this instance the title. False leaves everything as it is.
using ClaimSlot = bool (*)(const char* title);

// Start-up, once the slot is loaded: it is the user's slot; the lists and the choice are read.
void SetUpFollowing(ProgramState& s, FollowState& f, bool pinned);
// The lists of the nine slots and the stored choice, as the store holds them now. Read after
// every load and before the menu shows, never at a change of the window in front, which would
// run reg.exe in portable mode.
void ReadFollowLists(ProgramState& s, FollowState& f);
// The stored choice; while none is stored, on when some slot lists a program.
bool FollowingOn(const ProgramState& s, const FollowState& f);

// The slot to be in use now; 0 when nothing is to change. Nothing changes while the setup dialog
// is open, for a pinned instance, or for the program's own windows, the desktop, the taskbar and
// the task switcher. A program that cannot be opened for its name is listed by no slot. While
// following is off, the user's slot comes back.
char FollowTarget(const ProgramState& s, const FollowState& f, const ForegroundWindow& w);
// Puts the slot in use unless another instance serves it.
bool FollowTo(ProgramState& s, FollowState& f, char slotDigit, ClaimSlot claim);
// A change of the window in front, or a moment when following may have to catch up with it. A
// program listed by a slot that another instance serves brings back the user's slot.
void FollowWindow(ProgramState& s, FollowState& f, const ForegroundWindow& w, ClaimSlot claim);
// The menu's check item: stores the other choice (and exports it in portable mode), then follows
// `w` under it.
void ToggleFollowing(ProgramState& s, FollowState& f, const ForegroundWindow& w, ClaimSlot claim);
// The tray tip names the slot in use while it is not the user's.
void ShowFollowed(ProgramState& s, const FollowState& f);
