#pragma once
// A fixed sequence of keys and mouse buttons that a second driver process injects, so the
// observer is checked against events crossing a process boundary, as the program's do.
#include <windows.h>

#include <string>

constexpr char kInjectSampleArgument[] = "--inject-sample";
constexpr ULONG_PTR kSampleExtraInfo = 0x50574532; // "PWE2"
constexpr size_t kSampleInputCount = 8;

// Return down and up, Right arrow (extended) down and up, left button, second extra button.
void InjectSample();
// How the observer describes that sequence.
std::string SampleInjectionDescription();
