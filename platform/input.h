#pragma once
// Synthetic keyboard and mouse events, and the keyboard queries.
#include <cstdint>

// Key event flags
constexpr uint32_t kKeyEventExtended = 0x0001;
constexpr uint32_t kKeyEventKeyUp = 0x0002;

// Mouse event flags and X button data
constexpr uint32_t kMouseMove = 0x0001; // relative motion by dx, dy
constexpr uint32_t kMouseLeftDown = 0x0002;
constexpr uint32_t kMouseLeftUp = 0x0004;
constexpr uint32_t kMouseRightDown = 0x0008;
constexpr uint32_t kMouseRightUp = 0x0010;
constexpr uint32_t kMouseMiddleDown = 0x0020;
constexpr uint32_t kMouseMiddleUp = 0x0040;
constexpr uint32_t kMouseXDown = 0x0080;
constexpr uint32_t kMouseXUp = 0x0100;
constexpr uint32_t kMouseWheel = 0x0800; // data: signed steps, kWheelDelta to a notch
constexpr int32_t kWheelDelta = 120;
constexpr uint32_t kXButton1 = 1;
constexpr uint32_t kXButton2 = 2;

// One synthetic event, with no time stamp and extra information 0. A mouse event's dx and dy are
// relative motion and its data the X button or the wheel's signed steps, as the system takes
// them; buttons alone carry no motion.
struct InputEvent {
    enum Kind : uint8_t { Key, Mouse };
    Kind kind;
    uint8_t vk;     // Key: virtual key
    uint8_t scan;   // Key: scan code, the extended flag apart
    uint32_t flags; // Key: kKeyEvent*; Mouse: kMouse*
    uint32_t data;  // Mouse
    int32_t dx;     // Mouse
    int32_t dy;     // Mouse
};

// At most this many events go to the system in one call.
constexpr uint32_t kMaxEventsPerSend = 64;

// SendInput: inserts the events in order into the input stream and stops at the first one it
// cannot insert (another desktop has the input, another thread blocks input). Returns how many
// were inserted. Events dropped by the system after insertion are not seen here.
uint32_t SendInputEvents(const InputEvent* events, uint32_t count);

// MapVirtualKeyA with map type 0 (virtual key to scan code).
uint32_t ScanCodeOfKey(uint32_t vk);
// GetAsyncKeyState(vk) & 0x8000.
bool IsKeyDownNow(uint32_t vk);
