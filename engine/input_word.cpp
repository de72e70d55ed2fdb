#include "engine/input_word.h"

#include <algorithm>

namespace {
constexpr int kHatDirections = 4;
constexpr int32_t kHatQuarter = 9000;
// A direction covers from 60 degrees before its angle to 75 degrees after, both ends excluded.
constexpr int32_t kHatBefore = 6000;
constexpr int32_t kHatAfter = 7500;

InputWord Bit(int n) {
    return InputWord{1} << n;
}

// Direction k is tested at its own angle and, for up, once more at 360 degrees.
InputWord HatBits(uint32_t pov) {
    const int32_t angle = static_cast<int32_t>(pov);
    InputWord bits = 0;
    for (int k = 0; k <= kHatDirections; ++k) {
        const int32_t at = kHatQuarter * k;
        if (at - kHatBefore < angle && angle < at + kHatAfter)
            bits |= Bit(kHatFirstBit + k % kHatDirections);
    }
    return bits;
}
} // namespace

InputWord BuildInputWord(const JoystickSample& sample, const Calibration& c) {
    InputWord word = InputWord{sample.buttons} << kButtonFirstBit;

    const uint32_t axes = std::min<uint32_t>(c.numAxes.load(std::memory_order_relaxed), kAxisCount);
    for (uint32_t k = 0; k < axes; ++k) {
        // Signed 32-bit difference; widened so that negating it cannot overflow.
        const int64_t d =
            static_cast<int32_t>(sample.pos[k] - c.center[k].load(std::memory_order_relaxed));
        const int64_t threshold =
            static_cast<int32_t>(c.threshold[k].load(std::memory_order_relaxed));
        if (-d > threshold)
            word |= Bit(2 * k);
        if (d > threshold)
            word |= Bit(2 * k + 1);
    }

    if ((c.capsFlags.load(std::memory_order_relaxed) & kJoyCapsHasPov) &&
        sample.pov <= kHatMaxAngle)
        word |= HatBits(sample.pov);
    return word;
}
