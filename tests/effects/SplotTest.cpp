// Splot: the picture a blob shows over its life, the saturating block add
// and what reaches the page. The palette's fades are judged on the running
// program (HeadlessTitleScenesTest).
#include "Splot.h"

#include "PageFixture.h"
#include "Random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

struct SplotFixture : ::testing::Test, LibraryPage {
    void SetUp() override
    {
        ASSERT_EQ(AllocateSplotMemory(), 1);
        SeedRand15(7);
        InitializeSplot(&page);
    }
    void TearDown() override { FreeSplotMemory(); }
};

// Value of picture k (1..10) at (x, y), straight from its definition: the
// reference the whole frame is checked against.
int ConeValue(int k, int x, int y)
{
    double v = (32.0 * k - k * std::sqrt(double((x - 32) * (x - 32) + (y - 32) * (y - 32)))) / 3.0;
    return v > 0 ? int(v) : 0;
}

} // namespace

// The picture a blob shows indexes a table of ten: in range over any life,
// weakest when it starts and ends, strongest in mid-life.
TEST(SplotPicture, StaysInRangeOverALife)
{
    for (int32_t s = -20; s <= 320; s++) {
        const int p = SplotPictureIndex(s);
        ASSERT_TRUE(p >= 0 && p <= 9) << "state " << s;
    }
    EXPECT_EQ(SplotPictureIndex(320), 0);
    EXPECT_EQ(SplotPictureIndex(160), 9);
    EXPECT_EQ(SplotPictureIndex(0), 0);
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
