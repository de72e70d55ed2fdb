#pragma once
// Reads a fuzz input front to back, so that a seed file can be written by hand: numbers are
// little-endian, and an input that runs out reads as zeros.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

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
    // Up to `count` bytes; fewer when the input ends first.
    std::vector<uint8_t> Bytes(size_t count) {
        const size_t taken = count < size_ - next_ ? count : size_ - next_;
        std::vector<uint8_t> bytes(data_ + next_, data_ + next_ + taken);
        next_ += taken;
        return bytes;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t next_ = 0;
};

// For checks that walk every row and column: their comparisons would otherwise be traced as
// coverage on every run, which costs most of the time and guides nothing.
#define FUZZ_NO_COVERAGE __attribute__((no_sanitize("coverage"), noinline))

// A broken invariant: say which, then abort so that libFuzzer keeps the input as a crash.
#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__,          \
                         #condition);                                                          \
            std::abort();                                                                      \
        }                                                                                      \
    } while (0)
