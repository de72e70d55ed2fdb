#include "engine/input_word.h"

#include "engine/calibration.h"
#include "tests/unit/engine_fixture.h"

namespace {

constexpr InputWord kUp = 1 << 12, kRight = 1 << 13, kDown = 1 << 14, kLeft = 1 << 15;

// Every axis 0..1000: center 500, threshold 250 at 50 %.
struct InputWordTest : EngineTest {
    JoystickSample sample{{500, 500, 500, 500, 500, 500}, 0, kJoyPovCentered};
    InputWordTest() {
        for (uint32_t& max : TheFakeJoystick().caps.axisMax)
            max = 1000;
        Calibrate(s);
    }
    InputWord Word() const { return BuildInputWord(sample, s.calibration); }
};

TEST_F(InputWordTest, Axes_StrictlyBeyondThresholdSetLowOrHigh) {
    for (int k = 0; k < kAxisCount; ++k) {
        const std::pair<uint32_t, InputWord> cases[] = {{750, 0},
                                                        {751, InputWord{1} << (2 * k + 1)},
                                                        {250, 0},
                                                        {249, InputWord{1} << (2 * k)},
                                                        {0xFFFFFFFF, InputWord{1} << (2 * k)}};
        for (const auto& [position, bits] : cases) {
            sample.pos[k] = position;
            EXPECT_EQ(Word(), bits) << "axis " << k << " at " << position;
        }
        sample.pos[k] = 500;
    }
    s.timing.thresholdPercent = 0;
    Calibrate(s);
    sample.pos[0] = 501;
    sample.pos[1] = 499;
    EXPECT_EQ(Word(), InputWord{0b0110});
}

TEST_F(InputWordTest, AxisCount_LimitsWhichPositionsAreRead) {
    for (uint32_t& position : sample.pos)
        position = 1000;
    const std::pair<uint32_t, InputWord> cases[] = {
        {0, 0}, {2, 0b1010}, {3, 0b101010}, {6, 0b101010101010}};
    for (const auto& [axes, bits] : cases) {
        TheFakeJoystick().caps.numAxes = axes;
        Calibrate(s);
        EXPECT_EQ(Word(), bits) << axes;
    }
}

TEST_F(InputWordTest, Hat_SectorsWithTheirBoundaries_OnlyWithHasPov) {
    const std::pair<uint32_t, InputWord> table[] = {{0, kUp},
                                                    {3000, kUp},
                                                    {3001, kUp | kRight},
                                                    {7499, kUp | kRight},
                                                    {7500, kRight},
                                                    {12000, kRight},
                                                    {12001, kRight | kDown},
                                                    {16499, kRight | kDown},
                                                    {16500, kDown},
                                                    {21000, kDown},
                                                    {21001, kDown | kLeft},
                                                    {25499, kDown | kLeft},
                                                    {25500, kLeft},
                                                    {30000, kLeft},
                                                    {30001, kLeft | kUp},
                                                    {34499, kLeft | kUp},
                                                    {34500, kUp},
                                                    {36000, kUp},
                                                    {36001, 0},
                                                    {65535, 0},
                                                    {0xFFFFFFFF, 0}};
    for (const auto& [pov, bits] : table) {
        sample.pov = pov;
        EXPECT_EQ(Word(), bits) << "pov " << pov;
    }
    TheFakeJoystick().caps.caps = 0;
    Calibrate(s);
    for (uint32_t pov : {0u, 4500u, 9000u, 18000u, 27000u}) {
        sample.pov = pov;
        EXPECT_EQ(Word(), 0u) << "no hat: pov " << pov;
    }
}

TEST_F(InputWordTest, Buttons_OneAndThirtyTwoAreBitsSixteenAndFortySeven) {
    sample.buttons = 1;
    EXPECT_EQ(Word(), Button(1));
    sample.buttons = 0x80000000u;
    EXPECT_EQ(Word(), InputWord{1} << 47);
}

} // namespace
