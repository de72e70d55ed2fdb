// The engine run by the real poll loop on random joystick input, with the edits the user makes
// in the setup dialog and the tray made between cycles, in the order the dialog makes them, and
// a system that now and then refuses or drops events, or locks the session. The sticks drive
// the pointer and the wheel now and then.
// After every step the injected events are checked against the key state they build up.
// Reproducible: PADWRIGHT_MODEL_SEED and PADWRIGHT_MODEL_STEPS choose the run.
#include <algorithm>
#include <array>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <string>
#include <utility>

#include "app/slot_menu.h"
#include "app/tray.h"
#include "engine/calibration.h"
#include "engine/event_batch.h"
#include "engine/held_keys.h"
#include "engine/key_events.h"
#include "engine/pointer.h"
#include "engine/poll_loop.h"
#include "store/slot_store.h"
#include "tests/fakes/fake_registry.h"
#include "tests/fakes/fake_window.h"
#include "tests/unit/engine_fixture.h"
#include "tests/unit/key_state_model.h"
#include "ui/grid_drag.h"
#include "ui/grid_edit.h"
#include "ui/grid_layout.h"
#include "ui/joystick_warning.h"
#include "ui/setup_commands.h"

namespace {

constexpr uint64_t kDefaultSeed = 20261207;
#if defined(__SANITIZE_THREAD__)
// One thread: ThreadSanitizer has nothing to find here and makes every step about thirty times
// slower.
constexpr uint64_t kDefaultSteps = 30000;
#else
constexpr uint64_t kDefaultSteps = 100000;
#endif
constexpr uint32_t kUnplugged = 167;
constexpr size_t kLogTail = 40;
WindowHandle const kDialog = reinterpret_cast<WindowHandle>(0xd1a);

// The grid as the dialog measured it: six rows on screen.
constexpr int32_t kPageRows = 6;
constexpr int32_t kKeyButtonTop = 200;
constexpr int32_t kRowPitch = 20;

uint64_t EnvNumber(const char* name, uint64_t fallback) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::strtoull(text, nullptr, 10) : fallback;
}

// splitmix64: the same sequence from the same seed on every machine.
struct Random {
    uint64_t state;
    uint32_t Next() {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return static_cast<uint32_t>((z ^ (z >> 31)) >> 32);
    }
    uint32_t Below(uint32_t n) { return Next() % n; }
    bool Percent(uint32_t p) { return Below(100) < p; }
    template <class T, size_t N> T Pick(const std::array<T, N>& from) { return from[Below(N)]; }
};

// The inputs the random chords are made of: both directions of X and Y (so zone entries come
// and go), Z, the hat, buttons 1 to 4 and two buttons of the high word. In these tables a
// repeated item is drawn more often.
constexpr std::array<int, 16> kChordBits = {0,  1,  2,  3,  4,  5,  12, 13,
                                            14, 16, 17, 18, 19, 32, 47, 1};
// Few keys, so that entries share them, and the mouse buttons, the zone modifiers and 0 and 3.
constexpr std::array<uint8_t, 16> kCodes = {'A', 'B', 'C', 'A', 16, 17, 160, 37,
                                            39,  1,   2,   4,   5,  6,  0,   3};
constexpr std::array<uint32_t, 8> kPositions = {0, 100, 16000, 32767, 32768, 49000, 65400, 65535};
constexpr std::array<int, 8> kButtons = {1, 2, 3, 4, 5, 17, 32, 1};

bool IsMotion(const InjectedEvent& e) {
    return e.kind == InjectedEvent::Mouse && (e.flags == kMouseMove || e.flags == kMouseWheel);
}

struct NoControls : CaptureView {
    void ShowChordCheck(int, bool) override {}
    void ShowKeyName(uint8_t, uint8_t, int) override {}
    bool KeyDownWaiting() override { return false; }
};

struct EngineModelTest : EngineTest {
    Random random{0};
    uint64_t stepsWanted = 0;
    uint64_t steps = 0;
    uint64_t eventsChecked = 0;
    uint64_t motions = 0;
    uint64_t quietChecks = 0;
    KeyStateModel model;
    std::deque<std::string> log;
    std::string failure;
    std::atomic<bool> stop{false};

    JoystickSample stick{};
    bool setupOpen = false;
    SetupSnapshot opened{};
    SetupDialogState d;
    KeyMessageMemory keyMessages;
    NoControls view;
    int quietCycles = 0;
    uint32_t awayReason = 0;

    EngineModelTest() {
        ResetFakeRegistry();
        ResetKeyMapDefaults(s, ScanCodeOfKey);
        ResetTimingDefaults(s);
        d.grid.pageRows = kPageRows;
        d.grid.keyButtonTop = kKeyButtonTop;
        d.grid.rowPitch = kRowPitch;
    }

    void Note(const std::string& what) {
        if (log.size() == kLogTail)
            log.pop_front();
        log.push_back("step " + std::to_string(steps) + ": " + what);
    }
    void Fail(const std::string& why) {
        if (failure.empty())
            failure = why;
        stop = true;
    }

    // Feeds the events that arrived since the last look to the model, then those refused;
    // `lifting` when they all came from ReleaseAllKeys, a pause or a resume.
    void TakeInjected(bool lifting) {
        std::vector<InjectedEvent>& events = TheFakeInput().events;
        for (const InjectedEvent& e : events) {
            if (IsMotion(e)) {
                ++motions;
                continue;
            }
            ++eventsChecked;
            Note(std::string(lifting ? "  all-up " : "  event ") + Describe(e));
            const std::string broken = model.Apply(e, lifting);
            if (!broken.empty())
                Fail(broken);
        }
        events.clear();
        for (const InjectedEvent& e : TheFakeInput().refused) {
            Note("  refused " + Describe(e));
            if (lifting)
                model.LiftRefused(e);
        }
        TheFakeInput().refused.clear();
    }

    // Everything down is owed a release: by some key map index that pressed exactly it, or by
    // the engine's record of what it put down.
    void CheckDownIsOwed() {
        if (!model.AnythingDown())
            return;
        bool owed[kModelSlots] = {};
        for (int i = 0; i < kMaxKeys; ++i)
            if (s.engine.chordCounter[i].load() != 0)
                owed[SlotOfCode(PressedVk(s.engine.heldPress[i].load()))] = true;
        for (int vk = 0; vk < kKeyCodes; ++vk)
            if (s.engine.keyState[vk].load() & (kKeyDown | kReleaseOwed))
                owed[SlotOfCode(static_cast<uint8_t>(vk))] = true;
        for (int slot = 0; slot < kModelSlots; ++slot)
            if (model.Down(slot) && !owed[slot])
                Fail(KeyStateModel::SlotName(slot) + " is down, but nothing owes its release");
    }

    void ReleaseAllKeysFirst() {
        TakeInjected(false);
        ReleaseAllKeys(s);
        TakeInjected(true);
    }

    // --- the joystick ---
    void MoveStick() {
        const uint32_t what = random.Below(10);
        if (what < 4) {
            const int n = random.Pick(kButtons);
            stick.buttons ^= 1u << (n - 1);
            Note("button " + std::to_string(n) +
                 ((stick.buttons >> (n - 1)) & 1 ? " down" : " up"));
        } else if (what < 7) {
            const int axis = static_cast<int>(random.Below(kAxisCount));
            stick.pos[axis] = random.Percent(80) ? random.Pick(kPositions) : random.Below(65536);
            Note("axis " + std::to_string(axis) + " at " + std::to_string(stick.pos[axis]));
        } else if (what < 8) {
            stick.pov = random.Percent(50) ? kJoyPovCentered : random.Below(36001);
            Note("hat at " + std::to_string(stick.pov));
        } else {
            LetGo();
        }
        SetFakeJoystickSample(stick);
    }
    void LetGo() {
        for (uint32_t& p : stick.pos)
            p = 32767;
        stick.buttons = 0;
        stick.pov = kJoyPovCentered;
        SetFakeJoystickSample(stick);
        Note("everything let go");
    }
    void Unplug() {
        const bool unplug = TheFakeJoystick().readResult == kJoyNoError;
        SetFakeJoystickReadResult(unplug ? kUnplugged : kJoyNoError);
        Note(unplug               ? "unplugged"
             : random.Percent(30) ? "another pad plugged in: " + OtherCaps()
                                  : "plugged in");
    }

    // --- the setup dialog ---
    void OpenSetupDialog() {
        opened = TakeSetupSnapshot(s);
        OpenSetup(s, d, kDialog);
        d.grid.scrollPos = ClampScrollPos(d.grid.scrollPos, KeyCount(s), kPageRows);
        s.dialogActive = true;
        setupOpen = true;
        Note("setup dialog opened");
    }
    void CloseSetupDialog(bool ok) {
        TheFakeMessageBox().answer = random.Percent(70) ? kIdOk : kIdCancel;
        if (ok && !SaveSetup(s, kDialog))
            return; // as the dialog does: it stays open with the edits
        const bool closed = CloseSetup(s, d, kDialog, view, opened, ok);
        setupOpen = !closed;
        Note(std::string(ok ? "OK" : "Cancel") + (closed ? ": dialog closed" : ": stays open"));
    }
    int RandomRow() {
        return static_cast<int>(random.Below(static_cast<uint32_t>(VisibleRows(s, d.grid))));
    }
    void EditChord() {
        const int row = RandomRow();
        const int column = random.Pick(kChordBits);
        const int entry = d.grid.scrollPos + row;
        Note("check box row " + std::to_string(row) + " column " + std::to_string(column));
        ReleaseAllKeysFirst();
        const InputWord mask =
            ChordMask(ReadEntry(s.keyMap.entries[entry])) ^ (InputWord{1} << column);
        ApplyChordEdit(s, d.grid, row, mask);
    }
    void ToggleEnable() {
        const int column = random.Pick(kChordBits);
        Note("enable toggle of column " + std::to_string(column));
        ReleaseAllKeysFirst();
        ToggleInputEnabled(s, column);
    }
    void PlusOrMinus() {
        const bool plus = random.Percent(50);
        Note(plus ? "+" : "-");
        if (plus)
            AddRow(s);
        else
            RemoveRow(s, d.grid);
    }
    void DragRow() {
        const int from = RandomRow();
        const int32_t to = static_cast<int32_t>(random.Below(kPageRows + 2)) - 1;
        const uint32_t pressY = static_cast<uint32_t>(kKeyButtonTop + from * kRowPitch + 5);
        const uint32_t dropY = static_cast<uint32_t>(kKeyButtonTop + to * kRowPitch + 3);
        Note("drag row " + std::to_string(from) + " to the line below row " + std::to_string(to));
        if (!BeginPress(s, d.grid, pressY))
            return;
        SetDragDetected(d.grid, true);
        TrackPointer(s, d.grid, dropY, true);
        ReleaseDrag(s, d.grid);
        TrackPointer(s, d.grid, dropY, false);
    }
    void Scroll() {
        d.grid.scrollPos =
            ClampScrollPos(static_cast<int32_t>(random.Below(130)), KeyCount(s), kPageRows);
        Note("scrolled to " + std::to_string(d.grid.scrollPos));
    }
    void ResetToDefaults() {
        TheFakeMessageBox().answer = random.Percent(80) ? kIdOk : kIdCancel;
        Note("Default settings");
        ResetSetupToDefaults(s, d, kDialog, view);
    }
    void StartCapture() {
        const int row = RandomRow();
        Note("key capture on row " + std::to_string(row));
        TakeInjected(false);
        BeginKeyCapture(s, d, keyMessages, KeyButtonId(row));
        TakeInjected(true);
    }
    void PressKeyForCapture() {
        const uint8_t vk = random.Pick(kCodes);
        d.extendedKeyFlag = random.Percent(30);
        Note("key " + std::to_string(vk) + " pressed for the capture");
        const uint32_t key = vk == 0 ? 'Z' : vk;
        TheFakeInput().physicalDown[key] = true;
        NoteKeyMessage(d, keyMessages, 0x0100, key, d.extendedKeyFlag ? uint64_t{1} << 24 : 0);
        for (int tick = 0; tick < 4 && s.captureActive; ++tick)
            StepKeyCapture(s, d, keyMessages, view, true);
        TheFakeInput().physicalDown[key] = false;
    }
    void EndCapture() {
        Note("key capture ended");
        EndKeyCapture(s, d, view);
    }
    void Activate() {
        s.dialogActive = !s.dialogActive;
        Note(s.dialogActive ? "dialog active" : "another window active");
    }
    // Another joystick's capabilities: fewer axes, no hat, other bounds, or none to be had.
    std::string OtherCaps() {
        JoystickCaps& caps = TheFakeJoystick().caps;
        caps.numAxes = random.Below(7);
        caps.caps = random.Percent(50) ? kJoyCapsHasPov : 0;
        caps.axisMin[0] = random.Percent(80) ? 0 : 40000;
        caps.axisMax[0] = random.Percent(80) ? 65535 : 1000;
        TheFakeJoystick().capsResult = random.Percent(15) ? kUnplugged : kJoyNoError;
        return std::to_string(caps.numAxes) + " axes, hat " + std::to_string(caps.caps) +
               ", X from " + std::to_string(caps.axisMin[0]) + " to " +
               std::to_string(caps.axisMax[0]) +
               (TheFakeJoystick().capsResult != kJoyNoError ? ", not there" : "");
    }
    // The pointer dialog: another stick or wheel, now and then a word no dialog makes.
    void PointerChoice() {
        PointerSettings p;
        p.stick = static_cast<PointerStick>(random.Below(kPointerStickChoices));
        p.wheel = static_cast<WheelSource>(random.Below(kWheelSourceChoices));
        p.deadZonePercent = static_cast<uint8_t>(random.Below(kMaxDeadZonePercent + 1));
        p.curvePercent = static_cast<uint8_t>(random.Below(kMaxCurvePercent + 1));
        s.pointer =
            random.Percent(90) ? PackPointer(p) : (uint64_t{random.Next()} << 32 | random.Next());
        Note("pointer word " + std::to_string(s.pointer.load()));
    }
    void OtherJoystick() {
        Note("joystick chosen: " + OtherCaps());
        ChooseJoystick(s, static_cast<int32_t>(random.Below(2)), kDialog);
    }
    // --- the system ---
    void Refusals() {
        uint32_t& insert = TheFakeInput().insertPerCall;
        insert = insert == UINT32_MAX ? random.Below(4) : UINT32_MAX;
        Note("events inserted per call: " +
             (insert == UINT32_MAX ? std::string("all") : std::to_string(insert)));
    }
    // The session locks (events refused or dropped from now on, or not) and unlocks.
    void LockOrUnlock() {
        static constexpr std::array<uint32_t, 3> reasons = {kAwayLocked, kAwayDisconnected,
                                                            kAwaySuspended};
        FakeInput& f = TheFakeInput();
        f.dropInserted = !awayReason && random.Percent(40);
        f.insertPerCall = !awayReason && random.Percent(30) ? 0 : UINT32_MAX;
        Note(awayReason       ? "session back"
             : f.dropInserted ? "session away, events dropped"
                              : "session away");
        if (!awayReason)
            PauseForSession(s, awayReason = random.Pick(reasons));
        else
            ResumeAfterSession(s, std::exchange(awayReason, 0));
        TakeInjected(true);
    }

    void Typematic() {
        SetTypematic(s, !s.typematicOn);
        Note("typematic " + std::to_string(s.typematicOn.load()));
    }

    // --- the timing dialog and the tray ---
    void Timing() {
        static constexpr std::array<int32_t, 8> polls = {3, 10, 50, 100, 100, 250, 1, -5};
        s.timing.pollingInterval = random.Pick(polls);
        s.timing.typematicDelay = static_cast<int32_t>(random.Below(700));
        s.timing.typematicInterval = static_cast<int32_t>(random.Below(900));
        if (random.Percent(20)) {
            s.timing.thresholdPercent = static_cast<int32_t>(random.Below(101));
            CalibrateOrWarn(s, kDialog);
        }
        Note("timing poll " + std::to_string(s.timing.pollingInterval.load()) + " delay " +
             std::to_string(s.timing.typematicDelay.load()) + " interval " +
             std::to_string(s.timing.typematicInterval.load()) + " threshold " +
             std::to_string(s.timing.thresholdPercent.load()));
    }
    void OtherSlot() {
        const char digit = static_cast<char>('1' + random.Below(4));
        Note(std::string("slot ") + digit + " chosen in the tray");
        ChangeSlot(s, digit);
    }

    // Slots 2 to 4 stored with random key maps, slot 3 with some wrong chord sizes, slot 4 with
    // 100 rows or more; slot 1 has never been saved.
    void StoreRandomSlots() {
        auto other = std::make_unique<ProgramState>();
        for (char digit = '2'; digit <= '4'; ++digit) {
            ResetKeyMapDefaults(*other, ScanCodeOfKey);
            other->slotDigit = digit;
            other->keyMap.keyCount = digit == '4' ? 100 + static_cast<int32_t>(random.Below(29))
                                                  : 1 + static_cast<int32_t>(random.Below(12));
            for (int i = 0; i < kMaxKeys; ++i) {
                InputWord mask = 0;
                for (uint32_t n = random.Below(4); n > 0; --n)
                    mask |= InputWord{1} << random.Pick(kChordBits);
                KeyMapEntry e{};
                SetChordMask(e, mask);
                e.vk = random.Pick(kCodes);
                e.scan = static_cast<uint8_t>(random.Below(256));
                e.bitCount = static_cast<uint8_t>(CountInputBits(mask));
                if (digit == '3' && random.Percent(20)) { // a damaged store: the count is wrong
                    e.bitCount = static_cast<uint8_t>(random.Below(5));
                    e.reserved = static_cast<uint8_t>(random.Below(256));
                }
                WriteEntry(other->keyMap.entries[i], e);
            }
            other->typematicOn = random.Below(2);
            other->timing.typematicDelay = static_cast<int32_t>(random.Below(700));
            other->timing.typematicInterval = static_cast<int32_t>(random.Below(900));
            other->pointer =
                digit == '2'
                    ? PackPointer({PointerStick::XY, 0, 50, 15, 1000, WheelSource::Hat, 10})
                    : kDefaultPointerWord;
            SaveSlot(*other);
            SaveTiming(*other);
            SavePointer(*other);
        }
    }

    void RandomAction() {
        // An unplugged pad comes back after a few of its five-second retries.
        if (TheFakeJoystick().readResult != kJoyNoError && random.Percent(25))
            return Unplug();
        const uint32_t roll = random.Below(100);
        if (awayReason != 0) // nothing but the joystick can be used
            return roll < 5 ? LockOrUnlock() : MoveStick();
        if (roll < 45)
            return MoveStick();
        if (roll < 47)
            return Unplug();
        if (roll < 49)
            return Timing();
        if (roll < 50)
            return Refusals();
        if (roll < 51)
            return LockOrUnlock();
        if (!setupOpen) {
            if (roll < 55)
                return OpenSetupDialog();
            if (roll < 57)
                return OtherSlot();
            return;
        }
        if (s.captureActive) {
            if (roll < 60)
                return PressKeyForCapture();
            if (roll < 62)
                return EndCapture();
        }
        if (roll < 63)
            return CloseSetupDialog(random.Percent(50));
        if (roll < 72)
            return EditChord();
        if (roll < 75)
            return ToggleEnable();
        if (roll < 79)
            return PlusOrMinus();
        if (roll < 83)
            return DragRow();
        if (roll < 85)
            return Scroll();
        if (roll < 86)
            return ResetToDefaults();
        if (roll < 89 && !s.captureActive)
            return StartCapture();
        if (roll < 93)
            return Activate();
        if (roll < 95)
            return Typematic();
        if (roll < 96)
            return OtherJoystick();
        if (roll < 98)
            return PointerChoice();
    }

    // Between two steps nothing changes the state, so at a step it is the last cycle's.
    bool EventsProduced() const {
        return TheFakeJoystick().readResult == kJoyNoError && !s.captureActive && !s.dialogActive &&
               awayReason == 0;
    }
    bool EventsMayFlow() const {
        return EventsProduced() && TheFakeInput().insertPerCall == UINT32_MAX;
    }

    // Once every input is let go and events have flowed for two cycles, nothing may be down.
    void CheckQuiet(bool cycleRan) {
        if (!cycleRan)
            return;
        const bool flowed = EventsMayFlow();
        // A cycle that found the pointer still is followed by one that resolves chords.
        const bool still = !s.engine.pointer.moving;
        quietCycles = flowed && still && s.engine.currentInput.load() == 0 ? quietCycles + 1 : 0;
        if (quietCycles >= 2) {
            ++quietChecks;
            if (model.AnythingDown())
                Fail("inputs let go for two cycles in which events flowed, still something down");
        }
    }

    // One step: what the last cycle injected is checked, then one action of the user.
    void RunStep(uint32_t sleptMs) {
        const std::vector<InjectedEvent>& events = TheFakeInput().events;
        const bool keys = std::any_of(events.begin(), events.end(),
                                      [](const InjectedEvent& e) { return !IsMotion(e); });
        if (!EventsProduced() && keys)
            Fail("events injected while the pad is unreadable, a capture runs, a dialog is active "
                 "or the session is away");
        const bool moved = std::any_of(events.begin(), events.end(), IsMotion);
        if (moved && (TheFakeJoystick().readResult != kJoyNoError || awayReason != 0))
            Fail("the pointer moved while the pad is unreadable or the session is away");
        TakeInjected(false);
        CheckDownIsOwed();
        CheckQuiet(sleptMs != kInactiveRetryMilliseconds);
        if (++steps >= stepsWanted || !failure.empty()) {
            stop = true;
            return;
        }
        RandomAction();
        TakeInjected(false);
        CheckDownIsOwed();
    }

    std::string Tail() const {
        std::string text;
        for (const std::string& line : log)
            text += line + "\n";
        return text;
    }
};

TEST_F(EngineModelTest, RandomUseNeverLeavesAKeyDownOrReleasesOneThatIsUp) {
    const uint64_t seed = EnvNumber("PADWRIGHT_MODEL_SEED", kDefaultSeed);
    stepsWanted = EnvNumber("PADWRIGHT_MODEL_STEPS", kDefaultSteps);
    random.state = seed;
    StoreRandomSlots();
    Calibrate(s);
    stick = TheFakeJoystick().sample;

    TheFakeClock().onSleep = [this](uint32_t ms) { RunStep(ms); };
    RunPollLoop(s, ShowTrayState, &stop);
    TheFakeClock().onSleep = nullptr;

    if (failure.empty()) {
        // The program exits wherever the run stopped, with the system taking events again.
        TheFakeInput().insertPerCall = UINT32_MAX;
        TheFakeInput().dropInserted = false;
        ReleaseHeldAtExit(s);
        TakeInjected(false);
        if (model.AnythingDown())
            Fail("something still down after the release at exit");
    }
    std::printf("model test: seed %" PRIu64 ", %" PRIu64 " steps, %" PRIu64
                " events checked, %" PRIu64 " pointer motions\n",
                seed, steps, eventsChecked, motions);
    EXPECT_TRUE(failure.empty()) << failure << "\nseed " << seed << ", failed at step " << steps
                                 << "; the last steps:\n"
                                 << Tail();
    EXPECT_GT(quietChecks, stepsWanted / 100) << "the run let go of everything too seldom";
    EXPECT_GT(motions, stepsWanted / 100) << "the sticks drove the pointer too seldom";
}

} // namespace
