#include "engine/calibration.h"

#include <algorithm>

#include "platform/joystick.h"

namespace {
void ApplyCaps(ProgramState& s, const JoystickCaps& caps) {
    Calibration& c = s.calibration;
    // Odd counts round up to the next even number. Capping first keeps a driver's absurd count
    // (255, or 0xFFFFFFFF) from wrapping to 0.
    const uint32_t buttons = std::min<uint32_t>(caps.numButtons, kMaxButtonColumns);
    c.numButtons.store(static_cast<int32_t>((buttons + 1) & ~1u), std::memory_order_relaxed);
    c.numAxes.store(std::min<uint32_t>(caps.numAxes, kAxisCount), std::memory_order_relaxed);
    c.capsFlags.store(caps.caps, std::memory_order_relaxed);

    const uint32_t percent =
        static_cast<uint32_t>(s.timing.thresholdPercent.load(std::memory_order_relaxed));
    for (int k = 0; k < kAxisCount; ++k) {
        const uint32_t min = caps.axisMin[k];
        const uint32_t max = caps.axisMax[k];
        const uint32_t center = (min + max) >> 1;
        c.center[k].store(center, std::memory_order_relaxed);
        c.range[k].store(max - min, std::memory_order_relaxed);
        c.threshold[k].store((max - center) * percent / 100, std::memory_order_relaxed);
    }
    c.succeeded.store(true, std::memory_order_release);
}
} // namespace

bool Calibrate(ProgramState& s) {
    Calibration& c = s.calibration;
    c.numButtons.store(0, std::memory_order_relaxed);
    if (ReadJoystickCaps(s.joystickId.load(std::memory_order_relaxed), c.caps) != kJoyNoError)
        return false;
    ApplyCaps(s, c.caps);
    return true;
}

void CalibrateIfNeverCalibrated(ProgramState& s) {
    if (s.calibration.succeeded.load(std::memory_order_acquire))
        return;
    JoystickCaps caps{};
    if (ReadJoystickCaps(s.joystickId.load(std::memory_order_relaxed), caps) == kJoyNoError)
        ApplyCaps(s, caps);
}
