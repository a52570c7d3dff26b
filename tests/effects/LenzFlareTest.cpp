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

// One glow alone, a 1 x 1 dot, drawn for a light: where it lands and what
// it adds to the page there (every channel saturating on its own).
TEST_F(Lenz, EachGlowLiesOnTheLineThroughTheCentre)
{
    struct Case {
        int k;
        long lightX, lightY;
        uint32_t dot, page;
        int x, y;
        uint32_t want;
    } cases[] = {
        // Light 100 right of and 50 below the centre (200, 154).
        {1, 300, 204, 0x00FFFFFF, 0, 300, 204, 0x00FFFFFF},  // Size -10: on the light
        {10, 300, 204, 0x00FFFFFF, 0, 100, 104, 0x00FFFFFF}, // Size 10: mirrored through the centre
        {0, 300, 204, 0x00FFFFFF, 0, 330, 219, 0x00FFFFFF},  // Size -13: beyond the light
        {7, 300, 204, 0x00FFFFFF, 0, 180, 144, 0x00FFFFFF},  // Size 2: a fifth of the way back across
        {6, 300, 204, 0x00FFFFFF, 0, 210, 159, 0x00FFFFFF},  // Size -1
        {6, 207, 154, 0x00FFFFFF, 0, 200, 154, 0x00FFFFFF},  // 200 - (-7 / 10): truncated toward zero
        {1, 50, 60, 0x00F0F0F0, 0x00200010, 50, 60, 0x00FFF0FF},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "entry " << c.k << " light " << c.lightX << "," << c.lightY);
        OnlyDot(c.k, c.dot);
        GuardedPage p(c.page);
        DrawLenz(c.lightX, c.lightY, &p.page);
        EXPECT_EQ(p.At(c.x, c.y), c.want);
        EXPECT_EQ(p.CountNot(c.page), 1);
    }
    // A light at the centre stacks every glow there.
    for (TLENZ &l : LenzPic) Dot(l, 0x00010203);
    GuardedPage p;
    DrawLenz(200, 154, &p.page);
    EXPECT_EQ(p.At(200, 154), 0x000B1621u);
    EXPECT_EQ(p.CountNot(0), 1);
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

} // namespace
