#pragma once
// Key capture: a click on a row's key button arms it; while it runs, every message the setup
// dialog receives first takes one capture step, which shows the held joystick inputs on the
// row's check boxes and ends at the first key or mouse button found down, writing the row's
// entry. The dialog supplies the controls through CaptureView.
#include <cstdint>

#include "core/program_state.h"
#include "ui/setup_dialog_state.h"

constexpr char kChooseKeyText[] = "-- Choose key --";
constexpr uint32_t kHighestCapturedKey = 246; // the key search runs from here down to 1

// Writing a control makes the dialog receive messages at once, so each call may run a nested
// capture step.
class CaptureView {
  public:
    // Sets a row check box; an identifier without a control is skipped.
    virtual void ShowChordCheck(int controlId, bool checked) = 0;
    virtual void ShowKeyName(uint8_t vk, uint8_t scan, int keyButtonId) = 0;
    // A key-down message waits in the dialog's queue and has not passed the hook yet.
    virtual bool KeyDownWaiting() = 0;

  protected:
    ~CaptureView() = default;
};

// The key state runs ahead of the key messages: a key goes down in the state first, and only its
// key-down message, passing the message hook, tells whether it is an extended key. (Wine's key
// state may also lag behind a key-down message that is already being handled.) What the hook has
// seen is kept here for the steps; user-interface thread only.
struct KeyMessageMemory {
    uint32_t keyDownSeen = 0; // the key of the last key-down message since the capture began
    int ticksWaited = 0;      // timer ticks a key found down has waited for its message
};
// A key that sends no key-down message to the dialog is taken after this many ticks anyway.
constexpr int kTicksToWaitForKeyMessage = 2;

// Targets the key button, lifts what chords hold down, forgets key-down messages from before, and
// arms the capture. The caller then writes kChooseKeyText on the button.
void BeginKeyCapture(ProgramState& s, SetupDialogState& d, KeyMessageMemory& memory,
                     int keyButtonId);
// Ends a running capture without writing an entry; the row shows its entry again (the key
// button its name, the check boxes its chord).
void EndKeyCapture(ProgramState& s, const SetupDialogState& d, CaptureView& view);
// One step, run only while the capture is armed; `timerTick` when it runs for the 50 ms timer.
// The key is the highest key down, or else the key of a key-down message the dialog has
// received. While the dialog is the active window, a key found down is taken once a key-down
// message has passed the hook (or after kTicksToWaitForKeyMessage ticks); mouse buttons at once.
// Returns whether the message it ran for is finished (the key was Enter or the left or right
// mouse button): Enter taken while its own message is handled would otherwise press "OK".
bool StepKeyCapture(ProgramState& s, const SetupDialogState& d, KeyMessageMemory& memory,
                    CaptureView& view, bool timerTick);

// The highest virtual key down now, or 0 when none is.
uint32_t FindKeyDown();

// The message hook's view of a message: a key-down leaves the keyboard's extended bit, kept until
// the next key-down, and its key, a modifier with its side.
void NoteKeyMessage(SetupDialogState& d, KeyMessageMemory& memory, uint32_t message,
                    uint64_t wParam, uint64_t lParam);
