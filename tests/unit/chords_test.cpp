#include "engine/chords.h"

#include "engine/held_keys.h"
#include "tests/unit/fixture.h"

namespace {

// Every row: the press cycles while held, a non-zero counter throughout (a release is owed), and
// exactly one release after. Rows 3 to 6 have an interval above the delay, where the held time
// passes through 0; rows 7 and 8 have a polling interval below 1, counted as 1 ms.
TEST_F(EngineTest, Typematic_PressCyclesFollowDelayAndIntervalAndOneReleaseEndsThem) {
    const struct {
        int32_t on, poll, delay, interval;
        int cycles;
        std::vector<int> presses;
    } rows[] = {
        {1, 100, 500, 100, 9, {1, 6, 7, 8, 9}},  {1, 100, 500, 300, 12, {1, 6, 9, 12}},
        {1, 100, 100, 300, 11, {1, 2, 5, 8, 11}}, {1, 3, 8, 12, 11, {1, 3, 7, 11}},
        {1, 100, 200, 400, 12, {1, 3, 7, 11}},   {1, 50, 0, 50, 4, {1, 2, 3, 4}},
        {1, 0, 500, 100, 10, {1}},               {1, -50, 500, 100, 10, {1}},
        {0, 100, 500, 100, 30, {1}},
    };
    UseEntries({{Button(1), 'A'}});
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << "poll " << r.poll << " delay " << r.delay << " interval "
                                        << r.interval << " on " << r.on);
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
        EXPECT_EQ(presses, r.presses);
        EXPECT_EQ(Resolve(0), (Events{"-A"}));
        EXPECT_EQ(Resolve(0), Events{});
    }
}

TEST_F(EngineTest, LongHold_CounterSaturatesInsteadOfWrapping) {
    UseEntries({{Button(1), 'A'}});
    s.typematicOn = 0;
    s.timing.pollingInterval = 1000000;
    for (int c = 0; c < 3000; ++c)
        Step(Button(1));
    EXPECT_EQ(Counter(0), INT32_MAX);
    EXPECT_EQ(TakeEvents(), (Events{"+A"}));
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

// Every row: the key map, what `edit` writes over its first entries, and the steps: buttons held
// for a cycle, or what happens between cycles (lift: ReleaseAllKeys; exit; crash: the release
// after a crash during a cycle; away and back with a reason; max: maxChordSize recomputed;
// count: keyCount set), each with the events that arrive; "@n" lets the system insert only n
// events per call, "@drop" drop what it inserts. At the end nothing is down.
struct Row {
    const char* what;
    std::vector<EngineTest::Entry> map, edited;
    const char* steps;
    int32_t typematicOn = 0;
};
void PrintTo(const Row& r, std::ostream* out) { *out << r.what; }
const InputWord b1 = Button(1), b2 = Button(2), b3 = Button(3), b4 = Button(4);
const Row kRows[] = {
    {"a pair chord fires and releases the single in the same cycle",
     {{b1, 'A'}, {b2, 'B'}, {b1 | b2, 'P'}}, {},
     "b1 +A; b1+b2 +P -A; b1+b2; b1 -P +A; 0 -A"},
    {"chords of equal size both fire and hide their bits from singles",
     {{b1 | b2, 'X'}, {b2 | b3, 'Y'}, {b2, 'S'}}, {},
     "b1+b2+b3 +X +Y; 0 -X -Y"},
    {"buttons 17 to 32 are hidden by larger chords like low buttons",
     {{Button(32), 'S'}, {Button(17) | Button(32), 'P'}, {Button(17), 'T'}}, {},
     "b32 +S; b17+b32 +P -S; b17 -P +T; 0 -T"},
    {"mouse codes use the button table, 3 and the rest the keyboard with scan and extended flag",
     {{b1, 1}, {b2, 2}, {b3, 4}, {b4, 5}, {Button(5), 6}, {Button(6), 3}, {Button(7), 45, 0xD2}},
     {},
     "b1+b2+b3+b4+b5+b6+b7 +m2 +m8 +m32 +m128/1 +m128/2 +3 +45:52ext;"
     "0 -m4 -m16 -m64 -m256/1 -m256/2 -3 -45:52ext"},
    {"a chord larger than maxChordSize waits for its recompute", {{b1, 'A'}},
     {{b1, 'A'}, {b1 | b2, 'P'}}, "edit; count2; b1+b2 +A; max; b1+b2 +P -A; 0 -P"},
    {"ReleaseAllKeys lifts what was pressed, not the edited key; the chords' releases follow",
     {{b1, 45, 0xD2}, {b2, 5}}, {{b1, 'B'}},
     "lift; b1+b2 +45:52ext +m128/1; edit; lift -45:52ext -m256/1; 0 -45:52ext -m256/1"},
    {"a changed entry releases what it pressed before anything is pressed",
     {{b1, 'A'}, {b2, 'B'}, {b3, 'C'}}, {{b2, 'B'}, {b1, 'A'}, {b4, 'D'}},
     "b1+b2+b3 +A +B +C; edit; b1+b2+b3 -A -B -C +B +A; 0 -B -A"},
    {"entries taken out of play release what they hold", {{b1, 'A'}, {b2, 'B'}, {b3, 'C'}},
     {{b1, 'A'}, {b2 | b4, 'B'}}, "b1+b2+b3 +A +B +C; edit; count2; b1+b2+b3 -B -C; 0 -A"},
    {"entries sharing a key hold it until the last ends; a lift and the exit send it once",
     {{b1, 'A'}, {b2, 'A'}, {b3, 'A'}}, {},
     "b1+b2 +A +A; b2; 0 -A; b1+b2 +A +A; lift -A; b2; 0 -A; b2+b3 +A +A; exit -A"},
    {"the exit lifts everything held once and stops events", {{b1, 45, 0xD2}, {b2, 1}, {b3, 6}},
     {}, "b1+b2+b3 +45:52ext +m2 +m128/2; exit -45:52ext -m4 -m256/2; exit; b1"},
    {"the crash release lifts what is held or owed during a cycle and shuts the gate",
     {{b1, 'A'}, {b2, 1}}, {}, "b1+b2 +A +m2; b2 @0; crash -m4 -A; b1"},
    {"a refused press presses again", {{b1, 'A'}}, {}, "b1 @0; b1 +A; 0 -A"},
    {"a refused release goes first in the next cycle", {{b1, 'A'}, {b2, 'B'}}, {},
     "b1 +A; b2 @0; b2 -A +B; 0 -B"},
    {"a call stops at its first refusal", {{b1, 'A'}, {b2, 'B'}}, {},
     "b1+b2 +A @1; b1+b2 +B; 0 -A -B"},
    {"a refused repeat is lost", {{b1 | b3, 'R'}}, {}, "b1+b3 +R; b1+b3 @0; b1+b3; 0 -R", 1},
    {"a refused lift is sent by the next cycle, the chord's own release after it", {{b1, 'A'}},
     {}, "b1 +A; lift @0; b1 -A; 0 -A"},
    {"a refused lift is sent once by the next lift", {{b1, 'A'}}, {},
     "b1 +A; lift @0; lift -A; b1; 0 -A"},
    {"away releases everything and nothing fires; back sends it again and held chords press",
     {{b1, 'A'}, {b2, 'B'}}, {},
     "b1+b2 +A +B; away1 -A -B; away4; b1; back1; back4 -A -B; b1 +A; 0 -A"},
    {"the exit while away releases what was dropped and events never flow again", {{b1, 'A'}},
     {}, "b1 +A; away1 @drop; exit -A; back1; b1"},
};

struct ChordStepsTest : EngineTest, ::testing::WithParamInterface<Row> {};

TEST_P(ChordStepsTest, EventsArriveAsTheRowSaysAndNothingStaysDown) {
    const Row& r = GetParam();
    UseEntries(r.map);
    s.typematicOn = r.typematicOn;
    s.timing.typematicDelay = 100; // repeats at the second held cycle, then every third
    s.timing.typematicInterval = 300;
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
            UseEntries(r.edited, false);
        else if (in == "max")
            RecomputeMaxChordSize(s);
        else if (in.rfind("count", 0) == 0)
            s.keyMap.keyCount = static_cast<int32_t>(number);
        else if (BeginEvents(s)) {
            Step(Inputs(in));
            EndEvents(s);
        }
        EXPECT_EQ(TakeEvents(), step.events) << r.what << ", at " << in;
    }
    EXPECT_FALSE(AnythingInjectedDown()) << r.what;
}

INSTANTIATE_TEST_SUITE_P(Rows, ChordStepsTest, ::testing::ValuesIn(kRows));

} // namespace
