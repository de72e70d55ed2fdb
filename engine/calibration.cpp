#include "engine/calibration.h"

#include <algorithm>
#include <cstring>

#include "platform/joystick.h"

namespace {
constexpr auto kRelaxed = std::memory_order_relaxed;

void CapsWords(const JoystickCaps& caps, uint32_t (&words)[kJoystickCapsWords]) {
    std::memcpy(words, &caps, sizeof caps);
}

void ApplyCaps(ProgramState& s, const JoystickCaps& caps) {
    Calibration& c = s.calibration;
    // Odd counts round up to the next even number. Capping first keeps a driver's absurd count
    // (255, or 0xFFFFFFFF) from wrapping to 0.
    const uint32_t buttons = std::min<uint32_t>(caps.numButtons, kMaxButtonColumns);
    c.numButtons.store(static_cast<int32_t>((buttons + 1) & ~1u), kRelaxed);
    c.numAxes.store(std::min<uint32_t>(caps.numAxes, kAxisCount), kRelaxed);
    c.capsFlags.store(caps.caps, kRelaxed);

    const uint32_t percent = static_cast<uint32_t>(s.timing.thresholdPercent.load(kRelaxed));
    for (int k = 0; k < kAxisCount; ++k) {
        const uint32_t min = caps.axisMin[k];
        const uint32_t max = caps.axisMax[k];
        const uint32_t center = (min + max) >> 1;
        c.center[k].store(center, kRelaxed);
        c.range[k].store(max - min, kRelaxed);
        c.threshold[k].store((max - center) * percent / 100, kRelaxed);
    }
    uint32_t words[kJoystickCapsWords];
    CapsWords(caps, words);
    for (int i = 0; i < kJoystickCapsWords; ++i)
        c.caps[i].store(words[i], kRelaxed);
    c.succeeded.store(true, std::memory_order_release);
}

// A calibration running meanwhile on the other thread may show a mix: that counts as other
// capabilities, and calibrating again from these is harmless.
bool SameAsCalibrated(const Calibration& c, const JoystickCaps& caps) {
    if (!c.succeeded.load(std::memory_order_acquire))
        return false;
    uint32_t words[kJoystickCapsWords];
    CapsWords(caps, words);
    for (int i = 0; i < kJoystickCapsWords; ++i)
        if (c.caps[i].load(kRelaxed) != words[i])
            return false;
    return true;
}
} // namespace

bool Calibrate(ProgramState& s) {
    s.calibration.numButtons.store(0, kRelaxed);
    JoystickCaps caps{};
    if (ReadJoystickCaps(s.joystickId.load(kRelaxed), caps) != kJoyNoError)
        return false;
    ApplyCaps(s, caps);
    return true;
}

void CalibrateReturningJoystick(ProgramState& s) {
    JoystickCaps caps{};
    if (ReadJoystickCaps(s.joystickId.load(kRelaxed), caps) == kJoyNoError &&
        !SameAsCalibrated(s.calibration, caps))
        ApplyCaps(s, caps);
}
