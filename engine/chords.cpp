#include "engine/chords.h"

#include <algorithm>
#include <limits>

#include "core/key_map.h"
#include "engine/key_events.h"

namespace {
constexpr int kLargestBitCount = 255; // bitCount is one byte

constexpr auto kRelaxed = std::memory_order_relaxed;

struct Typematic {
    int64_t step; // milliseconds added per cycle
    bool on;
    int64_t delay;
    int64_t interval;
};

// One look at an entry for the whole cycle, so that an edit on the other thread cannot make an
// index be examined at two sizes, or at none, within one cycle.
struct EntryView {
    InputWord mask;
    HeldPress press;
    int size;
};

// The held time a counter stands for. Only meaningful while the press is in effect.
int64_t HeldTime(int32_t counter, HeldPress record) {
    return int64_t{counter} + ((record & kCounterBiased) ? 1 : 0);
}

// A held counter never reads 0, which would mean "no release owed": a held time of 0 (possible
// when typematicInterval exceeds typematicDelay) is stored as -1 with kCounterBiased, which
// keeps the arithmetic and so the repeat cadence exact. The counter saturates instead of
// wrapping.
void StorePressed(EngineMemory& m, int i, HeldPress press, int64_t heldTime) {
    int32_t counter = static_cast<int32_t>(std::clamp<int64_t>(
        heldTime, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
    HeldPress record = press;
    if (counter == 0) {
        counter = -1;
        record |= kCounterBiased;
    }
    m.heldPress[i].store(record, kRelaxed);
    m.chordCounter[i].store(counter, kRelaxed);
}

// The key or mouse button is lifted only when no other index still holds it: entries may share
// a key, and the system keeps one down state per key, not one per entry.
void ReleaseIndex(EventBatch& b, int i) {
    EngineMemory& m = b.memory;
    if (m.chordCounter[i].load(kRelaxed) == 0)
        return;
    m.chordCounter[i].store(0, kRelaxed);
    const HeldPress press = m.heldPress[i].load(kRelaxed);
    if (!PressOwed(m, press))
        QueueRelease(b, press);
}

// Index i owes nothing, or owes the release of exactly `press`. A new press that does not arrive
// takes the counter back to 0 when the batch is sent, so the chord presses again next cycle.
void ServeHeld(EventBatch& b, int i, HeldPress press, const Typematic& t) {
    EngineMemory& m = b.memory;
    const int32_t counter = m.chordCounter[i].load(kRelaxed);
    const bool inEffect = counter != 0;
    int64_t held = inEffect ? HeldTime(counter, m.heldPress[i].load(kRelaxed)) : 0;
    held += t.step;
    bool fire = !inEffect;
    if (t.on && held > t.delay) {
        held -= t.interval;
        fire = true;
    }
    StorePressed(m, i, press, held);
    if (fire)
        QueuePress(b, press, inEffect ? kNoIndex : i);
}
} // namespace

void ResolveChords(ProgramState& s, CycleWords& words, EventBatch& b) {
    EngineMemory& m = s.engine;
    const int count = KeyCount(s);
    const int largest = std::clamp<int>(s.maxChordSize.load(kRelaxed), 0, kLargestBitCount);
    const Typematic t{CycleMilliseconds(s), s.typematicOn.load(kRelaxed) != 0,
                      s.timing.typematicDelay.load(kRelaxed),
                      s.timing.typematicInterval.load(kRelaxed)};

    EntryView view[kMaxKeys];
    for (int i = 0; i < count; ++i) {
        const KeyMapEntry e = ReadEntry(s.keyMap.entries[i]);
        view[i] = {ChordMask(e), PressOf(e), e.bitCount};
    }

    // Before anything is pressed, lift what the key map no longer produces: an index that is
    // not examined cannot be held (beyond keyCount, an empty chord, larger than maxChordSize),
    // and one whose entry now names another key (reload, reset, reorder) owes the release of
    // what it pressed, not of its new key. Its new key then starts as a new press.
    for (int i = 0; i < kMaxKeys; ++i) {
        const bool examined = i < count && view[i].size >= 1 && view[i].size <= largest;
        if (!examined || (m.heldPress[i].load(kRelaxed) & kPressIdentity) != view[i].press)
            ReleaseIndex(b, i);
    }

    for (int size = largest; size >= 1; --size) {
        for (int i = 0; i < count; ++i) {
            if (view[i].size != size)
                continue;
            const InputWord mask = view[i].mask;
            if (mask != 0 && (mask & words.working) == mask) {
                words.consumed |= mask;
                ServeHeld(b, i, view[i].press, t);
            } else {
                ReleaseIndex(b, i);
            }
        }
        words.working &= ~words.consumed;
    }
}

bool PressOwed(const EngineMemory& m, HeldPress press) {
    for (int i = 0; i < kMaxKeys; ++i)
        if (m.chordCounter[i].load(kRelaxed) != 0 &&
            PressedVk(m.heldPress[i].load(kRelaxed)) == PressedVk(press))
            return true;
    return false;
}
