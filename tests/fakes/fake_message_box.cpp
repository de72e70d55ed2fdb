#include "tests/fakes/fake_message_box.h"

FakeMessageBox& TheFakeMessageBox() {
    static FakeMessageBox box;
    return box;
}

void SetMessageBoxCaption(const char*) {}

int ShowMessageBox(WindowHandle owner, const char* text, uint32_t buttons) {
    TheFakeMessageBox().shown.push_back({owner, text, buttons});
    return TheFakeMessageBox().answer;
}
