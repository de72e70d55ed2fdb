// Counts the allocations of this test program, to show that an engine cycle makes none. The
// library's array and nothrow forms of new and delete call these.
#include <atomic>
#include <cstdlib>
#include <new>

#include "engine/calibration.h"
#include "engine/held_keys.h"
#include "engine/poll_loop.h"
#include "tests/unit/fixture.h"

namespace {
std::atomic<uint64_t> allocations{0};
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

// Two joystick states alternate so that presses, repeats and releases all happen; the pointer
// moves between cycles.
uint64_t AllocationsOverCycles(ProgramState& s, uint32_t buttons) {
    JoystickSample sample{}, held = Fake().joystick.sample, idle = held;
    held.buttons = buttons;
    held.pos[0] = 0;
    held.pov = 4500;
    uint64_t counted = 0;
    for (int batch = 0; batch < 20; ++batch) {
        Fake().input.events.clear(); // keeps its capacity
        const uint64_t before = allocations.load();
        for (int c = 0; c < 100; ++c) {
            SetFakeJoystickSample(c % 7 < 4 ? held : idle);
            Fake().nowMicroseconds += 8000;
            PollCycle(s, sample);
        }
        counted += allocations.load() - before;
    }
    return counted;
}

TEST_F(EngineTest, Cycle_AllocatesNothing_DefaultAndFullKeyMaps) {
    Calibrate(s);
    EXPECT_EQ(AllocationsOverCycles(s, 0b11), 0u);
    s.pointer = PackPointer({PointerStick::XY, 0, 50, 15, 1000, WheelSource::Hat, 10});
    EXPECT_EQ(AllocationsOverCycles(s, 0b11), 0u) << "the pointer and the wheel moving";
    s.pointer = kDefaultPointerWord;
    for (int i = 0; i < kMaxKeys; ++i)
        SetEntry(i, (InputWord{1} << (i % 48 + 1)) - 1, static_cast<uint8_t>(i + 7));
    s.keyMap.keyCount = kMaxKeys;
    RecomputeMaxChordSize(s);
    EXPECT_EQ(AllocationsOverCycles(s, 0xFFFFFFFF), 0u);
    EXPECT_GT(fake.input.events.size(), 0u);
    const uint64_t before = allocations.load();
    ASSERT_TRUE(AnythingInjectedDown());
    ReleaseHeldAfterCrash(s);
    EXPECT_EQ(allocations.load(), before) << "the release after a crash";
}

} // namespace
