#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <tuple>

#include "app/command_line.h"
#include "app/main_window.h"
#include "app/startup.h"

namespace {
std::string running;
bool IsRunning(const char* title) {
    const char digit = title[std::strlen(title) - 1];
    return std::strncmp(title, "Padwright Config ", 17) == 0 && running.find(digit) != running.npos;
}

TEST(StartTest, CommandLineBusySlotsAndSessionNewsPairingEachAwayWithItsBack) {
    const std::tuple<const char*, const char*, char> rows[] = { // text, file or none, digit or 0
        {"padwright.exe", nullptr, 0},
        {"C:\\bin\\padwright.exe my.cfg other", "my.cfg", 0},
        {"\"C:\\Program Files\\padwright.exe\" \"my settings.cfg\" id=3", "my settings.cfg", '3'},
        {"padwright.exe  my.cfg", "", 0}, // two spaces: an empty file argument
        {"padwright.exe xid=4", "xid=4", '4'},
        {"padwright.exe \"id=5\"", "id=5", 0},
        {"padwright.exe id=78", "id=7", '7'}, // the text is cut after the digit
        {"padwright.exe id=2", "id=2", '2'},
        {"padwright.exe id=", "id=", 0},
        {"id=", nullptr, 0},
        {"padwright.exe \"half open id=3", "half open id=3", 0},
    };
    for (const auto& [text, file, digit] : rows) {
        std::string buffer = text; // the command line fuzzer guards the bytes past the text
        const CommandLine line = ParseCommandLine(buffer.data());
        EXPECT_STREQ(line.fileArgument, file) << text;
        EXPECT_EQ(line.hasSlot ? line.slotDigit : 0, digit) << text;
    }
    // a busy slot steps to the next free one up to six and gives up above
    const std::tuple<std::string, char, char, bool> slots[] = { // running, first, last, started
        {"", '3', '3', true},  {"12", '1', '3', true},  {"5", '5', '6', true},
        {"56", '5', '6', false}, {"7", '7', '7', false}, {"\xE9", '\xE9', '\xE9', false},
        {"0", '0', '1', true},   {"2345", '2', '6', true}};
    for (const auto& [busy, first, last, started] : slots) {
        running = busy;
        const auto s = std::make_unique<ProgramState>();
        s->slotDigit = first;
        EXPECT_EQ(StepToFreeSlot(*s, IsRunning), started) << busy;
        EXPECT_EQ(std::string(s->windowTitle), std::string("Padwright Config ") + last) << busy;
    }
    // lock, disconnect and sleep are each undone by their own counterparts; a cancelled logoff not
    const std::tuple<uint32_t, uint64_t, uint64_t> pairs[] = { // message, away, back
        {0x02B1, 7, 8}, {0x02B1, 2, 1}, {0x02B1, 4, 3}, {0x0218, 4, 7}, {0x0218, 4, 0x12}};
    std::set<uint32_t> reasons;
    for (const auto& [message, awayParam, backParam] : pairs) {
        const MainWindowDecision away = DecideMainWindowAction(message, awayParam, 0);
        const MainWindowDecision back = DecideMainWindowAction(message, backParam, 0);
        EXPECT_EQ(away.action, MainWindowAction::SessionAway) << awayParam;
        EXPECT_EQ(back.action, MainWindowAction::SessionBack) << backParam;
        EXPECT_EQ(back.awayReason, away.awayReason) << backParam;
        reasons.insert(away.awayReason);
    }
    EXPECT_EQ(reasons.size(), 3u) << "locked, disconnected and asleep each have their own";
    EXPECT_EQ(reasons.count(0), 0u);
    for (const auto& [message, wParam] :
         {std::pair<uint32_t, uint64_t>{0x02B1, 5}, {0x0218, 0xA}, {0x0016, 0}})
        EXPECT_EQ(DecideMainWindowAction(message, wParam, 0).action, MainWindowAction::None);
    EXPECT_EQ(DecideMainWindowAction(0x0016, 1, 0).action, MainWindowAction::EndSession);
}

} // namespace
