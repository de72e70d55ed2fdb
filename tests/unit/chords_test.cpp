#include "engine/chords.h"

#include "engine/held_keys.h"
#include "tests/unit/engine_fixture.h"

namespace {

struct ChordsTest : EngineTest {
    ChordsTest() { s.typematicOn = 0; }
};

TEST_F(ChordsTest, PairChord_ReleasesSingleInSameCycle) {
    UseEntries({{Button(1), 'A'}, {Button(2), 'B'}, {Button(1) | Button(2), 'P'}});

    EXPECT_EQ(Resolve(Button(1)), (Events{"+A"}));
    EXPECT_EQ(Resolve(Button(1) | Button(2)), (Events{"+P", "-A"}));
    EXPECT_EQ(Resolve(Button(1) | Button(2)), Events{});
    EXPECT_EQ(Resolve(Button(1)), (Events{"-P", "+A"}));
    EXPECT_EQ(Resolve(0), (Events{"-A"}));
}

TEST_F(ChordsTest, EqualSizeChords_BothFireAndHideTheirBitsFromSingles) {
    UseEntries({{Button(1) | Button(2), 'X'}, {Button(2) | Button(3), 'Y'}, {Button(2), 'S'}});
    EXPECT_EQ(Resolve(Button(1) | Button(2) | Button(3)), (Events{"+X", "+Y"}));
}

TEST_F(ChordsTest, ButtonsSeventeenToThirtyTwo_HiddenByLargerChordsLikeLowButtons) {
    UseEntries({{Button(32), 'S'}, {Button(17) | Button(32), 'P'}, {Button(17), 'T'}});
    EXPECT_EQ(Resolve(Button(32)), (Events{"+S"}));
    EXPECT_EQ(Resolve(Button(17) | Button(32)), (Events{"+P", "-S"}));
    EXPECT_EQ(Resolve(Button(17)), (Events{"-P", "+T"}));
}

// Every row: the press cycles while held, a non-zero counter throughout (a release is owed), and
// exactly one release after. Rows 3 to 6 have an interval above the delay, where the held time
// passes through 0; rows 7 and 8 have a polling interval below 1, counted as 1 ms.
TEST_F(ChordsTest, Typematic_PressCyclesFollowDelayAndIntervalAndOneReleaseEndsThem) {
    struct Row {
        int32_t on, poll, delay, interval;
        int cycles;
        std::vector<int> presses;
    };
    const Row rows[] = {
        {1, 100, 500, 100, 9, {1, 6, 7, 8, 9}},
        {1, 100, 500, 300, 12, {1, 6, 9, 12}},
        {1, 100, 100, 300, 11, {1, 2, 5, 8, 11}},
        {1, 3, 8, 12, 11, {1, 3, 7, 11}},
        {1, 100, 200, 400, 12, {1, 3, 7, 11}},
        {1, 50, 0, 50, 4, {1, 2, 3, 4}},
        {1, 0, 500, 100, 10, {1}},
        {1, -50, 500, 100, 10, {1}},
        {0, 100, 500, 100, 30, {1}},
    };
    UseEntries({{Button(1), 'A'}});
    for (const Row& r : rows) {
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

TEST_F(ChordsTest, LongHold_CounterSaturatesInsteadOfWrapping) {
    UseEntries({{Button(1), 'A'}});
    s.timing.pollingInterval = 1000000;
    for (int c = 0; c < 3000; ++c)
        Step(Button(1));
    EXPECT_EQ(Counter(0), INT32_MAX);
    EXPECT_EQ(TakeEvents(), (Events{"+A"}));
}

TEST_F(ChordsTest, MouseCodes_UseTheButtonTable_OtherCodesIncludingThreeUseTheKeyboard) {
    UseEntries({{Button(1), 1},
                {Button(2), 2},
                {Button(3), 4},
                {Button(4), 5},
                {Button(5), 6},
                {Button(6), 3}});
    SetEntry(6, Button(7), 45, 0xD2); // Insert: scan 0x52 with the extended bit
    s.keyMap.keyCount = 7;
    const InputWord all = (Button(8) - 1) & ~(Button(1) - 1);

    EXPECT_EQ(Resolve(all), (Events{"+m2", "+m8", "+m32", "+m128/1", "+m128/2", "+3", "+45 ext"}));
    EXPECT_EQ(Resolve(0), (Events{"-m4", "-m16", "-m64", "-m256/1", "-m256/2", "-3", "-45 ext"}));
    Step(Button(7));
    EXPECT_EQ(TheFakeInput().events[0].scan, 0x52) << "scan code without the extended bit";
}

TEST_F(ChordsTest, ChordsThatCannotBeExamined_NeverFire) {
    UseEntries({{Button(1), 'A'}});
    SetEntry(1, Button(1) | Button(2), 'P'); // larger than maxChordSize until it is recomputed
    KeyMapEntry broken{};
    broken.bitCount = 1; // a zero mask claiming one input, as a damaged stored map might
    broken.vk = 'Z';
    WriteEntry(s.keyMap.entries[2], broken);
    s.keyMap.keyCount = 3;

    EXPECT_EQ(Resolve(Button(1) | Button(2)), (Events{"+A"}));
    RecomputeMaxChordSize(s);
    EXPECT_EQ(Resolve(Button(1) | Button(2)), (Events{"+P", "-A"}));
}

TEST_F(ChordsTest, ReleaseAllKeys_LiftsWhatWasPressed_ChordReleaseStillFollows) {
    UseEntries({{Button(1), 'A'}, {Button(2), 5}});
    SetEntry(0, Button(1), 45, 0xD2);
    ReleaseAllKeys(s);
    EXPECT_EQ(TakeEvents(), Events{}) << "nothing held, nothing sent";

    Resolve(Button(1) | Button(2));
    const int32_t counter = Counter(0);
    SetEntry(0, Button(1), 'B'); // edited since: the release still goes to what was pressed
    ReleaseAllKeys(s);

    EXPECT_EQ(TakeEvents(), (Events{"-45 ext", "-m256/1"}));
    EXPECT_FALSE(AnythingInjectedDown());
    EXPECT_EQ(Counter(0), counter);
    EXPECT_EQ(Resolve(0), (Events{"-45 ext", "-m256/1"})) << "the chords' own releases";
}

TEST_F(ChordsTest, ChangedEntry_ReleasesWhatItPressedBeforeAnythingIsPressed) {
    UseEntries({{Button(1), 'A'}, {Button(2), 'B'}, {Button(3), 'C'}});
    Resolve(Button(1) | Button(2) | Button(3));

    SetEntry(0, Button(2), 'B'); // rows 0 and 1 swapped
    SetEntry(1, Button(1), 'A');
    SetEntry(2, Button(4), 'D'); // row 2 replaced by a chord not held

    EXPECT_EQ(Resolve(Button(1) | Button(2) | Button(3)), (Events{"-A", "-B", "-C", "+B", "+A"}));
    EXPECT_TRUE(TheFakeInput().injectedDown['A'] && TheFakeInput().injectedDown['B']);
    Resolve(0);
    EXPECT_FALSE(AnythingInjectedDown());
}

TEST_F(ChordsTest, EntriesTakenOutOfPlay_ReleaseWhatTheyHold) {
    UseEntries({{Button(1), 'A'}, {Button(2), 'B'}, {Button(3), 'C'}});
    Resolve(Button(1) | Button(2) | Button(3));

    s.keyMap.keyCount = 2;                   // row removed
    SetEntry(1, Button(2) | Button(4), 'B'); // enlarged, maxChordSize not yet recomputed

    EXPECT_EQ(Resolve(Button(1) | Button(2) | Button(3)), (Events{"-B", "-C"}));
    EXPECT_EQ(Counter(1), 0);
    EXPECT_EQ(Counter(2), 0);
}

TEST_F(ChordsTest, EntriesSharingAKey_KeyStaysDownUntilTheLastOfThemEnds) {
    UseEntries({{Button(1), 'A'}, {Button(2), 'A'}, {Button(3), 'A'}});
    EXPECT_EQ(Resolve(Button(1) | Button(2)), (Events{"+A", "+A"}));
    EXPECT_EQ(Resolve(Button(2)), Events{}) << "button 2 still holds A";
    EXPECT_TRUE(TheFakeInput().injectedDown['A']);
    EXPECT_EQ(Resolve(0), (Events{"-A"}));

    Resolve(Button(1) | Button(2));
    ReleaseAllKeys(s);
    EXPECT_EQ(TakeEvents(), (Events{"-A"})) << "lifted once";
    EXPECT_EQ(Resolve(Button(2)), Events{});
    EXPECT_EQ(Resolve(0), (Events{"-A"})) << "the one release chord resolution owes after it";

    Resolve(Button(2) | Button(3));
    ReleaseHeldAtExit(s);
    EXPECT_EQ(TakeEvents(), (Events{"-A"}));
}

TEST_F(ChordsTest, ExitRelease_LiftsEverythingHeldOnceAndStopsEvents) {
    UseEntries({{Button(1), 'A'}, {Button(2), 1}, {Button(3), 6}});
    SetEntry(0, Button(1), 45, 0xD2);
    Resolve(Button(1) | Button(2) | Button(3));

    ReleaseHeldAtExit(s);
    ReleaseHeldAtExit(s);

    EXPECT_EQ(TakeEvents(), (Events{"-45 ext", "-m4", "-m256/2"}));
    EXPECT_FALSE(AnythingInjectedDown());
    for (int i = 0; i < kMaxKeys; ++i)
        EXPECT_EQ(Counter(i), 0);
    EXPECT_FALSE(BeginEvents(s));
}

// What the user-interface thread does between cycles, written as an input no joystick makes.
constexpr InputWord kReleaseAll = InputWord{1} << 63;
constexpr InputWord kExit = InputWord{1} << 62;
constexpr InputWord Away(uint32_t reason) {
    return InputWord{1} << 61 | reason;
}
constexpr InputWord Back(uint32_t reason) {
    return InputWord{1} << 60 | reason;
}
constexpr uint32_t kAll = UINT32_MAX;
constexpr uint32_t kDropped = UINT32_MAX - 1; // reported inserted, never arrives

// Every row: steps of what the user holds or does, how many events the system inserts per call,
// and what arrives; at the end nothing is down.
TEST_F(ChordsTest, RefusedOrDroppedEvents_PressesAgainAndReleasesUntilTheyArrive) {
    struct Step {
        InputWord input;
        uint32_t insert;
        Events arrived;
    };
    struct Row {
        const char* what;
        int32_t typematicOn;
        std::vector<Step> steps;
    };
    const InputWord b1 = Button(1), both = Button(1) | Button(2);
    const Row rows[] = {
        {"a refused press presses again", 0, {{b1, 0, {}}, {b1, kAll, {"+A"}}, {0, kAll, {"-A"}}}},
        {"a refused release goes first in the next cycle",
         0,
         {{b1, kAll, {"+A"}},
          {Button(2), 0, {}},
          {Button(2), kAll, {"-A", "+B"}},
          {0, kAll, {"-B"}}}},
        {"a call stops at its first refusal",
         0,
         {{both, 1, {"+A"}}, {both, kAll, {"+B"}}, {0, kAll, {"-A", "-B"}}}},
        {"a refused repeat is lost",
         1,
         {{b1 | Button(3), kAll, {"+R"}},
          {b1 | Button(3), 0, {}},
          {b1 | Button(3), kAll, {}},
          {0, kAll, {"-R"}}}},
        {"a refused lift is sent by the next cycle, the chord's own release after it",
         0,
         {{b1, kAll, {"+A"}}, {kReleaseAll, 0, {}}, {b1, kAll, {"-A"}}, {0, kAll, {"-A"}}}},
        {"away releases everything and nothing fires; back sends it again and held chords press",
         0,
         {{both, kAll, {"+A", "+B"}},
          {Away(kAwayLocked), kAll, {"-A", "-B"}},
          {Away(kAwaySuspended), kAll, {}},
          {b1, kAll, {}},
          {Back(kAwayLocked), kAll, {}},
          {Back(kAwaySuspended), kAll, {"-A", "-B"}},
          {b1, kAll, {"+A"}},
          {0, kAll, {"-A"}}}},
        {"exit while away releases what was dropped",
         0,
         {{b1, kAll, {"+A"}}, {Away(kAwayLocked), kDropped, {}}, {kExit, kAll, {"-A"}}}},
    };
    UseEntries({{b1, 'A'}, {Button(2), 'B'}, {b1 | Button(3), 'R'}});
    s.timing.typematicDelay = 100; // repeats at the second held cycle, then every third
    s.timing.typematicInterval = 300;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        s.typematicOn = r.typematicOn;
        for (size_t n = 0; n < r.steps.size(); ++n) {
            const Step& step = r.steps[n];
            TheFakeInput().insertPerCall = step.insert == kDropped ? kAll : step.insert;
            TheFakeInput().dropInserted = step.insert == kDropped;
            const uint32_t reason = static_cast<uint32_t>(step.input);
            if (step.input == kReleaseAll)
                ReleaseAllKeys(s);
            else if (step.input == kExit)
                ReleaseHeldAtExit(s);
            else if (step.input == Away(reason))
                PauseForSession(s, reason);
            else if (step.input == Back(reason))
                ResumeAfterSession(s, reason);
            else if (BeginEvents(s)) {
                EngineTest::Step(step.input);
                EndEvents(s);
            }
            EXPECT_EQ(TakeEvents(), step.arrived) << "step " << n + 1;
        }
        EXPECT_FALSE(AnythingInjectedDown());
    }
}

TEST_F(ChordsTest, CycleLongerThanOneCall_ArrivesInOrderAndStopsAtTheFirstRefusal) {
    for (int i = 0; i < kMaxKeys; ++i)
        SetEntry(i, Button(1), static_cast<uint8_t>(7 + i));
    s.keyMap.keyCount = kMaxKeys;
    TheFakeInput().insertPerCall = 10;
    Step(Button(1));
    EXPECT_EQ(TheFakeInput().calls, 1u);
    TheFakeInput().insertPerCall = kAll;
    Step(Button(1));
    EXPECT_EQ(TheFakeInput().calls, 3u) << "the other 118 presses, 64 to a call";
    ASSERT_EQ(TheFakeInput().events.size(), 128u);
    for (int i = 0; i < kMaxKeys; ++i)
        EXPECT_EQ(TheFakeInput().events[i].vk, 7 + i);
}

TEST_F(ChordsTest, CrashRelease_LiftsWhatIsHeldOrOwedDuringACycleAndShutsTheGate) {
    UseEntries({{Button(1), 'A'}, {Button(2), 1}});
    Resolve(Button(1) | Button(2));
    TheFakeInput().insertPerCall = 0;
    Resolve(Button(2)); // A's release is owed
    TheFakeInput().insertPerCall = kAll;

    ASSERT_TRUE(BeginEvents(s));
    ReleaseHeldAfterCrash(s);
    EndEvents(s);

    EXPECT_EQ(TakeEvents(), (Events{"-m4", "-A"}));
    EXPECT_FALSE(AnythingInjectedDown());
    EXPECT_FALSE(BeginEvents(s));
}

} // namespace
