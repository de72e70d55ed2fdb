#include "tools/winekit/wait.h"

#include <cstdarg>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace {
bool verbose = false;
ULONGLONG traceStart = GetTickCount64();
} // namespace

std::string Format(const char* format, ...) {
    char buffer[2048];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof(buffer), format, args);
    va_end(args);
    return buffer;
}

void Fail(const std::string& reason) {
    throw Failure{reason};
}

void SetVerbose(bool on) {
    verbose = on;
}

void RestartTraceClock() {
    traceStart = GetTickCount64();
}

void Trace(const char* format, ...) {
    if (!verbose)
        return;
    char buffer[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof(buffer), format, args);
    va_end(args);
    std::printf("      %7.3f s  %s\n", (GetTickCount64() - traceStart) / 1000.0, buffer);
    std::fflush(stdout);
}

std::string FullPath(const std::string& path) {
    char full[MAX_PATH] = {};
    const DWORD length = GetFullPathNameA(path.c_str(), sizeof(full), full, nullptr);
    return length > 0 && length < sizeof(full) ? std::string(full) : path;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return in ? std::optional(std::string(std::istreambuf_iterator<char>(in), {})) : std::nullopt;
}

void WriteWholeFile(const std::string& path, const std::string& text) {
    Require(bool(std::ofstream(path, std::ios::binary) << text), "cannot write " + path);
}
