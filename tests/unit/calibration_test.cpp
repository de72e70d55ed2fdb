#include "engine/calibration.h"

#include "tests/unit/engine_fixture.h"
#include "ui/joystick_warning.h"

namespace {

struct CalibrationTest : EngineTest {
    void SetBounds(int k, uint32_t min, uint32_t max) {
        TheFakeJoystick().caps.axisMin[k] = min;
        TheFakeJoystick().caps.axisMax[k] = max;
    }
    std::vector<uint32_t> Axis(int k) const {
        const Calibration& c = s.calibration;
        return {c.center[k].load(), c.range[k].load(), c.threshold[k].load()};
    }
};

TEST_F(CalibrationTest, ButtonColumns_OddCountsRoundUpAndAtMost32) {
    const std::pair<uint32_t, int32_t> cases[] = {{0, 0},   {1, 2},   {12, 12},  {13, 14},
                                                  {32, 32}, {40, 32}, {255, 32}, {~0u, 32}};
    for (const auto& [reported, columns] : cases) {
        TheFakeJoystick().caps.numButtons = reported;
        Calibrate(s);
        EXPECT_EQ(s.calibration.numButtons, columns) << reported;
    }
}

TEST_F(CalibrationTest, Axes_CenterRangeThresholdInUnsignedArithmetic) {
    SetBounds(0, 0, 1000);
    SetBounds(1, 0, 1001); // an odd sum loses its half
    SetBounds(2, 100, 300);
    SetBounds(3, 0xFFFFFF00u, 0xFFFFFFFFu); // the sum wraps in 32 bits
    TheFakeJoystick().caps.numAxes = 9;
    Calibrate(s);

    EXPECT_EQ(Axis(0), (std::vector<uint32_t>{500, 1000, 250}));
    EXPECT_EQ(Axis(1), (std::vector<uint32_t>{500, 1001, 250}));
    EXPECT_EQ(Axis(2), (std::vector<uint32_t>{200, 200, 50}));
    EXPECT_EQ(Axis(3)[0], 0x7FFFFF7Fu);
    EXPECT_EQ(s.calibration.numAxes, 6u) << "never more axes than the sample holds";

    s.timing.thresholdPercent = 0;
    Calibrate(s);
    for (int k = 0; k < kAxisCount; ++k)
        EXPECT_EQ(Axis(k)[2], 0u) << k;
}

TEST_F(CalibrationTest, FailedQuery_IsReportedAndWarnedEveryCallAndKeepsLastGoodValues) {
    s.joystickId = 2;
    SetBounds(0, 0, 1000);
    TheFakeJoystick().caps.numAxes = 2;
    TheFakeJoystick().caps.caps = kJoyCapsHasPov;
    EXPECT_TRUE(CalibrateOrWarn(s, nullptr));
    EXPECT_TRUE(TheFakeMessageBox().shown.empty());
    EXPECT_EQ(TheFakeJoystick().lastCapsId, 2u);

    TheFakeJoystick().capsResult = 165;
    SetBounds(0, 0, 4000);
    s.timing.thresholdPercent = 10;
    EXPECT_FALSE(Calibrate(s));
    EXPECT_TRUE(TheFakeMessageBox().shown.empty()) << "the calibration itself shows nothing";
    const WindowHandle owner = reinterpret_cast<WindowHandle>(0x1234);
    EXPECT_FALSE(CalibrateOrWarn(s, owner));
    CalibrateOrWarn(s, owner);

    ASSERT_EQ(TheFakeMessageBox().shown.size(), 2u);
    EXPECT_EQ(TheFakeMessageBox().shown[0].text, "Selected joystick not installed");
    EXPECT_EQ(TheFakeMessageBox().shown[0].buttons, kMbOk | kMbSetForeground);
    EXPECT_EQ(TheFakeMessageBox().shown[0].owner, owner);
    EXPECT_EQ(s.calibration.numButtons, 0);
    EXPECT_EQ(Axis(0), (std::vector<uint32_t>{500, 1000, 250}));
    EXPECT_EQ(s.calibration.numAxes, 2u);
    EXPECT_EQ(s.calibration.capsFlags, kJoyCapsHasPov);
}

} // namespace
