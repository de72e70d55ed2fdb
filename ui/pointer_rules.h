#pragma once
// The pointer dialog's decisions: what its lists offer, how a choice or a typed number becomes
// settings, and where the live view draws the stick.
#include <cstdint>

#include "core/pointer_settings.h"

// List items in PointerStick and WheelSource order.
constexpr const char* kPointerStickItems[kPointerStickChoices] = {
    "None", "X / Y: left stick", "U / R: right stick (XInput pad)",
    "Z / R: right stick (other pads)"};
constexpr const char* kWheelSourceItems[kWheelSourceChoices] = {"None", "Hat up and down", "Y axis",
                                                                "R axis"};

constexpr int32_t kCurveTick = 10;
constexpr int32_t kDeadZoneTick = 10;
constexpr int32_t kSliderPage = 5;
constexpr uintptr_t kStickViewTimerId = 1;
constexpr uint32_t kStickViewPeriodMs = 50;

// A list's selection; an index the list does not hold (no selection) keeps the settings. A wheel
// on an axis of the chosen stick gives way, and so does a stick whose axis the chosen wheel takes:
// the choice just made wins.
PointerSettings ChooseStick(PointerSettings p, int32_t index);
PointerSettings ChooseWheel(PointerSettings p, int32_t index);

// A number typed into a box, as read (ReadTimingText): clamped into least..most; text that is no
// number keeps `current`.
int32_t TypedNumber(bool readable, uint32_t number, int32_t least, int32_t most, int32_t current);
// A slider's position, clamped into 0..most.
uint8_t SliderValue(int32_t position, int32_t most);

// "Default": the response and the speeds back to their defaults; the chosen stick and wheel stay.
PointerSettings DefaultTuning(const PointerSettings& p);

// The live view in a client area of width × height pixels: the stick's travel as a circle, the
// dead zone inside it, and a dot where the stick stands (dx, dy in kFullDeflection units).
struct ViewCircle {
    int32_t left, top, right, bottom;
};
struct StickView {
    ViewCircle rim;
    ViewCircle deadZone;
    ViewCircle dot;
};
StickView StickViewGeometry(int32_t width, int32_t height, int deadZonePercent, int32_t dx,
                            int32_t dy);
