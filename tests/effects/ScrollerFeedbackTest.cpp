// Scroller and feedback: the scroll's stop at -2032 and where the picture
// lands; the feedback quad's identity, shrink and fade.
#include "Feedback.h"
#include "Scroller.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct ScrollPageFixture : ::testing::Test {
    defZENTRIXPAGE page{};

    void SetUp() override
    {
        ASSERT_EQ(CreateGFXPage(&page, 400, 308, 32), 1);
        ASSERT_EQ(AllocateScanLines(&page), 1u);
    }
    void TearDown() override { DeleteGFXPage(&page); }
    uint32_t &Pixel(int x, int y) { return static_cast<uint32_t *>(page.pPageData)[y * 400 + x]; }
};

struct ScrollerFixture : ScrollPageFixture {
    void SetUp() override
    {
        ScrollPageFixture::SetUp();
        ASSERT_EQ(AllocateScrollerMemory(), 1);
        auto *p = static_cast<uint32_t *>(TheScroller.pPageData);
        for (int y = 0; y < 800; y++)
            for (int x = 0; x < 300; x++)
                p[y * 300 + x] = uint32_t(y << 8 | (x & 0xFF)) | 0x010000;
        ScrollerPos = 0;
    }
    void TearDown() override
    {
        FreeScrollerMemory();
        ScrollPageFixture::TearDown();
    }
};

struct FeedbackFixture : ScrollPageFixture {
    void SetUp() override
    {
        ScrollPageFixture::SetUp();
        ASSERT_EQ(AllocateFeedbackMemory(), 1);
    }
    void TearDown() override
    {
        FreeFeedbackMemory();
        ScrollPageFixture::TearDown();
    }
};

} // namespace

TEST_F(ScrollerFixture, MovesByTheFrameTimeAndStopsAtTheEnd)
{
    DoScrollerEffect(nullptr, nullptr, 3, &page);
    EXPECT_FLOAT_EQ(ScrollerPos, -3.0f);
    ScrollerPos = -2030.0f;
    DoScrollerEffect(nullptr, nullptr, 1, &page);
    EXPECT_FLOAT_EQ(ScrollerPos, -2031.0f);
    DoScrollerEffect(nullptr, nullptr, 1, &page);
    EXPECT_FLOAT_EQ(ScrollerPos, -2032.0f);
    DoScrollerEffect(nullptr, nullptr, 1, &page);   // at the end: stays
    EXPECT_FLOAT_EQ(ScrollerPos, -2032.0f);
    ScrollerPos = -2031.5f;
    DoScrollerEffect(nullptr, nullptr, 5, &page);   // one last step past it
    EXPECT_FLOAT_EQ(ScrollerPos, -2036.5f);
    DoScrollerEffect(nullptr, nullptr, 5, &page);
    EXPECT_FLOAT_EQ(ScrollerPos, -2036.5f);
}

TEST_F(ScrollerFixture, PictureTopRowIsDrawnFourHundredBelowThePosition)
{
    ScrollerPos = -99.0f;
    DoScrollerEffect(nullptr, nullptr, 1, &page);   // top row at 300
    EXPECT_EQ(Pixel(50, 300), static_cast<uint32_t *>(TheScroller.pPageData)[0]);
    EXPECT_EQ(Pixel(349, 307), static_cast<uint32_t *>(TheScroller.pPageData)[7 * 300 + 299]);
    EXPECT_EQ(Pixel(49, 300), 0u);
    EXPECT_EQ(Pixel(350, 300), 0u);
    EXPECT_EQ(Pixel(200, 299), 0u);

    ScrollerPos = -899.0f;                         // top row at -500: row 500 at the top
    DoScrollerEffect(nullptr, nullptr, 1, &page);
    EXPECT_EQ(Pixel(60, 0), static_cast<uint32_t *>(TheScroller.pPageData)[500 * 300 + 10]);
    EXPECT_EQ(Pixel(60, 299), static_cast<uint32_t *>(TheScroller.pPageData)[799 * 300 + 10]);
}

TEST(ScrollerLifecycle, FreeIsSafeUnallocatedAndTwice)
{
    EXPECT_EQ(FreeScrollerMemory(), 1);
    EXPECT_EQ(FreeScrollerMemory(), 1);
    defZENTRIXPAGE page{};
    ScrollerPos = 0;
    DoScrollerEffect(nullptr, nullptr, 1, &page);   // nothing to draw from or onto
    EXPECT_FLOAT_EQ(ScrollerPos, -1.0f);
    ASSERT_EQ(AllocateScrollerMemory(), 1);
    EXPECT_EQ(InitializeScroller(nullptr), 1);      // a missing picture leaves it black
    EXPECT_EQ(FreeScrollerMemory(), 1);
    EXPECT_EQ(FreeScrollerMemory(), 1);
}

TEST_F(FeedbackFixture, ZeroOffsetsRedrawThePageUnchanged)
{
    for (int y = 0; y < 308; y++)
        for (int x = 0; x < 400; x++)
            Pixel(x, y) = uint32_t(x * 0x10001 + y * 0x100) & 0xFFFFFF;
    std::vector<uint32_t> before(static_cast<uint32_t *>(page.pPageData),
                                 static_cast<uint32_t *>(page.pPageData) + 400 * 308);
    SetOffsets(0, 0);
    EXPECT_EQ(DoFeedbackEffect(&page), 1);
    int same = 0;
    for (int k = 0; k < 400 * 308; k++)
        same += static_cast<uint32_t *>(page.pPageData)[k] == before[k];
    EXPECT_GT(same, 400 * 308 * 99 / 100);
}

TEST_F(FeedbackFixture, PositiveOffsetsShrinkThePicture)
{
    Cls32(&page, 255, 255, 255);
    SetOffsets(10, 10);
    DoFeedbackEffect(&page);
    EXPECT_EQ(Pixel(200, 154), 0xFFFFFFu);   // the picture, smaller
    EXPECT_EQ(Pixel(5, 154), 0u);            // the ring it left is the work page's black
    EXPECT_EQ(Pixel(200, 3), 0u);
    EXPECT_EQ(Pixel(12, 12), 0xFFFFFFu);
}

TEST_F(FeedbackFixture, FadeDimsThePicture)
{
    Cls32(&page, 200, 200, 200);
    SetOffsets(-10, -20);
    DoFeedbackEffectFade(&page, 128);
    EXPECT_NEAR(int(Pixel(200, 154) & 0xFF), 100, 2);
    Cls32(&page, 200, 200, 200);
    DoFeedbackEffectFade(&page, 255);
    EXPECT_EQ(Pixel(200, 154), 0xC8C8C8u);
}

TEST_F(FeedbackFixture, OffsetsAreKeptDrawable)
{
    SetOffsets(1000000, -1000000);
    EXPECT_EQ(MoveOfs1, kFeedbackOffsetLimit);
    EXPECT_EQ(MoveOfs2, -kFeedbackOffsetLimit);
    Cls32(&page, 50, 50, 50);
    DoFeedbackEffect(&page);    // corners far outside: no stray writes
    SetOffsets(-15, -15);
    EXPECT_EQ(MoveOfs1, -15);
}

TEST(FeedbackLifecycle, FreeIsSafeUnallocatedAndTwice)
{
    FreeFeedbackMemory();
    FreeFeedbackMemory();
    defZENTRIXPAGE page{};
    ASSERT_EQ(CreateGFXPage(&page, 400, 308, 32), 1);
    EXPECT_EQ(DoFeedbackEffect(&page), 1);   // no work page: the page is left alone
    EXPECT_EQ(DoFeedbackEffectFade(&page, 100), 1);
    defZENTRIXPAGE small{};
    ASSERT_EQ(CreateGFXPage(&small, 100, 100, 32), 1);
    ASSERT_EQ(AllocateFeedbackMemory(), 1);
    EXPECT_EQ(DoFeedbackEffect(&small), 1);  // too small to be its own texture: left alone
    FreeFeedbackMemory();
    FreeFeedbackMemory();
    DeleteGFXPage(&small);
    DeleteGFXPage(&page);
}
