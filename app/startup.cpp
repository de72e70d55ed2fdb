#include "app/startup.h"

#include <cstring>

namespace {
constexpr char kTitleTemplate[] = "Padwright Config 1";
static_assert(sizeof(kTitleTemplate) <= kWindowTitleSize);
} // namespace

void FormatWindowTitle(char slotDigit, char (&title)[kWindowTitleSize]) {
    std::memcpy(title, kTitleTemplate, sizeof(kTitleTemplate));
    title[sizeof(kTitleTemplate) - 2] = slotDigit;
}

bool StepToFreeSlot(ProgramState& s, bool (*isTaken)(const char* title)) {
    FormatWindowTitle(s.slotDigit, s.windowTitle);
    while (isTaken(s.windowTitle)) {
        // Character codes compare unsigned, so a byte above 0x7F counts as above '6' and gives
        // up instead of stepping through the whole character set.
        if (static_cast<unsigned char>(s.slotDigit) >= static_cast<unsigned char>('6'))
            return false;
        ++s.slotDigit;
        FormatWindowTitle(s.slotDigit, s.windowTitle);
    }
    return true;
}
