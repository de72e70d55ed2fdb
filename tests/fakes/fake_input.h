#pragma once
// A keyboard and mouse that behave like the system's: injected events are recorded in order and
// applied to a key-state array, so tests can ask both "what was sent" and "what is down now".
#include <cstdint>
#include <vector>

struct InjectedEvent {
    enum Kind { Key, Mouse } kind;
    uint8_t vk;     // Key: virtual key
    uint8_t scan;   // Key: scan code as passed (without the extended bit)
    uint32_t flags; // Key: keybd_event flags; Mouse: mouse_event flags
    uint32_t data;  // Mouse: X button data
};

// Mouse buttons in the order left, right, middle, first extra, second extra.
constexpr int kFakeMouseButtons = 5;

struct FakeInput {
    std::vector<InjectedEvent> events;
    bool physicalDown[256] = {}; // keys the "user" holds, seen by IsKeyDownNow
    bool injectedDown[256] = {}; // keys down by injected events, by virtual key
    bool mouseDown[kFakeMouseButtons] = {};
};

FakeInput& TheFakeInput();
void ResetFakeInput();
// Some key or mouse button is down by injected events.
bool AnythingInjectedDown();
