// Scene 14, the trees, as a viewer sees it: over the last picture, which
// dims away to black, a tree grows branch by branch from a brown trunk at the
// bottom middle into a green crown, then keeps turning once it is whole.
#include "Plants.h"
#include "SceneRun.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

constexpr int W = 400, H = 308;
constexpr uint32_t Grey = 0xC8C8C8;   // the picture the trees grow over

class TreeScene : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(StartScenes(emptyData.Path));
        Cls32(&EffectGFXPage32, 0xC8, 0xC8, 0xC8);
        DemoState = 14;
        DemoSubState1 = 0;
    }
    void TearDown() override { StopScenes(); }

    static uint32_t Pixel(int x, int y) { return PagePixels(EffectGFXPage32)[y * W + x]; }
    static int R(uint32_t c) { return int(c >> 16 & 0xFF); }
    static int G(uint32_t c) { return int(c >> 8 & 0xFF); }
    static int B(uint32_t c) { return int(c & 0xFF); }
    // Leaves: clearly green. Bark: brown, red over green over blue.
    static long Leaves(int x0, int y0, int x1, int y1)
    {
        long n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                const uint32_t c = Pixel(x, y);
                n += G(c) > 40 && R(c) == 0 && B(c) == 0;
            }
        return n;
    }
    static bool Bark(uint32_t c) { return R(c) > G(c) && G(c) > B(c) && B(c) > 0; }

    TempFolder emptyData;
};

// Out of the timeline's reach (it enters the trees on a black frame): the
// picture the trees grow over dims away while they grow.
TEST_F(TreeScene, TheOldPictureDimsAwayWhileTheTreeGrows)
{
    long frames = 0;
    while (DemoSubState1 != 2 && frames < 1000) {
        DoAction(1.0f);
        ++frames;
        if (frames == 1) {
            EXPECT_EQ(Pixel(395, 5), Grey - 0x010101u) << "dimmed by 1";
        }
        if (frames == 10) {
            EXPECT_EQ(Pixel(395, 5), Grey - 55 * 0x010101u) << "by 1 + 2 + ... + 10";
        }
    }
    EXPECT_EQ(frames, (TreeLinesUsed - 1 + 39) / 40);
    EXPECT_EQ(Pixel(395, 5), 0u);
}

// Step 22 played by HandleDemo against a song that starts at 25:00, rows
// 100 ms apart, stopped after a given number of shown frames.
class TreeSteps : public TreeScene {
protected:
    void Play(long shown)
    {
        if (played++)
            SetUp();   // every run starts from a fresh program
        PlayFrom(25, 0, 100, shown);
    }
    int played = 0;
};

TEST_F(TreeSteps, Step22GrowsTheTreeThenTurnsIt)
{
    // Step 1's black frame: the trees grow on black, 40 branches a frame.
    Play(20);
    const long early = Leaves(0, 0, W, H);
    EXPECT_EQ(TreeBranch, 20 * 40);
    Play(299);
    const std::vector<uint32_t> before(PagePixels(EffectGFXPage32), PagePixels(EffectGFXPage32) + W * H);
    Play(300);
    EXPECT_EQ(TreeBranch, TreeLinesUsed - 2);
    EXPECT_GT(Leaves(0, 0, W, H), early * 5);
    // A brown trunk at the bottom middle, the leaves up in the crown.
    EXPECT_TRUE(Bark(Pixel(200, 300))) << std::hex << Pixel(200, 300);
    EXPECT_GT(Leaves(0, 0, W, 250), 10000);
    EXPECT_LT(Leaves(0, 280, W, H), Leaves(0, 0, W, 250) / 20);
    // Whole, and still turning: 20 steps a frame.
    EXPECT_EQ(TreeAngle, 300 * 20 % 5760);
    long changed = 0;
    for (int k = 0; k < W * H; ++k) changed += before[size_t(k)] != PagePixels(EffectGFXPage32)[k];
    EXPECT_GT(changed, 500);
}

} // namespace
