#include <mutex>

#include "tests/fakes/fake_system.h"

namespace {
// Like the system's, injection may come from the poll thread and the user-interface thread at
// once.
std::mutex injecting;

void Arrive(FakeInput& f, const InputEvent& e) {
    f.events.push_back(e);
    if (e.kind == InputEvent::Key)
        f.injectedDown[e.vk] = (e.flags & kKeyEventKeyUp) == 0;
    for (int b = 0; b < kFakeMouseButtons && e.kind == InputEvent::Mouse; ++b) {
        const FakeMouseButton& button = kFakeMouseButtonEvents[b];
        if (button.data == 0 || e.data == button.data)
            f.mouseDown[b] = (f.mouseDown[b] || (e.flags & button.down)) && !(e.flags & button.up);
    }
}
} // namespace

bool AnythingInjectedDown() {
    const FakeInput& f = Fake().input;
    for (bool down : f.injectedDown)
        if (down)
            return true;
    for (bool down : f.mouseDown)
        if (down)
            return true;
    return false;
}

uint32_t SendInputEvents(const InputEvent* events, uint32_t count) {
    const std::lock_guard<std::mutex> lock(injecting);
    FakeInput& f = Fake().input;
    ++f.calls;
    const uint32_t inserted = count < f.insertPerCall ? count : f.insertPerCall;
    for (uint32_t k = 0; k < count; ++k) {
        if (k >= inserted)
            f.refused.push_back(events[k]);
        else if (!f.dropInserted)
            Arrive(f, events[k]);
    }
    return inserted;
}

// A US keyboard's scan codes for the keys whose codes the tests look at; 0 for the rest, like a
// key without one.
uint32_t ScanCodeOfKey(uint32_t vk) {
    static const std::pair<uint32_t, uint32_t> kScans[] = {
        {'A', 0x1E}, {9, 0x0F},  {13, 0x1C}, {16, 0x2A},  {37, 0x4B},  {38, 0x48},
        {39, 0x4D},  {40, 0x50}, {45, 0x52}, {160, 0x2A}, {161, 0x36}, {162, 0x1D}};
    for (const auto& [key, scan] : kScans)
        if (key == vk)
            return scan;
    return 0;
}

bool IsKeyDownNow(uint32_t vk) {
    return vk < 256 && Fake().input.physicalDown[vk];
}
