#include <cstring>
#include <tuple>

#include "app/slot_menu.h"
#include "store/registry_layout.h"
#include "store/slot_store.h"
#include "tests/unit/fixture.h"

namespace {
// Each stored value's load rules are the slot load fuzzer's; here the format and where it lives.
using Bytes = std::vector<uint8_t>;
constexpr RegistryHive kMachine = RegistryHive::LocalMachine;
constexpr RegistryHive kUser = RegistryHive::CurrentUser;
const std::string kBase = "SOFTWARE\\Orvanelk\\Padwright";

Bytes Word(uint32_t v) {
    return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
}

struct StoreTest : FakeSystemTest {
    FakeRegistry& reg = fake.registry;
    ~StoreTest() override {
        EXPECT_EQ(reg.openKeys, 0) << "every key opened is closed";
        EXPECT_EQ(reg.badCloses, 0) << "no close of a key that was not opened";
    }
};

TEST_F(StoreTest, SaveWritesEveryValueByteForByteAndLoadDerivesZoneModeAndTheDefaultName) {
    s.slotDigit = '2';
    s.keyMap.keyCount = 2;
    WriteEntry(s.keyMap.entries[0], {0x00010004, 0x00008000, 0x41, 0x9E, 3, 0x5A});
    WriteEntry(s.keyMap.entries[1], {0x8, 0, 0x28, 0x50, 1, 0});
    s.typematicOn = 0;
    s.joystickId = 2;
    std::memset(s.configName, 'z', kConfigNameSize);
    std::strcpy(s.configName, "Racing");
    s.enabledMask = InputWord{1} | InputWord{1} << 47;
    std::strcpy(s.programList, "a.exe");
    s.timing.pollingInterval = 250, s.timing.typematicDelay = 0x1234;
    s.timing.typematicInterval = 3, s.timing.thresholdPercent = 95;
    EXPECT_TRUE(SaveSlot(s) && SaveTiming(s) && SaveSelectedSlot(s));
    std::vector<std::string> written;
    for (const FakeRegistryWrite& w : reg.writes) {
        EXPECT_EQ(w.hive, kMachine);
        written.push_back(w.path.substr(kBase.size()) + " " + w.name + " " + std::to_string(w.type));
        for (uint8_t byte : w.bytes)
            written.back() += " " + std::to_string(byte);
    }
    std::string name = " 82 97 99 105 110 103 0"; // "Racing", then the rest as it stands
    for (int i = 7; i < kConfigNameSize; ++i)
        name += " 122";
    EXPECT_EQ(written, (std::vector<std::string>{
                           "\\2 numkeys 3 2 0 0 0",
                           "\\2 keymap 3 4 0 1 0 0 128 0 0 65 158 3 90 8 0 0 0 0 0 0 0 40 80 1 0",
                           "\\2 typematic 3 0 0 0 0", "\\2 joyid 3 2 0 0 0",
                           "\\2 configname 1" + name, "\\2 enabled 3 1 0 0 0 0 128 0 0",
                           "\\2 programs 1 97 46 101 120 101 0", // up to its NUL
                           "\\2 pollingspeed 3 250 0 0 0", "\\2 typematicdelay 3 52 18 0 0",
                           "\\2 typematicrate 3 3 0 0 0", "\\2 threshold 3 95 0 0 0",
                           " config 3 50"}));
    s.slotDigit = '1';
    s.keyMap.keyCount = 300; // however memory came to hold it, no save reaches beyond 128
    SaveSlot(s);
    EXPECT_EQ(reg.Get(kMachine, kBase, "numkeys").at(0) + reg.Get(kMachine, kBase, "keymap").size(),
              128u + 1536u) << "slot 1: the base key";
    reg.writes.clear(); // a load derives the zone mode; a slot never saved keeps all but its name
    reg.Put(kMachine, kBase + "\\2", "keymap", {3, 0, 0, 0, 0, 0, 0, 0, 0x41, 0x1E, 2, 0x5A});
    reg.Put(kMachine, kBase + "\\2", "programs", Bytes(256, 'y'), kRegSz);
    reg.Put(kMachine, kBase + "\\5", "threshold", {20, 0, 0, 0});
    s.slotDigit = '2';
    LoadSlot(s);
    EXPECT_EQ(s.zoneMode, 1) << "X low and high";
    EXPECT_EQ(std::string(s.programList), std::string(255, 'y'));
    s.slotDigit = '4';
    s.timing.pollingInterval = 40;
    std::memset(s.configName, 'q', kConfigNameSize);
    LoadSlot(s);
    EXPECT_EQ(s.timing.pollingInterval, 40);
    EXPECT_EQ(std::string(s.configName, 32), std::string("Config 4\0", 9) + std::string(23, 'q'));
    s.slotDigit = '5';
    LoadTiming(s);
    EXPECT_EQ(std::pair(s.timing.thresholdPercent.load(), s.timing.pollingInterval.load()),
              std::pair(20, 40));
    EXPECT_TRUE(reg.writes.empty());
}

// The overlay must not hide an administrator's later saves; portable mode keeps to its own key.
TEST_F(StoreTest, SavesGoWhereTheUserMayWriteAndLoadsReadTheOverlayFirstButPortableModeApart) {
    // who, portable, may write the machine's key, overlay saved before -> in machine's, overlay
    const std::tuple<const char*, bool, bool, bool, bool, bool> rows[] = {
        {"administrator", false, true, false, true, false},
        {"standard user", false, false, false, false, true},
        {"administrator who saved unelevated before", false, true, true, true, true},
        {"portable", true, true, false, false, false}};
    const std::string overlay = "Software\\Classes\\VirtualStore\\MACHINE\\" + kBase + "\\2";
    for (const auto& [who, portable, machineWritable, overlayBefore, inMachine, inOverlay] : rows) {
        SCOPED_TRACE(who);
        ResetFakeSystem();
        reg.Put(kMachine, kBase + "\\2", "pollingspeed", Word(70));
        reg.Put(kMachine, kBase + "\\2", "joyid", Word(4));
        if (overlayBefore)
            reg.Put(kUser, overlay, "joyid", Word(5));
        reg.localMachineReadOnly = !machineWritable;
        s.portableOn = portable;
        s.slotDigit = '2';
        s.joystickId = 9;
        std::strcpy(s.configName, "Mine");
        EXPECT_TRUE(SaveSlot(s) && SaveSelectedSlot(s));
        EXPECT_EQ(reg.Get(kMachine, kBase + "\\2", "joyid") == Word(9), inMachine);
        EXPECT_EQ(reg.Get(kUser, overlay, "joyid") == Word(9), inOverlay);
        EXPECT_EQ(reg.Has(kUser, kBase), portable) << "portable mode's key stays apart";

        const auto other = std::make_unique<ProgramState>(); // another instance of the same user
        other->portableOn = portable;
        ReadSelectedSlot(*other);
        LoadSlot(*other);
        EXPECT_EQ(other->slotDigit, '2');
        EXPECT_EQ(other->joystickId, 9u);
        EXPECT_EQ(other->timing.pollingInterval == 70, !portable) << "the machine's where it lacks";
        char name[kConfigNameSize] = "";
        ReadSlotName(*other, '2', name);
        EXPECT_STREQ(name, "Mine");
    }
}

TEST_F(StoreTest, Menu_SlotsByNameCheckedGrayedWhileSetupIsOpenAndPickingOneLoadsAndStoresIt) {
    reg.Put(kMachine, kBase + "\\3", "configname", Bytes{'R', 'a', 'c', 'e', 0, 'x'}, kRegSz);
    reg.Put(kMachine, kBase + "\\4", "numkeys", {1, 0, 0, 0}); // key without a name
    reg.Put(kMachine, kBase + "\\5", "configname", Bytes(40, 'L'), kRegSz); // refused
    reg.Put(kMachine, kBase, "configname", Bytes(32, 'N'), kRegSz);       // without its NUL
    s.slotDigit = '3';
    for (bool dialogOpen : {false, true}) {
        s.setupDialog = dialogOpen ? &s : nullptr;
        SlotMenu menu{};
        BuildSlotMenu(s, menu);
        for (int i = 0; i < kMenuSlots; ++i)
            EXPECT_EQ(std::pair(menu.slots[i].checked, menu.slots[i].grayed),
                      std::pair(i == 2, dialogOpen));
        EXPECT_EQ(menu.setupGrayed, dialogOpen);
        const std::string padded = std::string(25, ' '), names = std::string(menu.slots[0].text) +
            "|" + menu.slots[2].text + "|" + menu.slots[3].text + "|" + menu.slots[4].text;
        EXPECT_EQ(names, std::string(31, 'N') + "|Race|Config 4" + padded + "|Config 5" + padded);
    }
    EXPECT_EQ(s.slotDigit, '3') << "reading names changes no slot";
    // a slot change, even to the slot in use (another tool may have changed it), retitles, loads,
    // recalibrates and stores the slot digit only
    s.mainWindow = &reg;
    fake.joystick.caps.numButtons = 7;
    reg.Put(kMachine, kBase + "\\5", "numkeys", {3, 0, 0, 0});
    for (const auto& [digit, keyCount] : {std::pair<char, int32_t>{'5', 3}, {'5', 3}, {'8', 9}}) {
        s.keyMap.keyCount = 9;
        s.calibration.numButtons = 0;
        reg.writes.clear();
        ChangeSlot(s, digit);
        const std::string title = std::string("Padwright Config ") + digit;
        EXPECT_EQ(s.windowTitle + std::string("|") + fake.title, title + "|" + title);
        EXPECT_EQ(fake.titledWindow, &reg) << "the main window is retitled";
        EXPECT_EQ(s.keyMap.keyCount, keyCount) << "slot 8, never saved, keeps what was loaded";
        EXPECT_EQ(s.configName, "Config " + std::string(1, digit));
        EXPECT_EQ(s.calibration.numButtons, 8) << "recalibrated";
        ASSERT_EQ(reg.writes.size(), 1u) << "a slot change stores nothing but the slot digit";
        const FakeRegistryWrite& w = reg.writes[0];
        EXPECT_EQ(w.path + "|" + w.name + "|" + char(w.bytes[0]), kBase + "|config|" + digit);
    }
}

} // namespace
