#include "engine/key_events.h"

namespace {
struct MouseButton {
    uint8_t vk;
    uint32_t down;
    uint32_t up;
    uint32_t data;
};
constexpr MouseButton kMouseButtons[] = {
    {1, kMouseLeftDown, kMouseLeftUp, 0},     {2, kMouseRightDown, kMouseRightUp, 0},
    {4, kMouseMiddleDown, kMouseMiddleUp, 0}, {5, kMouseXDown, kMouseXUp, kXButton1},
    {6, kMouseXDown, kMouseXUp, kXButton2},
};

const MouseButton* FindMouseButton(uint8_t vk) {
    for (const MouseButton& b : kMouseButtons)
        if (b.vk == vk)
            return &b;
    return nullptr;
}

InputEvent KeyEventOf(HeldPress p, uint32_t upFlag) {
    const uint8_t scan = PressedScan(p);
    const uint32_t extended = (scan & kScanExtendedBit) ? kKeyEventExtended : 0;
    return {InputEvent::Key,
            PressedVk(p),
            static_cast<uint8_t>(scan & kScanCodeBits),
            extended | upFlag,
            0,
            0,
            0};
}

InputEvent MouseEventOf(const MouseButton& b, uint32_t flags) {
    return {InputEvent::Mouse, 0, 0, flags, b.data, 0, 0};
}
} // namespace

bool IsMouseButtonCode(uint8_t vk) {
    return FindMouseButton(vk) != nullptr;
}

InputEvent PressEvent(HeldPress p) {
    const MouseButton* b = FindMouseButton(PressedVk(p));
    return b != nullptr ? MouseEventOf(*b, b->down) : KeyEventOf(p, 0);
}

InputEvent ReleaseEvent(HeldPress p) {
    const MouseButton* b = FindMouseButton(PressedVk(p));
    return b != nullptr ? MouseEventOf(*b, b->up) : KeyEventOf(p, kKeyEventKeyUp);
}
