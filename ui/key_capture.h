#pragma once
// Key capture: a click on a row's key button arms it; while it runs, every message the setup
// dialog receives first takes one capture step, which shows the held joystick inputs on the
// row's check boxes and ends at the first key or mouse button found down, writing the row's
// entry. The dialog supplies the controls through CaptureView.
#include <cstdint>

#include "app/program_state.h"

constexpr char kChooseKeyText[] = "-- Choose key --";
constexpr uint32_t kHighestCapturedKey = 246; // the key search runs from here down to 1

// Writing a control makes the dialog receive messages at once, so each call may run a nested
// capture step.
class CaptureView {
  public:
    // Sets a row check box; an identifier without a control is skipped.
    virtual void ShowChordCheck(int controlId, bool checked) = 0;
    virtual void ShowKeyName(uint8_t vk, uint8_t scan, int keyButtonId) = 0;
    // A key-down message still waits in the dialog's queue. The key state runs ahead of the
    // messages, so a key may be found down before its own message has shown the message hook
    // whether it is an extended key.
    virtual bool KeyDownWaiting() = 0;

  protected:
    ~CaptureView() = default;
};

// Targets the key button, lifts what chords hold down, and arms the capture. The caller then
// writes kChooseKeyText on the button.
void BeginKeyCapture(ProgramState& s, int keyButtonId);
// Ends a running capture without writing an entry; the key button gets its entry's name back.
void EndKeyCapture(ProgramState& s, CaptureView& view);
// One step, run only while the capture is armed. A key found down while a key-down message
// still waits is taken by a later step, once that message has passed the hook. Returns whether
// the message it ran for is finished (the key was Enter or the left or right mouse button).
bool StepKeyCapture(ProgramState& s, CaptureView& view);

// The highest virtual key down now, or 0 when none is.
uint32_t FindKeyDown();

// The message hook's view of a key-down message: the keyboard's extended bit is kept until the
// next key-down.
void NoteKeyMessage(ProgramState& s, uint32_t message, uint64_t lParam);
