#include "tests/fakes/fake_window.h"

FakeWindow& TheFakeWindow() {
    static FakeWindow window;
    return window;
}

void SetWindowTitle(WindowHandle window, const char* title) {
    TheFakeWindow().lastWindow = window;
    TheFakeWindow().title = title;
}
