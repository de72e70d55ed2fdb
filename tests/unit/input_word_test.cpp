#include "engine/input_word.h"

#include "engine/calibration.h"
#include "tests/unit/fixture.h"
#include "ui/joystick_warning.h"

namespace {

constexpr InputWord kUp = 1 << 12, kRight = 1 << 13, kDown = 1 << 14, kLeft = 1 << 15;

// Every axis 0..1000: center 500, threshold 250 at 50 %.
struct InputWordTest : FakeSystemTest {
    JoystickSample sample{{500, 500, 500, 500, 500, 500}, 0, kJoyPovCentered};
    InputWordTest() {
        for (uint32_t& max : fake.joystick.caps.axisMax)
            max = 1000;
        Calibrate(s);
    }
    InputWord Word() const { return BuildInputWord(sample, s.calibration); }
    std::vector<uint32_t> Axis(int k) const {
        const Calibration& c = s.calibration;
        return {c.center[k].load(), c.range[k].load(), c.threshold[k].load()};
    }
};

TEST_F(InputWordTest, Axes_StrictlyBeyondThresholdSetLowOrHigh_OnlyTheAxesTheJoystickHas) {
    for (int k = 0; k < kAxisCount; ++k) {
        const std::pair<uint32_t, int> cases[] = {
            {750, -1}, {751, 1}, {250, -1}, {249, 0}, {~0u, 0}};
        for (const auto& [position, bit] : cases) {
            sample.pos[k] = position;
            EXPECT_EQ(Word(), bit < 0 ? 0 : InputWord{1} << (2 * k + bit)) << k << " " << position;
        }
        sample.pos[k] = 500;
    }
    for (uint32_t& position : sample.pos)
        position = 1000;
    for (const auto& [axes, bits] : {std::pair<uint32_t, InputWord>{0, 0}, {3, 0b101010}}) {
        fake.joystick.caps.numAxes = axes;
        Calibrate(s);
        EXPECT_EQ(Word(), bits) << axes;
    }
    s.timing.thresholdPercent = 0;
    Calibrate(s);
    sample = {{501, 499, 500}, 0, kJoyPovCentered};
    EXPECT_EQ(Word(), InputWord{0b0110});
}

// Each row a sector of the hat, first and last angle; beyond 360 degrees nothing.
TEST_F(InputWordTest, Hat_SectorsWithTheirBoundaries_OnlyWithHasPov) {
    const uint32_t first[] = {0, 3001, 7500, 12001, 16500, 21001, 25500, 30001, 34500, 36001, ~0u};
    const uint32_t last[] = {3000,  7499,  12000, 16499, 21000, 25499,
                             30000, 34499, 36000, 65535, ~0u};
    const InputWord bits[] = {
        kUp, kUp | kRight, kRight, kRight | kDown, kDown, kDown | kLeft, kLeft, kLeft | kUp, kUp, 0,
        0};
    for (int i = 0; i < 11; ++i)
        for (uint32_t pov : {first[i], last[i]}) {
            sample.pov = pov;
            EXPECT_EQ(Word(), bits[i]) << "pov " << pov;
        }
    fake.joystick.caps.caps = 0;
    Calibrate(s);
    sample.pov = 0;
    EXPECT_EQ(Word(), 0u) << "no hat";
    sample.buttons = 0x80000001u;
    EXPECT_EQ(Word(), Button(1) | Button(32)) << "buttons 1 and 32 are bits 16 and 47";
}

// Button columns round up to even and stop at 32; centre, range and threshold in unsigned
// arithmetic (an odd sum loses its half; the sum of bounds wraps in 32 bits); at most six axes.
TEST_F(InputWordTest, Calibration_ButtonColumnsAndAxesInUnsignedArithmetic) {
    const std::pair<uint32_t, int32_t> buttons[] = {{0, 0},   {1, 2},   {12, 12},  {13, 14},
                                                    {32, 32}, {40, 32}, {255, 32}, {~0u, 32}};
    for (const auto& [reported, columns] : buttons) {
        fake.joystick.caps.numButtons = reported;
        Calibrate(s);
        EXPECT_EQ(s.calibration.numButtons, columns) << reported;
    }
    JoystickCaps& caps = fake.joystick.caps;
    caps.axisMax[1] = 1001;
    caps.axisMin[2] = 100, caps.axisMax[2] = 300;
    caps.axisMin[3] = 0xFFFFFF00u, caps.axisMax[3] = 0xFFFFFFFFu;
    caps.numAxes = 9;
    Calibrate(s);
    EXPECT_EQ(Axis(0), (std::vector<uint32_t>{500, 1000, 250}));
    EXPECT_EQ(Axis(1), (std::vector<uint32_t>{500, 1001, 250}));
    EXPECT_EQ(Axis(2), (std::vector<uint32_t>{200, 200, 50}));
    EXPECT_EQ(Axis(3)[0], 0x7FFFFF7Fu);
    EXPECT_EQ(s.calibration.numAxes, 6u);
}

TEST_F(InputWordTest, FailedQuery_IsWarnedEveryCallAndKeepsTheLastGoodValues) {
    s.joystickId = 2;
    fake.joystick.caps.numAxes = 2;
    EXPECT_TRUE(CalibrateOrWarn(s, nullptr));
    EXPECT_EQ(fake.joystick.lastCapsId, 2u);
    fake.joystick.capsResult = 165;
    fake.joystick.caps.axisMax[0] = 4000;
    s.timing.thresholdPercent = 10;
    EXPECT_FALSE(Calibrate(s));
    const WindowHandle owner = &fake;
    EXPECT_FALSE(CalibrateOrWarn(s, owner));
    CalibrateOrWarn(s, owner);
    ASSERT_EQ(fake.messages.size(), 2u) << "only the warning says so, every time";
    const ShownMessage& m = fake.messages[0];
    EXPECT_EQ(std::tie(m.text, m.buttons, m.owner),
              std::tuple("Selected joystick not installed", kMbOk | kMbSetForeground, owner));
    EXPECT_EQ(s.calibration.numButtons, 0);
    EXPECT_EQ(Axis(0), (std::vector<uint32_t>{500, 1000, 250}));
    EXPECT_EQ(s.calibration.numAxes, 2u);
}

} // namespace
