#pragma once
// How the Windows tools that drive padwright.exe wait and fail: a broken expectation throws
// Failure with its reason, and every wait is bounded.
#include <windows.h>

#include <optional>
#include <string>

struct Failure {
    std::string reason;
};

std::string Format(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));
[[noreturn]] void Fail(const std::string& reason);
inline void Require(bool condition, const std::string& reason) {
    if (!condition)
        Fail(reason);
}

// Fails with "`what`: 'seen', expected 'expected'" when the two differ.
inline void RequireSame(const std::string& seen, const std::string& expected,
                        const std::string& what) {
    Require(seen == expected, what + ": '" + seen + "', expected '" + expected + "'");
}

// With verbose on, prints the step with the time since RestartTraceClock; otherwise nothing.
void Trace(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));
void SetVerbose(bool verbose);
void RestartTraceClock();

// Timeouts generous enough for a cold Wine on a loaded machine; they bound hangs, they do not
// measure speed.
constexpr DWORD kStartTimeoutMs = 20000;
constexpr DWORD kExitTimeoutMs = 10000;
constexpr DWORD kShortTimeoutMs = 5000;

// Polls `ready` every few milliseconds; false if it did not become true within `timeoutMs`.
template <typename Ready> bool PollUntil(DWORD timeoutMs, Ready ready) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (ready())
            return true;
        if (GetTickCount64() >= deadline)
            return false;
        Sleep(10);
    }
}

template <typename Ready> void WaitUntil(DWORD timeoutMs, const std::string& what, Ready ready) {
    if (!PollUntil(timeoutMs, ready))
        Fail(Format("timed out after %lu ms waiting for %s", timeoutMs, what.c_str()));
}

// A file's whole content, or nullopt when it cannot be read; a file written whole or a failure.
std::optional<std::string> ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& text);
// The full path of `path`, or `path` itself when it has none.
std::string FullPath(const std::string& path);
