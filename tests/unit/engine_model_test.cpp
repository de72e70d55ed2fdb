// The poll loop on random input, edits and refusals: events match the key state they build, the
// engine allocates nothing (PADWRIGHT_MODEL_SEED/_STEPS); the same on two threads, for TSan.
#include <algorithm>
#include <array>
#include <cinttypes>
#include <cstdio>
#include <random>
#include <span>
#include <thread>

#include "app/follow.h"
#include "app/slot_menu.h"
#include "app/tray.h"
#include "engine/calibration.h"
#include "engine/event_batch.h"
#include "engine/held_keys.h"
#include "engine/key_events.h"
#include "engine/pointer.h"
#include "platform/tray.h"
#include "store/slot_store.h"
#include "tests/unit/fixture.h"
#include "ui/grid_drag.h"
#include "ui/grid_edit.h"
#include "ui/grid_layout.h"
#include "ui/joystick_warning.h"
#include "ui/setup_commands.h"

namespace {
// This program's allocations (other forms of new and delete call these); the model's and tray's.
std::atomic<uint64_t> allocations{0}, notTheEngines{0};
} // namespace

void* operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size != 0 ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

template <class F> void Aside(F f) { // not the engine's allocations
    const uint64_t before = allocations.load();
    f();
    notTheEngines += allocations.load() - before;
}

#if defined(__SANITIZE_THREAD__)
constexpr uint64_t kDefaultSteps = 30000; // one thread: ThreadSanitizer only slows it down
#else
constexpr uint64_t kDefaultSteps = 100000;
#endif
constexpr uint32_t kUnplugged = 167;
WindowHandle const kDialog = reinterpret_cast<WindowHandle>(0xd1a);
constexpr int32_t kPageRows = 6, kKeyButtonTop = 200, kRowPitch = 20; // the measured grid

uint64_t EnvNumber(const char* name, uint64_t fallback) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::strtoull(text, nullptr, 10) : fallback;
}

// The standard fixes this engine's sequence: the same run from the same seed on every machine.
struct Random {
    uint64_t seed;
    std::mt19937_64 engine{seed};
    uint32_t Next() { return uint32_t(engine() >> 32); }
    uint32_t Below(uint32_t n) { return Next() % n; }
    bool Percent(uint32_t p) { return Below(100) < p; }
    template <class T, size_t N> T Pick(const std::array<T, N>& from) { return from[Below(N)]; }
};

// Chords of X and Y (zones come and go), Z, hat, buttons; shared keys, mouse, zone modifiers, 0, 3.
constexpr std::array<int, 16> kChordBits = {0,  1,  2,  3,  4,  5,  12, 13,
                                            14, 16, 17, 18, 19, 32, 47, 1};
constexpr std::array<uint8_t, 16> kCodes = {'A', 'B', 'C', 'A', 16, 17, 160, 37,
                                            39,  1,   2,   4,   5,  6,  0,   3};
constexpr std::array<uint32_t, 8> kPositions = {0, 100, 16000, 32767, 32768, 49000, 65400, 65535};
constexpr std::array<int, 8> kButtons = {1, 2, 3, 4, 5, 17, 32, 1};

// The keys and the mouse buttons as the injected events leave them: a slot per key, then buttons.
constexpr int kMouseSlot = 256, kSlots = kMouseSlot + kFakeMouseButtons;

// The slot a press of key map code `vk` puts down: a mouse button for 1, 2, 4, 5 and 6.
int SlotOfCode(uint8_t vk) {
    return vk == 1 || vk == 2 ? kMouseSlot + vk - 1 : vk >= 4 && vk <= 6 ? kMouseSlot + vk - 2 : vk;
}

// The slot of a press or a release, setting `press`; -1 for any other event.
int Decode(const InputEvent& e, bool& press) {
    if (e.kind == InputEvent::Key) {
        press = (e.flags & kKeyEventKeyUp) == 0;
        return (e.flags & ~(kKeyEventKeyUp | kKeyEventExtended)) == 0 ? e.vk : -1;
    }
    for (int b = 0; b < kFakeMouseButtons; ++b) {
        const FakeMouseButton& button = kFakeMouseButtonEvents[b];
        if (e.data == button.data && (e.flags == button.down || e.flags == button.up)) {
            press = e.flags == button.down;
            return kMouseSlot + b;
        }
    }
    return -1;
}

struct KeyStateModel {
    bool down[kSlots]{}, extraUpAllowed[kSlots]{}, liftRefused[kSlots]{};

    // The rule an event breaks, or "": a key-up of a key up only once after the engine lifted it.
    std::string Apply(const InputEvent& e, bool mayRepeat) {
        bool press = false;
        const int slot = Decode(e, press);
        if (slot < 0)
            return "an event that is neither a press nor a release: " + Describe(e);
        if (press) {
            down[slot] = true;
            extraUpAllowed[slot] = false;
        } else if (down[slot]) {
            down[slot] = false;
            extraUpAllowed[slot] = mayRepeat || liftRefused[slot];
            liftRefused[slot] = false;
        } else if (extraUpAllowed[slot]) {
            extraUpAllowed[slot] = mayRepeat;
        } else {
            return "release of slot " + std::to_string(slot) + ", which is not down";
        }
        return "";
    }
    // A refused release of ReleaseAllKeys: owed, and the chord still sends its own after it.
    void LiftRefused(const InputEvent& e) {
        bool press = false;
        const int slot = Decode(e, press);
        if (slot >= 0 && !press && down[slot])
            liftRefused[slot] = true;
    }
    bool AnythingDown() const { return std::find(down, down + kSlots, true) != down + kSlots; }
};

bool IsMotion(const InputEvent& e) {
    return e.kind == InputEvent::Mouse && (e.flags == kMouseMove || e.flags == kMouseWheel);
}

struct EngineModelTest : EngineTest {
    Random random{EnvNumber("PADWRIGHT_MODEL_SEED", 20261207)};
    uint64_t stepsWanted = EnvNumber("PADWRIGHT_MODEL_STEPS", kDefaultSteps);
    uint64_t steps = 0, eventsChecked = 0, quietChecks = 0, motions = 0;
    KeyStateModel model;
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
    bool concurrent = false; // the poll loop runs on its own thread: the fake system stays as it is
    EngineModelTest() {
        Follow() = FollowState{};
        d.grid.pageRows = kPageRows;
        d.grid.keyButtonTop = kKeyButtonTop;
        d.grid.rowPitch = kRowPitch;
    }
    void Fail(const std::string& why) {
        if (failure.empty())
            failure = why;
        stop = true;
    }
    // The events since the last look, then those refused; `lifting` for ReleaseAllKeys and pauses.
    void TakeInjected(bool lifting) {
        if (concurrent)
            return;
        for (const InputEvent& e : fake.input.events) {
            motions += IsMotion(e) ? 1 : 0;
            if (IsMotion(e))
                continue;
            ++eventsChecked;
            if (const std::string broken = model.Apply(e, lifting); !broken.empty())
                Fail(broken);
        }
        fake.input.events.clear();
        for (const InputEvent& e : fake.input.refused)
            if (lifting)
                model.LiftRefused(e);
        fake.input.refused.clear();
    }
    // Everything down is owed a release: by a key map index that pressed it, or by the engine.
    void CheckDownIsOwed() {
        bool owed[kSlots] = {};
        for (int i = 0; i < kMaxKeys; ++i)
            if (s.engine.chordCounter[i].load() != 0)
                owed[SlotOfCode(PressedVk(s.engine.heldPress[i].load()))] = true;
        for (int vk = 0; vk < kKeyCodes; ++vk)
            if (s.engine.keyState[vk].load() & (kKeyDown | kReleaseOwed))
                owed[SlotOfCode(static_cast<uint8_t>(vk))] = true;
        for (int slot = 0; slot < kSlots; ++slot)
            if (model.down[slot] && !owed[slot])
                Fail("slot " + std::to_string(slot) + " is down, but nothing owes its release");
    }
    void MoveStick() {
        const uint32_t what = random.Below(10);
        if (what < 4) {
            stick.buttons ^= 1u << (random.Pick(kButtons) - 1);
        } else if (what < 7) {
            const uint32_t axis = random.Below(kAxisCount);
            stick.pos[axis] = random.Percent(80) ? random.Pick(kPositions) : random.Below(65536);
        } else if (what < 8) {
            stick.pov = random.Percent(50) ? kJoyPovCentered : random.Below(36001);
        } else {
            stick = {{32767, 32767, 32767, 32767, 32767, 32767}, 0, kJoyPovCentered};
        }
        SetFakeJoystickSample(stick);
    }
    void Unplug() {
        const bool unplug = fake.joystick.readResult == kJoyNoError;
        SetFakeJoystickReadResult(unplug ? kUnplugged : kJoyNoError);
        if (!unplug && random.Percent(30))
            OtherCaps(); // another pad plugged in
    }
    // Another joystick's capabilities: fewer axes, no hat, other bounds, or none to be had.
    void OtherCaps() {
        if (concurrent)
            return;
        JoystickCaps& caps = fake.joystick.caps;
        caps.numAxes = random.Below(7);
        caps.caps = random.Percent(50) ? kJoyCapsHasPov : 0;
        caps.axisMin[0] = random.Percent(80) ? 0 : 40000;
        caps.axisMax[0] = random.Percent(80) ? 65535 : 1000;
        fake.joystick.capsResult = random.Percent(15) ? kUnplugged : kJoyNoError;
    }
    void OpenSetupDialog() {
        opened = TakeSetupSnapshot(s);
        OpenSetup(s, d, kDialog);
        d.grid.scrollPos = ClampScrollPos(d.grid.scrollPos, KeyCount(s), kPageRows);
        s.dialogActive = setupOpen = true;
    }
    void CloseSetupDialog() {
        const bool ok = random.Percent(50);
        fake.answer = random.Percent(70) ? kIdOk : kIdCancel;
        if (!ok || SaveSetup(s, kDialog)) // a failed save keeps the dialog open with the edits
            setupOpen = !CloseSetup(s, d, kDialog, view, opened, ok);
    }
    int RandomRow() { return int(random.Below(uint32_t(VisibleRows(s, d.grid)))); }
    // A check box of a row, or an input's enable toggle; the dialog lifts every key first.
    void EditColumn() {
        const int row = RandomRow(), column = random.Pick(kChordBits);
        TakeInjected(false);
        ReleaseAllKeys(s);
        TakeInjected(true);
        const InputWord entry = ChordMask(ReadEntry(s.keyMap.entries[d.grid.scrollPos + row]));
        if (random.Percent(25))
            ToggleInputEnabled(s, column);
        else
            ApplyChordEdit(s, d.grid, row, entry ^ (InputWord{1} << column));
    }
    void PlusOrMinus() { random.Percent(50) ? AddRow(s) : RemoveRow(s, d.grid); }
    void DragRow() {
        const int from = RandomRow();
        const int32_t to = int32_t(random.Below(kPageRows + 2)) - 1;
        if (!BeginPress(s, d.grid, uint32_t(kKeyButtonTop + from * kRowPitch + 5)))
            return;
        const uint32_t dropY = uint32_t(kKeyButtonTop + to * kRowPitch + 3);
        SetDragDetected(d.grid, true);
        TrackPointer(s, d.grid, dropY, true);
        ReleaseDrag(s, d.grid);
        TrackPointer(s, d.grid, dropY, false);
    }
    void Scroll() {
        d.grid.scrollPos = ClampScrollPos(int32_t(random.Below(130)), KeyCount(s), kPageRows);
    }
    void ResetToDefaults() {
        fake.answer = random.Percent(80) ? kIdOk : kIdCancel;
        ResetSetupToDefaults(s, d, kDialog, view);
    }
    void StartCapture() {
        TakeInjected(false);
        BeginKeyCapture(s, d, keyMessages, KeyButtonId(RandomRow()));
        TakeInjected(true);
    }
    void PressKeyForCapture() {
        const uint8_t vk = random.Pick(kCodes);
        d.extendedKeyFlag = random.Percent(30);
        const uint32_t key = vk == 0 ? 'Z' : vk;
        fake.input.physicalDown[key] = true;
        NoteKeyMessage(d, keyMessages, 0x0100, key, d.extendedKeyFlag ? uint64_t{1} << 24 : 0);
        for (int tick = 0; tick < 4 && s.captureActive; ++tick)
            StepKeyCapture(s, d, keyMessages, view, true);
        fake.input.physicalDown[key] = false;
    }
    void EndCapture() { EndKeyCapture(s, d, view); }
    void Activate() { s.dialogActive = !s.dialogActive; }
    // The pointer dialog's stick, curve, dead zone or wheel; now and then a word no dialog makes.
    void PointerChoice() {
        const PointerSettings p{PointerStick(random.Below(4)), 0,    uint8_t(random.Below(101)),
                                uint8_t(random.Below(91)),     1000, WheelSource(random.Below(4))};
        s.pointer =
            random.Percent(90) ? PackPointer(p) : uint64_t{random.Next()} << 32 | random.Next();
    }
    void OtherJoystick() {
        OtherCaps();
        ChooseJoystick(s, int32_t(random.Below(2)), kDialog);
    }
    void Typematic() { SetTypematic(s, !s.typematicOn); }
    void Refusals() {
        uint32_t& insert = fake.input.insertPerCall;
        if (!concurrent)
            insert = insert == UINT32_MAX ? random.Below(4) : UINT32_MAX;
    }
    // The session locks (events refused or dropped from now on, or not) and unlocks.
    void LockOrUnlock() {
        static constexpr std::array<uint32_t, 3> reasons = {kAwayLocked, kAwayDisconnected,
                                                            kAwaySuspended};
        if (!concurrent) {
            fake.input.dropInserted = !awayReason && random.Percent(40);
            fake.input.insertPerCall = !awayReason && random.Percent(30) ? 0 : UINT32_MAX;
        }
        if (!awayReason)
            PauseForSession(s, awayReason = random.Pick(reasons));
        else
            ResumeAfterSession(s, std::exchange(awayReason, 0));
        TakeInjected(true);
    }
    void Timing() {
        static constexpr std::array<int32_t, 8> polls = {3, 10, 50, 100, 100, 250, 1, -5};
        s.timing.pollingInterval = random.Pick(polls);
        s.timing.typematicDelay = int32_t(random.Below(700));
        s.timing.typematicInterval = int32_t(random.Below(900));
        if (random.Percent(20)) {
            s.timing.thresholdPercent = int32_t(random.Below(101));
            CalibrateOrWarn(s, kDialog);
        }
    }
    char RandomSlot() { return char('1' + random.Below(4)); }
    void OtherSlot() { ChangeSlot(s, RandomSlot()); }
    void FollowedSlot() {
        FollowTo(s, Follow(), RandomSlot(), [](const char*) { return true; });
    }
    // Slots 2 to 4 with random key maps (3 with wrong chord sizes, 4 with 100 rows or more).
    void StoreRandomSlots() {
        auto other = std::make_unique<ProgramState>();
        for (char digit = '2'; digit <= '4'; ++digit) {
            ResetKeyMapDefaults(*other, ScanCodeOfKey);
            other->slotDigit = digit;
            other->keyMap.keyCount =
                digit == '4' ? 100 + int32_t(random.Below(29)) : 1 + int32_t(random.Below(12));
            for (KeyMapEntry& shared : other->keyMap.entries) {
                InputWord mask = 0;
                for (uint32_t n = random.Below(4); n > 0; --n)
                    mask |= InputWord{1} << random.Pick(kChordBits);
                KeyMapEntry e{};
                SetChordMask(e, mask);
                e.vk = random.Pick(kCodes);
                e.scan = uint8_t(random.Below(256));
                e.bitCount = uint8_t(CountInputBits(mask));
                if (digit == '3' && random.Percent(20)) { // a damaged store: the count is wrong
                    e.bitCount = uint8_t(random.Below(5));
                    e.reserved = uint8_t(random.Below(256));
                }
                WriteEntry(shared, e);
            }
            other->typematicOn = random.Below(2);
            other->timing.typematicDelay = int32_t(random.Below(700));
            other->timing.typematicInterval = int32_t(random.Below(900));
            other->pointer = PackPointer({digit == '2' ? PointerStick::XY : PointerStick::None});
            SaveSlot(*other);
            SaveTiming(*other);
            SavePointer(*other);
        }
    }
    // The first action whose bound is above the roll; the pad and the session come back soon.
    using Choice = std::pair<uint32_t, void (EngineModelTest::*)()>;
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
            {63, &T::CloseSetupDialog}, {75, &T::EditColumn},   {79, &T::PlusOrMinus},
            {83, &T::DragRow},          {85, &T::Scroll},       {86, &T::ResetToDefaults},
            {89, &T::StartCapture},     {93, &T::Activate},     {95, &T::Typematic},
            {96, &T::OtherJoystick},    {98, &T::PointerChoice}};
        if (fake.joystick.readResult != kJoyNoError && random.Percent(25))
            return Unplug();
        const uint32_t roll = random.Below(100);
        if (awayReason != 0)
            return roll < 5 ? LockOrUnlock() : MoveStick();
        const auto take = [&](std::span<const Choice> choices) {
            for (const Choice& c : choices)
                if (roll < c.first && (c.second != &T::StartCapture || !s.captureActive))
                    return (this->*c.second)(), true;
            return false;
        };
        if (take(kAlways))
            return;
        if (!setupOpen)
            take(kClosed);
        else if (!(s.captureActive && take(kCapturing)))
            take(kOpen);
    }
    // The last cycle's events checked, the user acts; let go two flowing cycles, nothing is down.
    void RunStep(uint32_t sleptMs) {
        const bool produced = fake.joystick.readResult == kJoyNoError && !s.captureActive &&
                              !s.dialogActive && awayReason == 0;
        const std::vector<InputEvent>& events = fake.input.events;
        if (!produced && !std::all_of(events.begin(), events.end(), IsMotion))
            Fail("events injected while the pad is unreadable, a capture runs, a dialog is active "
                 "or the session is away");
        TakeInjected(false);
        CheckDownIsOwed();
        if (sleptMs != kInactiveRetryMilliseconds) {
            // A cycle that found the pointer moving is followed by one that resolves chords.
            const bool quiet = produced && fake.input.insertPerCall == UINT32_MAX &&
                               !s.engine.pointer.moving && s.engine.currentInput.load() == 0;
            quietCycles = quiet ? quietCycles + 1 : 0;
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
    const uint64_t seed = random.seed;
    StoreRandomSlots();
    Calibrate(s);
    stick = fake.joystick.sample;
    fake.onSleep = [this](uint32_t ms) { Aside([&] { RunStep(ms); }); };
    const uint64_t before = allocations.load();
    RunPollLoop(
        s, [](ProgramState& st, bool active) { Aside([&] { ShowTrayState(st, active); }); }, &stop);
    const uint64_t engines = allocations.load() - before - notTheEngines.load();
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
    EXPECT_TRUE(failure.empty()) << failure << "\nseed " << seed << ", step " << steps << ", "
                                 << eventsChecked << " events checked";
    EXPECT_GT(quietChecks, stepsWanted / 100) << "the run let go of everything too seldom";
    EXPECT_GT(motions, stepsWanted / 100) << "the sticks drove the pointer too seldom";
    EXPECT_EQ(engines, 0u) << "allocations of the poll loop";
    std::printf("model test: seed %" PRIu64 ", %" PRIu64 " steps, %" PRIu64 " events checked\n",
                seed, steps, eventsChecked); // scripts/test prints it
}

// Every round lets a cycle run (more run during edits on a free core); the shell re-adds the icon.
TEST_F(EngineModelTest, ConcurrentEdits_ThenExitRelease_LeaveNothingDown) {
    concurrent = true;
    StoreRandomSlots();
    Calibrate(s);
    std::atomic<uint64_t> sleeps{0};
    const auto waitForCycles = [&](uint64_t more) {
        for (const uint64_t target = sleeps.load() + more; sleeps.load() < target;)
            std::this_thread::yield();
    };
    fake.onSleep = [&](uint32_t) { sleeps.fetch_add(1); };
    std::thread poll([this] { RunPollLoop(s, ShowTrayState, &stop); });
    for (int round = 0; round < 1500; ++round) {
        RandomAction();
        if (round % 10 == 0) {
            TrayRemove();
            RestoreTrayIcon(s);
        }
        (void)InputSnapshot(s);
        waitForCycles(1);
    }
    s.dialogActive = s.captureActive = false;
    ResumeAfterSession(s, awayReason);
    SetFakeJoystickReadResult(kJoyNoError);
    waitForCycles(20);
    ReleaseHeldAtExit(s); // while the loop still runs
    waitForCycles(20);
    stop = true;
    poll.join();
    EXPECT_FALSE(AnythingInjectedDown());
    // Return and Left held again, then a crash: its release allocates nothing.
    ResetKeyMapDefaults(s, ScanCodeOfKey);
    s.engine.eventGate = 0;
    SetFakeJoystickSample({{0, 32767, 32767, 32767, 32767, 32767}, 1, kJoyPovCentered});
    JoystickSample sample{};
    PollCycle(s, sample);
    ASSERT_TRUE(AnythingInjectedDown());
    const uint64_t before = allocations.load();
    ReleaseHeldAfterCrash(s);
    EXPECT_EQ(allocations.load(), before) << "the release after a crash";
}

} // namespace
