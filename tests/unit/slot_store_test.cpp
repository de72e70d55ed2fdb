#include "store/slot_store.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/key_map.h"
#include "platform/input.h"
#include "store/registry_access.h"
#include "store/registry_layout.h"
#include "tests/fakes/fake_registry.h"

namespace {

using Bytes = std::vector<uint8_t>;
constexpr RegistryHive kMachine = RegistryHive::LocalMachine;
constexpr RegistryHive kUser = RegistryHive::CurrentUser;
constexpr uint32_t kRegDword = 4;
const std::string kBase = kBaseKeyPath;

Bytes Word(uint32_t v) {
    return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
}

struct SlotStoreTest : ::testing::Test {
    std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
    ProgramState& s = *state;
    FakeRegistry& reg = TheFakeRegistry();

    SlotStoreTest() {
        ResetFakeRegistry();
        ResetKeyMapDefaults(s, ScanCodeOfKey);
        ResetTimingDefaults(s);
    }
    ~SlotStoreTest() override {
        EXPECT_EQ(reg.openKeys, 0) << "every key opened is closed";
        EXPECT_EQ(reg.badCloses, 0) << "no close of a key that was not opened";
    }
    KeyMapEntry Entry(int i) { return ReadEntry(s.keyMap.entries[i]); }
    Bytes Stored(const std::string& path, const char* name, RegistryHive hive = kMachine) {
        const FakeRegistryValue* v = reg.Get(hive, path, name);
        return v ? v->bytes : Bytes{};
    }
};

TEST_F(SlotStoreTest, SlotOneIsTheBaseKeyEveryOtherCharacterASubKey) {
    EXPECT_STREQ(SlotKeyPath('1').path, "SOFTWARE\\Orvanelk\\Padwright");
    EXPECT_STREQ(SlotKeyPath('2').path, "SOFTWARE\\Orvanelk\\Padwright\\2");
    EXPECT_STREQ(SlotKeyPath('0').path, "SOFTWARE\\Orvanelk\\Padwright\\0");
    EXPECT_STREQ(SlotKeyPath('x').path, "SOFTWARE\\Orvanelk\\Padwright\\x");
    EXPECT_EQ(RegistryRoot(s), kMachine);
    s.portableOn = true;
    EXPECT_EQ(RegistryRoot(s), kUser);
}

TEST_F(SlotStoreTest, SaveSlot_WritesSevenValuesInOrderByteForByte) {
    s.keyMap.keyCount = 3;
    WriteEntry(s.keyMap.entries[0], {0x00010004, 0x00008000, 0x41, 0x9E, 3, 0x5A});
    WriteEntry(s.keyMap.entries[1], {0x8, 0, 0x28, 0x50, 1, 0});
    WriteEntry(s.keyMap.entries[2], {0x1, 0, 0x25, 0x4B, 1, 0});
    s.typematicOn = 0;
    s.joystickId = 2;
    std::memset(s.configName, 'z', kConfigNameSize);
    std::strcpy(s.configName, "Racing");
    s.enabledMask = InputWord{1} | InputWord{1} << 47;
    std::strcpy(s.programList, "a.exe");
    SaveSlot(s);
    const char* order[] = {"numkeys",    "keymap",  "typematic", "joyid",
                           "configname", "enabled", "programs"};
    ASSERT_EQ(reg.writes.size(), 7u) << "no timing values";
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(reg.writes[i].name, order[i]);
        EXPECT_EQ(reg.writes[i].path, kBase) << "slot 1 lives in the base key";
        EXPECT_EQ(reg.writes[i].type, i == 4 || i == 6 ? kRegSz : kRegBinary);
    }
    EXPECT_EQ(reg.writes[6].bytes, (Bytes{'a', '.', 'e', 'x', 'e', 0})) << "up to its NUL";
    EXPECT_EQ(reg.writes[0].bytes, (Bytes{3, 0, 0, 0}));
    EXPECT_EQ(reg.writes[1].bytes, (Bytes{0x04, 0, 1, 0, 0, 0x80, 0, 0, 0x41, 0x9E, 3, 0x5A,
                                          0x08, 0, 0, 0, 0, 0,    0, 0, 0x28, 0x50, 1, 0,
                                          0x01, 0, 0, 0, 0, 0,    0, 0, 0x25, 0x4B, 1, 0}));
    EXPECT_EQ(reg.writes[2].bytes, (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(reg.writes[3].bytes, (Bytes{2, 0, 0, 0}));
    Bytes name(32, 'z');
    std::memcpy(name.data(), "Racing", 7);
    EXPECT_EQ(reg.writes[4].bytes, name) << "all 32 bytes, as they stand";
    EXPECT_EQ(reg.writes[5].bytes, (Bytes{1, 0, 0, 0, 0, 0x80, 0, 0}));
}

TEST_F(SlotStoreTest, SaveTimingInTheSlotKeyAndSelectedSlotInTheBaseKey) {
    s.slotDigit = '2';
    s.timing.pollingInterval = 250;
    s.timing.typematicDelay = 0x1234;
    s.timing.typematicInterval = 3;
    s.timing.thresholdPercent = 95;
    SaveTiming(s);
    SaveSelectedSlot(s);
    ASSERT_EQ(reg.writes.size(), 5u);
    const char* order[] = {"pollingspeed", "typematicdelay", "typematicrate", "threshold"};
    const Bytes bytes[] = {{0xFA, 0, 0, 0}, {0x34, 0x12, 0, 0}, {3, 0, 0, 0}, {95, 0, 0, 0}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(reg.writes[i].name, order[i]);
        EXPECT_EQ(reg.writes[i].path, kBase + "\\2");
        EXPECT_EQ(reg.writes[i].bytes, bytes[i]);
    }
    EXPECT_EQ(reg.writes[4].name + "@" + reg.writes[4].path, "config@" + kBase);
    EXPECT_EQ(reg.writes[4].bytes, (Bytes{'2'}));
}

TEST_F(SlotStoreTest, LoadSlot_ShortKeyMapReplacesOnlyItsEntriesAndRecomputesDerivedValues) {
    const std::string slot2 = kBase + "\\2";
    reg.Put(kMachine, slot2, "numkeys", {3, 0, 0, 0});
    reg.Put(kMachine, slot2, "keymap",
            {0x03, 0, 0, 0, 0, 0,    0, 0, 0x41, 0x1E, 2, 0x5A,   // X low and high: zone mode
             0,    0, 7, 0, 0, 0,    0, 0, 0x42, 0x30, 9, 0,      // buttons 1-3, count stored as 9
             0,    0, 0, 0, 0, 0x80, 0, 0, 0x02, 0x00, 1, 0xFF}); // button 32: right mouse
    reg.Put(kMachine, slot2, "typematic", {0, 0, 0, 0});
    reg.Put(kMachine, slot2, "joyid", {1, 0, 0, 0}, kRegDword);
    reg.Put(kMachine, slot2, "enabled", {1, 0, 0, 0, 0, 0x80, 0, 0});
    s.slotDigit = '2';
    LoadSlot(s);
    EXPECT_EQ(s.keyMap.keyCount, 3);
    const KeyMapEntry e0 = Entry(0), e1 = Entry(1), e2 = Entry(2);
    EXPECT_EQ(ChordMask(e0), 0x3u);
    EXPECT_EQ((e0.vk << 16) | (e0.scan << 8) | e0.reserved, 0x411E5A);
    EXPECT_EQ(e1.bitCount, 3) << "derived from the mask, not taken from the record";
    EXPECT_EQ(ChordMask(e2), InputWord{1} << 47);
    EXPECT_EQ(e2.reserved, 0xFF);
    EXPECT_EQ(Entry(4).vk, 13) << "entries beyond the stored ones keep their contents";
    EXPECT_EQ(s.typematicOn, 0);
    EXPECT_EQ(s.joystickId, 1u) << "the stored type is not looked at";
    EXPECT_EQ(s.enabledMask, InputWord{1} | InputWord{1} << 47);
    EXPECT_EQ(s.maxChordSize, 3);
    EXPECT_EQ(s.zoneMode, 1);
    EXPECT_STREQ(s.configName, "Config 2");
}

TEST_F(SlotStoreTest, SlotNeverSaved_KeepsEveryFieldButTakesItsDefaultNameAsNineBytes) {
    reg.Put(kMachine, kBase, "numkeys", {5, 0, 0, 0}); // slot 1 exists, slot 4 does not
    s.slotDigit = '4';
    s.keyMap.keyCount = 7;
    s.joystickId = 3;
    s.timing.pollingInterval = 40;
    std::memset(s.configName, 'q', kConfigNameSize);
    LoadSlot(s);
    EXPECT_EQ(s.keyMap.keyCount, 7);
    EXPECT_EQ(s.joystickId, 3u);
    EXPECT_EQ(s.timing.pollingInterval, 40);
    EXPECT_EQ(std::string(s.configName, 9), std::string("Config 4\0", 9));
    EXPECT_EQ(std::string(s.configName + 9, 23), std::string(23, 'q'));
    EXPECT_TRUE(reg.writes.empty());
}

TEST_F(SlotStoreTest, SlotWithoutTimingValuesKeepsTheTimingInForce) {
    reg.Put(kMachine, kBase + "\\3", "numkeys", {4, 0, 0, 0});
    reg.Put(kMachine, kBase + "\\5", "threshold", {20, 0, 0, 0});
    s.timing.pollingInterval = 30;
    s.timing.thresholdPercent = 70;
    s.slotDigit = '3';
    LoadSlot(s);
    EXPECT_EQ(s.timing.pollingInterval, 30);
    EXPECT_EQ(s.timing.thresholdPercent, 70);

    s.slotDigit = '5';
    LoadTiming(s);
    EXPECT_EQ(s.timing.thresholdPercent, 20);
    EXPECT_EQ(s.timing.pollingInterval, 30);
}

TEST_F(SlotStoreTest, ShorterValueReplacesOnlyItsBytesAndLongerValueIsRefused) {
    reg.scribbleOnRefusal = true;
    reg.Put(kMachine, kBase, "joyid", {0x05});
    reg.Put(kMachine, kBase, "enabled", {0, 0, 0, 0});
    reg.Put(kMachine, kBase, "typematic", {0, 0, 0, 0, 0});
    reg.Put(kMachine, kBase, "keymap", Bytes(12 * 129, 0x11));
    reg.Put(kMachine, kBase, "configname", Bytes(33, 'n'), kRegSz);
    s.joystickId = 0x1200;
    s.typematicOn = 1;
    LoadSlot(s);
    EXPECT_EQ(s.joystickId, 0x1205u);
    EXPECT_EQ(s.enabledMask, 0xFFFFFFFF00000000u);
    EXPECT_EQ(s.typematicOn, 1);
    EXPECT_EQ(Entry(0).vk, 38) << "a key map of 129 entries is refused whole";
    EXPECT_EQ(Entry(127).vk, 0);
    EXPECT_STREQ(s.configName, "Config 1");
}

TEST_F(SlotStoreTest, NumKeysOutsideOneTo128IsIgnoredOnLoad) {
    for (int32_t stored : {0, -1, 129, 100000}) {
        SCOPED_TRACE(stored);
        ResetFakeRegistry();
        auto fresh = std::make_unique<ProgramState>();
        ResetKeyMapDefaults(*fresh, ScanCodeOfKey);
        reg.Put(kMachine, kBase, "numkeys", Word(uint32_t(stored)));
        reg.Put(kMachine, kBase, "keymap", Bytes(12, 0));
        LoadSlot(*fresh);
        EXPECT_EQ(fresh->keyMap.keyCount, kDefaultKeyCount);
        EXPECT_EQ(ReadEntry(fresh->keyMap.entries[0]).vk, 0) << "the key map is still read";
    }
    s.keyMap.keyCount = 300; // however memory came to hold it, no save reaches beyond 128
    SaveSlot(s);
    EXPECT_EQ(Stored(kBase, "numkeys"), (Bytes{128, 0, 0, 0}));
    EXPECT_EQ(Stored(kBase, "keymap").size(), 1536u);
}

TEST_F(SlotStoreTest, TimingValuesAreTakenAsStoredEvenOutsideTheDialogsLimits) {
    reg.Put(kMachine, kBase, "pollingspeed", Word(0));
    reg.Put(kMachine, kBase, "typematicrate", Word(uint32_t(-1)));
    reg.Put(kMachine, kBase, "typematicdelay", Word(uint32_t(-5)));
    reg.Put(kMachine, kBase, "threshold", Word(200));
    LoadTiming(s);
    EXPECT_EQ(s.timing.pollingInterval, 0);
    EXPECT_EQ(s.timing.typematicInterval, -1);
    EXPECT_EQ(s.timing.typematicDelay, -5);
    EXPECT_EQ(s.timing.thresholdPercent, 200);
}

TEST_F(SlotStoreTest, StoredNameWithoutNulStillEndsWithinItsBuffer) {
    reg.Put(kMachine, kBase, "configname", Bytes(32, 'A'), kRegSz);
    LoadSlot(s);
    EXPECT_EQ(std::string(s.configName), std::string(31, 'A'));

    reg.Put(kMachine, kBase, "configname", {'B', 'o', 'b'}, kRegSz);
    LoadSlot(s);
    EXPECT_STREQ(s.configName, "Bob") << "not Bob followed by the rest of the default name";
}

TEST_F(SlotStoreTest, KeyMapTakesOnlyWholeRecords) {
    reg.Put(kMachine, kBase, "keymap", Bytes(5, 0));
    LoadSlot(s);
    EXPECT_EQ(ChordMask(Entry(0)), 0x4u);

    Bytes seventeen(17, 0);
    seventeen[8] = 0x51;
    reg.Put(kMachine, kBase, "keymap", seventeen);
    LoadSlot(s);
    EXPECT_EQ(Entry(0).vk, 0x51);
    EXPECT_EQ(ChordMask(Entry(1)), 0x8u) << "the five bytes of entry 1 are not taken";
}

TEST_F(SlotStoreTest, ReadSelectedSlot_TakesAnyCharacterThatCanNameAKey) {
    ReadSelectedSlot(s);
    EXPECT_EQ(s.slotDigit, '1') << "no base key";

    reg.Put(kMachine, kBase, "config", {'x'});
    ReadSelectedSlot(s);
    EXPECT_EQ(s.slotDigit, 'x');

    // A backslash would make the slot key end in two of them, which the registry reads as the
    // base key: slot 1's settings under another slot's title.
    for (const Bytes& unusable : {Bytes{0}, Bytes{'\\'}, Bytes{'3', '4'}, Bytes{}}) {
        s.slotDigit = '6';
        reg.Put(kMachine, kBase, "config", unusable);
        ReadSelectedSlot(s);
        EXPECT_EQ(s.slotDigit, '6');
    }
}

TEST_F(SlotStoreTest, ReadSlotName_ReadsAnySlotAndKeepsTheFallbackWhenNoneIsStored) {
    reg.Put(kMachine, kBase + "\\5", "configname", Bytes(40, 'L'), kRegSz);
    reg.Put(kMachine, kBase + "\\7", "configname", {'S', 'k', 'i', 0, 'x'}, kRegSz);
    char name[kConfigNameSize] = "Config 5";
    ReadSlotName(s, '5', name);
    EXPECT_STREQ(name, "Config 5") << "longer than 32 bytes: refused";
    ReadSlotName(s, '8', name);
    EXPECT_STREQ(name, "Config 5") << "slot never saved";
    ReadSlotName(s, '7', name);
    EXPECT_STREQ(name, "Ski");
    EXPECT_EQ(s.slotDigit, '1');
}

TEST_F(SlotStoreTest, PortableModeReadsAndWritesTheCurrentUserOnly) {
    reg.Put(kMachine, kBase, "joyid", Word(4));
    s.portableOn = true;
    s.joystickId = 9;
    SaveSlot(s);
    s.joystickId = 0;
    LoadSlot(s);
    EXPECT_EQ(s.joystickId, 9u);
    EXPECT_EQ(Stored(kBase, "joyid"), Word(4)) << "the machine's values are untouched";

    s.portableOn = false;
    LoadSlot(s);
    EXPECT_EQ(s.joystickId, 4u);
}

// A user who may not write the machine's key keeps his settings in the overlay; an administrator
// who once saved there unelevated must not have his later saves hidden by it.
TEST_F(SlotStoreTest, SavesTheMachinesKeyRefusesGoToTheUsersOverlayWhichIsReadFirst) {
    const struct {
        const char* who;
        bool machineWritable, overlayBefore, inMachine, inOverlay;
    } rows[] = {{"administrator", true, false, true, false},
                {"standard user", false, false, false, true},
                {"administrator who saved unelevated before", true, true, true, true}};
    const std::string overlay = kOverlayPrefix + kBase + "\\2";
    for (const auto& row : rows) {
        SCOPED_TRACE(row.who);
        ResetFakeRegistry();
        reg.Put(kMachine, kBase + "\\2", "pollingspeed", Word(70));
        if (row.overlayBefore)
            reg.Put(kUser, overlay, "joyid", Word(5));
        reg.localMachineReadOnly = !row.machineWritable;
        s.slotDigit = '2';
        s.joystickId = 9;
        std::strcpy(s.configName, "Mine");
        EXPECT_TRUE(SaveSlot(s) && SaveSelectedSlot(s));
        EXPECT_EQ(Stored(kBase + "\\2", "joyid") == Word(9), row.inMachine);
        EXPECT_EQ(Stored(overlay, "joyid", kUser) == Word(9), row.inOverlay);
        EXPECT_FALSE(reg.HasKey(kUser, kBase)) << "portable mode's key stays apart";

        const auto other = std::make_unique<ProgramState>(); // another instance of the same user
        ReadSelectedSlot(*other);
        LoadSlot(*other);
        EXPECT_EQ(other->slotDigit, '2');
        EXPECT_EQ(other->joystickId, 9u);
        EXPECT_EQ(other->timing.pollingInterval, 70) << "what the overlay lacks the machine gives";
        char name[kConfigNameSize] = "";
        ReadSlotName(*other, '2', name);
        EXPECT_STREQ(name, "Mine");
    }
}

TEST_F(SlotStoreTest, LoadSlotWhileThePollThreadReadsTheMap) {
    reg.Put(kMachine, kBase, "numkeys", {128, 0, 0, 0});
    reg.Put(kMachine, kBase, "keymap", Bytes(1536, 0x21));
    std::atomic<bool> done{false};
    std::thread poll([&] {
        while (!done)
            for (int i = 0; i < KeyCount(s); ++i)
                (void)ReadEntry(s.keyMap.entries[i]);
    });
    for (int n = 0; n < 50; ++n)
        LoadSlot(s);
    done = true;
    poll.join();
    EXPECT_EQ(Entry(127).vk, 0x21);
}

} // namespace
