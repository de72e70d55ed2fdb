#pragma once
#include <string>

#include "platform/window.h"

struct FakeWindow {
    WindowHandle lastWindow = nullptr;
    std::string title;
};

FakeWindow& TheFakeWindow();
