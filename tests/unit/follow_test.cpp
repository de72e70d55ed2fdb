#include "app/follow.h"

#include <cstring>
#include <string>
#include <tuple>

#include "app/tray.h"
#include "store/program_list.h"
#include "store/registry_layout.h"
#include "tests/unit/fixture.h"
#include "ui/setup_commands.h"

namespace {
using Bytes = std::vector<uint8_t>;
constexpr RegistryHive kMachine = RegistryHive::LocalMachine;
const std::string kBase = kBaseKeyPath;
constexpr uint8_t kUnset = kFollowNotStored;

Bytes Text(const std::string& text) { return Bytes(text.c_str(), text.c_str() + text.size() + 1); }

struct FollowTest : FakeSystemTest {
    FollowState& f = Follow();
    FakeRegistry& reg = fake.registry;
    int window = 0;

    FollowTest() {
        f = FollowState{};
        s.mainWindow = &window;
        reg.Put(kMachine, kBase + "\\2", "programs", Text("game.exe"), kRegSz);
        reg.Put(kMachine, kBase + "\\4", "programs", Text("race.exe; game.exe"), kRegSz);
        reg.Put(kMachine, kBase + "\\2", "numkeys", {2, 0, 0, 0});
        SetUpFollowing(s, f, false);
    }
    static bool Free(const char*) { return true; }
    static bool Taken(const char*) { return false; }
};

TEST_F(FollowTest, WhichSlotTheWindowInFrontPutsInUseByFileNameAloneAndOkRefusesOtherNames) {
    // what, slot in use, pinned, setup open, following choice, window in front -> slot to follow
    const std::tuple<const char*, char, bool, bool, uint8_t, ForegroundWindow, char> rows[] = {
        {"listed", '1', false, false, 1, {true, false, "G", "C:\\g\\game.exe"}, '2'},
        {"listed by the slot in use", '4', false, false, 1, {true, false, "G", "game.exe"}, 0},
        {"not listed", '2', false, false, 1, {true, false, "N", "C:\\notepad.exe"}, '1'},
        {"not listed, user's slot", '1', false, false, 1, {true, false, "N", "notepad.exe"}, 0},
        {"cannot be opened", '2', false, false, 1, {true, false, "P", nullptr}, '1'},
        {"own dialog", '2', false, false, 1, {true, true, "#32770", "C:\\padwright.exe"}, 0},
        {"desktop", '2', false, false, 1, {true, false, "Progman", "explorer.exe"}, 0},
        {"tray", '2', false, false, 1, {true, false, "Shell_TrayWnd", "explorer.exe"}, 0},
        {"no window", '2', false, false, 1, {}, 0},
        {"pinned", '1', true, false, 1, {true, false, "G", "game.exe"}, 0},
        {"following off", '1', false, false, 0, {true, false, "G", "game.exe"}, 0},
        {"turned off", '2', false, false, 0, {true, false, "G", "game.exe"}, '1'},
        {"dialog open", '1', false, true, 1, {true, false, "G", "game.exe"}, 0},
        {"not stored", '1', false, false, kUnset, {true, false, "G", "game.exe"}, '2'},
    };
    for (const auto& [what, inUse, pinned, dialogOpen, choice, front, target] : rows) {
        s.slotDigit = inUse;
        f.pinned = pinned;
        s.setupDialog = dialogOpen ? &window : nullptr;
        s.followChoice = choice;
        EXPECT_EQ(FollowTarget(s, f, front), target) << what;
    }
    s.followChoice = kUnset;
    for (auto& list : f.lists)
        std::strcpy(list, ";C:\\x.exe;");
    EXPECT_FALSE(FollowingOn(s, f)) << "off by default while no slot lists a program";
    // whether a list names an image path's program; the first name that is no plain file name
    const std::tuple<const char*, const char*, bool> lists[] = { // list, image path, named
        {"game.exe", "C:\\Games\\game.exe", true}, {"GAME.EXE", "c:\\g\\Game.exe", true},
        {"game", "D:/x/game.exe", true}, // no extension: the .exe
        {"game", "C:\\g\\game.com", false}, {"game.exe", "C:\\g\\game.exe.bak", false},
        {"game.exe", "C:\\g\\mygame.exe", false}, {"game.exe", "C:\\game.exe\\", false},
        {" ;;other.exe ;  game.exe ;", "\\\\?\\C:\\game.exe", true}, {"", "x.exe", false},
        {"C:\\Games\\game.exe", "C:\\Games\\game.exe", false}, // a folder names nothing
        {"ga*.exe;game.", "game.exe", false}};
    for (const auto& [list, image, named] : lists)
        EXPECT_EQ(ListNamesProgram(list, image), named) << list << " / " << image;
    const std::pair<const char*, const char*> bad[] = {
        {"game.exe; other ;;", ""}, {"a.exe;C:\\x\\b.exe;c?.exe", "C:\\x\\b.exe"},
        {"a;  b:c ", "b:c"}, {"tab\tx.exe", "tab\tx.exe"}, {"game.", "game."}, {"..;x/y", ".."},
        {"\"quoted.exe\"", "\"quoted.exe\""}};
    for (const auto& [list, first] : bad)
        EXPECT_EQ(FirstBadProgram(list), first) << list;
    std::strcpy(s.programList, "game.exe; C:\\x\\y.exe");
    EXPECT_FALSE(SaveSetup(s, &window));
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].text.find("\"C:\\x\\y.exe\" is not"), 0u);
    EXPECT_TRUE(reg.writes.empty());
}

TEST_F(FollowTest, AnAutomaticChangeStoresNoChoiceTheMenuItemStoresOneAndOffRestoresTheUsersSlot) {
    fake.joystick.caps.numButtons = 5;
    EXPECT_FALSE(FollowTo(s, f, '2', Taken) || s.slotDigit != '1') << "slot 2 is another's";
    ASSERT_TRUE(FollowTo(s, f, '2', Free));
    EXPECT_STREQ(s.windowTitle, "Padwright Config 2");
    EXPECT_EQ(s.keyMap.keyCount, 2);
    EXPECT_STREQ(s.programList, "game.exe");
    EXPECT_EQ(s.calibration.numButtons, 6) << "recalibrated";
    EXPECT_TRUE(reg.writes.empty()) << "no \"config\", no export";
    char tip[kTipSize];
    EXPECT_STREQ(TrayTip(s, true, tip), "PadwrightTool uses slot 2 for the program in front");
    EXPECT_STREQ(TrayTip(s, false, tip), kInactiveTip);

    FollowWindow(s, f, {true, false, "N", "C:\\notepad.exe"}, Free);
    EXPECT_EQ(s.slotDigit, '1') << "the user's slot is back";
    EXPECT_STREQ(s.programList, "") << "not carried over from slot 2";
    EXPECT_STREQ(TrayTip(s, true, tip), kActiveTip);
    EXPECT_TRUE(reg.writes.empty());
    FollowTo(s, f, '2', Free);
    FollowWindow(s, f, {true, false, "R", "race.exe"},
                 [](const char* title) { return std::string(title) != "Padwright Config 4"; });
    EXPECT_EQ(s.slotDigit, '1') << "race.exe's slot is another instance's";
    FollowTo(s, f, '4', Free);
    ChangeSlot(s, '3'); // the tray menu: the slot becomes the user's
    FollowWindow(s, f, {true, false, "N", "notepad.exe"}, Free);
    EXPECT_EQ(s.slotDigit, '3');
    EXPECT_EQ(reg.Get(kMachine, kBase, "config"), Bytes{'3'});
    SlotMenu menu{};
    BuildSlotMenu(s, menu);
    EXPECT_TRUE(menu.followChecked) << "on by default: slots list programs";
    FollowTo(s, f, '2', Free);
    ToggleFollowing(s, f, {}, Free);
    EXPECT_EQ(reg.Get(kMachine, kBase, "follow"), Bytes{0});
    EXPECT_EQ(s.slotDigit, '3') << "the user's slot, picked in the menu";
    reg.Put(kMachine, kBase, "follow", {7});
    BuildSlotMenu(s, menu);
    EXPECT_FALSE(menu.followChecked) << "a byte other than 0 or 1 changes nothing";
    f.pinned = true;
    BuildSlotMenu(s, menu);
    EXPECT_TRUE(menu.followGrayed);
}

} // namespace
