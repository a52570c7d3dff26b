// Splot: the picture a blob shows over its life, the palette fade, the
// saturating block add and what reaches the page.
#include "Splot.h"

#include "Random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

struct SplotFixture : ::testing::Test {
    defZENTRIXPAGE page{};

    void SetUp() override
    {
        ASSERT_EQ(CreateGFXPage(&page, 400, 308, 32), 1);
        ASSERT_EQ(AllocateSplotMemory(), 1);
        SeedRand15(7);
        InitializeSplot(&page);
    }
    void TearDown() override
    {
        FreeSplotMemory();
        DeleteGFXPage(&page);
    }
    uint32_t Pixel(int x, int y) const { return static_cast<const uint32_t *>(page.pPageData)[y * 400 + x]; }
};

// Value of picture k (1..10) at (x, y), straight from its definition: the
// reference the whole frame is checked against.
int ConeValue(int k, int x, int y)
{
    double v = (32.0 * k - k * std::sqrt(double((x - 32) * (x - 32) + (y - 32) * (y - 32)))) / 3.0;
    return v > 0 ? int(v) : 0;
}

} // namespace

TEST(SplotPicture, GrowsThenShrinksOverALife)
{
    EXPECT_EQ(SplotPictureIndex(320), 0);   // just spawned: weakest
    EXPECT_EQ(SplotPictureIndex(305), 0);
    EXPECT_EQ(SplotPictureIndex(304), 1);
    EXPECT_EQ(SplotPictureIndex(177), 8);
    for (int32_t s = 144; s <= 176; s++)
        EXPECT_EQ(SplotPictureIndex(s), 9) << "state " << s;   // strongest in mid-life
    EXPECT_EQ(SplotPictureIndex(143), 8);
    EXPECT_EQ(SplotPictureIndex(16), 1);
    EXPECT_EQ(SplotPictureIndex(15), 0);
    EXPECT_EQ(SplotPictureIndex(0), 0);     // about to end: weakest
    EXPECT_EQ(SplotPictureIndex(-9), 0);
    for (int32_t s = -20; s <= 320; s++) {
        int p = SplotPictureIndex(s);
        EXPECT_GE(p, 0);
        EXPECT_LE(p, 9);
    }
}

TEST_F(SplotFixture, PaletteFadeScalesEveryChannel)
{
    for (int i = 0; i < 256; i++)
        SplotPalette[i] = 0xFF8040u + uint32_t(i & 0x0F);
    SetPalette(64);
    EXPECT_EQ(SplotTempPalette[3], 0xFF8043u);
    SetPalette(32);
    EXPECT_EQ(SplotTempPalette[0], 0x7F4020u);
    SetPalette(0);
    for (int i = 0; i < 256; i++)
        EXPECT_EQ(SplotTempPalette[i], 0u);
    // Levels above 64 wrap each channel within its 8 bits.
    SetPalette(65);
    EXPECT_EQ(SplotTempPalette[0] >> 16, uint32_t((255 * 65) >> 6) & 0xFF);
}

TEST_F(SplotFixture, FrameIsTheSaturatedSumOfTheBlobsThroughThePalette)
{
    for (int i = 0; i < 256; i++)
        SplotPalette[i] = uint32_t(i) * 0x010101u;
    SetPalette(64);
    for (int f = 0; f < 40; f++)
        DoSplotEffect(nullptr, nullptr, 1, &page);

    // Rebuild the intensity map from the blobs' states and places.
    std::vector<int> sum(400 * 308, 0);
    for (const TSplot &s : Splots) {
        ASSERT_GE(s.x, 0);
        ASSERT_LE(s.x, 335);
        ASSERT_GE(s.y, 0);
        ASSERT_LE(s.y, 243);
        ASSERT_GE(s.Speed, 5);
        ASSERT_LE(s.Speed, 14);
        ASSERT_LE(s.State, 320);
        ASSERT_GE(s.State, 0);
        int k = SplotPictureIndex(s.State) + 1;
        for (int y = 0; y < 64; y++)
            for (int x = 0; x < 64; x++) {
                int &v = sum[(s.y + y) * 400 + s.x + x];
                v = std::min(255, v + ConeValue(k, x, y));
            }
    }
    int lit = 0;
    for (int k = 0; k < 400 * 308; k++) {
        ASSERT_EQ(SplotTarget[k], sum[k]) << "pixel " << k;
        ASSERT_EQ(static_cast<const uint32_t *>(page.pPageData)[k], uint32_t(sum[k]) * 0x010101u);
        lit += sum[k] > 0;
    }
    EXPECT_GT(lit, 400 * 308 / 4);
}

TEST(SplotBlock, SimdAddMatchesScalarAndSaturates)
{
    std::vector<uint8_t> a(100 * 70), b;
    std::vector<uint8_t> picture(64 * 64);
    for (size_t i = 0; i < a.size(); i++)
        a[i] = uint8_t((i * 37) & 0xFF);
    for (size_t i = 0; i < picture.size(); i++)
        picture[i] = uint8_t((i * 11) & 0xFF);
    b = a;
    SplotAddBlock(a.data() + 3 * 100 + 5, 100, picture.data());
    SplotAddBlockScalar(b.data() + 3 * 100 + 5, 100, picture.data());
    EXPECT_EQ(a, b);
    EXPECT_EQ(a[0], uint8_t(0));                                   // outside the block: untouched
    int x = 10, y = 20;
    int expect = std::min(255, int(((3 + y) * 100 + 5 + x) * 37 & 0xFF) + int(picture[y * 64 + x]));
    EXPECT_EQ(a[(3 + y) * 100 + 5 + x], expect);
}

TEST(SplotLifecycle, FreeIsSafeUnallocatedAndTwice)
{
    FreeSplotMemory();
    FreeSplotMemory();
    defZENTRIXPAGE page{};
    DoSplotEffect(nullptr, nullptr, 1, &page);   // nothing allocated: draws nothing
    SetPalette(64);
    ASSERT_EQ(AllocateSplotMemory(), 1);
    InitializeSplot(&page);                       // a page never created: blobs still fit
    for (const TSplot &s : Splots) {
        EXPECT_LE(s.x, 335);
        EXPECT_LE(s.y, 243);
    }
    DoSplotEffect(nullptr, nullptr, 1, &page);
    FreeSplotMemory();
    FreeSplotMemory();
    EXPECT_EQ(SplotTarget, nullptr);
}
