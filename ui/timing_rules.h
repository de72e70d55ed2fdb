#pragma once
// Validation and control ranges of the timing dialog.
#include <cstdint>

constexpr int32_t kMinInterval = 3; // polling and typematic interval, ms
constexpr int32_t kMinTypematicDelay = 0;
constexpr int32_t kInvalidTimingValue = 3; // what an unreadable or too small value becomes

constexpr int32_t kSpinMin = 0;
constexpr int32_t kSpinMax = 1000;
constexpr int32_t kSpinRefuseBelow = 3;
struct SpinAccel {
    uint32_t seconds;
    uint32_t increment;
};
constexpr SpinAccel kSpinAccel[2] = {{0, 1}, {2, 10}};

constexpr int32_t kThresholdMin = 5;
constexpr int32_t kThresholdMax = 95;
constexpr int32_t kThresholdPage = 5;
constexpr int32_t kThresholdTick = 10;

// A timing box's text as a number, read as GetDlgItemInt without sign reads it (blanks around it
// allowed), except that digit groups as an up-down control writes them for the user's locale
// ("1,000", "1.000", "1 000") count as one number. False when the text is no number or needs
// more than 32 bits.
bool ReadTimingText(const char* text, uint32_t& number);

// GetDlgItemInt without sign gives a number and whether the text was one. The number is taken
// as signed, so 2147483648 and above count as negative.
int32_t ValidInterval(bool readable, uint32_t number);       // polling and typematic interval
int32_t ValidTypematicDelay(bool readable, uint32_t number); // 0 stands

// UDN_DELTAPOS: whether an up-down control may move from position by delta. A step down is
// refused when it would end below 3; a step up is always taken, so a value typed below 3 can
// still be spun up one step at a time.
bool AcceptSpin(int32_t position, int32_t delta);
