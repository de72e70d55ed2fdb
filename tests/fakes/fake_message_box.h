#pragma once
#include <string>
#include <vector>

#include "platform/message_box.h"

struct ShownMessage {
    WindowHandle owner;
    std::string text;
    uint32_t buttons;
};

struct FakeMessageBox {
    std::vector<ShownMessage> shown;
    int answer = kIdOk; // what the "user" clicks
};

FakeMessageBox& TheFakeMessageBox();
