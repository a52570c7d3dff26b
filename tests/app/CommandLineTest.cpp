// ProcessCommandLine: options, values, case, word prefixes and odd lines.
#include "Gen32.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// What a line leaves in the options, starting from the defaults (width,
// height and depth 0, mode change 1, no test mode, no stretching).
struct Case {
    std::string Line;
    long Width, Height, Bpp, ModeChange, Test, Stretch;
};

const Case kCases[] = {
    {"/w:320 /h:200 /b:16", 320, 200, 16, 1, 0, 0},
    {"/MODECHANGE:0", 0, 0, 0, 0, 0, 0},
    {"/test /modechange:", 0, 0, 0, 0, 1, 0},   // an empty value at the end stores 0
    {"/MODECHANGE:2", 0, 0, 0, 2, 0, 0},
    {"/TESTING /STRETCHED", 0, 0, 0, 1, 1, 1}, // flag words match by prefix
    {"x/TEST -/STRETCH /TES /STRETC", 0, 0, 0, 1, 0, 0},
    {"/W: /H:480", 0, 480, 0, 1, 0, 0},
    {"/W:abc", 0, 0, 0, 1, 0, 0},
    {"/W:-12x5 /H:+40 /B:32bits", -12, 40, 32, 1, 0, 0},   // like atoi
    {"/W:99999999999999999999999", 2147483647, 0, 0, 1, 0, 0}, // held at the int range
    {"", 0, 0, 0, 1, 0, 0},
    {"   hello /X:5 /WIDTH:3 W:4", 0, 0, 0, 1, 0, 0},
    {std::string(250, 'a') + " /B:24 /STRETCH", 0, 0, 24, 1, 0, 1}, // a long word is cut
    {"/H:" + std::string(120, '0') + "7 /W:5", 5, 0, 0, 1, 0, 0},   // first 99 digits only
    {"/W:640\t/H:480", 640, 480, 0, 1, 0, 0},
};

void ResetOptions()
{
    bTestOnly = 0;
    StretchToScreen = 0;
    UserWidth = UserHeight = UserBPP = 0;
    bModeChange = 1;
}

TEST(CommandLine, TableOfLines)
{
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.Line);
        ResetOptions();
        UserWidth = 7;   // a value given empty or not a number stores 0
        if (c.Line.find("/W:") == std::string::npos)
            UserWidth = 0;
        ProcessCommandLine(c.Line.c_str());
        EXPECT_EQ(UserWidth, c.Width);
        EXPECT_EQ(UserHeight, c.Height);
        EXPECT_EQ(UserBPP, c.Bpp);
        EXPECT_EQ(bModeChange, c.ModeChange);
        EXPECT_EQ(bTestOnly, c.Test);
        EXPECT_EQ(StretchToScreen, c.Stretch);
    }
    ResetOptions();
    ProcessCommandLine(nullptr);
    EXPECT_EQ(bModeChange, 1);
}

} // namespace
