#include "tests/fakes/fake_input.h"

#include <mutex>

#include "platform/input.h"

namespace {
// Like the system's, injection may come from the poll thread and the user-interface thread at
// once.
std::mutex injecting;
} // namespace

FakeInput& TheFakeInput() {
    static FakeInput input;
    return input;
}

void ResetFakeInput() {
    FakeInput& f = TheFakeInput();
    f.events.clear();
    f.events.reserve(1 << 16);
    f.refused.clear();
    f.refused.reserve(1 << 12);
    f.insertPerCall = UINT32_MAX;
    f.dropInserted = false;
    f.calls = 0;
    for (bool& down : f.physicalDown)
        down = false;
    for (bool& down : f.injectedDown)
        down = false;
    for (bool& down : f.mouseDown)
        down = false;
}

bool AnythingInjectedDown() {
    const FakeInput& f = TheFakeInput();
    for (bool down : f.injectedDown)
        if (down)
            return true;
    for (bool down : f.mouseDown)
        if (down)
            return true;
    return false;
}

namespace {
void Arrive(FakeInput& f, const InjectedEvent& e) {
    f.events.push_back(e);
    if (e.kind == InjectedEvent::Key) {
        f.injectedDown[e.vk] = (e.flags & kKeyEventKeyUp) == 0;
        return;
    }
    struct Button {
        uint32_t down, up, data;
    };
    static const Button buttons[kFakeMouseButtons] = {{kMouseLeftDown, kMouseLeftUp, 0},
                                                      {kMouseRightDown, kMouseRightUp, 0},
                                                      {kMouseMiddleDown, kMouseMiddleUp, 0},
                                                      {kMouseXDown, kMouseXUp, kXButton1},
                                                      {kMouseXDown, kMouseXUp, kXButton2}};
    for (int b = 0; b < kFakeMouseButtons; ++b) {
        const bool x = buttons[b].data != 0;
        if (x && e.data != buttons[b].data)
            continue;
        if (e.flags & buttons[b].down)
            f.mouseDown[b] = true;
        if (e.flags & buttons[b].up)
            f.mouseDown[b] = false;
    }
}
} // namespace

uint32_t SendInputEvents(const InputEvent* events, uint32_t count) {
    const std::lock_guard<std::mutex> lock(injecting);
    FakeInput& f = TheFakeInput();
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

// Scan codes of a US keyboard for the keys the tests use; 0 for the rest, like a key without one.
uint32_t ScanCodeOfKey(uint32_t vk) {
    if (vk >= 'A' && vk <= 'Z') {
        static const uint8_t letters[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17,
                                            0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19, 0x10, 0x13,
                                            0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
        return letters[vk - 'A'];
    }
    switch (vk) {
    case 9:
        return 0x0F; // Tab
    case 13:
        return 0x1C; // Return
    case 16:
        return 0x2A; // Shift
    case 17:
        return 0x1D; // Control
    case 18:
        return 0x38; // Alt
    case 32:
        return 0x39; // Space
    case 37:
        return 0x4B; // Left
    case 38:
        return 0x48; // Up
    case 39:
        return 0x4D; // Right
    case 40:
        return 0x50; // Down
    case 45:
        return 0x52; // Insert
    case 46:
        return 0x53; // Delete
    case 160:
        return 0x2A; // Left Shift
    case 161:
        return 0x36; // Right Shift
    case 162:
        return 0x1D; // Left Control
    case 164:
        return 0x38; // Left Alt
    default:
        return 0;
    }
}

bool IsKeyDownNow(uint32_t vk) {
    return vk < 256 && TheFakeInput().physicalDown[vk];
}
