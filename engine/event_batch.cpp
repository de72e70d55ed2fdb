#include "engine/event_batch.h"

#include <algorithm>

#include "engine/key_events.h"

namespace {
constexpr auto kRelaxed = std::memory_order_relaxed;

void Queue(EventBatch& b, const InputEvent& event, const BatchedEvent& what) {
    if (b.count == static_cast<int>(kMaxEventsPerSend))
        SendEvents(b);
    b.events[b.count] = event;
    b.what[b.count] = what;
    ++b.count;
}

void Arrived(EngineMemory& m, const BatchedEvent& e) {
    const HeldPress press = e.press & kPressIdentity;
    uint32_t state = press;
    if (!e.isRelease)
        state |= kKeyDown;
    else if (e.marks & kOwedIfDelivered)
        state |= kReleaseOwed;
    m.keyState[PressedVk(press)].store(state, kRelaxed);
}

void Refused(EngineMemory& m, const BatchedEvent& e) {
    if (!e.isRelease && e.pressedIndex != kNoIndex)
        m.chordCounter[e.pressedIndex].store(0, kRelaxed);
    std::atomic<uint32_t>& state = m.keyState[PressedVk(e.press)];
    if (e.isRelease && (e.marks & kOwedIfRefused) && (state.load(kRelaxed) & kKeyDown))
        state.store(state.load(kRelaxed) | kReleaseOwed, kRelaxed);
}
} // namespace

void QueuePress(EventBatch& b, HeldPress press, int pressedIndex) {
    Queue(b, PressEvent(press), {press, static_cast<int16_t>(pressedIndex), 0, 0});
}

void QueueRelease(EventBatch& b, HeldPress press, uint8_t marks) {
    Queue(b, ReleaseEvent(press), {press, kNoIndex, 1, marks});
}

void QueueMotion(EventBatch& b, const InputEvent& motion) {
    Queue(b, motion, {0, kNoIndex, 0, kMotionOnly});
}

void QueueReleases(EventBatch& b, bool everything, uint8_t marks) {
    HeldPress releases[kKeyCodes];
    const int n = CollectReleases(b.memory, everything, releases);
    for (int k = 0; k < n; ++k)
        QueueRelease(b, releases[k], marks);
}

void SendEvents(EventBatch& b) {
    const uint32_t count = static_cast<uint32_t>(b.count);
    const uint32_t arrived =
        b.refused || count == 0 ? 0 : std::min(SendInputEvents(b.events, count), count);
    for (uint32_t k = 0; k < count; ++k) {
        if (b.what[k].marks & kMotionOnly)
            continue;
        if (k < arrived)
            Arrived(b.memory, b.what[k]);
        else
            Refused(b.memory, b.what[k]);
    }
    b.refused = b.refused || arrived < count;
    b.count = 0;
}

int CollectReleases(const EngineMemory& m, bool everything, HeldPress out[kKeyCodes]) {
    bool held[kKeyCodes] = {};
    int n = 0;
    for (int i = 0; i < kMaxKeys; ++i) {
        if (m.chordCounter[i].load(kRelaxed) == 0)
            continue;
        const HeldPress press = m.heldPress[i].load(kRelaxed) & kPressIdentity;
        if (held[PressedVk(press)])
            continue; // once per key, however many entries hold it
        held[PressedVk(press)] = true;
        if (everything)
            out[n++] = press;
    }
    for (int vk = 0; vk < kKeyCodes; ++vk) {
        const uint32_t state = m.keyState[vk].load(kRelaxed);
        const bool owed = (state & kReleaseOwed) || ((state & kKeyDown) && !held[vk]);
        if (owed && !(everything && held[vk]))
            out[n++] = state & kPressIdentity;
    }
    return n;
}
