#include "ui/pointer_rules.h"

#include <algorithm>

#include "engine/pointer.h"

namespace {
constexpr int32_t kViewMargin = 2;
constexpr int32_t kSmallestDot = 2;
constexpr int32_t kDotsPerRim = 12; // the dot's radius is this part of the rim's

ViewCircle Around(int32_t x, int32_t y, int32_t radius) {
    return {x - radius, y - radius, x + radius + 1, y + radius + 1};
}
} // namespace

PointerSettings ChooseStick(PointerSettings p, int32_t index) {
    if (index < 0 || index >= kPointerStickChoices)
        return p;
    p.stick = static_cast<PointerStick>(index);
    if (WheelClashes(p))
        p.wheel = WheelSource::None;
    return p;
}

PointerSettings ChooseWheel(PointerSettings p, int32_t index) {
    if (index < 0 || index >= kWheelSourceChoices)
        return p;
    p.wheel = static_cast<WheelSource>(index);
    if (WheelClashes(p))
        p.stick = PointerStick::None;
    return p;
}

int32_t TypedNumber(bool readable, uint32_t number, int32_t least, int32_t most, int32_t current) {
    if (!readable)
        return current;
    return static_cast<int32_t>(std::clamp<int64_t>(number, least, most));
}

uint8_t SliderValue(int32_t position, int32_t most) {
    return static_cast<uint8_t>(std::clamp(position, 0, most));
}

PointerSettings DefaultTuning(const PointerSettings& p) {
    PointerSettings tuned;
    tuned.stick = p.stick;
    tuned.wheel = p.wheel;
    return tuned;
}

StickView StickViewGeometry(int32_t width, int32_t height, int deadZonePercent, int32_t dx,
                            int32_t dy) {
    const int32_t radius = std::max(0, std::min(width, height) / 2 - kViewMargin);
    const int32_t x = width / 2;
    const int32_t y = height / 2;
    const auto along = [radius](int32_t d) {
        return static_cast<int32_t>(
            int64_t{radius} * std::clamp(d, -kFullDeflection, kFullDeflection) / kFullDeflection);
    };
    const int32_t dot = std::max(kSmallestDot, radius / kDotsPerRim);
    return {Around(x, y, radius), Around(x, y, radius * std::clamp(deadZonePercent, 0, 100) / 100),
            Around(x + along(dx), y + along(dy), dot)};
}
