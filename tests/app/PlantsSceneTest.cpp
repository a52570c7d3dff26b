// Scene 14, the trees, as a viewer sees it: over the last picture, which
// dims away to black, a tree grows branch by branch from a brown trunk at the
// bottom middle into a green crown, then keeps turning once it is whole.
#include "FakePlatform.h"
#include "Gen32.h"
#include "Plants.h"
#include "Random.h"
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
        fake::Reset();
        SeedRand15(1);
        ZentrixSetDataFolder(emptyData.Path.c_str());
        ASSERT_TRUE(GetBackgroundPic());
        ASSERT_EQ(InitAppMemory(), 1);
        Cls32(&EffectGFXPage32, 0xC8, 0xC8, 0xC8);
        DemoState = 14;
        DemoSubState1 = 0;
    }
    void TearDown() override
    {
        ApplicationFin = 0;
        QuitAppMemory();
        ZentrixSetDataFolder(nullptr);
    }

    static uint32_t Pixel(int x, int y) { return static_cast<const uint32_t *>(EffectGFXPage32.pPageData)[y * W + x]; }
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

TEST_F(TreeScene, GrowsBranchByBranchOverTheDimmingPage)
{
    ASSERT_GT(TreeLinesUsed, 1000);
    const long growFrames = (TreeLinesUsed - 1 + 39) / 40;
    std::vector<long> leaves;
    long frames = 0;
    while (DemoSubState1 != 2 && frames < 1000) {
        DoAction(1.0f);
        ++frames;
        leaves.push_back(Leaves(0, 0, W, H));
        if (frames == 1) {
            EXPECT_EQ(Pixel(395, 5), Grey - 0x010101u) << "dimmed by 1";
        }
        if (frames == 10) {
            EXPECT_EQ(Pixel(395, 5), Grey - 55 * 0x010101u) << "by 1 + 2 + ... + 10";
        }
    }
    EXPECT_EQ(frames, growFrames);
    EXPECT_EQ(TreeBranch, TreeLinesUsed - 2);
    EXPECT_EQ(int(fake::PresentTimes.size()), frames);
    EXPECT_EQ(Pixel(395, 5), 0u);   // the old picture has dimmed away

    // The trunk stands at the bottom middle from the first frame; the crown
    // fills in as the branches grow.
    EXPECT_TRUE(Bark(Pixel(200, 300))) << std::hex << Pixel(200, 300);
    EXPECT_LT(leaves[2], leaves[growFrames / 2]);
    EXPECT_LT(leaves[growFrames / 2], leaves[growFrames - 1]);
    EXPECT_GT(Leaves(0, 0, W, 250), 10000);
    EXPECT_LT(Leaves(0, 280, W, H), Leaves(0, 0, W, 250) / 20);   // leaves are up, not at the foot
}

// Closing while the tree is generated cuts it short (here: to nothing); the
// scene then finishes growing at once and draws no tree.
TEST_F(TreeScene, TreeCutShortByClosingGrowsNothing)
{
    ApplicationFin = 1;
    ASSERT_EQ(InitializePlant(&EffectGFXPage32), 1);
    ApplicationFin = 0;
    DoAction(1.0f);
    DoAction(1.0f);
    EXPECT_EQ(DemoSubState1, 2);
    EXPECT_EQ(TreeBranch, 0);
    EXPECT_EQ(Leaves(0, 0, W, H), 0);
}

// Step 22 played by HandleDemo against a song that starts at 25:00 (steps 1
// to 21 have ended before it; step 1 shows one black frame), rows 100 ms
// apart, stopped after a given number of shown frames.
class TreeSteps : public TreeScene {
protected:
    void Play(long shown)
    {
        fake::MsPerRow = 100;
        fake::SongStart = long(fake::Clock) - 25 * 64 * fake::MsPerRow;
        fake::CloseAfterPresents = 1 + shown;
        LastFrame = 0;
        UseHiResTimer = 1;
        ApplicationFin = 0;
        bTestOnly = 0;
        HandleDemo();
    }
};

TEST_F(TreeSteps, Step22GrowsTheTreeThenTurnsIt)
{
    // Step 1's black frame: the trees grow on black.
    Play(20);
    const long early = Leaves(0, 0, W, H);
    EXPECT_EQ(TreeBranch, 20 * 40);
    EXPECT_TRUE(Bark(Pixel(200, 300)));
    EXPECT_GT(early, 100);
    TearDown();
    SetUp();
    Play(299);
    const std::vector<uint32_t> before(static_cast<uint32_t *>(EffectGFXPage32.pPageData),
                                       static_cast<uint32_t *>(EffectGFXPage32.pPageData) + W * H);
    TearDown();
    SetUp();
    Play(300);
    EXPECT_EQ(TreeBranch, TreeLinesUsed - 2);
    EXPECT_GT(Leaves(0, 0, W, H), early * 5);
    // Whole, and still turning: 20 steps a frame.
    EXPECT_EQ(TreeAngle, 300 * 20 % 5760);
    long changed = 0;
    for (int k = 0; k < W * H; ++k) changed += before[size_t(k)] != static_cast<const uint32_t *>(EffectGFXPage32.pPageData)[k];
    EXPECT_GT(changed, 500);
}

} // namespace
