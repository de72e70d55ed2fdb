#include "engine/zones.h"

#include <algorithm>

#include "core/key_map.h"
#include "engine/chords.h"
#include "engine/key_events.h"

namespace {
constexpr auto kRelaxed = std::memory_order_relaxed;

struct Axis {
    int index;         // 0 X, 1 Y
    uint32_t bothBits; // its two direction bits
};
constexpr Axis kZoneAxes[] = {{0, 0x3}, {1, 0xC}};

// Modifiers are tapped along with every selection and are not zones themselves.
bool IsZoneModifier(uint8_t vk) {
    return vk == 16 || vk == 17 || vk == 18 || vk == 160 || vk == 164;
}

struct Participant {
    HeldPress press;
    InputWord mask;
    bool modifier;
};

// Zone 1 at the axis's minimum end up to `count` at its maximum end. Without a usable range (no
// calibration yet, equal bounds) every position is zone 1.
int32_t ZoneOf(uint32_t position, uint32_t center, uint32_t range, int count) {
    const int32_t signedRange = static_cast<int32_t>(range);
    if (signedRange <= 0)
        return 1;
    const int32_t zpos = static_cast<int32_t>(position - center) + signedRange / 2;
    const int64_t c = std::max<int64_t>(std::min<int64_t>(zpos, signedRange - 1), 0);
    return static_cast<int32_t>(c * count / signedRange + 1);
}

// Two modifier entries may name the same key; the tap presses and lifts it once.
bool EarlierModifierTaps(const Participant* participants, int p) {
    for (int q = 0; q < p; ++q)
        if (participants[q].modifier &&
            PressedVk(participants[q].press) == PressedVk(participants[p].press))
            return true;
    return false;
}

// A key that a chord holds stays down through a tap of it: the chord's own release lifts it.
void TapSelection(EventBatch& b, const Participant* participants, int found, int32_t sel,
                  bool down) {
    int number = 0;
    for (int p = 0; p < found; ++p) {
        const bool chosen = !participants[p].modifier && ++number == sel;
        const bool modifier = participants[p].modifier && !EarlierModifierTaps(participants, p);
        if (modifier || chosen) {
            if (down)
                QueuePress(b, participants[p].press);
            else if (!PressOwed(b.memory, participants[p].press))
                QueueRelease(b, participants[p].press);
        }
    }
}
} // namespace

void SelectAxisZones(ProgramState& s, const JoystickSample& sample, CycleWords& words,
                     EventBatch& b) {
    const int count = KeyCount(s);
    KeyMapEntry entries[kMaxKeys];
    for (int i = 0; i < count; ++i)
        entries[i] = ReadEntry(s.keyMap.entries[i]);
    // Both axes find their participants in the word as it came in; it loses the tapped bits only
    // after both are done.
    const uint32_t activeLow = static_cast<uint32_t>(words.working);

    for (const Axis& axis : kZoneAxes) {
        if ((axis.bothBits & words.pointerTaken) != 0)
            continue; // the pointer's or the wheel's
        const uint32_t inputs = axis.bothBits | activeLow;
        Participant participants[kMaxKeys];
        int found = 0;
        int zones = 0;
        for (int i = 0; i < count; ++i) {
            const KeyMapEntry& e = entries[i];
            if (e.maskLow == 0 || (e.maskLow & ~inputs) != 0)
                continue;
            const bool modifier = IsZoneModifier(e.vk);
            participants[found++] = {PressOf(e), ChordMask(e), modifier};
            zones += modifier ? 0 : 1;
        }
        const int32_t sel =
            ZoneOf(sample.pos[axis.index], s.calibration.center[axis.index].load(kRelaxed),
                   s.calibration.range[axis.index].load(kRelaxed), zones);
        std::atomic<int32_t>& last = s.engine.lastZoneSelection[axis.index];
        if (found == 0 || sel == last.load(kRelaxed))
            continue;
        TapSelection(b, participants, found, sel, true);
        TapSelection(b, participants, found, sel, false);
        last.store(sel, kRelaxed);
        for (int p = 0; p < found; ++p)
            words.consumed |= participants[p].mask;
    }
    words.working &= ~words.consumed;
}
