#pragma once
// The fuzzers' harness. FuzzBytes reads front to back, little-endian; past the end reads zeros.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

#include "tests/fakes/fake_system.h"

class FuzzBytes {
  public:
    FuzzBytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool Empty() const { return next_ >= size_; }
    uint8_t Byte() { return next_ < size_ ? data_[next_++] : 0; }
    uint16_t U16() { return static_cast<uint16_t>(Byte() | Byte() << 8); }
    uint32_t U32() { return U16() | uint32_t{U16()} << 16; }
    uint64_t U64() { return U32() | uint64_t{U32()} << 32; }
    int16_t I16() { return static_cast<int16_t>(U16()); }
    int32_t I32() { return static_cast<int32_t>(U32()); }
    std::vector<uint8_t> Bytes(size_t count) { // fewer when the input ends first
        const size_t from = next_;
        next_ += std::min(count, size_ - next_);
        return {data_ + from, data_ + next_};
    }

  private:
    const uint8_t* data_;
    size_t size_, next_ = 0;
};
// For checks over every row and column: tracing them as coverage costs time, guides nothing.
#define FUZZ_NO_COVERAGE __attribute__((no_sanitize("coverage"), noinline))

// A broken invariant: say which, then abort so that libFuzzer keeps the input as a crash.
#define FUZZ_CHECK(condition) ((condition) ? void() : FuzzFail(__FILE__, __LINE__, #condition))
[[noreturn]] inline void FuzzFail(const char* file, int line, const char* condition) {
    std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, condition);
    std::abort();
}
