// The poll loop on its own thread against the edits the user-interface thread makes; meant for
// the ThreadSanitizer build.
#include <atomic>
#include <thread>

#include "app/tray.h"
#include "engine/calibration.h"
#include "engine/held_keys.h"
#include "engine/poll_loop.h"
#include "platform/tray.h"
#include "tests/unit/fixture.h"
#include "ui/grid_drag.h"
#include "ui/grid_edit.h"
#include "ui/grid_layout.h"
#include "ui/key_capture.h"
#include "ui/setup_commands.h"

namespace {

struct PollThreadTest : EngineTest {
    std::atomic<bool> stop{false};
    std::atomic<uint64_t> sleeps{0};
    uint32_t seed = 12345;
    SetupDialogState d;
    KeyMessageMemory keyMessages;
    NullCaptureView view;

    PollThreadTest() {
        SetEntry(6, Button(1) | Button(2), 'P');
        SetEntry(7, Button(3), 1);
        RecomputeMaxChordSize(s);
        Calibrate(s);
        d.grid.pageRows = 6;
        fake.onSleep = [this](uint32_t) { sleeps.fetch_add(1); };
    }
    uint32_t Next() { return seed = seed * 1103515245u + 12345u; }
    void WaitForCycles(uint64_t more) {
        for (const uint64_t target = sleeps.load() + more; sleeps.load() < target;)
            std::this_thread::yield();
    }
};

TEST_F(PollThreadTest, ConcurrentEdits_ThenExitRelease_LeaveNothingDown) {
    std::thread poll([this] { RunPollLoop(s, ShowTrayState, &stop); });
    // Every round lets at least one cycle run, so the loop works on every edited state; with a
    // second core free, cycles also run in the middle of the edits.
    for (int round = 0; round < 1500; ++round) {
        JoystickSample sample{};
        for (uint32_t& position : sample.pos)
            position = Next() & 0xFFFF;
        sample.buttons = Next() & 0xF;
        sample.pov = Next() % 40000;
        SetFakeJoystickSample(sample);

        switch (Next() % 8) {
        case 0: // a key capture: lifts what is held, then takes the held inputs
            BeginKeyCapture(s, d, keyMessages, KeyButtonId(static_cast<int>(Next() % 6)));
            fake.input.physicalDown['K'] = true;
            StepKeyCapture(s, d, keyMessages, view, false);
            fake.input.physicalDown['K'] = false;
            break;
        case 1: // a check-box chord edit
            ReleaseAllKeys(s);
            ApplyChordEdit(s, d.grid, static_cast<int>(Next() % 6),
                           InputWord{Next() & 0xF} | InputWord{Next() & 0xF} << 16);
            break;
        case 2:
            ReleaseAllKeys(s);
            ToggleInputEnabled(s, static_cast<int>(Next() % 20));
            break;
        case 3:
            MoveEntry(s, static_cast<int32_t>(Next() % 10), static_cast<int32_t>(Next() % 10));
            break;
        case 4:
            if (Next() & 1)
                AddRow(s);
            else
                RemoveRow(s, d.grid);
            break;
        case 5:
            if (Next() % 8 == 0)
                ResetKeyMapDefaults(s, ScanCodeOfKey);
            RecomputeMaxChordSize(s);
            break;
        default:
            SetEntry(Next() % 10, InputWord{Next() & 0xF} | InputWord{Next() & 0xF} << 16,
                     static_cast<uint8_t>(Next()));
            s.keyMap.keyCount = 1 + Next() % 10;
            RecomputeMaxChordSize(s);
            RecomputeZoneMode(s);
        }
        s.typematicOn = Next() & 1;
        s.timing.pollingInterval = static_cast<int32_t>(Next() % 8) - 2;
        s.timing.typematicDelay = Next() % 50;
        s.timing.typematicInterval = Next() % 80;
        if (round % 10 == 0) {
            s.timing.thresholdPercent = Next() % 101;
            Calibrate(s);
            // The pad away or back, and the shell made anew.
            SetFakeJoystickReadResult(Next() % 3 == 0 ? 167 : kJoyNoError);
            TrayRemove();
            RestoreTrayIcon(s);
        }
        s.dialogActive = Next() % 7 == 0;
        if (round % 50 == 0) { // the session locked and unlocked
            PauseForSession(s, kAwayLocked);
            ResumeAfterSession(s, kAwayLocked);
        }
        (void)InputSnapshot(s);
        WaitForCycles(1);
    }
    s.dialogActive = false;
    s.captureActive = false;
    SetFakeJoystickReadResult(kJoyNoError);
    WaitForCycles(20);
    ReleaseHeldAtExit(s); // while the loop still runs
    WaitForCycles(20);
    stop = true;
    poll.join();

    EXPECT_FALSE(AnythingInjectedDown());
}

} // namespace
