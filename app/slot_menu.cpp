#include "app/slot_menu.h"

#include <cstring>

#include "app/follow.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "engine/calibration.h"
#include "platform/window.h"
#include "store/portable_mode.h"
#include "store/slot_store.h"
#include "ui/joystick_warning.h"

namespace {
// The fallback name keeps its blanks when no name is stored: they widen the menu.
void PrepareFallbackName(char (&text)[kSlotItemTextSize], char digit) {
    std::memset(text, ' ', kSlotItemTextSize - 1);
    std::memcpy(text, "Config ", 7);
    text[7] = digit;
    text[kSlotItemTextSize - 1] = '\0';
}
} // namespace

void BuildSlotMenu(ProgramState& s, SlotMenu& menu) {
    ImportBeforeLoad(s);
    FollowState& f = Follow();
    ReadFollowLists(s, f);
    const bool dialogOpen = s.setupDialog != nullptr;
    for (int i = 1; i <= kMenuSlots; ++i) {
        SlotMenuItem& item = menu.slots[i - 1];
        const char digit = static_cast<char>('0' + i);
        item.id = kCommandSlotFirst + i;
        PrepareFallbackName(item.text, digit);
        // The stored name is read into the first 32 bytes; the name buffer ends in a NUL there.
        ReadSlotName(s, digit, *reinterpret_cast<char(*)[kConfigNameSize]>(item.text));
        item.checked = s.slotDigit == digit;
        item.grayed = dialogOpen;
    }
    menu.followChecked = !f.pinned && FollowingOn(s, f);
    menu.followGrayed = f.pinned || dialogOpen;
    menu.setupGrayed = dialogOpen;
}

void UseSlot(ProgramState& s, char slotDigit, bool warn) {
    FollowState& f = Follow();
    f.changing = true;
    s.slotDigit = slotDigit;
    FormatWindowTitle(slotDigit, s.windowTitle);
    SetWindowTitle(s.mainWindow, s.windowTitle);
    LoadSlot(s);
    if (warn)
        CalibrateOrWarn(s, s.mainWindow);
    else
        Calibrate(s);
    ReadFollowLists(s, f);
    f.changing = false;
}

void ChangeSlot(ProgramState& s, char slotDigit) {
    UseSlot(s, slotDigit, true);
    SaveSelectedSlot(s);
    ExportPortableFile(s);
    FollowState& f = Follow();
    f.userSlot = slotDigit;
    ShowFollowed(s, f);
}
