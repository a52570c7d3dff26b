// Scroller and feedback: where the scroller's picture lands; the feedback
// quad's identity and its offsets kept drawable. The scroll, the shrink and
// the fade are judged on the running program (the title and 3D scene tests).
#include "Feedback.h"
#include "PageFixture.h"
#include "Scroller.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct ScrollerFixture : ::testing::Test, LibraryPage {
    void SetUp() override
    {
        ASSERT_EQ(AllocateScrollerMemory(), 1);
        auto *p = static_cast<uint32_t *>(TheScroller.pPageData);
        for (int y = 0; y < 800; y++)
            for (int x = 0; x < 300; x++)
                p[y * 300 + x] = uint32_t(y << 8 | (x & 0xFF)) | 0x010000;
        ScrollerPos = 0;
    }
    void TearDown() override { FreeScrollerMemory(); }
};

struct FeedbackFixture : ::testing::Test, LibraryPage {
    void SetUp() override { ASSERT_EQ(AllocateFeedbackMemory(), 1); }
    void TearDown() override { FreeFeedbackMemory(); }
};

} // namespace

TEST_F(ScrollerFixture, PictureTopRowIsDrawnFourHundredBelowThePosition)
{
    ScrollerPos = -99.0f;
    DoScrollerEffect(nullptr, nullptr, 1, &page);   // top row at 300
    EXPECT_EQ(At(50, 300), static_cast<uint32_t *>(TheScroller.pPageData)[0]);
    EXPECT_EQ(At(349, 307), static_cast<uint32_t *>(TheScroller.pPageData)[7 * 300 + 299]);
    EXPECT_EQ(At(49, 300), 0u);
    EXPECT_EQ(At(350, 300), 0u);
    EXPECT_EQ(At(200, 299), 0u);

    ScrollerPos = -899.0f;                         // top row at -500: row 500 at the top
    DoScrollerEffect(nullptr, nullptr, 1, &page);
    EXPECT_EQ(At(60, 0), static_cast<uint32_t *>(TheScroller.pPageData)[500 * 300 + 10]);
    EXPECT_EQ(At(60, 299), static_cast<uint32_t *>(TheScroller.pPageData)[799 * 300 + 10]);
}

TEST_F(FeedbackFixture, ZeroOffsetsRedrawThePageUnchanged)
{
    for (int y = 0; y < 308; y++)
        for (int x = 0; x < 400; x++)
            At(x, y) = uint32_t(x * 0x10001 + y * 0x100) & 0xFFFFFF;
    std::vector<uint32_t> before(static_cast<uint32_t *>(page.pPageData),
                                 static_cast<uint32_t *>(page.pPageData) + 400 * 308);
    SetOffsets(0, 0);
    EXPECT_EQ(DoFeedbackEffect(&page), 1);
    int same = 0;
    for (int k = 0; k < 400 * 308; k++)
        same += static_cast<uint32_t *>(page.pPageData)[k] == before[k];
    EXPECT_GT(same, 400 * 308 * 99 / 100);
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
