// The poll loop on its own thread against the edits the user-interface thread makes; meant for
// the ThreadSanitizer build.
#include <atomic>
#include <thread>

#include "engine/calibration.h"
#include "engine/poll_loop.h"
#include "tests/unit/engine_fixture.h"

namespace {

struct PollThreadTest : EngineTest {
    std::atomic<bool> stop{false};
    std::atomic<uint64_t> sleeps{0};
    uint32_t seed = 12345;

    PollThreadTest() {
        ResetKeyMapDefaults(s);
        SetEntry(6, Button(1) | Button(2), 'P');
        SetEntry(7, Button(3), 1);
        RecomputeMaxChordSize(s);
        Calibrate(s, nullptr);
        TheFakeClock().onSleep = [this](uint32_t) { sleeps.fetch_add(1); };
    }
    uint32_t Next() { return seed = seed * 1103515245u + 12345u; }
    void WaitForCycles(uint64_t more) {
        for (const uint64_t target = sleeps.load() + more; sleeps.load() < target;)
            std::this_thread::yield();
    }
};

TEST_F(PollThreadTest, ConcurrentEdits_ThenExitRelease_LeaveNothingDown) {
    std::thread poll([this] { RunPollLoop(s, &stop); });
    for (int round = 0; round < 400; ++round) {
        JoystickSample sample{};
        for (uint32_t& position : sample.pos)
            position = Next() & 0xFFFF;
        sample.buttons = Next() & 0xF;
        sample.pov = Next() % 40000;
        SetFakeJoystickSample(sample);

        SetEntry(Next() % 10, InputWord{Next() & 0xF} | InputWord{Next() & 0xF} << 16,
                 static_cast<uint8_t>(Next()));
        s.keyMap.keyCount = 1 + Next() % 10;
        RecomputeMaxChordSize(s);
        RecomputeZoneMode(s);
        s.enabledMask = ~(InputWord{1} << (Next() % 20));
        s.typematicOn = Next() & 1;
        s.timing.pollingInterval = static_cast<int32_t>(Next() % 8) - 2;
        s.timing.typematicDelay = Next() % 50;
        s.timing.typematicInterval = Next() % 80;
        s.timing.thresholdPercent = Next() % 101;
        Calibrate(s, nullptr);
        s.dialogActive = Next() % 7 == 0;
        s.captureActive = Next() % 11 == 0;
        (void)s.engine.currentInput.load();
        if (round % 40 == 0)
            WaitForCycles(3);
    }
    s.dialogActive = false;
    s.captureActive = false;
    WaitForCycles(20);
    ReleaseHeldAtExit(s); // while the loop still runs
    WaitForCycles(20);
    stop = true;
    poll.join();

    EXPECT_FALSE(AnythingInjectedDown());
}

} // namespace
