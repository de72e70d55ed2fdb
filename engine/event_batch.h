#pragma once
// The events of one cycle (or of one lift on the user-interface thread), collected in order and
// given to the system together, and what the engine learns from how many of them arrived: a
// press that did not arrive holds nothing, a release that did not arrive is still owed.
#include "core/program_state.h"
#include "platform/input.h"

// EngineMemory::keyState, one per key code: bits 0..15 the press or release the system was last
// given for that code (as HeldPress), and these two flags.
constexpr uint32_t kKeyDown = 0x10000;     // a press arrived, and no release since
constexpr uint32_t kReleaseOwed = 0x20000; // send a release although no chord's end asks for it

// What a release does to the owed flag beyond lifting the key.
constexpr uint8_t kOwedIfRefused = 1;   // a lift while a chord still holds the key
constexpr uint8_t kOwedIfDelivered = 2; // it may have been dropped after it arrived
// Pointer motion or a wheel turn: it holds nothing, and nothing is owed when it does not arrive.
constexpr uint8_t kMotionOnly = 0x80;

constexpr int kNoIndex = -1;

struct BatchedEvent {
    HeldPress press;
    int16_t pressedIndex; // a key map index whose new press this is, else kNoIndex
    uint8_t isRelease;
    uint8_t marks;
};

// Lives on the stack of whoever holds the event gate; nothing in it is shared.
struct EventBatch {
    explicit EventBatch(EngineMemory& m) : memory(m) {}
    EngineMemory& memory;
    int count = 0;
    bool refused = false; // once refused, nothing later in the batch is given to the system
    InputEvent events[kMaxEventsPerSend];
    BatchedEvent what[kMaxEventsPerSend];
};

// A full batch is sent before the event is added, so the order always holds.
void QueuePress(EventBatch& b, HeldPress press, int pressedIndex = kNoIndex);
void QueueRelease(EventBatch& b, HeldPress press, uint8_t marks = 0);
void QueueMotion(EventBatch& b, const InputEvent& motion);
// One release for every key that needs one: with `everything`, every key a chord holds, a press
// put down or a release is owed for; otherwise only the owed ones (down with no chord holding
// it, or marked owed). Chord-held keys come first, in index order.
void QueueReleases(EventBatch& b, bool everything, uint8_t marks = 0);
// Gives the queued events to the system and records what arrived.
void SendEvents(EventBatch& b);

// The releases QueueReleases would queue, into `out`; returns their number. Reads only.
int CollectReleases(const EngineMemory& m, bool everything, HeldPress out[kKeyCodes]);
