#include "core/pointer_settings.h"

namespace {
constexpr int kAxisX = 0, kAxisY = 1, kAxisZ = 2, kAxisR = 3, kAxisU = 4;
constexpr uint64_t kHatUpBit = uint64_t{1} << 12;
constexpr uint64_t kHatDownBit = uint64_t{1} << 14;

uint64_t AxisBits(int axis) {
    return axis == kNoAxis ? 0 : uint64_t{3} << (2 * axis);
}
} // namespace

StickAxes AxesOf(PointerStick stick) {
    switch (stick) {
    case PointerStick::XY:
        return {kAxisX, kAxisY};
    case PointerStick::UR:
        return {kAxisU, kAxisR};
    case PointerStick::ZR:
        return {kAxisZ, kAxisR};
    default:
        return {kNoAxis, kNoAxis};
    }
}

int WheelAxisOf(WheelSource wheel) {
    switch (wheel) {
    case WheelSource::AxisY:
        return kAxisY;
    case WheelSource::AxisR:
        return kAxisR;
    default:
        return kNoAxis;
    }
}

bool ValidPointer(const PointerSettings& p) {
    const auto stick = static_cast<int>(p.stick);
    const auto wheel = static_cast<int>(p.wheel);
    if (stick >= kPointerStickChoices || wheel >= kWheelSourceChoices || p.invertVertical > 1 ||
        p.curvePercent > kMaxCurvePercent || p.deadZonePercent > kMaxDeadZonePercent ||
        p.speed < kMinPointerSpeed || p.speed > kMaxPointerSpeed || p.wheelSpeed < kMinWheelSpeed ||
        p.wheelSpeed > kMaxWheelSpeed)
        return false;
    return !WheelClashes(p);
}

bool WheelClashes(const PointerSettings& p) {
    const StickAxes axes = AxesOf(p.stick);
    const int wheel = WheelAxisOf(p.wheel);
    return wheel != kNoAxis && (wheel == axes.horizontal || wheel == axes.vertical);
}

PointerSettings UsablePointer(uint64_t word) {
    const PointerSettings p = UnpackPointer(word);
    return ValidPointer(p) ? p : PointerSettings{};
}

bool PointerInUse(const PointerSettings& p) {
    return p.stick != PointerStick::None || p.wheel != WheelSource::None;
}

uint64_t PointerInputBits(const PointerSettings& p) {
    const StickAxes axes = AxesOf(p.stick);
    uint64_t bits =
        AxisBits(axes.horizontal) | AxisBits(axes.vertical) | AxisBits(WheelAxisOf(p.wheel));
    if (p.wheel == WheelSource::Hat)
        bits |= kHatUpBit | kHatDownBit;
    return bits;
}
