#include "ui/timing_rules.h"

#include <cstring>

namespace {
constexpr int kGroupDigits = 3;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsGroupSeparator(char c) {
    return c == ',' || c == '.' || c == ' ' || c == '\'' || c == '\xA0';
}
} // namespace

bool ReadTimingText(const char* text, uint32_t& number) {
    const char* first = text;
    while (*first == ' ')
        ++first;
    const char* end = first + std::strlen(first);
    while (end > first && end[-1] == ' ')
        --end;
    uint64_t value = 0;
    int groupDigits = 0; // digits since the start or the last separator
    bool grouped = false;
    for (const char* c = first; c < end; ++c) {
        if (IsDigit(*c)) {
            value = value * 10 + static_cast<uint64_t>(*c - '0');
            if (value > UINT32_MAX)
                return false;
            ++groupDigits;
            continue;
        }
        const bool groupEnds =
            grouped ? groupDigits == kGroupDigits : groupDigits >= 1 && groupDigits <= kGroupDigits;
        if (!IsGroupSeparator(*c) || !groupEnds)
            return false;
        grouped = true;
        groupDigits = 0;
    }
    if (groupDigits == 0 || (grouped && groupDigits != kGroupDigits))
        return false;
    number = static_cast<uint32_t>(value);
    return true;
}

int32_t ValidInterval(bool readable, uint32_t number) {
    const int32_t value = static_cast<int32_t>(number);
    return readable && value >= kMinInterval ? value : kInvalidTimingValue;
}

int32_t ValidTypematicDelay(bool readable, uint32_t number) {
    const int32_t value = static_cast<int32_t>(number);
    return readable && value >= kMinTypematicDelay ? value : kInvalidTimingValue;
}

bool AcceptSpin(int32_t position, int32_t delta) {
    if (delta >= 0)
        return true;
    return int64_t{position} + delta >= kSpinRefuseBelow;
}
