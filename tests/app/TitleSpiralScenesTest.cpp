// The title, splot, spiral and scroller scenes as a viewer sees them: frames
// drawn by DoAction on the drawing state InitAppMemory makes, with simple
// synthetic pictures in place of the data files, judged by brightness and by
// where on the page pixels change.
#include "FakePlatform.h"
#include "Feedback.h"
#include "Gen32.h"
#include "SceneRun.h"
#include "Scroller.h"
#include "Spin.h"
#include "Splot.h"
#include "TestFiles.h"
#include "Title.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

constexpr int W = 400, H = 308;

struct Scenes : ::testing::Test {
    TempFolder EmptyData;

    void SetUp() override
    {
        ASSERT_TRUE(StartScenes(EmptyData.Path));
        // The title sprite: transparent except a white bar across its middle.
        auto *title = static_cast<uint32_t *>(TitlePicture.pSpriteData);
        ASSERT_NE(title, nullptr);
        for (int y = 0; y < 125; y++)
            for (int x = 0; x < 400; x++)
                title[y * 400 + x] = (y >= 50 && y < 75 && x >= 100 && x < 300) ? 0xFFFFFF : 0xFF00FF;
        for (int k = 0; k < kTitleWidth * kTitleHeight; k++) {
            TitleTexMain[k] = 0x606060;
            TitleTex[k] = 0x202020;
        }
        for (uint32_t i = 0; i < 256; i++)
            SplotPalette[i] = i * 0x010101u;
        DemoSubState2 = 0;
        // Module state that earlier runs of the timeline may have moved.
        DoSpinRandom = 0;
        Radius = 1.0f;
        FeedBackAngle = 0;
        SetOffsets(-10, -20);
    }
    void TearDown() override { StopScenes(); }

    const uint32_t *Pixels() const { return static_cast<const uint32_t *>(EffectGFXPage32.pPageData); }
    uint32_t At(int x, int y) const { return Pixels()[y * W + x]; }
    // Mean of the blue channel over a rectangle.
    double Mean(int x0, int y0, int x1, int y1) const
    {
        double sum = 0;
        for (int y = y0; y < y1; y++)
            for (int x = x0; x < x1; x++)
                sum += At(x, y) & 0xFF;
        return sum / double((x1 - x0) * (y1 - y0));
    }
    double MeanPage() const { return Mean(0, 0, W, H); }
    long Lit(int x0, int y0, int x1, int y1) const
    {
        long n = 0;
        for (int y = y0; y < y1; y++)
            for (int x = x0; x < x1; x++)
                n += At(x, y) != 0;
        return n;
    }
    long LitPage() const { return Lit(0, 0, W, H); }
    // Pixels lit outside the title's resting rectangle (40..359 x 34..273).
    long LitOutsideTitle() const { return LitPage() - Lit(40, 34, 360, 274); }
    bool TitleBarShown() const { return At(200, 91 + 60) == 0xFFFFFFu; }
    void Frame(float F = 1.0f) { DoAction(F); }
};

} // namespace

TEST_F(Scenes, TitleShakesIntoPlaceThenFlashes)
{
    DemoState = 13;
    DemoSubState1 = 0;
    std::vector<double> centre;
    std::vector<long> spread;
    for (int f = 0; f < 110; f++) {
        Frame();
        centre.push_back(Mean(150, 120, 250, 190));
        spread.push_back(LitOutsideTitle());
    }
    EXPECT_EQ(centre[0], 0.0);           // the first copies are too faint to see
    EXPECT_GT(spread[10], 0);            // then they show, far apart
    EXPECT_GT(centre[30], centre[10]);   // it fades in
    EXPECT_LT(spread[80], spread[10]);   // and the jitter dies down
    EXPECT_LT(TitleOfs, 0);
    // At rest: the picture exactly in its place, nothing around it.
    EXPECT_EQ(At(200, 150), 0x606060u);
    EXPECT_EQ(At(40, 34), 0x606060u);
    EXPECT_EQ(LitOutsideTitle(), 0);

    // Step 3: the glow spreads beyond the title and brightens it, for 33
    // frames; then the picture holds still.
    DemoSubState1 = 2;
    const double restMean = MeanPage();
    for (int f = 0; f < 10; f++)
        Frame();
    EXPECT_GT(LitOutsideTitle(), 0);
    EXPECT_GT(MeanPage(), restMean);
    for (int f = 10; f < 33; f++)
        Frame();
    std::vector<uint32_t> settled(Pixels(), Pixels() + W * H);
    Frame();
    Frame();
    EXPECT_TRUE(std::equal(settled.begin(), settled.end(), Pixels()));
    EXPECT_EQ(fake::PresentPages.size(), 110u + 35u);
}

TEST_F(Scenes, SplotPulsesThenTheTitleAndBeamsComeThenItFades)
{
    DemoState = 0;
    DemoSubState1 = 0;
    std::vector<double> mean;
    for (int f = 0; f < 130; f++) {
        Frame();
        mean.push_back(MeanPage());
    }
    // One pulse: up to full strength at frame 64, down to black at 128.
    EXPECT_LT(mean[10], mean[40]);
    EXPECT_LT(mean[40], mean[63]);
    EXPECT_GT(mean[63], mean[90]);
    EXPECT_GT(mean[90], mean[120]);
    EXPECT_EQ(mean[127], 0.0);
    EXPECT_GT(mean[63], 10.0);
    EXPECT_FALSE(TitleBarShown());

    // Step 6: the light moves left to right and the title blends in.
    DemoSubState1 = 2;
    Frame();
    const long firstLight = Lightlx;
    EXPECT_FALSE(TitleBarShown());
    int frames = 1;
    while (DemoSubState1 == 2 && frames < 1000) {
        Frame();
        frames++;
        if (LightPos >= 940 && LightPos <= 1500) {   // level 31 and up: the title in full
            ASSERT_TRUE(TitleBarShown()) << LightPos;
        }
    }
    EXPECT_EQ(DemoSubState1, 3);
    EXPECT_GT(LightPos, 1500);
    EXPECT_GT(Lightlx.load(), firstLight + 1000);
    EXPECT_EQ(Lightly.load(), LightPos / 8);

    // The splot fades away under the title, which stays.
    frames = 0;
    while (DemoSubState1 == 3 && frames < 100) {
        Frame();
        frames++;
    }
    EXPECT_EQ(DemoSubState1, 4);
    EXPECT_LE(frames, 33);
    Frame();
    EXPECT_TRUE(TitleBarShown());
    EXPECT_LT(Mean(0, 0, W, 80), 3.0);   // the last splot frame is nearly black
}

TEST_F(Scenes, SpiralsGrowTrailAndShrinkAway)
{
    DemoState = 1;
    DemoSubState1 = 0;
    std::vector<long> lit;
    for (int f = 0; f < 201; f++) {
        Frame();
        lit.push_back(LitPage());
        ASSERT_TRUE(TitleBarShown());
    }
    EXPECT_EQ(DemoSubState1, 2);
    EXPECT_EQ(Spirals[0].Shrink, 200);
    EXPECT_LT(lit[20], lit[100]);
    EXPECT_LT(lit[100], lit[199]);

    // Step 8: the feedback smears the spirals into trails while they shrink
    // to 80 and the title fades.
    DemoSubState1 = 3;
    DoSpinRandom = 0;
    int frames = 0;
    while (DemoSubState1 == 3 && frames < 400) {
        Frame();
        frames++;
    }
    EXPECT_EQ(frames, 121);
    EXPECT_EQ(Spirals[0].Shrink, 80);
    EXPECT_FALSE(TitleBarShown());   // faded out, only its smeared trail is left
    for (int f = 0; f < 20; f++)
        Frame();
    const double withTrails = MeanPage();
    // The same spirals without the feedback are much darker.
    Cls32(&EffectGFXPage32, 0, 0, 0);
    DoSpinEffect(nullptr, nullptr, 1.0f, &EffectGFXPage32);
    EXPECT_GT(withTrails, MeanPage() * 2);

    // Step 10: they shrink away and the page dims to black.
    DemoSubState1 = 5;
    frames = 0;
    while (DemoSubState1 == 5 && frames < 200) {
        Frame();
        frames++;
    }
    EXPECT_EQ(frames, 81);   // 80 frames of shrinking, one that switches
    EXPECT_EQ(Spirals[0].Shrink, 0);
    for (int f = 0; f < 60; f++)
        Frame();
    EXPECT_EQ(LitPage(), 0);
}

TEST_F(Scenes, ScrollerRollsToItsEndThenGoesBlack)
{
    auto *greetz = static_cast<uint32_t *>(TheScroller.pPageData);
    for (int y = 0; y < 800; y++)
        for (int x = 0; x < 300; x++)
            greetz[y * 300 + x] = 0x800000u | uint32_t(y);
    DemoState = 18;
    DemoSubState1 = 0;
    Frame();
    EXPECT_EQ(LitPage(), 0);   // the picture starts below the page
    for (int f = 1; f < 100; f++)
        Frame();
    // After 100 frames its top row is on row 300, between columns 50 and 349.
    EXPECT_EQ(At(50, 300), 0x800000u);
    EXPECT_EQ(At(349, 307), 0x800007u);
    EXPECT_EQ(At(49, 300), 0u);
    EXPECT_EQ(At(350, 300), 0u);
    EXPECT_EQ(At(200, 299), 0u);
    Frame();
    EXPECT_EQ(At(50, 299), 0x800000u);   // one row up a frame

    long frames = 101;
    while (DemoSubState1 == 1 && frames < 5000) {
        Frame();
        frames++;
    }
    // Whole frames land exactly on the end position: the roll ends there.
    EXPECT_EQ(frames, 2032);
    EXPECT_EQ(DemoSubState1, 2);
    Frame();
    EXPECT_EQ(LitPage(), 0);
}

TEST_F(Scenes, MissingTitleSpriteDrawsNothing)
{
    FreeSprite32(&TitlePicture);
    DemoState = 1;
    DemoSubState1 = 2;
    SetSpinSize(0);
    Frame();
    EXPECT_EQ(LitPage(), 0);
    DemoState = 0;
    DemoSubState1 = 4;
    Cls32(&EffectGFXPage32, 0, 0, 0);
    Frame();
    EXPECT_EQ(LitPage(), 0);
    EXPECT_EQ(fake::PresentPages.size(), 2u);
}
