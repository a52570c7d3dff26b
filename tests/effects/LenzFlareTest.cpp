// Lens flare: where each glow lands along the line through the page centre,
// the coloured glows, and pages or sprites that must draw nothing.
#include "LenzFlare.h"
#include "PageFixture.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

// Gives every flare sprite a 1 x 1 block of one value, or none at all.
class Lenz : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(AllocateLenzMemory(), 1); }
    void TearDown() override { FreeLenzMemory(); }

    static void Dot(TLENZ &lenz, uint32_t value)
    {
        FreeSprite32(&lenz.Data);
        lenz.Data.Width = lenz.Data.Height = 1;
        lenz.Data.BPP = 32;
        ASSERT_NE(AllocSprite32(&lenz.Data), 0u);
        *static_cast<uint32_t *>(lenz.Data.pSpriteData) = value;
    }
    static void OnlyDot(int k, uint32_t value)
    {
        FreeLenzMemory();
        AllocateLenzMemory();
        Dot(LenzPic[k], value);
    }
};

TEST_F(Lenz, AllocationSetsTheTableAndNoPixels)
{
    EXPECT_EQ(LenzPic[1].Data.Width, 250u);
    EXPECT_EQ(LenzPic[1].Size, -10);
    EXPECT_EQ(LenzPic[10].Data.Height, 159u);
    EXPECT_EQ(LenzPic[10].Size, 10);
    EXPECT_EQ(LenzPic[0].Size, -13);
    EXPECT_EQ(LenzBlue.Data.BPP, 32u);
    for (const TLENZ &l : LenzPic) EXPECT_EQ(l.Data.pSpriteData, nullptr);
}

TEST_F(Lenz, LightAtTheCentreStacksEveryGlowOnTheCentre)
{
    for (TLENZ &l : LenzPic) Dot(l, 0x00010203);
    GuardedPage p;
    DrawLenz(200, 154, &p.page);
    EXPECT_EQ(p.At(200, 154), 0x000B1621u);
    EXPECT_EQ(p.CountNot(0), 1);
}

TEST_F(Lenz, GlowsLieAlongTheLineThroughTheCentre)
{
    // Light 100 right of and 50 below the centre (200, 154).
    struct Case { int k; int x, y; } cases[] = {
        {1, 300, 204},   // Size -10: on the light
        {10, 100, 104},  // Size 10: mirrored through the centre
        {0, 330, 219},   // Size -13: beyond the light
        {7, 180, 144},   // Size 2: a fifth of the way back across
        {6, 210, 159},   // Size -1
    };
    for (const Case &c : cases) {
        OnlyDot(c.k, 0x00FFFFFF);
        GuardedPage p;
        DrawLenz(300, 204, &p.page);
        EXPECT_EQ(p.At(c.x, c.y), 0x00FFFFFFu) << "entry " << c.k;
        EXPECT_EQ(p.CountNot(0), 1) << "entry " << c.k;
    }
}

TEST_F(Lenz, PlacementTruncatesTowardZero)
{
    // dx = 7: entry 6 (Size -1) lands at 200 - (-7 / 10) = 200, not 201.
    OnlyDot(6, 0x00FFFFFF);
    GuardedPage p;
    DrawLenz(207, 154, &p.page);
    EXPECT_EQ(p.At(200, 154), 0x00FFFFFFu);
}

TEST_F(Lenz, AddingSaturatesEachChannel)
{
    OnlyDot(1, 0x00F0F0F0);
    GuardedPage p(0x00200010);
    DrawLenz(50, 60, &p.page);
    EXPECT_EQ(p.At(50, 60), 0x00FFF0FFu);
}

TEST_F(Lenz, FarLightDrawsOnlyGlowsReachingIntoThePage)
{
    for (TLENZ &l : LenzPic) Dot(l, 0x00010101);
    GuardedPage p;
    DrawLenz(-1000, 154, &p.page);
    // Only Size -1 (at x 80) falls on the page; Size 2 at 440 does not.
    EXPECT_EQ(p.At(80, 154), 0x00010101u);
    EXPECT_EQ(p.CountNot(0), 1);
    DrawLenz(4000000000000L, -4000000000000L, &p.page);
    DrawLenz(-9000000000000000000L, 9000000000000000000L, &p.page);
    EXPECT_EQ(p.CountNot(0), 1);
    EXPECT_TRUE(p.GuardsIntact());
}

TEST_F(Lenz, ColouredGlowIsCentredOnTheLightAndOtherColoursDrawNothing)
{
    Dot(LenzRed, 0x00FF0000);
    Dot(LenzGreen, 0x0000FF00);
    Dot(LenzBlue, 0x000000FF);
    GuardedPage p;
    DrawColorLight(10, 20, &p.page, 1);
    EXPECT_EQ(p.At(10, 20), 0x0000FF00u);
    DrawColorLight(10, 20, &p.page, 2);
    EXPECT_EQ(p.At(10, 20), 0x0000FFFFu);
    DrawColorLight(30, 30, &p.page, 3);
    DrawColorLight(30, 30, &p.page, -1);
    EXPECT_EQ(p.CountNot(0), 1);
}

TEST_F(Lenz, SixteenBitPagesAndSpritesWithoutPixelsDrawNothing)
{
    for (TLENZ &l : LenzPic) Dot(l, 0x00FFFFFF);
    GuardedPage p;
    p.page.BPP = 16;
    DrawLenz(200, 154, &p.page);
    DrawColorLight(200, 154, &p.page, 0);
    p.page.BPP = 32;
    EXPECT_EQ(p.CountNot(0), 0);
    FreeLenzMemory();
    AllocateLenzMemory();
    DrawLenz(200, 154, &p.page);
    DrawLight(200, 154, &p.page);
    DrawColorLight(200, 154, &p.page, 0);
    DrawLenz(200, 154, nullptr);
    EXPECT_EQ(p.CountNot(0), 0);
}

TEST(LenzMemory, MissingFilesLeaveBlackSpritesAndFreeIsSafeTwice)
{
    FreeLenzMemory();
    FreeLenzMemory();
    ZentrixSetDataFolder("/nonexistent-folder-for-lenz-test");
    AllocateLenzMemory();
    InitializeLenz();
    InitializeLenz();   // a second load replaces the pixels without a leak
    ASSERT_NE(LenzPic[3].Data.pSpriteData, nullptr);
    const uint32_t *px = static_cast<const uint32_t *>(LenzPic[3].Data.pSpriteData);
    for (int k = 0; k < 67 * 67; ++k) ASSERT_EQ(px[k], 0u);
    GuardedPage p;
    DrawLenz(123, 45, &p.page);
    EXPECT_EQ(p.CountNot(0), 0);
    FreeLenzMemory();
    FreeLenzMemory();
    EXPECT_EQ(LenzPic[3].Data.pSpriteData, nullptr);
    ZentrixSetDataFolder("Data");
}

TEST(LenzAlloc, DepthIsSetFor0_16_32AndLeftOtherwise)
{
    TLENZ l{};
    l.Data.BPP = 24;
    EXPECT_EQ(AllocLenz(&l, 5, 6, 7, 8), 0);
    EXPECT_EQ(l.Data.BPP, 24u);
    EXPECT_EQ(l.Data.Width, 5u);
    EXPECT_EQ(l.Size, 7);
    AllocLenz(&l, 5, 6, 7, 0);
    EXPECT_EQ(l.Data.BPP, 16u);
    AllocLenz(&l, 5, 6, 7, 32);
    EXPECT_EQ(l.Data.BPP, 32u);
}

} // namespace
