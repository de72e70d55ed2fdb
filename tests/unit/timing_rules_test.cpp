#include "ui/timing_rules.h"

#include <gtest/gtest.h>

namespace {

TEST(TimingValidation, IntervalsBelowThreeOrUnreadableBecomeThree) {
    for (uint32_t typed : {0u, 1u, 2u}) {
        EXPECT_EQ(ValidInterval(true, typed), 3) << typed;
    }
    EXPECT_EQ(ValidInterval(true, 3), 3);
    EXPECT_EQ(ValidInterval(true, 100), 100);
    EXPECT_EQ(ValidInterval(false, 0), 3) << "empty or not a number";
    EXPECT_EQ(ValidInterval(false, 250), 3);
}

TEST(TimingValidation, DelayKeepsZeroToTwoButNotNegativeOrUnreadable) {
    for (uint32_t typed : {0u, 1u, 2u}) {
        EXPECT_EQ(ValidTypematicDelay(true, typed), static_cast<int32_t>(typed)) << typed;
    }
    EXPECT_EQ(ValidTypematicDelay(true, 500), 500);
    EXPECT_EQ(ValidTypematicDelay(false, 0), 3);
}

TEST(TimingValidation, NumbersFrom2147483648OnAreNegativeAndBecomeThree) {
    for (uint32_t typed : {2147483648u, 3000000000u, 4294967295u}) {
        EXPECT_EQ(ValidInterval(true, typed), 3) << typed;
        EXPECT_EQ(ValidTypematicDelay(true, typed), 3) << typed;
    }
    EXPECT_EQ(ValidInterval(true, 2147483647u), 2147483647);
}

TEST(TimingValidation, ValuesAboveTheSpinRangeStandAsTyped) {
    EXPECT_EQ(ValidInterval(true, 1001), 1001);
    EXPECT_EQ(ValidTypematicDelay(true, 5000), 5000);
}

TEST(SpinLimit, StepsDownStopAtThree) {
    EXPECT_TRUE(AcceptSpin(4, -1));
    EXPECT_FALSE(AcceptSpin(3, -1));
    EXPECT_FALSE(AcceptSpin(12, -10)) << "an accelerated step may not jump below either";
    EXPECT_TRUE(AcceptSpin(13, -10));
    EXPECT_FALSE(AcceptSpin(2, -1));
}

TEST(SpinLimit, StepsUpAreTakenEvenFromAValueTypedBelowThree) {
    EXPECT_TRUE(AcceptSpin(0, 1));
    EXPECT_TRUE(AcceptSpin(1, 1));
    EXPECT_TRUE(AcceptSpin(3, 1));
    EXPECT_TRUE(AcceptSpin(999, 10)) << "the control itself stops at 1000";
}

} // namespace
