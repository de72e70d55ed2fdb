#include "core/key_map.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/input.h"
#include "tests/fakes/fake_input.h"

namespace {

struct KeyMapTest : ::testing::Test {
    std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
    ProgramState& s = *state;
    KeyMapEntry Entry(int i) { return ReadEntry(s.keyMap.entries[i]); }
    void SetEntry(int i, InputWord mask, uint8_t vk) {
        KeyMapEntry e = Entry(i);
        SetChordMask(e, mask);
        e.vk = vk;
        e.bitCount = static_cast<uint8_t>(CountInputBits(mask));
        WriteEntry(s.keyMap.entries[i], e);
    }
};

TEST_F(KeyMapTest, Defaults_ArrowsReturnAndTabWithNonExtendedScanCodes) {
    ResetKeyMapDefaults(s, ScanCodeOfKey);
    struct Expected {
        uint32_t mask;
        uint8_t vk;
        uint8_t scan;
    };
    const Expected expected[10] = {{0x4, 38, 0x48},     {0x8, 40, 0x50}, {0x1, 37, 0x4B},
                                   {0x2, 39, 0x4D},     {0x10000, 13, 0x1C},
                                   {0x20000, 9, 0x0F},  {0, 0, 0},       {0, 0, 0},
                                   {0, 0, 0},           {0, 0, 0}};
    EXPECT_EQ(s.keyMap.keyCount, 10);
    for (int i = 0; i < 10; ++i) {
        SCOPED_TRACE(i);
        const KeyMapEntry e = Entry(i);
        EXPECT_EQ(e.maskLow, expected[i].mask);
        EXPECT_EQ(e.maskHigh, 0u);
        EXPECT_EQ(e.vk, expected[i].vk);
        EXPECT_EQ(e.scan, expected[i].scan);
        EXPECT_EQ(e.scan & 0x80, 0) << "defaults never carry the extended flag";
        EXPECT_EQ(e.bitCount, expected[i].mask ? 1 : 0);
    }
    EXPECT_EQ(s.enabledMask, ~InputWord{0});
    EXPECT_EQ(s.zoneMode, 0);
    EXPECT_EQ(s.maxChordSize, 1);
}

TEST_F(KeyMapTest, Reset_ClearsEntriesBeyondTenButKeepsReservedByteTimingAndName) {
    for (int i = 0; i < kMaxKeys; ++i)
        SetEntry(i, InputWord{0x30000} | (InputWord{1} << 40), 65);
    KeyMapEntry e = Entry(127);
    e.reserved = 0x5A;
    WriteEntry(s.keyMap.entries[127], e);
    s.keyMap.keyCount = 128;
    s.timing.pollingInterval = 7;
    s.joystickId = 3;
    s.engine.chordCounter[5] = 300;

    ResetKeyMapDefaults(s, ScanCodeOfKey);

    for (int i = 10; i < kMaxKeys; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(ChordMask(Entry(i)), 0u);
        EXPECT_EQ(Entry(i).vk, 0);
        EXPECT_EQ(Entry(i).bitCount, 0);
    }
    EXPECT_EQ(Entry(127).reserved, 0x5A);
    EXPECT_EQ(s.timing.pollingInterval, 7);
    EXPECT_EQ(s.joystickId, 3u);
    EXPECT_EQ(s.engine.chordCounter[5], 300);
}

TEST_F(KeyMapTest, LoweringKeyCountKeepsEntriesForWhenItIsRaisedAgain) {
    ResetKeyMapDefaults(s, ScanCodeOfKey);
    s.keyMap.keyCount = 3;
    EXPECT_EQ(Entry(4).vk, 13);
    s.keyMap.keyCount = 10;
    EXPECT_EQ(Entry(5).vk, 9);
}

TEST_F(KeyMapTest, MaxChordSize_LooksOnlyAtTheFirstKeyCountEntries) {
    ResetKeyMapDefaults(s, ScanCodeOfKey);
    SetEntry(2, 0x70000, 65); // three buttons
    SetEntry(12, 0xF0000, 66); // four, beyond keyCount
    RecomputeMaxChordSize(s);
    EXPECT_EQ(s.maxChordSize, 3);
    s.keyMap.keyCount = 2;
    RecomputeMaxChordSize(s);
    EXPECT_EQ(s.maxChordSize, 1);
    for (int i = 0; i < 10; ++i)
        SetEntry(i, 0, 0);
    s.keyMap.keyCount = 10;
    RecomputeMaxChordSize(s);
    EXPECT_EQ(s.maxChordSize, 1) << "never below 1";
}

TEST_F(KeyMapTest, ZoneMode_BothDirectionsOfXOrYInMaskLowOnly) {
    ResetKeyMapDefaults(s, ScanCodeOfKey);
    RecomputeZoneMode(s);
    EXPECT_EQ(s.zoneMode, 0);

    SetEntry(7, 0x3, 65); // X low and high
    RecomputeZoneMode(s);
    EXPECT_EQ(s.zoneMode, 1);

    SetEntry(7, 0xC | 0x10000, 65); // Y low and high plus a button
    RecomputeZoneMode(s);
    EXPECT_EQ(s.zoneMode, 1);

    SetEntry(7, 0x6, 65); // X high and Y low: not one axis
    RecomputeZoneMode(s);
    EXPECT_EQ(s.zoneMode, 0);

    SetEntry(7, 0x30, 65); // both directions of Z do not count
    RecomputeZoneMode(s);
    EXPECT_EQ(s.zoneMode, 0);

    SetEntry(12, 0x3, 65); // beyond keyCount
    RecomputeZoneMode(s);
    EXPECT_EQ(s.zoneMode, 0);
}

TEST_F(KeyMapTest, TimingDefaults) {
    s.timing.pollingInterval = 3;
    s.timing.typematicDelay = 0;
    s.timing.typematicInterval = 9;
    s.timing.thresholdPercent = 95;
    ResetTimingDefaults(s);
    EXPECT_EQ(s.timing.pollingInterval, 100);
    EXPECT_EQ(s.timing.typematicDelay, 500);
    EXPECT_EQ(s.timing.typematicInterval, 100);
    EXPECT_EQ(s.timing.thresholdPercent, 50);
}

} // namespace
