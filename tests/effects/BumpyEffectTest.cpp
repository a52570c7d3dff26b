// Bump mapping: the light spot, the slopes, the discs a flat relief shows,
// the chasing lights' speed limits and leaving, the tiled pass against the
// scalar one, and keys and glows that must stay inside the page.
#include "BumpyEffect.h"
#include "Gen32.h"
#include "LenzFlare.h"
#include "PageFixture.h"
#include "Random.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <thread>

namespace {

class Bumpy : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(AllocateBumpyMemory(), 1);
        InitializeBumpy();
        LenzFlare = 0;
        FinishBumpy = 0;
        Bumplx[0] = Bumply[0] = 0;
        SeedRand15(7);
    }
    void TearDown() override
    {
        FreeBumpyMemory();
        LenzFlare = 0;
        FinishBumpy = 0;
    }
    static void Flat(uint8_t height)
    {
        for (int i = 0; i < BumpyPixels; ++i) BumpyPic[i] = height;
        ComputeBumpySlopes();
    }
    static void Lights(long x1, long y1, long x2, long y2, long x3, long y3)
    {
        Bumplx[1] = x1, Bumply[1] = y1;
        Bumplx[2] = x2, Bumply[2] = y2;
        Bumplx[3] = x3, Bumply[3] = y3;
    }
    static uint32_t Red(uint32_t c) { return c >> 16 & 255; }
    static uint32_t Green(uint32_t c) { return c >> 8 & 255; }
    static uint32_t Blue(uint32_t c) { return c & 255; }
};

TEST_F(Bumpy, SpotIsAConeBrightestInTheMiddleAndDarkFromRadius128)
{
    auto at = [](int u, int v) { return int(GlowMap[v * 256 + u]); };
    EXPECT_EQ(at(128, 128), 255);   // 2 * 128, clamped
    EXPECT_EQ(at(129, 128), 254);
    EXPECT_EQ(at(128, 28), 56);     // radius 100
    EXPECT_EQ(at(1, 128), 2);       // radius 127
    EXPECT_EQ(at(0, 128), 0);       // radius 128
    EXPECT_EQ(at(128 + 90, 128 + 90), 1);   // radius 127.3: 1.4 truncated to 1
    EXPECT_EQ(at(0, 0), 0);
    EXPECT_EQ(at(255, 255), 0);
}

TEST_F(Bumpy, SlopesAreTwiceTheNeighbourDifferenceClampedTo127)
{
    // A step of 100 along column 200 and a ramp of 3 a row down the page.
    for (int y = 0; y < BumpyHeight; ++y)
        for (int x = 0; x < BumpyWidth; ++x) BumpyPic[y * 400 + x] = uint8_t((x >= 200 ? 100 : 0) + (y % 50) * 3);
    ComputeBumpySlopes();
    const int row = 20 * 400;
    EXPECT_EQ(BumpyDx[row + 198], 0);
    EXPECT_EQ(BumpyDx[row + 199], 127);
    EXPECT_EQ(BumpyDx[row + 200], 127);
    EXPECT_EQ(BumpyDx[row + 201], 0);
    EXPECT_EQ(BumpyDy[row + 50], 12);    // 2 * (63 - 57)
    EXPECT_EQ(BumpyDy[49 * 400 + 10], -127);   // 0 below, 144 above: clamped
    EXPECT_EQ(BumpyDy[51 * 400 + 10], 12);
    // A row's end pixels take their other neighbour from the next or the
    // previous row: the right end of row 20 (160) sees the left end of row
    // 21 (63), and the other way round.
    EXPECT_EQ(BumpyDx[row + 399], -127);
    EXPECT_EQ(BumpyDx[row + 400], -127);
    // The first and last 401 pixels keep a zero slope.
    for (int i = 0; i <= 400; ++i) ASSERT_EQ(BumpyDy[i] | BumpyDx[i], 0) << i;
    for (int i = BumpyPixels - 401; i < BumpyPixels; ++i) ASSERT_EQ(BumpyDy[i] | BumpyDx[i], 0) << i;
}

TEST_F(Bumpy, FlatReliefShowsThreeDiscsAddingWhereTheyOverlap)
{
    Flat(90);
    Lights(100, 100, 300, 100, 200, 250);
    for (auto draw : {DrawBumpyEffect, DrawBumpyEffectScalar}) {
        GuardedPage p(0xFFFFFFFFu);
        draw(&p.page);
        EXPECT_EQ(p.At(100, 100), 0x00FF0000u);   // red centre, 200 from green
        EXPECT_EQ(p.At(300, 100), 0x0000FF00u);
        EXPECT_EQ(p.At(200, 250), 0x000000FFu);
        EXPECT_EQ(p.At(200, 100), 0x00383800u);   // 100 from red and green: 56 each
        EXPECT_EQ(Red(p.At(227, 100)), 2u);       // radius 127
        EXPECT_EQ(Red(p.At(228, 100)), 0u);       // radius 128
        EXPECT_EQ(p.At(0, 307), 0u);              // out of every disc
        // Each disc is round: as many red pixels as a disc of radius 127.5
        // has, less what falls off the top of the page.
        int red = 0;
        for (int y = 0; y < 308; ++y)
            for (int x = 0; x < 400; ++x) red += Red(p.At(x, y)) != 0;
        EXPECT_NEAR(red, 45110, 400);
        EXPECT_TRUE(p.GuardsIntact());
    }
}

TEST_F(Bumpy, LightsOffThePageStillLightWhatIsWithin128)
{
    Flat(0);
    Lights(-100, 154, 200, 420, 5000, 5000);
    GuardedPage p;
    DrawBumpyEffect(&p.page);
    EXPECT_EQ(Red(p.At(0, 154)), 56u);
    EXPECT_EQ(Red(p.At(27, 154)), 2u);
    EXPECT_EQ(Red(p.At(28, 154)), 0u);
    EXPECT_EQ(Green(p.At(200, 307)), 2u * (128 - 113));
    EXPECT_EQ(Green(p.At(200, 292)), 0u);
    int blue = 0;
    for (int y = 0; y < 308; ++y)
        for (int x = 0; x < 400; ++x) blue += Blue(p.At(x, y));
    EXPECT_EQ(blue, 0);
}

TEST_F(Bumpy, SlopeShiftsWhereAPixelReadsTheSpot)
{
    // A ramp rising to the right: every pixel reads the spot 2 pixels to its
    // left, so the bright centre shows 2 pixels right of the light.
    for (int y = 0; y < BumpyHeight; ++y)
        for (int x = 0; x < BumpyWidth; ++x) BumpyPic[y * 400 + x] = uint8_t(x / 2);
    ComputeBumpySlopes();
    ASSERT_EQ(BumpyDx[100 * 400 + 101], 2);   // 2 * (51 - 50), every second pixel
    Lights(200, 150, -2000, 0, -2000, 0);
    GuardedPage p;
    DrawBumpyEffect(&p.page);
    int brightest = 0, at = 0;
    for (int x = 0; x < 400; ++x)
        if (int(Red(p.At(x, 150))) > brightest) brightest = int(Red(p.At(x, 150))), at = x;
    EXPECT_EQ(brightest, 255);
    EXPECT_EQ(at, 202);
}

// The tiled SSE2 pass against the plain one: relief of random bytes (slopes
// at the clamps), reliefs with steps, lights anywhere, far away or at the
// extremes of a long.
struct PassCase {
    int Relief;   // 0 random bytes, 1 smooth waves, 2 flat
    long Lights[6];
};

class BumpyPasses : public Bumpy, public ::testing::WithParamInterface<PassCase> {};

TEST_P(BumpyPasses, TiledPassGivesTheSamePixelsAsTheScalarOne)
{
    const PassCase &c = GetParam();
    for (int i = 0; i < BumpyPixels; ++i) {
        const int x = i % 400, y = i / 400;
        BumpyPic[i] = c.Relief == 0 ? uint8_t(Rand15()) : c.Relief == 1 ? uint8_t(128 + 100 * std::sin(x * 0.05) * std::cos(y * 0.07)) : 40;
    }
    ComputeBumpySlopes();
    Lights(c.Lights[0], c.Lights[1], c.Lights[2], c.Lights[3], c.Lights[4], c.Lights[5]);
    // With the cone, and with a spot of noise (its corner kept dark), where
    // every lookup at the square's edges shows.
    for (int spot = 0; spot < 2; ++spot) {
        if (spot)
            for (int k = 1; k < 65536; ++k) GlowMap[k] = uint8_t(Rand15() | 1);
        GuardedPage a(1), b(2);
        DrawBumpyEffect(&a.page);
        DrawBumpyEffectScalar(&b.page);
        int differ = 0;
        for (int y = 0; y < 308; ++y)
            for (int x = 0; x < 400; ++x) differ += a.At(x, y) != b.At(x, y);
        EXPECT_EQ(differ, 0) << "spot " << spot;
        EXPECT_TRUE(a.GuardsIntact());
        EXPECT_TRUE(b.GuardsIntact());
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

TEST_F(Bumpy, SpotWithALitCornerFallsBackToTheScalarPass)
{
    for (int i = 0; i < BumpyPixels; ++i) BumpyPic[i] = uint8_t(Rand15());
    ComputeBumpySlopes();
    GlowMap[0] = 200;   // every lookup off the spot must still read 0
    Lights(100, 100, 300, 100, 200, 250);
    GuardedPage a, b;
    DrawBumpyEffect(&a.page);
    DrawBumpyEffectScalar(&b.page);
    EXPECT_EQ(a.memory, b.memory);
}

TEST_F(Bumpy, LightsKeepTheirSpeedLimitsAndChaseTheOneBefore)
{
    const long limit[4] = {0, 13, 11, 9};
    long before[4][2];
    int targetMoves = 0;
    for (int frame = 0; frame < 3000; ++frame) {
        for (int k = 0; k < 4; ++k) before[k][0] = Bumplx[k], before[k][1] = Bumply[k];
        MoveBumpyLights();
        targetMoves += Bumplx[0] != before[0][0] || Bumply[0] != before[0][1];
        ASSERT_GE(Bumplx[0], 0);
        ASSERT_LT(Bumplx[0], 400);
        ASSERT_LT(Bumply[0], 308);
        for (int k = 1; k <= 3; ++k) {
            ASSERT_LE(std::labs(Bumpldx[k]), limit[k]) << k;
            ASSERT_LE(std::labs(Bumpldy[k]), limit[k]) << k;
            ASSERT_EQ(Bumplx[k] - before[k][0], Bumpldx[k]);
            ASSERT_EQ(Bumply[k] - before[k][1], Bumpldy[k]);
        }
    }
    // About one frame in ten picks a new target.
    EXPECT_GT(targetMoves, 200);
    EXPECT_LT(targetMoves, 400);
    // With the target held at (-300, -300) the lights swing about it and
    // stay off the upper left of the page.
    FinishBumpy = 1;
    for (int frame = 0; frame < 500; ++frame) {
        MoveBumpyLights();
        if (frame < 150) continue;
        ASSERT_EQ(Bumplx[0], -300);
        for (int k = 1; k <= 3; ++k) {
            ASSERT_LT(Bumplx[k], -60) << k;
            ASSERT_LT(Bumply[k], -60) << k;
            ASSERT_GT(Bumplx[k], -600) << k;
            ASSERT_GT(Bumply[k], -600) << k;
        }
    }
}

TEST_F(Bumpy, FinishedLightsLeaveTheFlatPictureDark)
{
    Flat(0);
    Lights(200, 150, 210, 160, 190, 140);
    GuardedPage p;
    DoBumpyEffect(nullptr, nullptr, 1.0f, &p.page);
    const int litBefore = p.CountNot(0);
    HandleBumpyMessage(nullptr, WM_KEYDOWN, VK_F2, 0);
    ASSERT_EQ(FinishBumpy.load(), 1);
    for (int frame = 0; frame < 150; ++frame) DoBumpyEffect(nullptr, nullptr, 1.0f, &p.page);
    EXPECT_GT(litBefore, 50000);
    EXPECT_EQ(p.CountNot(0), 0);
    EXPECT_TRUE(p.GuardsIntact());
}

TEST_F(Bumpy, KeysAndTheCommandToggleTheSwitches)
{
    HandleBumpyMessage(nullptr, WM_KEYDOWN, VK_F1, 0);
    EXPECT_EQ(LenzFlare.load(), 1);
    HandleBumpyMessage(nullptr, WM_COMMAND, IDM_BUMPY_LENZFLARE, 0);
    EXPECT_EQ(LenzFlare.load(), 0);
    HandleBumpyMessage(nullptr, WM_COMMAND, 0x10000 | IDM_BUMPY_LENZFLARE, 0);   // from an accelerator
    EXPECT_EQ(LenzFlare.load(), 1);
    HandleBumpyMessage(nullptr, WM_KEYDOWN, VK_F2, 0);
    HandleBumpyMessage(nullptr, WM_KEYDOWN, VK_F2, 0);
    EXPECT_EQ(FinishBumpy.load(), 0);
    // Messages that are not the module's change nothing.
    HandleBumpyMessage(nullptr, WM_COMMAND, VK_F1, 0);
    HandleBumpyMessage(nullptr, WM_KEYDOWN, IDM_BUMPY_LENZFLARE, 0);
    HandleBumpyMessage(nullptr, WM_PAINT, VK_F2, 0);
    EXPECT_EQ(LenzFlare.load(), 1);
    EXPECT_EQ(FinishBumpy.load(), 0);
}

TEST_F(Bumpy, KeysWhileDrawingWithEveryGlowKeepToThePage)
{
    // Every flare sprite at its full size, so that glows and flares reach
    // past every edge of the page as the lights wander and leave.
    ASSERT_EQ(AllocateLenzMemory(), 1);
    for (TLENZ *l : {&LenzPic[0], &LenzPic[1], &LenzPic[2], &LenzPic[3], &LenzPic[4], &LenzPic[5], &LenzPic[6],
                     &LenzPic[7], &LenzPic[8], &LenzPic[9], &LenzPic[10], &LenzRed, &LenzGreen, &LenzBlue}) {
        ASSERT_NE(AllocSprite32(&l->Data), 0u);
        auto *px = static_cast<uint32_t *>(l->Data.pSpriteData);
        for (uint32_t k = 0; k < l->Data.Width * l->Data.Height; ++k) px[k] = 0x00202020;
    }
    for (int i = 0; i < BumpyPixels; ++i) BumpyPic[i] = uint8_t(Rand15());
    ComputeBumpySlopes();
    Lights(-5000, 200, 200, 9000, 450, -400);
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

TEST(BumpyWindow, KeysReachTheModuleThroughTheWindowWhileItIsTheEffect)
{
    LenzFlare = 0;
    FinishBumpy = 0;
    EffectNo = 2;
    WndProc(nullptr, WM_KEYDOWN, VK_F1, 0);
    WndProc(nullptr, WM_KEYDOWN, VK_F2, 0);
    EXPECT_EQ(LenzFlare.load(), 1);
    EXPECT_EQ(FinishBumpy.load(), 1);
    EffectNo = 5;   // a number without a handler
    WndProc(nullptr, WM_KEYDOWN, VK_F1, 0);
    EXPECT_EQ(LenzFlare.load(), 1);
    EffectNo = 0;
    LenzFlare = 0;
    FinishBumpy = 0;
}

TEST(BumpyMemory, FreeIsSafeUnallocatedAndTwiceAndDrawingThenDoesNothing)
{
    FreeBumpyMemory();
    FreeBumpyMemory();
    GuardedPage p(7);
    InitializeBumpy();
    DoBumpyEffect(nullptr, nullptr, 1.0f, &p.page);
    DrawBumpyEffectScalar(&p.page);
    EXPECT_EQ(p.CountNot(7), 0);
    ASSERT_EQ(AllocateBumpyMemory(), 1);
    // A page too small for 400 x 308 pixels, or not 32-bit, is not drawn.
    GuardedPage q(7);
    q.page.Height = 300;
    DrawBumpyEffect(&q.page);
    q.page.Height = 308;
    q.page.BPP = 16;
    DrawBumpyEffect(&q.page);
    EXPECT_EQ(q.CountNot(7), 0);
    EXPECT_TRUE(q.GuardsIntact());
    FreeBumpyMemory();
}

} // namespace
