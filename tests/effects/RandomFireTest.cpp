// Swirl fire: the flow field's maps and offset table, the blur and fade of a
// frame, the outer frame it leaves alone, the sparks and the switches.
#include "PageFixture.h"
#include "Random.h"
#include "RandomFire.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

class Swirl : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(AllocateRndFireMemory(), 1);
        SeedRand15(7);
        InitializeRndFire();
        DrawRandom = 0;
        DrawPixels = 0;
        DrawPicture = 1;
        DrawFading = 0;
        SwirlInit = 1;
    }
    void TearDown() override
    {
        DrawRandom = 0;
        DrawPixels = 0;
        FreeRndFireMemory();
    }

    static void Frame(GuardedPage &p, long frames = 1) { DoSwirlFireEffect(nullptr, nullptr, frames, &p.page); }
    static std::vector<int8_t> Map(const int8_t *m) { return std::vector<int8_t>(m, m + kSwirlPixels); }
    // Whatever the maps say, an inner pixel's source has its four
    // neighbours on the page.
    static void ExpectSourcesInsideTheFrame()
    {
        for (int y = 1; y <= 306; ++y)
            for (int x = 1; x <= 398; ++x) {
                const int p = OffsetTable[y * 400 + x];
                ASSERT_TRUE(p / 400 >= 1 && p / 400 <= 306 && p % 400 >= 1 && p % 400 <= 398) << x << "," << y;
            }
    }
};

TEST_F(Swirl, MapsAreSmallDisplacementsAndTheTableStaysInsideTheWindow)
{
    for (const int8_t *m : {PicArray1, PicArray2}) {
        long sum = 0;
        int lo = 0, hi = 0, changes = 0;
        for (int i = 0; i < kSwirlPixels; ++i) {
            sum += m[i];
            lo = std::min(lo, int(m[i]));
            hi = std::max(hi, int(m[i]));
            changes += i % 400 && m[i] != m[i - 1];
        }
        // Small, spread over most of their range, about centred, and varied.
        EXPECT_TRUE(lo >= -8 && lo <= -5 && hi >= 4 && hi <= 7) << lo << ".." << hi;
        EXPECT_NEAR(double(sum) / kSwirlPixels, -0.5, 1.5);
        EXPECT_GT(changes, kSwirlPixels / 10);
    }
    ExpectSourcesInsideTheFrame();
    ChangeSwirlDirection();   // a new vertical map: its sources stay inside too
    ExpectSourcesInsideTheFrame();
}

TEST_F(Swirl, PixelTakesTheMeanOfItsSourcesNeighboursChannelByChannel)
{
    // No displacement but +3 to the right: a spark at (200, 100) shows in
    // the pixels whose source is one of its neighbours.
    std::memset(PicArray1, 3, kSwirlPixels);
    std::memset(PicArray2, 0, kSwirlPixels);
    BuildOffsetTable();
    std::memset(FirePage2, 0, kSwirlPixels * 4);
    FirePage2[100 * 400 + 200] = 0x00FC8040;
    GuardedPage p(0x00123456);
    DoFireWithoutFade(static_cast<uint32_t *>(p.page.pPageData));
    const uint32_t quarter = 0x003F2010;
    EXPECT_EQ(p.At(196, 100), quarter);   // source 199: right neighbour is the spark
    EXPECT_EQ(p.At(198, 100), quarter);   // source 201
    EXPECT_EQ(p.At(197, 99), quarter);    // source (200, 99)
    EXPECT_EQ(p.At(197, 101), quarter);
    EXPECT_EQ(p.At(197, 100), 0u);        // the spark's own position is not counted
    EXPECT_EQ(p.CountNot(0) - 2 * 400 - 2 * 306, 4);
    // Near the right edge the source would leave the window: pure blur.
    EXPECT_EQ(OffsetTable[50 * 400 + 397], 50 * 400 + 397);
    EXPECT_EQ(p.At(0, 50), 0x00123456u);   // the outer frame is not written
}

TEST_F(Swirl, FastFlowGivesTheSamePixelsAsThePlainLoop)
{
    for (uint32_t seed : {1u, 2u, 3u}) {
        SeedRand15(seed);
        for (int i = 0; i < kSwirlPixels; ++i) FirePage2[i] = uint32_t(Rand15()) << 17 ^ uint32_t(Rand15());
        if (seed == 3) ChangeSwirlDirection();
        GuardedPage a(0xDEADBEEF), b(0xDEADBEEF);
        DoFireWithoutFade(static_cast<uint32_t *>(a.page.pPageData));
        DoFireWithoutFadeScalar(static_cast<uint32_t *>(b.page.pPageData));
        ASSERT_EQ(a.memory, b.memory) << "seed " << seed;
    }
}

// What the caller draws on the outer frame is only dimmed, never flowed.
// (How the smoke takes the picture over, drifts and fades: FireScenesTest.)
TEST_F(Swirl, OuterFrameIsOnlyDimmed)
{
    GuardedPage p(0x00FFFFFF);
    Frame(p);
    for (int x = 0; x < 400; ++x) p.At(x, 0) = p.At(x, 307) = 0x00406080;
    for (int y = 0; y < 308; ++y) p.At(0, y) = p.At(399, y) = 0x00406080;
    Frame(p, 3);
    for (int x = 0; x < 400; ++x) ASSERT_EQ(p.At(x, 0), 0x003C5C7Cu);
    for (int y = 0; y < 308; ++y) ASSERT_EQ(p.At(399, y), 0x003C5C7Cu);
    EXPECT_TRUE(p.GuardsIntact());
}

TEST_F(Swirl, LongStallBlacksTheSmokeOut)
{
    GuardedPage p(0x00FFFFFF);
    SwirlInit = 0;
    for (int i = 0; i < kSwirlPixels; ++i) FirePage2[i] = 0x00FFFFFF;
    // 1000 frames' worth of fading at once: every channel reaches 0.
    Frame(p, 1000);
    EXPECT_EQ(p.CountNot(0), 0);
}

TEST_F(Swirl, SparksFeedTheSmoke)
{
    // The line of dots: blue sparks along row 154, drifting at most 9 rows
    // (displacement and blur) a frame.
    DrawPixels = 1;
    GuardedPage p;
    int lit = 0;
    for (int k = 0; k < 4; ++k) {
        Frame(p);
        for (int y = 0; y < 308; ++y)
            for (int x = 0; x < 400; ++x) {
                if (!p.At(x, y)) continue;
                ++lit;
                ASSERT_EQ(p.At(x, y) & 0xFFFF00, 0u);
                ASSERT_NEAR(y, 154, 4 * 9);
            }
    }
    EXPECT_GT(lit, 400);
    // The random dots: coloured crosses all over the page.
    DrawPixels = 0;
    DrawRandom = 1;
    GuardedPage q;
    SwirlInit = 1;
    Frame(q);
    int top = 0, bottom = 0, red = 0;
    for (int y = 1; y < 307; ++y)
        for (int x = 1; x < 399; ++x) {
            const uint32_t v = q.At(x, y);
            (y < 154 ? top : bottom) += v != 0;
            red += (v >> 16) > 0;
        }
    EXPECT_GT(top, 500);
    EXPECT_GT(bottom, 500);
    EXPECT_GT(red, 500);
    EXPECT_TRUE(q.GuardsIntact());
}

TEST_F(Swirl, CommandsAndKeysSwitchAndNewDirectionComesWithTheNextFrame)
{
    // Keys and menu commands toggle the same switches.
    HandleRndFireMessage(nullptr, WM_KEYDOWN, VK_F2, 0);
    HandleRndFireMessage(nullptr, WM_COMMAND, IDM_RNDFIRE_LINE, 0);
    HandleRndFireMessage(nullptr, WM_KEYDOWN, VK_F3, 0);
    EXPECT_EQ(DrawRandom * 100 + DrawPixels * 10 + DrawPicture, 110);
    EXPECT_EQ(DrawFading.load(), 1);
    HandleRndFireMessage(nullptr, WM_COMMAND, IDM_RNDFIRE_RANDOM, 0);
    HandleRndFireMessage(nullptr, WM_COMMAND, IDM_RNDFIRE_SWIRL, 0);
    EXPECT_EQ(DrawRandom * 100 + DrawPicture * 10 + DrawFading, 10);
    DrawPixels = 0;

    const auto v = Map(PicArray2);
    HandleRndFireMessage(nullptr, WM_KEYDOWN, VK_F1, 0);
    EXPECT_NE(Map(PicArray1), v);   // not yet: the window thread only asks
    GuardedPage p;
    Frame(p);
    EXPECT_EQ(Map(PicArray1), v);
    // Other keys and messages change nothing.
    HandleRndFireMessage(nullptr, WM_KEYDOWN, VK_F4, 0);
    HandleRndFireMessage(nullptr, WM_PAINT, IDM_RNDFIRE_RANDOM, 0);
    EXPECT_EQ(DrawRandom.load(), 0);
    Frame(p);
    EXPECT_EQ(Map(PicArray1), v);
}

TEST(SwirlBeforeInitialising, FrameKeepsThePictureInPlace)
{
    ASSERT_EQ(AllocateRndFireMemory(), 1);
    SwirlInit = 0;
    GuardedPage p;
    FirePage2[100 * 400 + 100] = 0x00808080;
    DoSwirlFireEffect(nullptr, nullptr, 1, &p.page);
    EXPECT_EQ(p.At(101, 100), 0x001E1E1Eu);   // blurred in place, less 2
    EXPECT_TRUE(p.GuardsIntact());
    FreeRndFireMemory();
    SwirlInit = 1;
}

} // namespace
