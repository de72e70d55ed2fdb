// Loading a slot from whatever another tool or a damaged portable file left in the registry.
//
// Input, front to back:
//   flags    bit 0 portable mode (the store under the current user), bit 1 a refused read leaves
//            garbage in the buffer, bit 2 the slot digit comes from "config" as at start-up
//   digit    the slot digit before "config" is read (0 reads as '1')
//   count    keyCount in memory before the load (0 keeps the default map's 10)
//   then for each value in kValues: a tag (bit 0: the value exists, bits 1..7: its registry
//   type), a 16-bit size and that many bytes ("config" in the base key, the others in the slot
//   key of the digit in force after "config" was read).
//
// After ReadSelectedSlot, LoadSlot and ReadSlotName the state must hold what the rest of the
// program relies on and what the stored values say (a value longer than its read buffer keeps
// the field, a shorter one replaces only its own bytes), every key must be closed again, and a
// save of the loaded slot and of its digit must load back unchanged.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>

#include "core/key_map.h"
#include "platform/input.h"
#include "store/portable_mode.h"
#include "store/registry_layout.h"
#include "store/slot_store.h"
#include "tests/fakes/fake_system.h"
#include "tests/fuzz/fuzz_bytes.h"

namespace {

constexpr const char* kValues[] = {
    kValueConfig,         kValueNumKeys,        kValueKeyMap,     kValueTypematic,
    kValueJoyId,          kValueConfigName,     kValueEnabled,    kValuePollingSpeed,
    kValueTypematicDelay, kValueTypematicRate, kValueThreshold,
};
constexpr char kFallbackName[kConfigNameSize] = "fallback";

std::unique_ptr<ProgramState> FreshState(int32_t keyCount) {
    auto s = std::make_unique<ProgramState>();
    ResetKeyMapDefaults(*s, ScanCodeOfKey);
    ResetTimingDefaults(*s);
    if (keyCount != 0)
        s->keyMap.keyCount = keyCount;
    return s;
}

void SetPortable(ProgramState& s, bool on) {
    s.portableOn = on;
    std::strcpy(s.portableFile, on ? kPortableFileName : "");
}

// The stored bytes of a value; none when the key or the value is missing.
std::vector<uint8_t> Stored(RegistryHive hive, const char* path, const char* name) {
    return Fake().registry.Get(hive, path, name);
}

// A number of `width` bytes read into a buffer that held `before`: a value longer than the
// buffer is refused, a shorter one replaces only its own low bytes.
uint64_t Overlay(uint64_t before, const std::vector<uint8_t>& stored, uint32_t width) {
    if (stored.size() > width)
        return before;
    uint64_t value = before;
    for (size_t i = 0; i < stored.size(); ++i)
        value = (value & ~(uint64_t{0xFF} << 8 * i)) | uint64_t{stored[i]} << 8 * i;
    return value;
}

int32_t Word(int32_t before, const std::vector<uint8_t>& stored) {
    return static_cast<int32_t>(Overlay(static_cast<uint32_t>(before), stored, 4));
}

// What the documents promise for each field after a load over `before`.
FUZZ_NO_COVERAGE void CheckLoadedValues(const ProgramState& before, const ProgramState& s, RegistryHive hive,
                       const char* path) {
    const int32_t count = Word(before.keyMap.keyCount, Stored(hive, path, kValueNumKeys));
    FUZZ_CHECK(s.keyMap.keyCount == (count >= 1 && count <= kMaxKeys ? count
                                                                      : before.keyMap.keyCount.load()));
    const std::vector<uint8_t> map = Stored(hive, path, kValueKeyMap);
    const size_t records =
        map.size() <= kMaxKeys * sizeof(KeyMapEntry) ? map.size() / sizeof(KeyMapEntry) : 0;
    for (size_t i = 0; i < kMaxKeys; ++i) {
        const KeyMapEntry e = ReadEntry(s.keyMap.entries[i]);
        if (i >= records) {
            FUZZ_CHECK(std::memcmp(&e, &before.keyMap.entries[i], sizeof e) == 0);
            continue;
        }
        KeyMapEntry stored;
        std::memcpy(&stored, map.data() + i * sizeof stored, sizeof stored);
        FUZZ_CHECK(ChordMask(e) == ChordMask(stored) && e.vk == stored.vk &&
                   e.scan == stored.scan && e.reserved == stored.reserved);
    }
    FUZZ_CHECK(s.typematicOn == Word(before.typematicOn, Stored(hive, path, kValueTypematic)));
    FUZZ_CHECK(s.joystickId ==
               static_cast<uint32_t>(Word(static_cast<int32_t>(before.joystickId.load()),
                                          Stored(hive, path, kValueJoyId))));
    FUZZ_CHECK(s.enabledMask == Overlay(before.enabledMask, Stored(hive, path, kValueEnabled), 8));
    const Timing& t = s.timing;
    const Timing& b = before.timing;
    FUZZ_CHECK(t.pollingInterval == Word(b.pollingInterval, Stored(hive, path, kValuePollingSpeed)));
    FUZZ_CHECK(t.typematicDelay == Word(b.typematicDelay, Stored(hive, path, kValueTypematicDelay)));
    FUZZ_CHECK(t.typematicInterval ==
               Word(b.typematicInterval, Stored(hive, path, kValueTypematicRate)));
    FUZZ_CHECK(t.thresholdPercent == Word(b.thresholdPercent, Stored(hive, path, kValueThreshold)));

    // The name: the stored one when it fits, up to its NUL, or else up to its end and at most
    // 31 characters; otherwise the slot's default name.
    const std::vector<uint8_t> name = Stored(hive, path, kValueConfigName);
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
    for (const KeyMapEntry& shared : s.keyMap.entries) {
        const KeyMapEntry e = ReadEntry(shared);
        FUZZ_CHECK(e.bitCount == CountInputBits(ChordMask(e)));
    }
    for (int i = 0; i < KeyCount(s); ++i)
        largest = std::max<int32_t>(largest, ReadEntry(s.keyMap.entries[i]).bitCount);
    FUZZ_CHECK(s.maxChordSize == largest);
}

void CheckKeysClosed() {
    FUZZ_CHECK(Fake().registry.openKeys == 0);
    FUZZ_CHECK(Fake().registry.badCloses == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ResetFakeSystem();
    FuzzBytes in(data, size);
    const uint8_t flags = in.Byte();
    const bool portable = flags & 1;
    Fake().registry.scribbleOnRefusal = flags & 2;
    const bool readSelectedSlot = flags & 4;
    const uint8_t digit = in.Byte();
    const uint8_t count = in.Byte();

    const auto state = FreshState(count == 0 ? 0 : (count - 1) % kMaxKeys + 1);
    ProgramState& s = *state;
    s.slotDigit = digit == 0 ? kFirstSlotDigit : static_cast<char>(digit);
    SetPortable(s, portable);
    const RegistryHive hive = RegistryRoot(s);

    struct Value {
        bool exists;
        uint32_t type;
        std::vector<uint8_t> bytes;
    } values[std::size(kValues)];
    for (Value& v : values) {
        const uint8_t tag = in.Byte();
        v.exists = tag & 1;
        v.type = tag >> 1;
        v.bytes = in.Bytes(in.U16());
    }

    if (values[0].exists)
        Fake().registry.Put(hive, kBaseKeyPath, kValueConfig, values[0].bytes, values[0].type);
    if (readSelectedSlot) {
        const char before = s.slotDigit;
        ReadSelectedSlot(s);
        const std::vector<uint8_t> config = Stored(hive, kBaseKeyPath, kValueConfig);
        // A NUL or a backslash names no slot key of its own and is not taken.
        const bool taken = config.size() == 1 && config[0] != 0 && config[0] != '\\';
        FUZZ_CHECK(s.slotDigit == (taken ? static_cast<char>(config[0]) : before));
    }

    const SlotKey slot = SlotKeyPath(s.slotDigit);
    for (size_t i = 1; i < std::size(kValues); ++i)
        if (values[i].exists)
            Fake().registry.Put(hive, slot.path, kValues[i], values[i].bytes, values[i].type);

    const auto before = FreshState(0);
    std::memcpy(before->keyMap.entries, s.keyMap.entries, sizeof s.keyMap.entries);
    before->keyMap.keyCount = s.keyMap.keyCount.load();
    before->enabledMask = s.enabledMask.load();
    before->typematicOn = s.typematicOn.load();
    before->joystickId = s.joystickId.load();

    LoadSlot(s);
    CheckInvariants(s);
    CheckLoadedValues(*before, s, hive, slot.path);
    CheckKeysClosed();

    char name[kConfigNameSize];
    std::memcpy(name, kFallbackName, sizeof name);
    ReadSlotName(s, s.slotDigit, name);
    FUZZ_CHECK(std::memchr(name, '\0', sizeof name) != nullptr);
    FUZZ_CHECK(std::strcmp(name, s.configName) == 0 || std::strcmp(name, kFallbackName) == 0);
    CheckKeysClosed();

    // What the program saves of the loaded slot it loads back unchanged, the slot digit too.
    SaveSlot(s);
    SaveTiming(s);
    SaveSelectedSlot(s);
    CheckKeysClosed();
    const auto selected = FreshState(0);
    SetPortable(*selected, portable);
    ReadSelectedSlot(*selected);
    // Only a character that names a slot key of its own is taken back (the slot menu stores
    // '1' to '9'; a digit from the command line may be anything).
    if (s.slotDigit != '\0' && s.slotDigit != '\\')
        FUZZ_CHECK(selected->slotDigit == s.slotDigit);
    if (!Fake().registry.Has(hive, slot.path, kValueNumKeys))
        return 0; // a digit that names no key the system can create: nothing was stored
    const auto reloaded = FreshState(kMaxKeys);
    reloaded->slotDigit = s.slotDigit;
    SetPortable(*reloaded, portable);
    LoadSlot(*reloaded);
    CheckKeysClosed();
    const ProgramState& r = *reloaded;
    FUZZ_CHECK(r.keyMap.keyCount == s.keyMap.keyCount);
    FUZZ_CHECK(std::memcmp(r.keyMap.entries, s.keyMap.entries,
                           KeyCount(s) * sizeof(KeyMapEntry)) == 0);
    FUZZ_CHECK(r.typematicOn == s.typematicOn && r.joystickId == s.joystickId &&
               r.enabledMask == s.enabledMask);
    FUZZ_CHECK(std::memcmp(r.configName, s.configName, kConfigNameSize) == 0);
    FUZZ_CHECK(r.timing.pollingInterval == s.timing.pollingInterval &&
               r.timing.typematicDelay == s.timing.typematicDelay &&
               r.timing.typematicInterval == s.timing.typematicInterval &&
               r.timing.thresholdPercent == s.timing.thresholdPercent);
    FUZZ_CHECK(r.maxChordSize == s.maxChordSize && r.zoneMode == s.zoneMode);
    return 0;
}
