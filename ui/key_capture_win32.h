#pragma once
// Key capture in the setup dialog: the Win32 side of ui/key_capture.h.
#include <windows.h>

#include <cstdint>

#include "ui/key_capture.h"

// A click on key button `keyButtonId`.
void StartKeyCapture(HWND dialog, int keyButtonId);
// Runs first for every message while the capture is armed; true when the message is finished.
bool CaptureStep(HWND dialog, bool timerTick);

// The row check boxes and key buttons of one dialog, as key capture writes them.
class DialogCaptureView final : public CaptureView {
  public:
    explicit DialogCaptureView(HWND dialog) : dialog_(dialog) {}
    void ShowChordCheck(int controlId, bool checked) override;
    void ShowKeyName(uint8_t vk, uint8_t scan, int keyButtonId) override;
    bool KeyDownWaiting() override;

  private:
    HWND dialog_;
};
