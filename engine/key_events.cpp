#include "engine/key_events.h"

#include "platform/input.h"

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

void InjectKeyOf(HeldPress p, uint32_t upFlag) {
    const uint8_t scan = PressedScan(p);
    const uint32_t extended = (scan & kScanExtendedBit) ? kKeyEventExtended : 0;
    InjectKey(PressedVk(p), scan & kScanCodeBits, extended | upFlag);
}
} // namespace

bool IsMouseButtonCode(uint8_t vk) {
    return FindMouseButton(vk) != nullptr;
}

void InjectPress(HeldPress p) {
    if (const MouseButton* b = FindMouseButton(PressedVk(p)))
        InjectMouse(b->down, b->data);
    else
        InjectKeyOf(p, 0);
}

void InjectRelease(HeldPress p) {
    if (const MouseButton* b = FindMouseButton(PressedVk(p)))
        InjectMouse(b->up, b->data);
    else
        InjectKeyOf(p, kKeyEventKeyUp);
}
