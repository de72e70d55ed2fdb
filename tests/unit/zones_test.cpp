#include "engine/zones.h"

#include "tests/unit/fixture.h"

namespace {

TEST_F(EngineTest, ZoneMode_OnWhileAnEntryOfKeyCountHoldsBothDirectionsOfXOrY) {
    const struct {
        InputWord mask;
        int32_t keyCount;
        int zoneMode;
    } rows[] = {{0x3, 2, 1}, {0xC | Button(1), 2, 1}, {0x6, 2, 0}, {0x30, 2, 0}, {0x3, 1, 0}};
    for (const auto& row : rows) {
        UseEntries({{0x1, 'A'}, {row.mask, 'B'}});
        s.keyMap.keyCount = row.keyCount;
        RecomputeZoneMode(s);
        EXPECT_EQ(s.zoneMode, row.zoneMode) << row.mask << " of " << row.keyCount;
    }
}

constexpr InputWord kXBoth = 0x3;

// Every row: the key map, then steps "x events..." with X at x (Y at its minimum) and, after
// '@', the inputs held besides; X spans 0 to 1000 unless the row says otherwise.
struct ZoneRow {
    const char* what;
    std::vector<EngineTest::Entry> map;
    const char* steps;
    uint32_t xMin = 0, xMax = 1000;
};
void PrintTo(const ZoneRow& r, std::ostream* out) {
    *out << r.what;
}

const ZoneRow kZoneRows[] = {
    {"a slow sweep taps each zone once; borders at quarters, the maximum in zone 4",
     {{kXBoth, 'A'}, {kXBoth, 'B'}, {kXBoth, 'C'}, {kXBoth, 'D'}},
     "0 +A -A; 249; 250 +B -B; 499; 500 +C -C; 749; 750 +D -D; 1000; 500 +C -C; 0 +A -A;"
     "1000 +D -D"},
    {"modifiers are tapped along in key map order with all downs first; right Shift is a zone",
     {{kXBoth, 16}, {kXBoth, 'A'}, {kXBoth, 161}, {kXBoth, 'B'}},
     "999 +16 +B -16 -B; 500 +16 +161 -16 -161"},
    {"two modifier entries for one key tap it once",
     {{kXBoth, 17}, {kXBoth, 'A'}, {kXBoth, 17}, {kXBoth, 'B'}},
     "999 +17 +B -17 -B"},
    {"participants are decided by the low word alone",
     {{kXBoth | Button(17), 'A'}, {kXBoth, 'B'}},
     "0 +A -A"},
    // Button 1 brings entry R into X (three zones, still zone 1) and into Y, where it is the only
    // participant: Y taps R, which also takes the button's bit from chord resolution.
    {"a held button joins both axes and fires as a chord one cycle later",
     {{kXBoth, 'A'}, {kXBoth, 'B'}, {Button(1), 'R'}},
     "0 +A -A; 0; 0 @b1 +R -R; 0 @b1 +R; 0 -R"},
    {"Y finds its participants before X takes their bits",
     {{kXBoth, 'A'}, {Button(2), 'T'}},
     "999 @b2 +T -T +T -T"},
    {"without a range every position is zone 1",
     {{kXBoth, 'A'}, {kXBoth, 'B'}},
     "70000 +A -A; 5",
     0,
     0},
    {"bounds the wrong way round are no range",
     {{kXBoth, 'A'}, {kXBoth, 'B'}},
     "0 +A -A; 999",
     10,
     5},
    {"mouse button zones click the button",
     {{kXBoth, 1}, {kXBoth, 5}},
     "0 +m2 -m4; 999 +m128/1 -m256/1"},
    // X's zones are A and the two arrows; held X low also makes the left arrow Y's only
    // participant, so both axes tap in the first cycle and take the bit.
    {"one-direction entries fire as chords in cycles without a tap, released once",
     {{kXBoth, 'A'}, {0x1, 37}, {0x2, 39}},
     "0 @1 +A -A +37 -37; 0 @1 +37; 400 +37 -37"},
    {"a tap of a key a chord holds leaves it down until the chord ends",
     {{kXBoth, 'A'}, {kXBoth, 'B'}, {Button(17), 'B'}},
     "0 @b17 +A -A +B; 999 @b17 +B; 999 -B"},
};

struct ZonesTest : EngineTest, ::testing::WithParamInterface<ZoneRow> {};

TEST_P(ZonesTest, TapsArriveAsTheRowSays) {
    const ZoneRow& r = GetParam();
    UseEntries(r.map);
    s.zoneMode = 1;
    s.calibration.center[0] = (r.xMin + r.xMax) >> 1;
    s.calibration.range[0] = r.xMax - r.xMin;
    s.calibration.center[1] = 500;
    s.calibration.range[1] = 1000;
    for (const TextStep& step : Steps(r.steps)) {
        JoystickSample sample{};
        sample.pos[0] = static_cast<uint32_t>(std::stoul(step.input));
        ProduceEvents(s, sample, step.option.empty() ? 0 : Inputs(step.option.substr(1)));
        EXPECT_EQ(TakeEvents(), step.events) << r.what << ", at " << step.input << step.option;
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, ZonesTest, ::testing::ValuesIn(kZoneRows));

} // namespace
