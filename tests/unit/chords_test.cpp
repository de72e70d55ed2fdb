#include "engine/chords.h"

#include "engine/held_keys.h"
#include "engine/zones.h"
#include "tests/unit/fixture.h"

namespace {

// Rows: press cycles while held (a release owed throughout), one release; interval above delay,
// polling below 1 ms.
TEST_F(EngineTest, Typematic_PressCyclesFollowDelayAndIntervalAndOneReleaseEndsThem) {
    const struct {
        int32_t on, poll, delay, interval;
        int cycles;
        std::vector<int> presses;
    } rows[] = {{1, 100, 500, 100, 9, {1, 6, 7, 8, 9}},
                {1, 100, 500, 300, 12, {1, 6, 9, 12}},
                {1, 100, 100, 300, 11, {1, 2, 5, 8, 11}},
                {1, 3, 8, 12, 11, {1, 3, 7, 11}},
                {1, 100, 200, 400, 12, {1, 3, 7, 11}},
                {1, 50, 0, 50, 4, {1, 2, 3, 4}},
                {1, 0, 500, 100, 10, {1}},
                {1, -50, 500, 100, 10, {1}},
                {0, 100, 500, 100, 30, {1}}};
    UseEntries({{Button(1), 'A'}});
    for (const auto& r : rows) {
        s.typematicOn = r.on;
        s.timing.pollingInterval = r.poll;
        s.timing.typematicDelay = r.delay;
        s.timing.typematicInterval = r.interval;
        std::vector<int> presses;
        for (int c = 1; c <= r.cycles; ++c) {
            const Events sent = Resolve(Button(1));
            if (!sent.empty())
                presses.push_back(c);
            EXPECT_LE(sent.size(), 1u) << "cycle " << c;
            EXPECT_NE(Counter(0), 0) << "a release is owed at cycle " << c;
        }
        EXPECT_EQ(presses, r.presses) << r.poll << " " << r.delay << " " << r.interval << r.on;
        EXPECT_EQ(Resolve(0), (Events{"-A"}));
        EXPECT_EQ(Resolve(0), Events{});
    }
}

TEST_F(EngineTest, CycleLongerThanOneCall_ArrivesInOrderAndStopsAtTheFirstRefusal) {
    for (int i = 0; i < kMaxKeys; ++i)
        SetEntry(i, Button(1), static_cast<uint8_t>(7 + i));
    s.keyMap.keyCount = kMaxKeys;
    fake.input.insertPerCall = 10;
    Step(Button(1));
    EXPECT_EQ(fake.input.calls, 1u);
    fake.input.insertPerCall = UINT32_MAX;
    Step(Button(1));
    EXPECT_EQ(fake.input.calls, 3u) << "the other 118 presses, 64 to a call";
    ASSERT_EQ(fake.input.events.size(), 128u);
    for (int i = 0; i < kMaxKeys; ++i)
        EXPECT_EQ(fake.input.events[i].vk, 7 + i);
}

TEST_F(EngineTest, ZoneMode_OnWhileAnEntryOfKeyCountHoldsBothDirectionsOfXOrY) {
    const std::tuple<InputWord, int32_t, int> rows[] = {
        {0x3, 2, 1}, {0xC | Button(1), 2, 1}, {0x6, 2, 0}, {0x30, 2, 0}, {0x3, 1, 0}};
    for (const auto& [mask, keyCount, zoneMode] : rows) {
        UseEntries({{0x1, 'A'}, {mask, 'B'}});
        s.keyMap.keyCount = keyCount;
        RecomputeZoneMode(s);
        EXPECT_EQ(s.zoneMode, zoneMode) << mask << " of " << keyCount;
    }
}

// A key map as text: "b1+b2:P 3:16 b1:45/d2": inputs, then a letter or a code, the scan in hex.
std::vector<EngineTest::Entry> Map(const std::string& text) {
    std::vector<EngineTest::Entry> entries;
    std::istringstream words(text);
    for (std::string w; words >> w;) {
        const size_t colon = w.find(':'), slash = w.find('/');
        const std::string key = w.substr(colon + 1, slash - colon - 1);
        const int scan =
            slash == std::string::npos ? 0 : std::stoi(w.substr(slash + 1), nullptr, 16);
        entries.push_back({Inputs(w.substr(0, colon)),
                           uint8_t(std::isdigit(key[0]) ? std::stoi(key) : key[0]), uint8_t(scan)});
    }
    return entries;
}

// Rows: key map, edited entries, steps with their events: inputs ("x250+b1": X at 250 of xMin to
// xMax, zone mode), lift, exit, crash, awayN, backN, max, countN; "@n" inserted per call, "@drop".
struct Row {
    const char *map, *edited, *steps;
    int32_t typematicOn = 0;
    uint32_t xMin = 0, xMax = 1000;
};
const Row kRows[] = {
    // Larger chords first, hiding their bits; mouse codes; scan codes with the extended flag.
    {"b1:A b2:B b1+b2:P", "", "b1 +A; b1+b2 +P -A; b1+b2; b1 -P +A; 0 -A"},
    {"b1+b2:X b2+b3:Y b2:S", "", "b1+b2+b3 +X +Y; 0 -X -Y"},
    {"b32:S b17+b32:P b17:T", "", "b32 +S; b17+b32 +P -S; b17 -P +T; 0 -T"},
    {"b1:1 b2:2 b3:4 b4:5 b5:6 b6:3 b7:45/d2", "",
     "b1+b2+b3+b4+b5+b6+b7 +m2 +m8 +m32 +m128/1 +m128/2 +3 +45:52ext;"
     "0 -m4 -m16 -m64 -m256/1 -m256/2 -3 -45:52ext"},
    // Edits: maxChordSize, ReleaseAllKeys, changed entries, entries out of play.
    {"b1:A", "b1:A b1+b2:P", "edit; count2; b1+b2 +A; max; b1+b2 +P -A; 0 -P"},
    {"b1:45/d2 b2:5", "b1:B",
     "lift; b1+b2 +45:52ext +m128/1; edit; lift -45:52ext -m256/1; 0 -45:52ext -m256/1"},
    {"b1:A b2:B b3:C", "b2:B b1:A b4:D",
     "b1+b2+b3 +A +B +C; edit; b1+b2+b3 -A -B -C +B +A; 0 -B -A"},
    {"b1:A b2:B b3:C", "b1:A b2+b4:B", "b1+b2+b3 +A +B +C; edit; count2; b1+b2+b3 -B -C; 0 -A"},
    // A shared key is lifted once, by the last; the exit and the crash release.
    {"b1:A b2:A b3:A", "",
     "b1+b2 +A +A; b2; 0 -A; b1+b2 +A +A; lift -A; b2; 0 -A; b2+b3 +A +A; exit -A"},
    {"b1:45/d2 b2:1 b3:6", "",
     "b1+b2+b3 +45:52ext +m2 +m128/2; exit -45:52ext -m4 -m256/2; exit; b1"},
    {"b1:A b2:1", "", "b1+b2 +A +m2; b2 @0; crash -m4 -A; b1"},
    // Refused presses, releases, repeats and lifts; the session away and back.
    {"b1:A", "", "b1 @0; b1 +A; 0 -A"},
    {"b1:A b2:B", "", "b1 +A; b2 @0; b2 -A +B; 0 -B"},
    {"b1:A b2:B", "", "b1+b2 +A @1; b1+b2 +B; 0 -A -B"},
    {"b1+b3:R", "", "b1+b3 +R; b1+b3 @0; b1+b3; 0 -R", 1},
    {"b1:A", "", "b1 +A; lift @0; b1 -A; 0 -A"},
    {"b1:A", "", "b1 +A; lift @0; lift -A; b1; 0 -A"},
    {"b1:A b2:B", "", "b1+b2 +A +B; away1 -A -B; away4; b1; back1; back4 -A -B; b1 +A; 0 -A"},
    {"b1:A", "", "b1 +A; away1 @drop; exit -A; back1; b1"},
    // Zones: borders, modifiers, chords joining both axes, no range, mouse buttons.
    {"3:A 3:B 3:C 3:D", "",
     "x0 +A -A; x249; x250 +B -B; x499; x500 +C -C; x749; x750 +D -D; x1000; x500 +C -C;"
     "x0 +A -A; x1000 +D -D"},
    {"3:16 3:A 3:161 3:B", "", "x999 +16 +B -16 -B; x500 +16 +161 -16 -161"},
    {"3:17 3:A 3:17 3:B", "", "x999 +17 +B -17 -B"},
    {"3+b17:A 3:B", "", "x0 +A -A"},
    {"3:A 3:B b1:R", "", "x0 +A -A; x0; x0+b1 +R -R; x0+b1 +R; x0 -R"},
    {"3:A b2:T", "", "x999+b2 +T -T +T -T"},
    {"3:A 3:B", "", "x70000 +A -A; x5", 0, 0, 0},
    {"3:A 3:B", "", "x0 +A -A; x999", 0, 10, 5},
    {"3:1 3:5", "", "x0 +m2 -m4; x999 +m128/1 -m256/1"},
    {"3:A 1:37 2:39", "", "x0+1 +A -A +37 -37; x0+1 +37; x400 +37 -37"},
    {"3:A 3:B b17:B", "", "x0+b17 +A -A +B; x999+b17 +B; x999 -B"},
};

struct ChordStepsTest : EngineTest, ::testing::WithParamInterface<Row> {};

TEST_P(ChordStepsTest, EventsArriveAsTheRowSaysAndNothingStaysDown) {
    const Row& r = GetParam();
    UseEntries(Map(r.map));
    s.typematicOn = r.typematicOn;
    s.timing.typematicDelay = 100; // repeats at the second held cycle, then every third
    s.timing.typematicInterval = 300;
    s.zoneMode = r.steps[0] == 'x';
    s.calibration.center[0] = (r.xMin + r.xMax) >> 1;
    s.calibration.range[0] = r.xMax - r.xMin;
    s.calibration.center[1] = 500;
    s.calibration.range[1] = 1000;
    for (const TextStep& step : Steps(r.steps)) {
        const std::string& in = step.input;
        const uint32_t number = static_cast<uint32_t>(in.back() - '0');
        const bool refused = !step.option.empty() && step.option != "@drop";
        fake.input.insertPerCall = refused ? std::stoul(step.option.substr(1)) : UINT32_MAX;
        fake.input.dropInserted = step.option == "@drop";
        if (in == "lift")
            ReleaseAllKeys(s);
        else if (in == "exit")
            ReleaseHeldAtExit(s);
        else if (in == "crash" && BeginEvents(s)) {
            ReleaseHeldAfterCrash(s);
            EndEvents(s);
        } else if (in.rfind("away", 0) == 0)
            PauseForSession(s, number);
        else if (in.rfind("back", 0) == 0)
            ResumeAfterSession(s, number);
        else if (in == "edit")
            UseEntries(Map(r.edited), false);
        else if (in == "max")
            RecomputeMaxChordSize(s);
        else if (in.rfind("count", 0) == 0)
            s.keyMap.keyCount = static_cast<int32_t>(number);
        else if (BeginEvents(s)) {
            JoystickSample sample{};
            const size_t plus = in.find('+');
            if (in[0] == 'x')
                sample.pos[0] = uint32_t(std::stoul(in.substr(1, plus - 1)));
            const bool onlyX = in[0] == 'x' && plus == std::string::npos;
            ProduceEvents(s, sample, onlyX ? 0 : Inputs(in[0] == 'x' ? in.substr(plus + 1) : in));
            EndEvents(s);
        }
        EXPECT_EQ(TakeEvents(), step.events) << r.steps << ", at " << in;
    }
    EXPECT_FALSE(AnythingInjectedDown()) << r.steps;
}

INSTANTIATE_TEST_SUITE_P(Rows, ChordStepsTest, ::testing::ValuesIn(kRows));

} // namespace
