#pragma once
// How long the random run lasts: PADWRIGHT_SOAK_SECONDS, 60 when it is not set (the documented
// long run is 600), at most an hour. The driver's per-case limit grows with it.
#include <cstdlib>

constexpr int kDefaultSoakSeconds = 60;
constexpr int kLongestSoakSeconds = 3600;

inline int SoakSeconds() {
    const char* text = std::getenv("PADWRIGHT_SOAK_SECONDS");
    const long seconds = text != nullptr ? std::strtol(text, nullptr, 10) : kDefaultSoakSeconds;
    return seconds < 1                     ? kDefaultSoakSeconds
           : seconds > kLongestSoakSeconds ? kLongestSoakSeconds
                                           : int(seconds);
}
