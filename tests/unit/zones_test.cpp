#include "engine/zones.h"

#include "tests/unit/engine_fixture.h"

namespace {

constexpr InputWord kXBoth = 0x3;

struct ZonesTest : EngineTest {
    ZonesTest() {
        ResetKeyMapDefaults(s, ScanCodeOfKey);
        s.zoneMode = 1;
        Calibrate(0, 0, 1000); // X: center 500, range 1000
    }
    void Calibrate(int axis, uint32_t min, uint32_t max) {
        s.calibration.center[axis] = (min + max) >> 1;
        s.calibration.range[axis] = max - min;
    }
    // One cycle of zone selection then chord resolution, as the poll loop runs them.
    Events Cycle(uint32_t x, InputWord input = 0, uint32_t y = 0) {
        JoystickSample sample{};
        sample.pos[0] = x;
        sample.pos[1] = y;
        ProduceEvents(s, sample, input);
        return TakeEvents();
    }
};

TEST_F(ZonesTest, SlowSweepTapsEachZoneOnceAndAJumpTapsOnlyTheLast) {
    UseEntries({{kXBoth, 'A'}, {kXBoth, 'B'}, {kXBoth, 'C'}, {kXBoth, 'D'}});
    Events taps;
    for (uint32_t x = 0; x <= 1000; x += 50)
        for (const std::string& e : Cycle(x))
            taps.push_back(e);
    for (int x = 950; x >= 0; x -= 50)
        for (const std::string& e : Cycle(static_cast<uint32_t>(x)))
            taps.push_back(e);
    EXPECT_EQ(taps, (Events{"+A", "-A", "+B", "-B", "+C", "-C", "+D", "-D", "+C", "-C", "+B", "-B",
                            "+A", "-A"}));
    // Zone borders: 249 | 250, 499 | 500, 749 | 750; the maximum 1000 stays in zone 4.
    EXPECT_EQ(Cycle(249), Events{});
    EXPECT_EQ(Cycle(250), (Events{"+B", "-B"}));
    EXPECT_EQ(Cycle(1000), (Events{"+D", "-D"})) << "a jump taps only the zone it lands in";
    EXPECT_EQ(Cycle(750), Events{});
}

TEST_F(ZonesTest, ModifiersAreTappedAlongInKeyMapOrderWithAllDownsFirst) {
    UseEntries({{kXBoth, 16}, {kXBoth, 'A'}, {kXBoth, 161}, {kXBoth, 'B'}});
    // Right Shift (161) is an ordinary key here, so it counts as a zone: A, 161, B.
    EXPECT_EQ(Cycle(999), (Events{"+16", "+B", "-16", "-B"}));
    EXPECT_EQ(Cycle(500), (Events{"+16", "+161", "-16", "-161"}));
}

TEST_F(ZonesTest, TwoModifierEntriesForOneKeyTapItOnce) {
    UseEntries({{kXBoth, 17}, {kXBoth, 'A'}, {kXBoth, 17}, {kXBoth, 'B'}});
    EXPECT_EQ(Cycle(999), (Events{"+17", "+B", "-17", "-B"}));
}

TEST_F(ZonesTest, ParticipantsAreDecidedByTheLowWordAlone) {
    UseEntries({{kXBoth | Button(17), 'A'}, {kXBoth, 'B'}});
    EXPECT_EQ(Cycle(0), (Events{"+A", "-A"})) << "button 17 not held, still a zone";
}

TEST_F(ZonesTest, HeldButtonJoinsBothAxesAndFiresAsAChordOneCycleLater) {
    Calibrate(1, 0, 1000);
    UseEntries({{kXBoth, 'A'}, {kXBoth, 'B'}, {Button(1), 'R'}});
    EXPECT_EQ(Cycle(0), (Events{"+A", "-A"})) << "first cycle taps the zone under the stick";
    EXPECT_EQ(Cycle(0), Events{});

    // Button 1 brings entry R into X (three zones now, still zone 1) and into Y, where it is
    // the only participant: Y taps R, which also takes the button's bit from chord resolution.
    EXPECT_EQ(Cycle(0, Button(1)), (Events{"+R", "-R"}));
    EXPECT_EQ(Cycle(0, Button(1)), Events{"+R"}) << "the chord fires one cycle later";
    EXPECT_EQ(Cycle(0), Events{"-R"})
        << "letting go releases the chord; X, back to two zones, stays in zone 1";
}

TEST_F(ZonesTest, YFindsItsParticipantsBeforeXTakesTheirBits) {
    Calibrate(1, 0, 1000);
    UseEntries({{kXBoth, 'A'}, {Button(2), 'T'}});
    // X has zones A and T: at its maximum it taps T and takes button 2's bit; Y, whose only
    // participant is T, still finds it and taps it too.
    EXPECT_EQ(Cycle(999, Button(2)), (Events{"+T", "-T", "+T", "-T"}));
}

TEST_F(ZonesTest, WithoutARangeEveryPositionIsZoneOne) {
    s.calibration.range[0] = 0;
    s.calibration.center[0] = 0;
    UseEntries({{kXBoth, 'A'}, {kXBoth, 'B'}});
    EXPECT_EQ(Cycle(70000), (Events{"+A", "-A"}));
    EXPECT_EQ(Cycle(5), Events{});
    Calibrate(0, 10, 5); // bounds the wrong way round give a negative range
    EXPECT_EQ(Cycle(0), Events{});
}

TEST_F(ZonesTest, MouseButtonZonesClickTheButton) {
    UseEntries({{kXBoth, 1}, {kXBoth, 5}});
    EXPECT_EQ(Cycle(0), (Events{"+m2", "-m4"}));
    EXPECT_EQ(Cycle(999), (Events{"+m128/1", "-m256/1"}));
}

TEST_F(ZonesTest, OneDirectionEntriesFireAsChordsInCyclesWithoutATap) {
    UseEntries({{kXBoth, 'A'}, {0x1, 37}, {0x2, 39}});
    // X's zones are A, the left and the right arrow. Held X low also makes the left arrow Y's
    // only participant, so both axes tap in the first cycle and take the bit.
    EXPECT_EQ(Cycle(0, 0x1), (Events{"+A", "-A", "+37", "-37"}));
    EXPECT_EQ(Cycle(0, 0x1), Events{"+37"}) << "no tap: the arrow fires as a chord";
    EXPECT_EQ(Cycle(400, 0), (Events{"+37", "-37"}))
        << "zone 2 taps the arrow while its chord holds it: the chord's release lifts it, once";
}

TEST_F(ZonesTest, ATapOfAKeyAChordHoldsLeavesItDownUntilTheChordEnds) {
    UseEntries({{kXBoth, 'A'}, {kXBoth, 'B'}, {Button(17), 'B'}});
    EXPECT_EQ(Cycle(0, Button(17)), (Events{"+A", "-A", "+B"}));
    EXPECT_EQ(Cycle(999, Button(17)), Events{"+B"}) << "B stays down: button 17 still holds it";
    EXPECT_TRUE(TheFakeInput().injectedDown['B']);
    EXPECT_EQ(Cycle(999), Events{"-B"});
}

} // namespace
