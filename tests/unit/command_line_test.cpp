#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Parses a copy that has guard bytes after its terminator, so a write past the text shows.
struct Parsed {
    std::vector<char> buffer;
    CommandLine result;
    explicit Parsed(const std::string& text) : buffer(text.begin(), text.end()) {
        buffer.push_back('\0');
        for (int i = 0; i < 8; ++i)
            buffer.push_back('#');
        result = ParseCommandLine(buffer.data());
    }
    std::string File() const { return result.fileArgument ? result.fileArgument : "<absent>"; }
    bool GuardIntact() const {
        for (size_t i = buffer.size() - 8; i < buffer.size(); ++i)
            if (buffer[i] != '#')
                return false;
        return true;
    }
};

TEST(CommandLine, PlainStartHasNoFileAndNoSlot) {
    Parsed p("padwright.exe");
    EXPECT_EQ(p.File(), "<absent>");
    EXPECT_FALSE(p.result.hasSlot);
}

TEST(CommandLine, FileArgumentIsTheFirstWordAfterTheProgram) {
    Parsed p("C:\\bin\\padwright.exe my.cfg other");
    EXPECT_EQ(p.File(), "my.cfg");
    EXPECT_FALSE(p.result.hasSlot);
}

TEST(CommandLine, QuotedProgramPathAndQuotedFileWithSpaces) {
    Parsed p("\"C:\\Program Files\\padwright.exe\" \"my settings.cfg\" id=3");
    EXPECT_EQ(p.File(), "my settings.cfg");
    ASSERT_TRUE(p.result.hasSlot);
    EXPECT_EQ(p.result.slotDigit, '3');
}

TEST(CommandLine, TwoSpacesGiveAnEmptyFileArgument) {
    Parsed p("padwright.exe  my.cfg");
    ASSERT_NE(p.result.fileArgument, nullptr);
    EXPECT_EQ(p.File(), "");
}

TEST(CommandLine, IdTokenIsFoundInsideAWordButNotInsideQuotes) {
    Parsed inWord("padwright.exe xid=4");
    ASSERT_TRUE(inWord.result.hasSlot);
    EXPECT_EQ(inWord.result.slotDigit, '4');

    Parsed inQuotes("padwright.exe \"id=5\"");
    EXPECT_FALSE(inQuotes.result.hasSlot);
    EXPECT_EQ(inQuotes.File(), "id=5");
}

TEST(CommandLine, IdTokenCutsTheTextAfterTheDigit) {
    Parsed p("padwright.exe id=78");
    ASSERT_TRUE(p.result.hasSlot);
    EXPECT_EQ(p.result.slotDigit, '7');
    EXPECT_STREQ(p.result.fileArgument, "id=7");
}

TEST(CommandLine, IdTokenAtTheVeryEndNeverWritesPastTheText) {
    Parsed digitLast("padwright.exe id=2");
    EXPECT_TRUE(digitLast.result.hasSlot);
    EXPECT_EQ(digitLast.result.slotDigit, '2');
    EXPECT_TRUE(digitLast.GuardIntact());

    Parsed nothingAfter("padwright.exe id=");
    EXPECT_FALSE(nothingAfter.result.hasSlot) << "an id= with no character after it is no token";
    EXPECT_TRUE(nothingAfter.GuardIntact());

    Parsed bare("id=");
    EXPECT_FALSE(bare.result.hasSlot);
    EXPECT_TRUE(bare.GuardIntact());
}

TEST(CommandLine, UnclosedQuoteHidesTheRest) {
    Parsed p("padwright.exe \"half open id=3");
    EXPECT_FALSE(p.result.hasSlot);
    EXPECT_EQ(p.File(), "half open id=3");
    EXPECT_TRUE(p.GuardIntact());
}

} // namespace
