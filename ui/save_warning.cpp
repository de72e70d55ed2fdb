#include "ui/save_warning.h"

#include "platform/message_box.h"

bool SavedOrWarned(bool saved, WindowHandle owner) {
    if (!saved)
        ShowMessageBox(owner, kNotSavedText, kMbOk);
    return saved;
}
