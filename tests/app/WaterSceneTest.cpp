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

    TempFolder emptyData;
};

TEST_F(WaterScene, SlowFramesMoveFurtherPerFrame)
{
    DoAction(3.0f);
    EXPECT_EQ(DemoSubState2, 308 - 9);
    DoAction(1.5f);
    EXPECT_EQ(DemoSubState2, 294);   // 299 - 4.5, truncated toward zero
}

// What the page and the surface were after a number of shown frames.
struct Taken : PageShot {
    long Heights = 0;   // sizes of all heights of both tables
    double Bar = 0;     // their mean size over the rows the bar presses
    long FireLit = 0;   // cells of the fire's first 900 not zero
    long Heat = 0;      // the sum of its cells 100..899
};

// Steps 13 to 17 played by HandleDemo in one run against a song that starts
// at 15:00 (steps 1 to 12 have ended before it; step 1 shows one black
// frame), rows 100 ms apart.
TEST_F(WaterScene, Steps13To17AssembleRippleLightTheFireAndFlyApart)
{
    // Frames each step shows at this tempo: step 13 and 14 (one frame of the
    // assembly only switches over), 15, 16.
    constexpr long Steps13And14 = 188, Step17 = Steps13And14 + 376 + 188;
    std::vector<Taken> t;
    PlayTaking(15, 0, 100, {20, 180, Steps13And14, Steps13And14 + 8, Step17 + 20, Step17 + 60}, [&](size_t) {
        Taken &n = t.emplace_back();
        for (int i = 0; i < WaterGridCells; ++i) n.Heights += std::abs(int(WaterPage1[i])) + std::abs(int(WaterPage2[i]));
        for (int r = 142; r <= 145; ++r)
            for (int c = 4; c <= 95; ++c)
                n.Bar += std::abs(int(WaterPage1[r * 100 + c])) + std::abs(int(WaterPage2[r * 100 + c]));
        n.Bar /= 2.0 * 4 * 92;
        for (int i = 0; i < 900; ++i) {
            n.FireLit += FirePage[i] != 0;
            n.Heat += i >= 100 ? FirePage[i] : 0;
        }
    });
    ASSERT_EQ(t.size(), 6u);

    // Step 13: the halves come in from the corners over black.
    EXPECT_EQ(t[0].Lit(0, 200, 100, 300, 0), 0);
    EXPECT_EQ(t[0].Lit(260, 0, 400, 100, 0), 0);
    EXPECT_GT(t[0].Lit(0, 0, 400, 308, 0), 5000);
    EXPECT_LT(t[0].Lit(0, 0, 400, 308, 0), 400 * 308 / 2);

    // Step 14: drops ripple the assembled surface; a ripple shows as rows
    // whose shade differs from the flat bands. No fire yet.
    EXPECT_GT(t[1].Heights, 0);
    EXPECT_EQ(t[1].Lit(0, 0, 400, 304, 0), 400 * 304);
    int uneven = 0;
    for (int y = 2; y < 300; ++y) uneven += t[1].Pixels[size_t(y * 400 + 100)] != t[1].Pixels[size_t(y * 400 + 300)];
    EXPECT_GT(uneven, 0);
    EXPECT_EQ(t[1].FireLit, 0);

    // Step 15: the bar presses the surface and lights the fire.
    EXPECT_EQ(t[2].FireLit, 0);
    EXPECT_GT(t[3].Bar, t[2].Bar + 300);
    EXPECT_GT(t[3].Heat, 0);

    // Step 17: the picture has moved to the lower right; the corner it left
    // brightens. Then it is off the page: everything is close to white.
    EXPECT_GT(t[4].Mean(0, 0, 100, 60, 8), t[4].Mean(200, 100, 400, 200, 8) + 40);
    EXPECT_GT(t[5].Mean(0, 0, 400, 308, 8), 240.0);
}

} // namespace
