#pragma once
#include <string>
#include <vector>

// The shell's notification area: an add while the icon is there fails, and so does a change
// while it is not. It starts with the icon there, as start-up leaves it.
struct FakeTray {
    bool present = true;
    std::string tip;
    std::vector<bool> states; // icon of every NIM_MODIFY tried, in order
};

FakeTray& TheFakeTray();
