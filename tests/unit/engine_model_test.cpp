// The engine run by the real poll loop on random joystick input, with the edits the user makes
// in the setup dialog and the tray made between cycles, in the order the dialog makes them, and
// a system that now and then refuses or drops events, or locks the session; the sticks drive the
// pointer and the wheel now and then. After every step the injected events are checked against
// the key state they build up.
// Reproducible: PADWRIGHT_MODEL_SEED and PADWRIGHT_MODEL_STEPS choose the run.
#include <algorithm>
#include <array>
#include <cinttypes>
#include <cstdarg>
#include <deque>
#include <span>

#include "app/follow.h"
#include "app/slot_menu.h"
#include "app/tray.h"
#include "engine/calibration.h"
#include "engine/event_batch.h"
#include "engine/held_keys.h"
#include "engine/key_events.h"
#include "engine/pointer.h"
#include "store/slot_store.h"
#include "tests/unit/fixture.h"
#include "ui/grid_drag.h"
#include "ui/grid_edit.h"
#include "ui/grid_layout.h"
#include "ui/joystick_warning.h"
#include "ui/setup_commands.h"

namespace {

constexpr uint64_t kDefaultSeed = 20261207;
#if defined(__SANITIZE_THREAD__)
constexpr uint64_t kDefaultSteps = 30000; // one thread: ThreadSanitizer only slows it down
#else
constexpr uint64_t kDefaultSteps = 100000;
#endif
constexpr uint32_t kUnplugged = 167;
WindowHandle const kDialog = reinterpret_cast<WindowHandle>(0xd1a);
// The grid as the dialog measured it: six rows on screen.
constexpr int32_t kPageRows = 6, kKeyButtonTop = 200, kRowPitch = 20;

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

// The keyboard and the mouse buttons as the system sees them, rebuilt from nothing but the
// injected events: one slot per virtual key, then the five mouse buttons.
constexpr int kMouseSlot = 256, kSlots = kMouseSlot + kFakeMouseButtons;

// The slot a press of key map code `vk` puts down: a mouse button for 1, 2, 4, 5 and 6.
int SlotOfCode(uint8_t vk) {
    constexpr uint8_t kMouseCodes[kFakeMouseButtons] = {1, 2, 4, 5, 6};
    const uint8_t* b = std::find(kMouseCodes, kMouseCodes + kFakeMouseButtons, vk);
    return b != kMouseCodes + kFakeMouseButtons ? kMouseSlot + static_cast<int>(b - kMouseCodes)
                                                : vk;
}
std::string SlotName(int slot) {
    return slot >= kMouseSlot ? "mouse button " + std::to_string(slot - kMouseSlot + 1)
                              : "key " + std::to_string(slot);
}

class KeyStateModel {
  public:
    // Applies one event that arrived; returns the rule it breaks, or "". A key-up of something
    // that is up is accepted only as the one extra key-up that chord resolution sends after the
    // engine lifted a key its chord still holds. `mayRepeat` marks the events of ReleaseAllKeys,
    // which may lift the same key again while the dialog makes one edit after another, and of a
    // pause and a resume, which sends the pause's releases once more.
    std::string Apply(const InputEvent& e, bool mayRepeat) {
        int slot = 0;
        bool press = false;
        if (!Decode(e, slot, press))
            return "an event that is neither a press nor a release: " + Describe(e);
        if (press) {
            down_[slot] = true;
            extraUpAllowed_[slot] = false;
        } else if (down_[slot]) {
            down_[slot] = false;
            extraUpAllowed_[slot] = mayRepeat || liftRefused_[slot];
            liftRefused_[slot] = false;
        } else if (extraUpAllowed_[slot]) {
            extraUpAllowed_[slot] = mayRepeat;
        } else {
            return "release of " + SlotName(slot) + ", which is not down";
        }
        return "";
    }
    // A release of ReleaseAllKeys that was refused: the key stays down and its release is owed,
    // and the chord that holds it still sends its own release after that one.
    void LiftRefused(const InputEvent& e) {
        int slot = 0;
        bool press = false;
        if (Decode(e, slot, press) && !press && down_[slot])
            liftRefused_[slot] = true;
    }
    bool Down(int slot) const { return down_[slot]; }
    bool AnythingDown() const { return std::find(down_, down_ + kSlots, true) != down_ + kSlots; }

  private:
    static bool Decode(const InputEvent& e, int& slot, bool& press) {
        if (e.kind == InputEvent::Key) {
            slot = e.vk;
            press = (e.flags & kKeyEventKeyUp) == 0;
            return (e.flags & ~(kKeyEventKeyUp | kKeyEventExtended)) == 0;
        }
        for (int b = 0; b < kFakeMouseButtons; ++b) {
            const FakeMouseButton& button = kFakeMouseButtonEvents[b];
            if (e.data == button.data && (e.flags == button.down || e.flags == button.up)) {
                slot = kMouseSlot + b;
                press = e.flags == button.down;
                return true;
            }
        }
        return false;
    }
    bool down_[kSlots]{};
    bool extraUpAllowed_[kSlots]{};
    bool liftRefused_[kSlots]{};
};

bool IsMotion(const InputEvent& e) {
    return e.kind == InputEvent::Mouse && (e.flags == kMouseMove || e.flags == kMouseWheel);
}

struct EngineModelTest : EngineTest {
    Random random{0};
    uint64_t stepsWanted = 0, steps = 0, eventsChecked = 0, quietChecks = 0, motions = 0;
    KeyStateModel model;
    std::deque<std::string> log; // the last steps
    std::string failure;
    std::atomic<bool> stop{false};
    JoystickSample stick{};
    bool setupOpen = false;
    SetupSnapshot opened{};
    SetupDialogState d;
    KeyMessageMemory keyMessages;
    NullCaptureView view;
    int quietCycles = 0;
    uint32_t awayReason = 0;

    EngineModelTest() {
        Follow() = FollowState{};
        d.grid.pageRows = kPageRows;
        d.grid.keyButtonTop = kKeyButtonTop;
        d.grid.rowPitch = kRowPitch;
    }

    void Note(const char* format, ...) __attribute__((format(printf, 2, 3))) {
        char text[160];
        va_list arguments;
        va_start(arguments, format);
        std::vsnprintf(text, sizeof text, format, arguments);
        va_end(arguments);
        if (log.size() == 40)
            log.pop_front();
        log.push_back("step " + std::to_string(steps) + ": " + text);
    }
    void Fail(const std::string& why) {
        if (failure.empty())
            failure = why;
        stop = true;
    }

    // Feeds the events that arrived since the last look to the model, then those refused;
    // `lifting` when they all came from ReleaseAllKeys, a pause or a resume.
    void TakeInjected(bool lifting) {
        for (const InputEvent& e : fake.input.events) {
            if (IsMotion(e)) {
                ++motions;
                continue;
            }
            ++eventsChecked;
            Note("  %s %s", lifting ? "all-up" : "event", Describe(e).c_str());
            const std::string broken = model.Apply(e, lifting);
            if (!broken.empty())
                Fail(broken);
        }
        fake.input.events.clear();
        for (const InputEvent& e : fake.input.refused) {
            Note("  refused %s", Describe(e).c_str());
            if (lifting)
                model.LiftRefused(e);
        }
        fake.input.refused.clear();
    }

    // Everything down is owed a release: by some key map index that pressed exactly it, or by
    // the engine's record of what it put down.
    void CheckDownIsOwed() {
        bool owed[kSlots] = {};
        for (int i = 0; i < kMaxKeys; ++i)
            if (s.engine.chordCounter[i].load() != 0)
                owed[SlotOfCode(PressedVk(s.engine.heldPress[i].load()))] = true;
        for (int vk = 0; vk < kKeyCodes; ++vk)
            if (s.engine.keyState[vk].load() & (kKeyDown | kReleaseOwed))
                owed[SlotOfCode(static_cast<uint8_t>(vk))] = true;
        for (int slot = 0; slot < kSlots; ++slot)
            if (model.Down(slot) && !owed[slot])
                Fail(SlotName(slot) + " is down, but nothing owes its release");
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
            Note("button %d %s", n, (stick.buttons >> (n - 1)) & 1 ? "down" : "up");
        } else if (what < 7) {
            const int axis = static_cast<int>(random.Below(kAxisCount));
            stick.pos[axis] = random.Percent(80) ? random.Pick(kPositions) : random.Below(65536);
            Note("axis %d at %u", axis, stick.pos[axis]);
        } else if (what < 8) {
            stick.pov = random.Percent(50) ? kJoyPovCentered : random.Below(36001);
            Note("hat at %u", stick.pov);
        } else {
            stick = {{32767, 32767, 32767, 32767, 32767, 32767}, 0, kJoyPovCentered};
            Note("everything let go");
        }
        SetFakeJoystickSample(stick);
    }
    void Unplug() {
        const bool unplug = fake.joystick.readResult == kJoyNoError;
        SetFakeJoystickReadResult(unplug ? kUnplugged : kJoyNoError);
        if (unplug)
            Note("unplugged");
        else
            OtherCaps(random.Percent(30) ? "another pad plugged in" : nullptr);
    }
    // Another joystick's capabilities: fewer axes, no hat, other bounds, or none to be had.
    void OtherCaps(const char* what) {
        if (what == nullptr)
            return Note("plugged in");
        JoystickCaps& caps = fake.joystick.caps;
        caps.numAxes = random.Below(7);
        caps.caps = random.Percent(50) ? kJoyCapsHasPov : 0;
        caps.axisMin[0] = random.Percent(80) ? 0 : 40000;
        caps.axisMax[0] = random.Percent(80) ? 65535 : 1000;
        fake.joystick.capsResult = random.Percent(15) ? kUnplugged : kJoyNoError;
        Note("%s: %u axes, hat %u, X from %u to %u%s", what, caps.numAxes, caps.caps,
             caps.axisMin[0], caps.axisMax[0],
             fake.joystick.capsResult != kJoyNoError ? ", not there" : "");
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
    void CloseSetupDialog() {
        const bool ok = random.Percent(50);
        fake.answer = random.Percent(70) ? kIdOk : kIdCancel;
        if (ok && !SaveSetup(s, kDialog))
            return; // as the dialog does: it stays open with the edits
        const bool closed = CloseSetup(s, d, kDialog, view, opened, ok);
        setupOpen = !closed;
        Note("%s: %s", ok ? "OK" : "Cancel", closed ? "dialog closed" : "stays open");
    }
    int RandomRow() {
        return static_cast<int>(random.Below(static_cast<uint32_t>(VisibleRows(s, d.grid))));
    }
    void EditChord() {
        const int row = RandomRow();
        const int column = random.Pick(kChordBits);
        Note("check box row %d column %d", row, column);
        ReleaseAllKeysFirst();
        const InputWord entry = ChordMask(ReadEntry(s.keyMap.entries[d.grid.scrollPos + row]));
        ApplyChordEdit(s, d.grid, row, entry ^ (InputWord{1} << column));
    }
    void ToggleEnable() {
        const int column = random.Pick(kChordBits);
        Note("enable toggle of column %d", column);
        ReleaseAllKeysFirst();
        ToggleInputEnabled(s, column);
    }
    void PlusOrMinus() {
        const bool plus = random.Percent(50);
        Note("%s", plus ? "+" : "-");
        if (plus)
            AddRow(s);
        else
            RemoveRow(s, d.grid);
    }
    void DragRow() {
        const int from = RandomRow();
        const int32_t to = static_cast<int32_t>(random.Below(kPageRows + 2)) - 1;
        Note("drag row %d to the line below row %d", from, to);
        if (!BeginPress(s, d.grid, static_cast<uint32_t>(kKeyButtonTop + from * kRowPitch + 5)))
            return;
        const uint32_t dropY = static_cast<uint32_t>(kKeyButtonTop + to * kRowPitch + 3);
        SetDragDetected(d.grid, true);
        TrackPointer(s, d.grid, dropY, true);
        ReleaseDrag(s, d.grid);
        TrackPointer(s, d.grid, dropY, false);
    }
    void Scroll() {
        d.grid.scrollPos =
            ClampScrollPos(static_cast<int32_t>(random.Below(130)), KeyCount(s), kPageRows);
        Note("scrolled to %d", d.grid.scrollPos);
    }
    void ResetToDefaults() {
        fake.answer = random.Percent(80) ? kIdOk : kIdCancel;
        Note("Default settings");
        ResetSetupToDefaults(s, d, kDialog, view);
    }
    void StartCapture() {
        const int row = RandomRow();
        Note("key capture on row %d", row);
        TakeInjected(false);
        BeginKeyCapture(s, d, keyMessages, KeyButtonId(row));
        TakeInjected(true);
    }
    void PressKeyForCapture() {
        const uint8_t vk = random.Pick(kCodes);
        d.extendedKeyFlag = random.Percent(30);
        Note("key %d pressed for the capture", vk);
        const uint32_t key = vk == 0 ? 'Z' : vk;
        fake.input.physicalDown[key] = true;
        NoteKeyMessage(d, keyMessages, 0x0100, key, d.extendedKeyFlag ? uint64_t{1} << 24 : 0);
        for (int tick = 0; tick < 4 && s.captureActive; ++tick)
            StepKeyCapture(s, d, keyMessages, view, true);
        fake.input.physicalDown[key] = false;
    }
    void EndCapture() {
        Note("key capture ended");
        EndKeyCapture(s, d, view);
    }
    void Activate() {
        s.dialogActive = !s.dialogActive;
        Note("%s", s.dialogActive ? "dialog active" : "another window active");
    }
    // The pointer dialog: another stick, curve, dead zone or wheel; now and then a word no
    // dialog makes.
    void PointerChoice() {
        const PointerSettings p{PointerStick(random.Below(4)), 0,    uint8_t(random.Below(101)),
                                uint8_t(random.Below(91)),     1000, WheelSource(random.Below(4))};
        s.pointer =
            random.Percent(90) ? PackPointer(p) : uint64_t{random.Next()} << 32 | random.Next();
        Note("pointer word %llx", static_cast<unsigned long long>(s.pointer.load()));
    }
    void OtherJoystick() {
        OtherCaps("joystick chosen");
        ChooseJoystick(s, static_cast<int32_t>(random.Below(2)), kDialog);
    }
    void Typematic() {
        SetTypematic(s, !s.typematicOn);
        Note("typematic %d", s.typematicOn.load());
    }

    // --- the system, the timing dialog and the tray ---
    void Refusals() {
        uint32_t& insert = fake.input.insertPerCall;
        insert = insert == UINT32_MAX ? random.Below(4) : UINT32_MAX;
        Note("events inserted per call: %d", static_cast<int>(insert));
    }
    // The session locks (events refused or dropped from now on, or not) and unlocks.
    void LockOrUnlock() {
        static constexpr std::array<uint32_t, 3> reasons = {kAwayLocked, kAwayDisconnected,
                                                            kAwaySuspended};
        fake.input.dropInserted = !awayReason && random.Percent(40);
        fake.input.insertPerCall = !awayReason && random.Percent(30) ? 0 : UINT32_MAX;
        Note("%s", awayReason                ? "session back"
                   : fake.input.dropInserted ? "session away, events dropped"
                                             : "session away");
        if (!awayReason)
            PauseForSession(s, awayReason = random.Pick(reasons));
        else
            ResumeAfterSession(s, std::exchange(awayReason, 0));
        TakeInjected(true);
    }
    void Timing() {
        static constexpr std::array<int32_t, 8> polls = {3, 10, 50, 100, 100, 250, 1, -5};
        s.timing.pollingInterval = random.Pick(polls);
        s.timing.typematicDelay = static_cast<int32_t>(random.Below(700));
        s.timing.typematicInterval = static_cast<int32_t>(random.Below(900));
        if (random.Percent(20)) {
            s.timing.thresholdPercent = static_cast<int32_t>(random.Below(101));
            CalibrateOrWarn(s, kDialog);
        }
        Note("timing poll %d delay %d interval %d threshold %d", s.timing.pollingInterval.load(),
             s.timing.typematicDelay.load(), s.timing.typematicInterval.load(),
             s.timing.thresholdPercent.load());
    }
    void OtherSlot() {
        const char digit = static_cast<char>('1' + random.Below(4));
        Note("slot %c chosen in the tray", digit);
        ChangeSlot(s, digit);
    }
    void FollowedSlot() {
        const char digit = static_cast<char>('1' + random.Below(4));
        Note("slot %c for the program in front", digit);
        FollowTo(s, Follow(), digit, [](const char*) { return true; });
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
            other->pointer = PackPointer({digit == '2' ? PointerStick::XY : PointerStick::None});
            SaveSlot(*other);
            SaveTiming(*other);
            SavePointer(*other);
        }
    }

    // Each action below `roll`'s bound is taken; an unplugged pad comes back after a few of its
    // five-second retries, and while the session is away only the joystick can be used.
    using Action = void (EngineModelTest::*)();
    struct Choice {
        uint32_t below;
        Action action;
    };
    void RandomAction() {
        using T = EngineModelTest;
        static constexpr Choice kAlways[] = {{45, &T::MoveStick},
                                             {47, &T::Unplug},
                                             {49, &T::Timing},
                                             {50, &T::Refusals},
                                             {51, &T::LockOrUnlock}};
        static constexpr Choice kClosed[] = {
            {55, &T::OpenSetupDialog}, {57, &T::OtherSlot}, {60, &T::FollowedSlot}};
        static constexpr Choice kCapturing[] = {{60, &T::PressKeyForCapture}, {62, &T::EndCapture}};
        static constexpr Choice kOpen[] = {
            {63, &T::CloseSetupDialog}, {72, &T::EditChord},    {75, &T::ToggleEnable},
            {79, &T::PlusOrMinus},      {83, &T::DragRow},      {85, &T::Scroll},
            {86, &T::ResetToDefaults},  {89, &T::StartCapture}, {93, &T::Activate},
            {95, &T::Typematic},        {96, &T::OtherJoystick}, {98, &T::PointerChoice}};
        if (fake.joystick.readResult != kJoyNoError && random.Percent(25))
            return Unplug();
        const uint32_t roll = random.Below(100);
        if (awayReason != 0)
            return roll < 5 ? LockOrUnlock() : MoveStick();
        const auto take = [&](std::span<const Choice> choices) {
            for (const Choice& c : choices)
                if (roll < c.below && (c.action != &T::StartCapture || !s.captureActive))
                    return (this->*c.action)(), true;
            return false;
        };
        if (take(kAlways))
            return;
        if (!setupOpen)
            take(kClosed);
        else if (!(s.captureActive && take(kCapturing)))
            take(kOpen);
    }

    // Between two steps nothing changes the state, so at a step it is the last cycle's.
    bool EventsProduced() const {
        return fake.joystick.readResult == kJoyNoError && !s.captureActive && !s.dialogActive &&
               awayReason == 0;
    }

    // One step: what the last cycle injected is checked, then one action of the user. Once every
    // input is let go and events have flowed for two cycles, nothing may be down.
    void RunStep(uint32_t sleptMs) {
        const std::vector<InputEvent>& events = fake.input.events;
        if (!EventsProduced() && !std::all_of(events.begin(), events.end(), IsMotion))
            Fail("events injected while the pad is unreadable, a capture runs, a dialog is active "
                 "or the session is away");
        TakeInjected(false);
        CheckDownIsOwed();
        if (sleptMs != kInactiveRetryMilliseconds) {
            const bool flowed = EventsProduced() && fake.input.insertPerCall == UINT32_MAX;
            // A cycle that found the pointer moving is followed by one that resolves chords.
            const bool still = !s.engine.pointer.moving;
            quietCycles =
                flowed && still && s.engine.currentInput.load() == 0 ? quietCycles + 1 : 0;
            quietChecks += quietCycles >= 2 ? 1 : 0;
            if (quietCycles >= 2 && model.AnythingDown())
                Fail("inputs let go for two cycles in which events flowed, still something down");
        }
        if (++steps >= stepsWanted || !failure.empty()) {
            stop = true;
            return;
        }
        RandomAction();
        TakeInjected(false);
        CheckDownIsOwed();
    }
};

TEST_F(EngineModelTest, RandomUseNeverLeavesAKeyDownOrReleasesOneThatIsUp) {
    const uint64_t seed = EnvNumber("PADWRIGHT_MODEL_SEED", kDefaultSeed);
    stepsWanted = EnvNumber("PADWRIGHT_MODEL_STEPS", kDefaultSteps);
    random.state = seed;
    StoreRandomSlots();
    Calibrate(s);
    stick = fake.joystick.sample;
    fake.onSleep = [this](uint32_t ms) { RunStep(ms); };
    RunPollLoop(s, ShowTrayState, &stop);
    fake.onSleep = nullptr;
    if (failure.empty()) {
        // The program exits wherever the run stopped, with the system taking events again.
        fake.input.insertPerCall = UINT32_MAX;
        fake.input.dropInserted = false;
        ReleaseHeldAtExit(s);
        TakeInjected(false);
        if (model.AnythingDown())
            Fail("something still down after the release at exit");
    }
    std::printf("model test: seed %" PRIu64 ", %" PRIu64 " steps, %" PRIu64 " events checked\n",
                seed, steps, eventsChecked);
    std::string tail;
    for (const std::string& line : log)
        tail += line + "\n";
    EXPECT_TRUE(failure.empty()) << failure << "\nseed " << seed << ", failed at step " << steps
                                 << "; the last steps:\n"
                                 << tail;
    EXPECT_GT(quietChecks, stepsWanted / 100) << "the run let go of everything too seldom";
    EXPECT_GT(motions, stepsWanted / 100) << "the sticks drove the pointer too seldom";
}

} // namespace
