#include "core/key_map.h"

#include <algorithm>

namespace {
struct DefaultEntry {
    int index;
    uint32_t maskLow;
    uint8_t vk;
};
constexpr DefaultEntry kDefaults[] = {
    {0, 0x4, 38},     // Y low: VK_UP
    {1, 0x8, 40},     // Y high: VK_DOWN
    {2, 0x1, 37},     // X low: VK_LEFT
    {3, 0x2, 39},     // X high: VK_RIGHT
    {4, 0x10000, 13}, // button 1: VK_RETURN
    {5, 0x20000, 9},  // button 2: VK_TAB
};
} // namespace

void ResetKeyMapDefaults(ProgramState& s, ScanCodeLookup scanCodeOf) {
    s.keyMap.keyCount = kDefaultKeyCount;
    s.typematicOn = 1;
    s.maxChordSize = 1;
    for (KeyMapEntry& shared : s.keyMap.entries) {
        KeyMapEntry e = ReadEntry(shared);
        e.maskLow = 0;
        e.maskHigh = 0;
        e.vk = 0;
        WriteEntry(shared, e);
    }
    for (const DefaultEntry& d : kDefaults) {
        KeyMapEntry e = ReadEntry(s.keyMap.entries[d.index]);
        e.maskLow = d.maskLow;
        e.vk = d.vk;
        WriteEntry(s.keyMap.entries[d.index], e);
    }
    for (KeyMapEntry& shared : s.keyMap.entries) {
        KeyMapEntry e = ReadEntry(shared);
        e.bitCount = ChordMask(e) != 0 ? 1 : 0;
        e.scan = static_cast<uint8_t>(scanCodeOf(e.vk));
        WriteEntry(shared, e);
    }
    s.enabledMask = ~InputWord{0};
    s.zoneMode = 0;
}

void ResetTimingDefaults(ProgramState& s) {
    s.timing.pollingInterval = 100;
    s.timing.typematicDelay = 500;
    s.timing.typematicInterval = 100;
    s.timing.thresholdPercent = 50;
}

int KeyCount(const ProgramState& s) {
    return std::clamp<int>(s.keyMap.keyCount.load(std::memory_order_relaxed), 1, kMaxKeys);
}

void RecomputeMaxChordSize(ProgramState& s) {
    int largest = 1;
    const int count = KeyCount(s);
    for (int i = 0; i < count; ++i)
        largest = std::max<int>(largest, ReadEntry(s.keyMap.entries[i]).bitCount);
    s.maxChordSize = largest;
}

void RecomputeZoneMode(ProgramState& s) {
    bool zone = false;
    const int count = KeyCount(s);
    for (int i = 0; i < count && !zone; ++i) {
        const uint32_t low = ReadEntry(s.keyMap.entries[i]).maskLow;
        zone = (low & (low >> 1) & 5) != 0;
    }
    s.zoneMode = zone ? 1 : 0;
}
