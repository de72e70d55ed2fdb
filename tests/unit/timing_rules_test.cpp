#include "ui/timing_rules.h"

#include <gtest/gtest.h>

namespace {

TEST(TimingValidation, SmallNegativeOrUnreadableValuesBecomeThreeExceptADelayFromZero) {
    for (uint32_t typed : {0u, 2u, 2147483648u, 4294967295u})
        EXPECT_EQ(ValidInterval(true, typed), 3) << typed;
    EXPECT_EQ(ValidInterval(false, 250), 3);
    EXPECT_EQ(ValidInterval(true, 3), 3);
    EXPECT_EQ(ValidInterval(true, 1001), 1001) << "no upper limit";

    EXPECT_EQ(ValidTypematicDelay(true, 0), 0);
    EXPECT_EQ(ValidTypematicDelay(true, 2), 2);
    EXPECT_EQ(ValidTypematicDelay(true, 2147483648u), 3);
    EXPECT_EQ(ValidTypematicDelay(false, 0), 3);
}

TEST(TimingValidation, ABoxTextIsReadWithItsDigitGroupsAsOneNumber) {
    const struct {
        const char* text;
        bool readable;
        uint32_t number;
    } rows[] = {
        {"1000", true, 1000},     {" 250 ", true, 250},  {"1,000", true, 1000},
        {"1.000", true, 1000},    {"1 000", true, 1000}, {"4,294,967,295", true, 4294967295u},
        {"4294967296", false, 0}, {"", false, 0},        {"12a", false, 0},
        {"-5", false, 0},         {"1,00", false, 0},    {"1000,000", false, 0},
        {",100", false, 0},       {"1,,000", false, 0},  {"1,000,", false, 0}};
    for (const auto& row : rows) {
        uint32_t number = 0;
        EXPECT_EQ(ReadTimingText(row.text, number), row.readable) << row.text;
        EXPECT_EQ(number, row.number) << row.text;
    }
}

TEST(SpinLimit, StepsDownStopAtThreeWhileStepsUpAreAlwaysTaken) {
    EXPECT_TRUE(AcceptSpin(4, -1));
    EXPECT_FALSE(AcceptSpin(3, -1));
    EXPECT_FALSE(AcceptSpin(12, -10));
    EXPECT_TRUE(AcceptSpin(0, 1)) << "a delay typed as 0 can be spun up";
}

} // namespace
