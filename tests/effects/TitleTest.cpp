// Title: the quivering copies coming together, the resting picture, and the
// glow's 33 steps.
#include "Title.h"

#include "Random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

struct TitleFixture : ::testing::Test {
    defZENTRIXPAGE page{};

    void SetUp() override
    {
        ASSERT_EQ(CreateGFXPage(&page, 400, 308, 32), 1);
        ASSERT_EQ(AllocateScanLines(&page), 1u);
        ASSERT_EQ(AllocateTitleMemory(), 1);
        for (int k = 0; k < kTitleWidth * kTitleHeight; k++) {
            TitleTexMain[k] = 0x808080;
            TitleTex[k] = 0xFFFFFF;
        }
        TitleTexMain[0] = 0x112233;
        TitleTexMain[kTitleWidth * kTitleHeight - 1] = 0x445566;
        TitleOfs = 200;
        TitleFade = 0;
        TitleGlow = 0;
        SeedRand15(11);
    }
    void TearDown() override
    {
        FreeTitleMemory();
        DeleteGFXPage(&page);
    }
    uint32_t Pixel(int x, int y) const { return static_cast<const uint32_t *>(page.pPageData)[y * 400 + x]; }
    int Blue(int x, int y) const { return int(Pixel(x, y) & 0xFF); }
};

} // namespace

TEST_F(TitleFixture, RestingTitleIsThePictureUnscaled)
{
    TitleOfs = -1;
    Cls32(&page, 9, 9, 9);
    DoTitleQuiverEffect(nullptr, nullptr, 1, &page);
    EXPECT_EQ(Pixel(40, 34), 0x112233u);
    EXPECT_EQ(Pixel(359, 273), 0x445566u);
    EXPECT_EQ(Pixel(200, 150), 0x808080u);
    EXPECT_EQ(Pixel(39, 150), 0u);   // the rest of the page is cleared
    EXPECT_EQ(Pixel(360, 150), 0u);
    EXPECT_EQ(Pixel(200, 33), 0u);
    EXPECT_EQ(Pixel(200, 274), 0u);
    EXPECT_EQ(TitleOfs, -1);         // standing still: nothing changes
}

TEST_F(TitleFixture, CopiesCoincideAtZeroAmplitude)
{
    TitleOfs = 0;
    TitleFade = 16;
    DoTitleQuiverEffect(nullptr, nullptr, 1, &page);
    EXPECT_EQ(TitleFade, 17);
    // Four copies at level 17/256 of 0x80 add up on the black page.
    int one = (0x80 * 17) >> 8;
    EXPECT_NEAR(Blue(200, 150), 4 * one, 4);
    EXPECT_EQ(Pixel(39, 150), 0u);
    EXPECT_EQ(TitleOfs, -2);
}

TEST_F(TitleFixture, QuiverFadesInAndSettles)
{
    int frames = 0;
    int firstCentre = -1, lastCentre = -1;
    while (TitleOfs >= 0) {
        DoTitleQuiverEffect(nullptr, nullptr, 1, &page);
        if (firstCentre < 0)
            firstCentre = Blue(200, 150);
        lastCentre = Blue(200, 150);
        ASSERT_LT(++frames, 200);
    }
    EXPECT_EQ(frames, 101);               // 200 down to below 0 by 2 a frame
    EXPECT_GE(TitleFade, 64);             // fully faded in, and no further
    EXPECT_LE(TitleFade, 64);
    EXPECT_LT(firstCentre, lastCentre);   // brighter as it settles
    EXPECT_NEAR(lastCentre, 4 * ((0x80 * 64) >> 8), 4);
}

TEST_F(TitleFixture, GlowTakesThirtyThreeStepsThenStops)
{
    // A glow dark enough that its 33 steps never saturate.
    for (int k = 0; k < kTitleWidth * kTitleHeight; k++)
        TitleTex[k] = 0x707070;
    std::vector<int> centre;
    for (int g = 0; g < 33; g++) {
        EXPECT_EQ(TitleGlow, g);
        int before = Blue(200, 150);
        DoTitleGlowEffect(nullptr, nullptr, 1, &page);
        centre.push_back(Blue(200, 150) - before);
        // Step g reaches 4 g pixels beyond the picture on each side.
        int edge = 40 - 4 * g;
        if (edge > 0 && g < 32) {
            EXPECT_GT(Blue(edge, 150), 0) << "step " << g;
            EXPECT_EQ(Blue(edge - 1, 150), 0) << "step " << g;
        }
    }
    EXPECT_EQ(TitleGlow, 33);
    EXPECT_NEAR(centre[0], (0x70 * 32) >> 8, 1);   // first step at level 32
    EXPECT_NEAR(centre[16], (0x70 * 16) >> 8, 1);
    EXPECT_EQ(centre[32], 0);                     // last step at level 0
    for (size_t g = 1; g < centre.size(); g++)
        EXPECT_LE(centre[g], centre[g - 1]);      // each step fainter

    std::vector<uint32_t> before(static_cast<uint32_t *>(page.pPageData),
                                 static_cast<uint32_t *>(page.pPageData) + 400 * 308);
    DoTitleGlowEffect(nullptr, nullptr, 1, &page);
    EXPECT_EQ(TitleGlow, 33);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), static_cast<uint32_t *>(page.pPageData)));
}

TEST(TitleLifecycle, FreeIsSafeUnallocatedAndTwice)
{
    FreeTitleMemory();
    FreeTitleMemory();
    EXPECT_EQ(InitializeTitle(nullptr), 1);   // no buffers: nothing loaded
    ASSERT_EQ(AllocateTitleMemory(), 1);
    EXPECT_EQ(TitleTexMain[123], 0u);         // a picture not (yet) loaded is black
    FreeTitleMemory();
    FreeTitleMemory();
    EXPECT_EQ(TitleTex, nullptr);
}
