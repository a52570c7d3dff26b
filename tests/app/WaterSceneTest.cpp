// Scene 6, the water, as a viewer sees it: two halves slide together from
// opposite corners, the whole surface ripples, then the picture flies off to
// the lower right while the page brightens to white.
#include "FakePlatform.h"
#include "SceneRun.h"
#include "TestFiles.h"
#include "WaterEffect.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

int Presents() { return int(fake::PresentTimes.size()); }

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

TEST_F(WaterScene, HalvesSlideTogetherFromOppositeCornersThenFillThePage)
{
    std::vector<int> lit;
    int frames = 0;
    bool sawHalfway = false;
    while (DemoSubState1 < 2 && frames < 200) {
        DoAction(1.0f);
        ++frames;
        lit.push_back(Lit(0, 0, 400, 300));
        if (DemoSubState2 >= 148 && DemoSubState2 <= 152) {
            // The top half comes in from the lower right, the bottom half
            // from the upper left; the other two corners stay dark.
            sawHalfway = true;
            EXPECT_EQ(Lit(0, 200, 100, 300), 0);
            EXPECT_EQ(Lit(260, 0, 400, 100), 0);
            EXPECT_GT(Lit(200, 200, 400, 300), 150 * 100);
            EXPECT_GT(Lit(0, 10, 200, 140), 150 * 100);
        }
    }
    EXPECT_TRUE(sawHalfway);
    // The halves slide past each other: the lit area grows while they come
    // in from the corners and is largest when they close up.
    EXPECT_LT(lit[10], lit[30]);
    EXPECT_LT(lit[30], lit[50]);
    EXPECT_GT(lit[102], lit[50]);
    // 308 rows at 3 a frame, then one frame that only switches over.
    EXPECT_EQ(frames, 104);
    EXPECT_EQ(Presents(), 103);
    EXPECT_EQ(DemoSubState2, 0);
    DoAction(1.0f);
    EXPECT_EQ(Lit(0, 0, 400, 304), 400 * 304);
}

TEST_F(WaterScene, SurfaceRipplesWhereDropsFall)
{
    DemoSubState1 = 2;
    DoAction(1.0f);
    DoAction(1.0f);
    std::vector<uint32_t> flat(static_cast<uint32_t *>(EffectGFXPage32.pPageData),
                               static_cast<uint32_t *>(EffectGFXPage32.pPageData) + 400 * 308);
    DrawDrop(50, 100, 500);   // grid row 100 is drawn around screen row 200
    for (int k = 0; k < 6; ++k) DoAction(1.0f);
    int changedNear = 0, changedFar = 0;
    for (int y = 0; y < 308; ++y)
        for (int x = 0; x < 400; ++x) {
            if (flat[y * 400 + x] == Pixel(x, y)) continue;
            if (std::abs(x - 200) < 60 && std::abs(y - 200) < 60) ++changedNear;
            else ++changedFar;
        }
    EXPECT_GT(changedNear, 500);
    EXPECT_EQ(changedFar, 0);
}

TEST_F(WaterScene, PictureFliesApartWhileThePageBrightensToWhite)
{
    DemoSubState1 = 2;
    DoAction(1.0f);
    DemoSubState1 = 3;
    DemoSubState2 = 0;
    const double start = MeanGreen(0, 0, 100, 50);
    int frames = 0;
    while (DemoSubState1 == 3 && frames < 200) {
        DoAction(1.0f);
        ++frames;
        if (frames == 20) {
            // The picture has left the upper left corner, which brightens.
            EXPECT_GT(MeanGreen(0, 0, 100, 50), start + 50);
            EXPECT_GT(Lit(300, 100, 400, 200), 0);
        }
    }
    // 400 columns at 4 a frame, then one frame that only switches over.
    EXPECT_EQ(frames, 101);
    EXPECT_EQ(DemoSubState1, 4);
    EXPECT_EQ(Lit(0, 0, 400, 308), 400 * 308);
    EXPECT_EQ(Pixel(10, 10), 0x00FFFFFFu);
    // Nothing more is drawn or shown in sub-state 4.
    const int shown = Presents();
    DoAction(1.0f);
    EXPECT_EQ(Presents(), shown);
}

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
