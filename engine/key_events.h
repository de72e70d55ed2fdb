#pragma once
// The key or mouse button a key map entry produces, as the record the engine keeps from a press
// to its release, and the events of that press and release.
#include <cstdint>

#include "core/program_state.h"
#include "platform/input.h"

// HeldPress packing: bits 0..7 vk, bits 8..15 the whole scan byte (bit 15 is the extended-key
// flag), bit 16 kCounterBiased. Bits 0..15 say what was pressed.
constexpr HeldPress kPressIdentity = 0xFFFF;
// The chord counter is stored one below the held time, which would otherwise be 0 while the
// press is in effect (see chords.cpp).
constexpr HeldPress kCounterBiased = 0x10000;

constexpr uint8_t kScanCodeBits = 0x7F;
constexpr uint8_t kScanExtendedBit = 0x80;

inline HeldPress PressOf(const KeyMapEntry& e) {
    return HeldPress{e.vk} | HeldPress{e.scan} << 8;
}
inline uint8_t PressedVk(HeldPress p) {
    return static_cast<uint8_t>(p);
}
inline uint8_t PressedScan(HeldPress p) {
    return static_cast<uint8_t>(p >> 8);
}

// vk 1, 2, 4, 5 and 6: left, right, middle, first and second extra mouse button.
bool IsMouseButtonCode(uint8_t vk);

// Key-down, or the mouse button-down, of the pressed thing.
InputEvent PressEvent(HeldPress p);
// Key-up with the same scan code and extended flag as the press, or the mouse button-up.
InputEvent ReleaseEvent(HeldPress p);
