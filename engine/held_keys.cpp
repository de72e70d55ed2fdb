#include "engine/held_keys.h"

#include "engine/event_batch.h"
#include "engine/key_events.h"
#include "platform/clock.h"

namespace {
constexpr uint32_t kEventsOpen = 0;
constexpr uint32_t kEventsBusy = 1;
constexpr uint32_t kEventsStopped = 2;
constexpr uint32_t kEventsPaused = 3;

constexpr uint32_t Gate(uint32_t state) {
    return 1u << state;
}

// Moves the gate from one of the states in `from` to `to`, waiting out whoever holds it busy
// (a cycle takes microseconds). False when it is in none of them.
bool TakeGate(EngineMemory& m, uint32_t from, uint32_t to) {
    for (;;) {
        uint32_t state = m.eventGate.load(std::memory_order_relaxed);
        if (state == kEventsBusy) {
            SleepMilliseconds(1);
            continue;
        }
        if ((from & Gate(state)) == 0)
            return false;
        if (m.eventGate.compare_exchange_strong(state, to, std::memory_order_acquire,
                                                std::memory_order_relaxed))
            return true;
    }
}

// Every key held, down or owed, released once, and every counter cleared.
void ReleaseEverything(EngineMemory& m, uint8_t marks) {
    EventBatch batch(m);
    QueueReleases(batch, true, marks);
    for (std::atomic<int32_t>& counter : m.chordCounter)
        counter.store(0, std::memory_order_relaxed);
    SendEvents(batch);
}
} // namespace

bool BeginEvents(ProgramState& s) {
    uint32_t expected = kEventsOpen;
    return s.engine.eventGate.compare_exchange_strong(
        expected, kEventsBusy, std::memory_order_acquire, std::memory_order_relaxed);
}

void EndEvents(ProgramState& s) {
    // A crash may have stopped the gate meanwhile; it stays stopped.
    uint32_t expected = kEventsBusy;
    s.engine.eventGate.compare_exchange_strong(expected, kEventsOpen, std::memory_order_release,
                                               std::memory_order_relaxed);
}

void ReleaseAllKeys(ProgramState& s) {
    if (!TakeGate(s.engine, Gate(kEventsOpen), kEventsBusy))
        return; // paused or stopped: nothing is held
    EventBatch batch(s.engine);
    QueueReleases(batch, true, kOwedIfRefused);
    SendEvents(batch);
    EndEvents(s);
}

void PauseForSession(ProgramState& s, uint32_t reason) {
    EngineMemory& m = s.engine;
    const bool first = m.awayReasons == 0;
    m.awayReasons |= reason;
    if (first && TakeGate(m, Gate(kEventsOpen), kEventsPaused))
        ReleaseEverything(m, kOwedIfDelivered);
}

void ResumeAfterSession(ProgramState& s, uint32_t reason) {
    EngineMemory& m = s.engine;
    if ((m.awayReasons & reason) == 0)
        return;
    m.awayReasons &= ~reason;
    if (m.awayReasons != 0 || !TakeGate(m, Gate(kEventsPaused), kEventsBusy))
        return;
    EventBatch batch(m);
    QueueReleases(batch, false);
    SendEvents(batch);
    EndEvents(s);
}

void ReleaseHeldAtExit(ProgramState& s) {
    const uint32_t from = Gate(kEventsOpen) | Gate(kEventsPaused) | Gate(kEventsStopped);
    TakeGate(s.engine, from, kEventsStopped);
    ReleaseEverything(s.engine, 0);
}

void ReleaseHeldAfterCrash(ProgramState& s) {
    s.engine.eventGate.store(kEventsStopped, std::memory_order_relaxed);
    HeldPress releases[kKeyCodes];
    const int n = CollectReleases(s.engine, true, releases);
    for (int k = 0; k < n; ++k) {
        const InputEvent release = ReleaseEvent(releases[k]);
        SendInputEvents(&release, 1);
    }
}
