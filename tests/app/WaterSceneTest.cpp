// Scene 6, the water, as a viewer sees it in steps 13 to 17: two halves
// slide together from opposite corners, drops ripple the surface, the bar
// presses it and lights the fire, then the picture flies off to the lower
// right while the page brightens to white.
#include "SceneRun.h"
#include "TestFiles.h"
#include "WaterEffect.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

class WaterScene : public ::testing::Test {
protected:
    void SetUp() override
    {
        // No data files: the pictures stay black and the bitmap flat; the
        // palette is a grey ramp that never reaches black.
        ASSERT_TRUE(StartScenes(emptyData.Path));
        for (uint32_t k = 0; k < 256; ++k) {
            const uint32_t v = 20 + k * 235 / 255;
            WaterPalette[k] = v << 16 | v << 8 | v;
        }
        RotateEffect = DrawPic = bWaterFireEffect = DrawBar = 0;
        DemoState = 6;
        DemoSubState1 = 0;
        DemoSubState2 = 0;
    }
    void TearDown() override { StopScenes(); }

    static uint32_t Pixel(int x, int y) { return PagePixels(EffectGFXPage32)[y * 400 + x]; }
    // How many pixels of a rectangle are not black.
    static int Lit(int x0, int y0, int x1, int y1)
    {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) n += Pixel(x, y) != 0;
        return n;
    }
    static double MeanGreen(int x0, int y0, int x1, int y1)
    {
        double s = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) s += (Pixel(x, y) >> 8) & 0xFF;
        return s / double((x1 - x0) * (y1 - y0));
    }

    TempFolder emptyData;
};

TEST_F(WaterScene, SlowFramesMoveFurtherPerFrame)
{
    DoAction(3.0f);
    EXPECT_EQ(DemoSubState2, 308 - 9);
    DoAction(1.5f);
    EXPECT_EQ(DemoSubState2, 294);   // 299 - 4.5, truncated toward zero
}

} // namespace

// Steps 13 to 17 played by HandleDemo against a song that starts at 15:00
// (steps 1 to 12 have ended before it; step 1 shows one black frame), rows
// 100 ms apart, stopped after a given number of shown frames. The later
// steps still apply their settings, so what is judged is the last frame and
// the surface, which nothing touches after the stop.
class WaterSteps : public WaterScene {
protected:
    // Frames each step shows at this tempo: step 13 and 14 (one frame of the
    // assembly only switches over), 15, 16.
    static constexpr long Steps13And14 = 188, Step15 = 376, Step16 = 188;

    static void Play(long shown) { PlayFrom(15, 0, 100, shown); }
    static long Heights()
    {
        long s = 0;
        for (int i = 0; i < WaterGridCells; ++i) s += std::abs(int(WaterPage1[i])) + std::abs(int(WaterPage2[i]));
        return s;
    }
    // Mean size of the heights of both tables over the rows the bar presses.
    static double BarHeight()
    {
        double s = 0;
        for (int r = 142; r <= 145; ++r)
            for (int c = 4; c <= 95; ++c)
                s += std::abs(int(WaterPage1[r * 100 + c])) + std::abs(int(WaterPage2[r * 100 + c]));
        return s / (2.0 * 4 * 92);
    }
};

TEST_F(WaterSteps, Step13AssemblesFromBlack)
{
    Play(20);
    EXPECT_EQ(Lit(0, 200, 100, 300), 0);
    EXPECT_EQ(Lit(260, 0, 400, 100), 0);
    EXPECT_GT(Lit(0, 0, 400, 308), 5000);
    EXPECT_LT(Lit(0, 0, 400, 308), 400 * 308 / 2);
}

TEST_F(WaterSteps, Step14DropsRippleTheAssembledSurface)
{
    Play(180);
    EXPECT_GT(Heights(), 0);
    EXPECT_EQ(Lit(0, 0, 400, 304), 400 * 304);
    // A ripple shows as rows whose shade differs from the flat bands.
    int uneven = 0;
    for (int y = 2; y < 300; ++y) uneven += Pixel(100, y) != Pixel(300, y);
    EXPECT_GT(uneven, 0);
    for (int i = 0; i < 900; ++i) ASSERT_EQ(FirePage[i], 0);
}

TEST_F(WaterSteps, Step15PressesTheBarAndLightsTheFire)
{
    Play(Steps13And14);
    const double before = BarHeight();
    long fire = 0;
    for (int i = 0; i < 900; ++i) fire += FirePage[i];
    EXPECT_EQ(fire, 0);
    SetUp();
    Play(Steps13And14 + 8);
    EXPECT_GT(BarHeight(), before + 300);
    for (int i = 100; i < 900; ++i) fire += FirePage[i];
    EXPECT_GT(fire, 0);
}

TEST_F(WaterSteps, Step17FliesApartOverABrighteningPage)
{
    Play(Steps13And14 + Step15 + Step16 + 20);
    // The picture has moved to the lower right; the corner it left brightens.
    EXPECT_GT(MeanGreen(0, 0, 100, 60), MeanGreen(200, 100, 400, 200) + 40);
    SetUp();
    Play(Steps13And14 + Step15 + Step16 + 60);
    // Gone off the page: everything is close to white.
    EXPECT_GT(MeanGreen(0, 0, 400, 308), 240.0);
}
