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
    // Leaves: clearly green. Bark: brown, red over green over blue.
    static long Leaves(const std::vector<uint32_t> &page, int x0, int y0, int x1, int y1)
    {
        long n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                const uint32_t c = page[size_t(y * W + x)];
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
// 100 ms apart, the page taken after 20, 299 and 300 shown frames.
TEST_F(TreeScene, Step22GrowsTheTreeThenTurnsIt)
{
    std::vector<std::vector<uint32_t>> pages;
    long branch[3] = {}, angle = 0;
    PlayTaking(25, 0, 100, {20, 299, 300}, [&](size_t i) {
        pages.emplace_back(PagePixels(EffectGFXPage32), PagePixels(EffectGFXPage32) + W * H);
        branch[i] = TreeBranch;
        angle = TreeAngle;
    });
    ASSERT_EQ(pages.size(), 3u);
    // Step 1's black frame: the trees grow on black, 40 branches a frame.
    const long early = Leaves(pages[0], 0, 0, W, H);
    EXPECT_EQ(branch[0], 20 * 40);
    const std::vector<uint32_t> &before = pages[1], &page = pages[2];
    EXPECT_EQ(branch[2], TreeLinesUsed - 2);
    EXPECT_GT(Leaves(page, 0, 0, W, H), early * 5);
    // A brown trunk at the bottom middle, the leaves up in the crown.
    EXPECT_TRUE(Bark(page[300 * W + 200])) << std::hex << page[300 * W + 200];
    EXPECT_GT(Leaves(page, 0, 0, W, 250), 10000);
    EXPECT_LT(Leaves(page, 0, 280, W, H), Leaves(page, 0, 0, W, 250) / 20);
    // Whole, and still turning: 20 steps a frame.
    EXPECT_EQ(angle, 300 * 20 % 5760);
    long changed = 0;
    for (int k = 0; k < W * H; ++k) changed += before[size_t(k)] != page[size_t(k)];
    EXPECT_GT(changed, 500);
}

} // namespace
