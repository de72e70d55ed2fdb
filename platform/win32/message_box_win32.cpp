#include <windows.h>

#include "platform/message_box.h"

static_assert(MB_OK == kMbOk && MB_OKCANCEL == kMbOkCancel && MB_YESNO == kMbYesNo);
static_assert(MB_SETFOREGROUND == kMbSetForeground);
static_assert(IDOK == kIdOk && IDCANCEL == kIdCancel && IDYES == kIdYes && IDNO == kIdNo);

namespace {
const char* messageBoxCaption = "";
} // namespace

void SetMessageBoxCaption(const char* caption) {
    messageBoxCaption = caption;
}

int ShowMessageBox(WindowHandle owner, const char* text, uint32_t buttons) {
    return MessageBoxA(static_cast<HWND>(owner), text, messageBoxCaption, buttons);
}
