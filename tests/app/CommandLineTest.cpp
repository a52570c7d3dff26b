// ProcessCommandLine: options, values, case, word prefixes and odd lines.
#include "Gen32.h"

#include <gtest/gtest.h>

#include <string>

namespace {

void ResetOptions()
{
    bTestOnly = 0;
    StretchToScreen = 0;
    UserWidth = UserHeight = UserBPP = 0;
    bModeChange = 1;
}

struct CommandLine : ::testing::Test {
    void SetUp() override { ResetOptions(); }
    void TearDown() override { ResetOptions(); }
};

TEST_F(CommandLine, ModeValuesIgnoreCase)
{
    ProcessCommandLine("/w:320 /h:200 /b:16");
    EXPECT_EQ(UserWidth, 320);
    EXPECT_EQ(UserHeight, 200);
    EXPECT_EQ(UserBPP, 16);
    EXPECT_EQ(bModeChange, 1);
    EXPECT_EQ(bTestOnly, 0);
    EXPECT_EQ(StretchToScreen, 0);
}

TEST_F(CommandLine, ModeChangeZeroAndAtEndOfLine)
{
    ProcessCommandLine("/MODECHANGE:0");
    EXPECT_EQ(bModeChange, 0);
    ResetOptions();
    ProcessCommandLine("/test /modechange:");
    EXPECT_EQ(bModeChange, 0);
    EXPECT_EQ(bTestOnly, 1);
    ResetOptions();
    ProcessCommandLine("/MODECHANGE:2");
    EXPECT_EQ(bModeChange, 2);
}

TEST_F(CommandLine, FlagWordsMatchByPrefix)
{
    ProcessCommandLine("/TESTING /STRETCHED");
    EXPECT_EQ(bTestOnly, 1);
    EXPECT_EQ(StretchToScreen, 1);
    ResetOptions();
    // Only a word that begins with the option counts.
    ProcessCommandLine("x/TEST -/STRETCH /TES /STRETC");
    EXPECT_EQ(bTestOnly, 0);
    EXPECT_EQ(StretchToScreen, 0);
}

TEST_F(CommandLine, EmptyOrNonNumericValuesStoreZero)
{
    UserWidth = 7;
    ProcessCommandLine("/W: /H:480");
    EXPECT_EQ(UserWidth, 0);
    EXPECT_EQ(UserHeight, 480);
    UserWidth = 7;
    ProcessCommandLine("/W:abc");
    EXPECT_EQ(UserWidth, 0);
    // Like atoi: sign and leading digits only.
    ProcessCommandLine("/W:-12x5 /H:+40 /B:32bits");
    EXPECT_EQ(UserWidth, -12);
    EXPECT_EQ(UserHeight, 40);
    EXPECT_EQ(UserBPP, 32);
    // Too large a number is held at the int range, not overflowed.
    ProcessCommandLine("/W:99999999999999999999999");
    EXPECT_EQ(UserWidth, 2147483647);
}

TEST_F(CommandLine, EmptyLineAndUnknownWordsKeepDefaults)
{
    ProcessCommandLine("");
    ProcessCommandLine(nullptr);
    ProcessCommandLine("   hello /X:5 /WIDTH:3 W:4");
    EXPECT_EQ(UserWidth, 0);
    EXPECT_EQ(UserHeight, 0);
    EXPECT_EQ(UserBPP, 0);
    EXPECT_EQ(bModeChange, 1);
    EXPECT_EQ(bTestOnly, 0);
    EXPECT_EQ(StretchToScreen, 0);
}

TEST_F(CommandLine, LongWordsAreCutAndParsingGoesOn)
{
    const std::string longWord(250, 'a');
    ProcessCommandLine((longWord + " /B:24 /STRETCH").c_str());
    EXPECT_EQ(UserBPP, 24);
    EXPECT_EQ(StretchToScreen, 1);
    // A value longer than the word buffer is read from its first 99 digits.
    ProcessCommandLine(("/H:" + std::string(120, '0') + "7 /W:5").c_str());
    EXPECT_EQ(UserHeight, 0);
    EXPECT_EQ(UserWidth, 5);
}

TEST_F(CommandLine, TabsSeparateWords)
{
    ProcessCommandLine("/W:640\t/H:480");
    EXPECT_EQ(UserWidth, 640);
    EXPECT_EQ(UserHeight, 480);
}

} // namespace
