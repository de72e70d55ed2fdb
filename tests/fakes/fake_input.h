#pragma once
// A keyboard and mouse that behave like the system's: events that arrive are recorded in order
// and applied to a key-state array, so tests can ask both "what was sent" and "what is down now".
// Like the system it can refuse events, or drop them after reporting them inserted.
#include <cstdint>
#include <vector>

#include "platform/input.h"

using InjectedEvent = InputEvent;

// Mouse buttons in the order left, right, middle, first extra, second extra.
constexpr int kFakeMouseButtons = 5;

struct FakeInput {
    std::vector<InjectedEvent> events;  // arrived
    std::vector<InjectedEvent> refused; // not inserted
    bool physicalDown[256] = {};        // keys the "user" holds, seen by IsKeyDownNow
    bool injectedDown[256] = {};        // keys down by injected events, by virtual key
    bool mouseDown[kFakeMouseButtons] = {};
    // Each call inserts at most this many events (0: another desktop has the input).
    uint32_t insertPerCall = UINT32_MAX;
    bool dropInserted = false; // inserted events never arrive, as on the secure desktop
    uint32_t calls = 0;
};

FakeInput& TheFakeInput();
void ResetFakeInput();
// Some key or mouse button is down by injected events.
bool AnythingInjectedDown();
