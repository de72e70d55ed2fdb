#include "engine/pointer.h"

#include <algorithm>

#include "engine/input_word.h"

namespace {
constexpr auto kRelaxed = std::memory_order_relaxed;
constexpr int64_t kMilli = 1000;
constexpr int64_t kPercent = 100;
constexpr InputWord kHatUp = InputWord{1} << kHatFirstBit;
constexpr InputWord kHatDown = InputWord{1} << (kHatFirstBit + 2);

int64_t IntegerSqrt(uint64_t n) {
    uint64_t root = 0;
    uint64_t bit = uint64_t{1} << 62;
    while (bit > n)
        bit >>= 2;
    for (; bit != 0; bit >>= 2) {
        if (n >= root + bit) {
            n -= root + bit;
            root = (root >> 1) + bit;
        } else {
            root >>= 1;
        }
    }
    return static_cast<int64_t>(root);
}

// 0..kFullDeflection: the part of the travel beyond the dead zone, through a blend of the linear
// and the cubic response. Both reach full at full deflection, so the speed there is the speed set.
int64_t Response(const PointerSettings& p, int64_t magnitude, bool deadZone) {
    const int64_t zone = deadZone ? p.deadZonePercent * int64_t{kFullDeflection} / kPercent : 0;
    const int64_t m = std::min<int64_t>(magnitude, kFullDeflection);
    if (m <= zone)
        return 0;
    const int64_t t = (m - zone) * kFullDeflection / (kFullDeflection - zone);
    const int64_t full2 = int64_t{kFullDeflection} * kFullDeflection;
    const int64_t c = p.curvePercent;
    return t * ((kPercent - c) * full2 + c * t * t) / (kPercent * full2);
}

int32_t DeflectionOf(int axis, const JoystickSample& sample, const Calibration& c) {
    if (axis == kNoAxis || static_cast<uint32_t>(axis) >= c.numAxes.load(kRelaxed))
        return 0;
    return AxisDeflection(sample.pos[axis], c.center[axis].load(kRelaxed),
                          c.range[axis].load(kRelaxed));
}

// Whole units out of the remainder, which keeps the rest.
int64_t TakeWhole(int64_t& rest) {
    const int64_t whole = rest / kNanoUnitsPerUnit;
    rest -= whole * kNanoUnitsPerUnit;
    return whole;
}

InputEvent MouseEvent(uint32_t flags, int32_t dx, int32_t dy, uint32_t data) {
    return {InputEvent::Mouse, 0, 0, flags, data, dx, dy};
}

bool MoveStick(PointerMemory& m, const PointerSettings& p, const PointerInputs& in, EventBatch& b,
               uint64_t elapsedUs) {
    const Velocity v = PointerVelocity(p, in.dx, in.dy);
    if (v.x == 0 && v.y == 0) {
        m.restX = m.restY = 0;
        return false;
    }
    m.restX += v.x * static_cast<int64_t>(elapsedUs);
    m.restY += v.y * static_cast<int64_t>(elapsedUs);
    const int64_t x = TakeWhole(m.restX);
    const int64_t y = TakeWhole(m.restY);
    if (x != 0 || y != 0)
        QueueMotion(b, MouseEvent(kMouseMove, static_cast<int32_t>(x), static_cast<int32_t>(y), 0));
    return true;
}

// A notch goes out as soon as the wheel starts turning (or turns the other way); the rate then
// decides when the next ones follow.
bool TurnWheel(PointerMemory& m, const PointerSettings& p, const PointerInputs& in, EventBatch& b,
               uint64_t elapsedUs) {
    const int64_t rate = p.wheel == WheelSource::None ? 0 : WheelRate(p, in.wheel, in.wheelIsAxis);
    const int8_t direction = rate > 0 ? 1 : rate < 0 ? -1 : 0;
    if (direction == 0)
        m.restWheel = 0;
    else if (direction != m.wheelDirection)
        m.restWheel = direction * kNanoUnitsPerUnit;
    else
        m.restWheel += rate * static_cast<int64_t>(elapsedUs);
    m.wheelDirection = direction;
    const int64_t notches = TakeWhole(m.restWheel);
    if (notches != 0)
        QueueMotion(b,
                    MouseEvent(kMouseWheel, 0, 0,
                               static_cast<uint32_t>(static_cast<int32_t>(notches * kWheelDelta))));
    return direction != 0;
}
} // namespace

int32_t AxisDeflection(uint32_t position, uint32_t center, uint32_t range) {
    const int64_t half = range / 2;
    if (half == 0)
        return 0;
    const int64_t d = static_cast<int32_t>(position - center);
    return static_cast<int32_t>(
        std::clamp<int64_t>(d * kFullDeflection / half, -kFullDeflection, kFullDeflection));
}

Velocity PointerVelocity(const PointerSettings& p, int32_t dx, int32_t dy) {
    const int64_t x = dx;
    const int64_t y = p.invertVertical ? -int64_t{dy} : int64_t{dy};
    const int64_t magnitude = IntegerSqrt(static_cast<uint64_t>(x * x + y * y));
    const int64_t response = Response(p, magnitude, true);
    if (response == 0)
        return {0, 0};
    const int64_t speed = p.speed * kMilli * response / kFullDeflection;
    return {speed * x / magnitude, speed * y / magnitude};
}

int64_t WheelRate(const PointerSettings& p, int32_t dy, bool deadZone) {
    const int64_t magnitude = dy < 0 ? -int64_t{dy} : int64_t{dy};
    const int64_t rate = p.wheelSpeed * kMilli * Response(p, magnitude, deadZone) / kFullDeflection;
    return dy < 0 ? rate : -rate;
}

PointerInputs ReadPointerInputs(const PointerSettings& p, const JoystickSample& sample,
                                const Calibration& c, InputWord raw) {
    const StickAxes axes = AxesOf(p.stick);
    PointerInputs in{DeflectionOf(axes.horizontal, sample, c),
                     DeflectionOf(axes.vertical, sample, c), 0, true};
    if (p.wheel == WheelSource::Hat) {
        in.wheel = (raw & kHatUp) ? -kFullDeflection : (raw & kHatDown) ? kFullDeflection : 0;
        in.wheelIsAxis = false;
    } else {
        in.wheel = DeflectionOf(WheelAxisOf(p.wheel), sample, c);
    }
    return in;
}

uint64_t PackDeflection(int32_t dx, int32_t dy) {
    return uint64_t{static_cast<uint32_t>(dx)} | uint64_t{static_cast<uint32_t>(dy)} << 32;
}

void UnpackDeflection(uint64_t word, int32_t& dx, int32_t& dy) {
    dx = static_cast<int32_t>(static_cast<uint32_t>(word));
    dy = static_cast<int32_t>(static_cast<uint32_t>(word >> 32));
}

bool MovePointer(PointerMemory& m, const PointerSettings& p, const PointerInputs& in, EventBatch& b,
                 uint64_t nowUs) {
    // Leaving the rest, the pointer starts from where the stick is seen, not from a jump for the
    // time since the last read (up to a polling interval).
    const uint64_t longest = m.moving ? kLongestPointerStepUs : uint64_t{kPointerPeriodMs} * 1000;
    const uint64_t elapsed = nowUs > m.lastUpdate ? std::min(nowUs - m.lastUpdate, longest) : 0;
    m.lastUpdate = nowUs;
    const bool stick = MoveStick(m, p, in, b, elapsed);
    const bool wheel = TurnWheel(m, p, in, b, elapsed);
    m.moving = stick || wheel;
    return m.moving;
}

void RestPointer(PointerMemory& m, uint64_t nowUs) {
    m = PointerMemory{};
    m.lastUpdate = nowUs;
}
