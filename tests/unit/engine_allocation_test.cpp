// Counts the allocations of this test program, to show that an engine cycle makes none.
#include <atomic>
#include <cstdlib>
#include <new>

#include "engine/calibration.h"
#include "engine/held_keys.h"
#include "engine/poll_loop.h"
#include "tests/unit/fixture.h"

namespace {
std::atomic<uint64_t> allocations{0};

void* CountedAllocation(std::size_t size) noexcept {
    allocations.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size != 0 ? size : 1);
}
} // namespace

// The replaced operators pair malloc with free; GCC cannot see that they replace each other.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
    if (void* p = CountedAllocation(size))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return CountedAllocation(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return CountedAllocation(size);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

struct EngineAllocationTest : EngineTest {
    EngineAllocationTest() {
        Calibrate(s);
    }
    // Alternates two joystick states so that presses, repeats and releases all happen.
    uint64_t AllocationsOverCycles(uint32_t buttons) {
        JoystickSample sample{}, held = fake.joystick.sample, idle = held;
        held.buttons = buttons;
        held.pos[0] = 0;
        held.pov = 4500;
        uint64_t counted = 0;
        for (int batch = 0; batch < 20; ++batch) {
            fake.input.events.clear(); // keeps its capacity
            const uint64_t before = allocations.load();
            for (int c = 0; c < 100; ++c) {
                SetFakeJoystickSample(c % 7 < 4 ? held : idle);
                fake.nowMicroseconds += 8000; // the pointer moves between cycles
                PollCycle(s, sample);
            }
            counted += allocations.load() - before;
        }
        return counted;
    }
};

TEST_F(EngineAllocationTest, Cycle_AllocatesNothing_DefaultAndFullKeyMaps) {
    EXPECT_EQ(AllocationsOverCycles(0b11), 0u);
    s.pointer = PackPointer({PointerStick::XY, 0, 50, 15, 1000, WheelSource::Hat, 10});
    EXPECT_EQ(AllocationsOverCycles(0b11), 0u) << "the pointer and the wheel moving";
    s.pointer = kDefaultPointerWord;

    for (int i = 0; i < kMaxKeys; ++i)
        SetEntry(i, (InputWord{1} << (i % 48 + 1)) - 1, static_cast<uint8_t>(i + 7));
    s.keyMap.keyCount = kMaxKeys;
    RecomputeMaxChordSize(s);
    EXPECT_EQ(AllocationsOverCycles(0xFFFFFFFF), 0u);
    EXPECT_GT(fake.input.events.size(), 0u);

    const uint64_t before = allocations.load();
    ASSERT_TRUE(AnythingInjectedDown());
    ReleaseHeldAfterCrash(s);
    EXPECT_EQ(allocations.load(), before) << "the release after a crash";
}

} // namespace
