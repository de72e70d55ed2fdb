#pragma once
// What the setup dialog's commands do to the program state. The dialog procedure reads its
// controls, calls these, and writes its controls from the result.
#include <cstdint>

#include "core/program_state.h"
#include "core/version.h"
#include "ui/key_capture.h"
#include "ui/setup_dialog_state.h"

constexpr char kSetupNotReleasedQuestion[] = "A joystick key or axis is not released. Exit anyway?";
constexpr char kSetupResetQuestion[] = "Reset to default settings?";
constexpr char kAboutText[] =
    "Padwright Tool v" PADWRIGHT_VERSION_TEXT " (c) 2026 Orvanelk\nSee infofile for details";
constexpr char kJoystickLabelText[] = "Joystick Nr.:";
// The name in the programs box that is not a plain file name goes where %.*s stands.
constexpr char kBadProgramText[] =
    "\"%.*s\" is not the file name of a program.\nList programs by their file names alone, "
    "without a folder, such as game.exe, with ; between them.";

constexpr uintptr_t kLiveDisplayTimerId = 1;
constexpr uint32_t kLiveDisplayPeriodMs = 50;
constexpr int32_t kNoListSelection = -1; // CB_ERR

// The name box never holds more than configName keeps, its terminating zero aside; nor the
// programs box more than the slot's list.
constexpr int kConfigNameLimit = kConfigNameSize - 1;
constexpr int kProgramListLimit = kProgramListSize - 1;

// The dialog is open: its handle is known and it has no grid rows yet.
void OpenSetup(ProgramState& s, SetupDialogState& d, WindowHandle dialog);

// What the dialog edits, as it was when the dialog opened.
struct SetupSnapshot {
    KeyMapEntry entries[kMaxKeys];
    int32_t keyCount;
    InputWord enabledMask;
    int32_t typematicOn;
    uint32_t joystickId;
    char configName[kConfigNameSize];
};
SetupSnapshot TakeSetupSnapshot(const ProgramState& s);

// The live display and the closing check read one snapshot of the masked input word.
InputWord InputSnapshot(const ProgramState& s);
bool InputBitSet(InputWord word, int column);

// "OK": the slot is saved (and, in portable mode, exported) before the closing. When the programs
// box holds a name that is not a plain file name, or the slot cannot be stored, the user is told
// and false comes back: the dialog stays open with the edits, so they can still be mended, or
// kept in portable mode.
bool SaveSetup(ProgramState& s, WindowHandle dialog);
// Every closing; `saved` after "OK" stored the slot. A running key capture ends first, so the
// click that answers a question is not taken for the key. While an enabled input is held the
// user is asked; a refusal keeps the dialog and its edits and returns false. Otherwise, unless
// saved, the edits give way to what the dialog opened with; then what the slot has stored comes
// back, the joystick is recalibrated and the dialog's flags and handle are cleared; the dialog
// then ends. After "OK" the entries beyond the key count ("-" lowered them out of view) keep
// their edits, as they do while the dialog is open.
bool CloseSetup(ProgramState& s, const SetupDialogState& d, WindowHandle dialog, CaptureView& view,
                const SetupSnapshot& opened, bool saved);

// "Default settings": ends a running capture, then asks. True when the user agreed and the key
// map is back at its defaults, shown from its first entry (the grid is then rebuilt).
bool ResetSetupToDefaults(ProgramState& s, SetupDialogState& d, WindowHandle dialog,
                          CaptureView& view);

void SetTypematic(ProgramState& s, bool checked);

// The joystick list's selection: false when there is none, and the joystick in use stays.
// Otherwise that joystick is calibrated (the grid is then rebuilt for its columns).
bool ChooseJoystick(ProgramState& s, int32_t selection, WindowHandle dialog);

void ShowAbout(WindowHandle dialog);
