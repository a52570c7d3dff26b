// Bump mapping: the slopes at the border, the discs a flat relief shows, the
// tiled pass against the scalar one, the commands, and glows that must stay
// inside the page. How the lights wander and leave: BumpySceneTest.
#include "BumpyEffect.h"
#include "Gen32.h"
#include "LenzFlare.h"
#include "PageFixture.h"
#include "Random.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <thread>

namespace {

class Bumpy : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(AllocateBumpyMemory(), 1);
        InitializeBumpy();
        LenzFlare = FinishBumpy = 0;
        Bumplx[0] = Bumply[0] = 0;
        SeedRand15(7);
    }
    void TearDown() override
    {
        FreeBumpyMemory();
        LenzFlare = FinishBumpy = 0;
    }
    static void Relief(int kind)   // 0 random bytes (slopes at the clamps), 1 smooth waves, 2 flat
    {
        for (int i = 0; i < BumpyPixels; ++i)
            BumpyPic[i] = kind == 0 ? uint8_t(Rand15())
                          : kind == 1 ? uint8_t(128 + 100 * std::sin(i % 400 * 0.05) * std::cos(i / 400 * 0.07))
                                      : 90;
        ComputeBumpySlopes();
    }
    static void Lights(const long *p)
    {
        for (int k = 1; k <= 3; ++k) Bumplx[k] = p[2 * k - 2], Bumply[k] = p[2 * k - 1];
    }
};

// At the page's border the slopes take a row end's other neighbour from the
// next or the previous row; the first and last rows stay flat.
TEST_F(Bumpy, SlopesAtThePagesBorder)
{
    // A step of 100 at column 200 and a ramp of 3 a row, restarting every 50 rows.
    for (int i = 0; i < BumpyPixels; ++i) BumpyPic[i] = uint8_t((i % 400 >= 200 ? 100 : 0) + (i / 400 % 50) * 3);
    ComputeBumpySlopes();
    // 160 at the right end of row 20, 63 at the left of row 21.
    EXPECT_EQ(BumpyDx[20 * 400 + 399], -127);
    EXPECT_EQ(BumpyDx[20 * 400 + 400], -127);
    for (int i = 0; i <= 400; ++i) ASSERT_EQ(BumpyDy[i] | BumpyDx[i] | BumpyDy[BumpyPixels - 1 - i], 0) << i;
}

TEST_F(Bumpy, FlatReliefShowsThreeDiscsAndLightsOffThePageStillReachIt)
{
    Relief(2);
    const long on[6] = {100, 100, 300, 100, 200, 250}, off[6] = {-100, 154, 200, 420, 5000, 5000};
    // Light set, x, y, colour: red and green 100 away (56 each), red at
    // radius 127 and 128 (green 73 and 72 away), out of every disc; lights
    // off the page still reach it.
    const struct { const long *lights; int x, y; uint32_t colour; } cases[] = {
        {on, 100, 100, 0xFF0000}, {on, 300, 100, 0x00FF00}, {on, 200, 250, 0x0000FF}, {on, 200, 100, 0x383800},
        {on, 227, 100, 0x026E00}, {on, 228, 100, 0x007000}, {on, 0, 307, 0},         {off, 0, 154, 0x380000},
        {off, 27, 154, 0x020000}, {off, 28, 154, 0},        {off, 200, 307, 0x001E00}, {off, 200, 292, 0},
    };
    for (auto draw : {DrawBumpyEffect, DrawBumpyEffectScalar})
        for (const long *lights : {on, off}) {
            Lights(lights);
            GuardedPage p(0xFFFFFFFFu);
            draw(&p.page);
            for (const auto &c : cases) {
                if (c.lights == lights) {
                    EXPECT_EQ(p.At(c.x, c.y), c.colour) << c.x << "," << c.y;
                }
            }
            // Round discs: as many red pixels as one of radius 127.5 has,
            // less what falls off the page's top and left.
            int red = 0;
            for (int k = 0; k < 400 * 308; ++k) red += (p.memory[GuardedPage::Guard + k] & 0xFF0000) != 0;
            if (lights == on) {
                EXPECT_NEAR(red, 45110, 400);
            }
            EXPECT_TRUE(p.GuardsIntact());
        }
}

// The tiled SSE2 pass against the scalar one, with the cone, with a spot of
// noise (where a lookup at the square's edge shows) and with a lit corner
// (where the tiled pass must hand over to the scalar one).
struct PassCase {
    int Relief;
    long Lights[6];
};

class BumpyPasses : public Bumpy, public ::testing::WithParamInterface<PassCase> {};

TEST_P(BumpyPasses, TiledPassGivesTheSamePixelsAsTheScalarOne)
{
    Relief(GetParam().Relief);
    Lights(GetParam().Lights);
    for (int spot = 0; spot < 3; ++spot) {
        if (spot)
            for (int k = 0; k < 65536; ++k) GlowMap[k] = uint8_t(Rand15() | 1);
        if (spot == 1)
            GlowMap[0] = 0;
        GuardedPage a(1), b(2);
        DrawBumpyEffect(&a.page);
        DrawBumpyEffectScalar(&b.page);
        EXPECT_TRUE(std::equal(a.memory.begin() + a.Guard, a.memory.end() - a.Guard, b.memory.begin() + b.Guard))
            << "spot " << spot;
        EXPECT_TRUE(a.GuardsIntact());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Reliefs, BumpyPasses,
    ::testing::Values(PassCase{0, {100, 100, 300, 100, 200, 250}}, PassCase{0, {-120, -120, 520, 430, 0, 307}},
                      PassCase{1, {200, 154, 210, 160, 190, 150}}, PassCase{1, {-254, 200, 654, -254, 398, 562}},
                      PassCase{2, {-255, -255, 655, 563, 127, 127}},
                      PassCase{0, {LONG_MIN, LONG_MAX, LONG_MAX, LONG_MIN, 1000000, -1000000}},
                      PassCase{1, {-1024, 1024, 1025, -1025, 0, 0}},
                      // Each light just reaches the first column of a tile.
                      PassCase{2, {-47, 100, 385, 37, 97, 203}}));

// The menu command also arrives with an accelerator's high word; commands
// and messages that are not the module's, and effect numbers without a
// handler, change nothing. (The keys themselves: WindowSdlTest.)
TEST_F(Bumpy, CommandsReachTheModuleAndOthersChangeNothing)
{
    HandleBumpyMessage(nullptr, WM_COMMAND, 0x10000 | IDM_BUMPY_LENZFLARE, 0);
    HandleBumpyMessage(nullptr, WM_COMMAND, VK_F1, 0);
    HandleBumpyMessage(nullptr, WM_PAINT, VK_F2, 0);
    EXPECT_EQ(LenzFlare.load() * 10 + FinishBumpy.load(), 10);
    EffectNo = 5;
    WndProc(nullptr, WM_KEYDOWN, VK_F1, 0);
    EXPECT_EQ(LenzFlare.load(), 1);
    EffectNo = 0;
}

TEST_F(Bumpy, KeysWhileDrawingWithEveryGlowKeepToThePage)
{
    // Every flare sprite at full size, so that glows and flares reach past
    // every edge of the page as the lights wander and leave.
    ASSERT_EQ(AllocateLenzMemory(), 1);
    for (TLENZ *l : {&LenzPic[0], &LenzPic[1], &LenzPic[2], &LenzPic[3], &LenzPic[4], &LenzPic[5], &LenzPic[6],
                     &LenzPic[7], &LenzPic[8], &LenzPic[9], &LenzPic[10], &LenzRed, &LenzGreen, &LenzBlue}) {
        ASSERT_NE(AllocSprite32(&l->Data), 0u);
        auto *px = static_cast<uint32_t *>(l->Data.pSpriteData);
        for (uint32_t k = 0; k < l->Data.Width * l->Data.Height; ++k) px[k] = 0x00202020;
    }
    Relief(0);
    const long far[6] = {-5000, 200, 200, 9000, 450, -400};
    Lights(far);
    GuardedPage p;
    std::thread window([] {
        for (int k = 0; k < 3000; ++k) HandleBumpyMessage(nullptr, WM_KEYDOWN, k % 3 ? VK_F1 : VK_F2, 0);
    });
    for (int frame = 0; frame < 120; ++frame) DoBumpyEffect(nullptr, nullptr, 1.0f, &p.page);
    window.join();
    LenzFlare = 1;
    DoBumpyEffect(nullptr, nullptr, 1.0f, &p.page);
    EXPECT_TRUE(p.GuardsIntact());
    EXPECT_GT(p.CountNot(0), 0);
    FreeLenzMemory();
}

} // namespace
