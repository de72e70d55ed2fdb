#pragma once
#include <string>
#include <vector>

struct FakeTray {
    bool present = false;
    std::string tip;
    bool activeIcon = false;
    int modifications = 0;
    std::vector<bool> states; // icon of every NIM_MODIFY, in order
};

FakeTray& TheFakeTray();
