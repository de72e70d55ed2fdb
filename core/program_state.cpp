#include "core/program_state.h"

#include <bit>

namespace {
template <class T> T LoadRelaxed(const T& field) {
    return std::atomic_ref<T>(const_cast<T&>(field)).load(std::memory_order_relaxed);
}
template <class T> void StoreRelaxed(T& field, T value) {
    std::atomic_ref<T>(field).store(value, std::memory_order_relaxed);
}
} // namespace

int CountInputBits(InputWord mask) { return std::popcount(mask & kInputBitsMask); }

KeyMapEntry ReadEntry(const KeyMapEntry& shared) {
    KeyMapEntry e;
    e.maskLow = LoadRelaxed(shared.maskLow);
    e.maskHigh = LoadRelaxed(shared.maskHigh);
    e.vk = LoadRelaxed(shared.vk);
    e.scan = LoadRelaxed(shared.scan);
    e.bitCount = LoadRelaxed(shared.bitCount);
    e.reserved = LoadRelaxed(shared.reserved);
    return e;
}

void WriteEntry(KeyMapEntry& shared, const KeyMapEntry& value) {
    StoreRelaxed(shared.maskLow, value.maskLow);
    StoreRelaxed(shared.maskHigh, value.maskHigh);
    StoreRelaxed(shared.vk, value.vk);
    StoreRelaxed(shared.scan, value.scan);
    StoreRelaxed(shared.bitCount, value.bitCount);
    StoreRelaxed(shared.reserved, value.reserved);
}

ProgramState& State() {
    static ProgramState state;
    return state;
}
