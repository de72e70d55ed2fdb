#include "app/main_window.h"
#include "app/startup.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

namespace {

std::set<std::string> runningTitles;
bool IsRunning(const char* title) {
    return runningTitles.count(title) != 0;
}

struct StartupTest : ::testing::Test {
    std::unique_ptr<ProgramState> state = std::make_unique<ProgramState>();
    ProgramState& s = *state;
    void SetUp() override { runningTitles.clear(); }
};

TEST_F(StartupTest, TitleCarriesTheSlotDigit) {
    char title[kWindowTitleSize];
    FormatWindowTitle('4', title);
    EXPECT_STREQ(title, "Padwright Config 4");
    FormatWindowTitle('x', title);
    EXPECT_STREQ(title, "Padwright Config x");
}

TEST_F(StartupTest, FreeSlotIsKept) {
    s.slotDigit = '3';
    EXPECT_TRUE(StepToFreeSlot(s, IsRunning));
    EXPECT_EQ(s.slotDigit, '3');
    EXPECT_STREQ(s.windowTitle, "Padwright Config 3");
}

TEST_F(StartupTest, BusySlotStepsToTheNextFreeOne) {
    runningTitles = {"Padwright Config 1", "Padwright Config 2"};
    s.slotDigit = '1';
    EXPECT_TRUE(StepToFreeSlot(s, IsRunning));
    EXPECT_EQ(s.slotDigit, '3');
    EXPECT_STREQ(s.windowTitle, "Padwright Config 3");
}

TEST_F(StartupTest, StepsIntoSixButNeverBeyond) {
    runningTitles = {"Padwright Config 5"};
    s.slotDigit = '5';
    EXPECT_TRUE(StepToFreeSlot(s, IsRunning));
    EXPECT_EQ(s.slotDigit, '6');

    runningTitles = {"Padwright Config 5", "Padwright Config 6"};
    s.slotDigit = '5';
    EXPECT_FALSE(StepToFreeSlot(s, IsRunning));
}

TEST_F(StartupTest, BusySlotAtOrAboveSixGivesUp) {
    runningTitles = {"Padwright Config 7"};
    s.slotDigit = '7';
    EXPECT_FALSE(StepToFreeSlot(s, IsRunning));

    runningTitles = {"Padwright Config \xE9"};
    s.slotDigit = '\xE9';
    EXPECT_FALSE(StepToFreeSlot(s, IsRunning)) << "a byte above 0x7F counts as above '6'";

    runningTitles = {"Padwright Config 0"};
    s.slotDigit = '0';
    EXPECT_TRUE(StepToFreeSlot(s, IsRunning));
    EXPECT_EQ(s.slotDigit, '1');
}

TEST(MainWindow, ExitsOnCloseExitCommandAndTrayDoubleClick) {
    EXPECT_EQ(DecideMainWindowAction(0x0010, 0, 0).action, MainWindowAction::Quit);
    EXPECT_EQ(DecideMainWindowAction(0x0111, 4100, 0).action, MainWindowAction::Quit);
    EXPECT_EQ(DecideMainWindowAction(0x0111, 0x10000 | 4100, 0).action, MainWindowAction::Quit)
        << "only the low word names the command";
    EXPECT_EQ(DecideMainWindowAction(0x0400, 0, 0x0203).action, MainWindowAction::Quit);
    EXPECT_EQ(DecideMainWindowAction(0x0016, 1, 0).action, MainWindowAction::EndSession);
    EXPECT_EQ(DecideMainWindowAction(0x0016, 0, 0).action, MainWindowAction::None)
        << "a logoff that was cancelled";
}

TEST(MainWindow, TrayClicksAndMenuCommands) {
    EXPECT_EQ(DecideMainWindowAction(0x0400, 0, 0x0201).action, MainWindowAction::OpenSetup);
    EXPECT_EQ(DecideMainWindowAction(0x0400, 0, 0x0204).action, MainWindowAction::ShowSlotMenu);
    EXPECT_EQ(DecideMainWindowAction(0x0400, 0, 0x0200).action, MainWindowAction::None);
    EXPECT_EQ(DecideMainWindowAction(0x0111, 4101, 0).action, MainWindowAction::OpenSetup);

    const MainWindowDecision five = DecideMainWindowAction(0x0111, 4005, 0);
    EXPECT_EQ(five.action, MainWindowAction::ChangeSlot);
    EXPECT_EQ(five.slotDigit, '5');
    EXPECT_EQ(DecideMainWindowAction(0x0111, 4000, 0).slotDigit, '0');
    EXPECT_EQ(DecideMainWindowAction(0x0111, 4099, 0).slotDigit, static_cast<char>('0' + 99));
    EXPECT_EQ(DecideMainWindowAction(0x0111, 3999, 0).action, MainWindowAction::None);
    EXPECT_EQ(DecideMainWindowAction(0x0111, 4102, 0).action, MainWindowAction::ToggleFollow);
    EXPECT_EQ(DecideMainWindowAction(0x0111, 4103, 0).action, MainWindowAction::None);
}

TEST(MainWindow, SessionLockAndUnlockPairUpAndOtherSessionNewsChangesNothing) {
    EXPECT_EQ(DecideMainWindowAction(0x02B1, 7, 0).action, MainWindowAction::SessionAway);
    EXPECT_EQ(DecideMainWindowAction(0x02B1, 7, 0).awayReason,
              DecideMainWindowAction(0x02B1, 8, 0).awayReason);
    EXPECT_EQ(DecideMainWindowAction(0x02B1, 5, 0).action, MainWindowAction::None) << "logon";
    EXPECT_EQ(DecideMainWindowAction(0x0218, 0xA, 0).action, MainWindowAction::None);
}

} // namespace
