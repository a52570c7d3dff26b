// The window procedure forwards the fire modules' keys and commands by
// EffectNo: 3 the swirl, 9 the particle fire (which ignores them all).
#include "Gen32.h"
#include "RandomFire.h"

#include <gtest/gtest.h>

namespace {

TEST(FireWindow, KeysReachTheSwirlOnlyWhenItIsTheCurrentEffect)
{
    DrawRandom = 0;
    EffectNo = 0;
    WndProc(nullptr, WM_KEYDOWN, VK_F2, 0);
    EXPECT_EQ(DrawRandom.load(), 0);
    EffectNo = 3;
    WndProc(nullptr, WM_KEYDOWN, VK_F2, 0);
    EXPECT_EQ(DrawRandom.load(), 1);
    WndProc(nullptr, WM_COMMAND, IDM_RNDFIRE_RANDOM, 0);
    EXPECT_EQ(DrawRandom.load(), 0);
    EffectNo = 9;
    WndProc(nullptr, WM_KEYDOWN, VK_F2, 0);
    WndProc(nullptr, WM_COMMAND, IDM_RNDFIRE_RANDOM, 0);
    EXPECT_EQ(DrawRandom.load(), 0);
    EXPECT_EQ(ApplicationFin.load(), 0);
    EffectNo = 0;
}

} // namespace
