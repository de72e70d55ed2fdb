// Loading a slot from whatever another tool or a damaged portable file left in the registry: the
// state holds what the program relies on and what was stored, keys close, a save loads back.
#include <cstring>
#include <iterator>
#include <string>

#include "core/key_map.h"
#include "platform/input.h"
#include "store/portable_mode.h"
#include "store/registry_layout.h"
#include "store/slot_store.h"
#include "tests/fuzz/fuzz_bytes.h"

namespace {

constexpr const char* kValues[] = {
    kValueConfig,         kValueNumKeys,       kValueKeyMap,    kValueTypematic,
    kValueJoyId,          kValueConfigName,    kValueEnabled,   kValuePollingSpeed,
    kValueTypematicDelay, kValueTypematicRate, kValueThreshold,
};
constexpr char kFallbackName[kConfigNameSize] = "fallback";
// The numbers a slot stores, with their widths in bytes.
using P = ProgramState;
uint64_t U(uint32_t value) {
    return value;
}
constexpr struct {
    const char* name;
    uint32_t width;
    uint64_t (*get)(const ProgramState&);
} kNumbers[] = {
    {kValueTypematic, 4, [](const P& s) { return U(s.typematicOn); }},
    {kValueJoyId, 4, [](const P& s) { return U(s.joystickId); }},
    {kValueEnabled, 8, [](const P& s) -> uint64_t { return s.enabledMask; }},
    {kValuePollingSpeed, 4, [](const P& s) { return U(s.timing.pollingInterval); }},
    {kValueTypematicDelay, 4, [](const P& s) { return U(s.timing.typematicDelay); }},
    {kValueTypematicRate, 4, [](const P& s) { return U(s.timing.typematicInterval); }},
    {kValueThreshold, 4, [](const P& s) { return U(s.timing.thresholdPercent); }},
};
std::unique_ptr<ProgramState> FreshState(int32_t keyCount, bool portable) {
    auto s = std::make_unique<ProgramState>();
    ResetKeyMapDefaults(*s, ScanCodeOfKey);
    ResetTimingDefaults(*s);
    if (keyCount != 0)
        s->keyMap.keyCount = keyCount;
    s->portableOn = portable;
    std::strcpy(s->portableFile, portable ? kPortableFileName : "");
    return s;
}
// A `width`-byte number read over `before`: longer is refused, shorter replaces its low bytes.
uint64_t Overlay(uint64_t before, const std::vector<uint8_t>& stored, uint32_t width) {
    for (size_t i = 0; i < stored.size() && stored.size() <= width; ++i)
        before = (before & ~(uint64_t{0xFF} << 8 * i)) | uint64_t{stored[i]} << 8 * i;
    return before;
}
// What each field must hold after a load over `before`.
FUZZ_NO_COVERAGE void CheckLoadedValues(const ProgramState& before, const ProgramState& s,
                                        RegistryHive hive, const char* path) {
    const auto count = static_cast<int32_t>(
        Overlay(U(before.keyMap.keyCount), Fake().registry.Get(hive, path, kValueNumKeys), 4));
    FUZZ_CHECK(s.keyMap.keyCount ==
               (count >= 1 && count <= kMaxKeys ? count : before.keyMap.keyCount.load()));
    const std::vector<uint8_t> map = Fake().registry.Get(hive, path, kValueKeyMap);
    const size_t records =
        map.size() <= kMaxKeys * sizeof(KeyMapEntry) ? map.size() / sizeof(KeyMapEntry) : 0;
    for (size_t i = 0; i < kMaxKeys; ++i) {
        const KeyMapEntry e = ReadEntry(s.keyMap.entries[i]);
        KeyMapEntry stored = ReadEntry(before.keyMap.entries[i]);
        if (i < records)
            std::memcpy(&stored, map.data() + i * sizeof stored, sizeof stored);
        FUZZ_CHECK(ChordMask(e) == ChordMask(stored) && e.vk == stored.vk &&
                   e.scan == stored.scan && e.reserved == stored.reserved);
        FUZZ_CHECK(i < records || std::memcmp(&e, &before.keyMap.entries[i], sizeof e) == 0);
    }
    for (const auto& n : kNumbers)
        FUZZ_CHECK(n.get(s) ==
                   Overlay(n.get(before), Fake().registry.Get(hive, path, n.name), n.width));
    // The name: the stored one up to its NUL or 31 characters when it fits, else the default.
    const std::vector<uint8_t> name = Fake().registry.Get(hive, path, kValueConfigName);
    std::string expected = std::string("Config ") + s.slotDigit;
    if (!name.empty() && name.size() <= kConfigNameSize) {
        const std::string bytes(name.begin(), name.end());
        expected = bytes.substr(0, std::min(bytes.find('\0'), size_t{kConfigNameSize - 1}));
    }
    FUZZ_CHECK(expected == s.configName);
}
// What the rest of the program relies on, whatever was stored.
FUZZ_NO_COVERAGE void CheckInvariants(const ProgramState& s) {
    FUZZ_CHECK(s.keyMap.keyCount >= 1 && s.keyMap.keyCount <= kMaxKeys);
    FUZZ_CHECK(std::memchr(s.configName, '\0', kConfigNameSize) != nullptr);
    FUZZ_CHECK(s.slotDigit != '\0');
    int32_t largest = 1;
    for (int i = 0; i < kMaxKeys; ++i) {
        const KeyMapEntry e = ReadEntry(s.keyMap.entries[i]);
        FUZZ_CHECK(e.bitCount == CountInputBits(ChordMask(e)));
        largest = std::max<int32_t>(largest, i < KeyCount(s) ? e.bitCount : 1);
    }
    FUZZ_CHECK(s.maxChordSize == largest);
    FUZZ_CHECK(Fake().registry.openKeys == 0 && Fake().registry.badCloses == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ResetFakeSystem();
    FuzzBytes in(data, size);
    // Flags: portable, refused reads scribble, read "config"; the digit before; keyCount.
    const uint8_t flags = in.Byte(), digit = in.Byte(), count = in.Byte();
    const bool portable = flags & 1;
    Fake().registry.scribbleOnRefusal = flags & 2;
    const auto state = FreshState(count == 0 ? 0 : (count - 1) % kMaxKeys + 1, portable);
    ProgramState& s = *state;
    s.slotDigit = digit == 0 ? kFirstSlotDigit : static_cast<char>(digit);
    const RegistryHive hive = RegistryRoot(s);
    // Each value: a tag (bit 0: it exists, bits 1..7: its type), a 16-bit size and the bytes.
    uint8_t tags[std::size(kValues)];
    std::vector<uint8_t> bytes[std::size(kValues)];
    for (size_t i = 0; i < std::size(kValues); ++i)
        tags[i] = in.Byte(), bytes[i] = in.Bytes(in.U16());
    const auto put = [&](size_t i, const char* path) {
        if (tags[i] & 1)
            Fake().registry.Put(hive, path, kValues[i], bytes[i], tags[i] >> 1);
    };
    put(0, kBaseKeyPath); // "config" in the base key, the others in the slot key
    if (flags & 4) {
        const char before = s.slotDigit;
        ReadSelectedSlot(s);
        const std::vector<uint8_t> config = Fake().registry.Get(hive, kBaseKeyPath, kValueConfig);
        // A NUL or a backslash names no slot key of its own and is not taken.
        const bool taken = config.size() == 1 && config[0] != 0 && config[0] != '\\';
        FUZZ_CHECK(s.slotDigit == (taken ? static_cast<char>(config[0]) : before));
    }
    const SlotKey slot = SlotKeyPath(s.slotDigit);
    for (size_t i = 1; i < std::size(kValues); ++i)
        put(i, slot.path);
    const auto before = FreshState(s.keyMap.keyCount, portable);
    std::memcpy(before->keyMap.entries, s.keyMap.entries, sizeof s.keyMap.entries);
    before->enabledMask = s.enabledMask.load();
    before->typematicOn = s.typematicOn.load();
    before->joystickId = s.joystickId.load();
    LoadSlot(s);
    CheckInvariants(s);
    CheckLoadedValues(*before, s, hive, slot.path);
    char name[kConfigNameSize];
    std::memcpy(name, kFallbackName, sizeof name);
    ReadSlotName(s, s.slotDigit, name);
    FUZZ_CHECK(std::memchr(name, '\0', sizeof name) != nullptr);
    FUZZ_CHECK(std::strcmp(name, s.configName) == 0 || std::strcmp(name, kFallbackName) == 0);
    // What the program saves of the loaded slot it loads back unchanged, the slot digit too.
    SaveSlot(s);
    SaveTiming(s);
    SaveSelectedSlot(s);
    CheckInvariants(s);
    const auto reloaded = FreshState(kMaxKeys, portable);
    ReadSelectedSlot(*reloaded);
    // Any digit that names a slot key of its own is taken back (command lines give any).
    FUZZ_CHECK(s.slotDigit == '\\' || reloaded->slotDigit == s.slotDigit);
    if (!Fake().registry.Has(hive, slot.path, kValueNumKeys))
        return 0; // a digit that names no key the system can create: nothing was stored
    LoadSlot(*reloaded);
    CheckInvariants(*reloaded);
    const ProgramState& r = *reloaded;
    FUZZ_CHECK(r.keyMap.keyCount == s.keyMap.keyCount &&
               std::memcmp(r.keyMap.entries, s.keyMap.entries, sizeof(KeyMapEntry) * KeyCount(s)) ==
                   0);
    for (const auto& n : kNumbers)
        FUZZ_CHECK(n.get(r) == n.get(s));
    FUZZ_CHECK(std::memcmp(r.configName, s.configName, kConfigNameSize) == 0);
    FUZZ_CHECK(r.maxChordSize == s.maxChordSize && r.zoneMode == s.zoneMode);
    return 0;
}
