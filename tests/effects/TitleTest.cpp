// Title: the resting picture, drawn unscaled in its rectangle. The quiver
// and the glow are judged on the running program (HeadlessTitleScenesTest).
#include "Title.h"

#include <gtest/gtest.h>

namespace {

struct TitleFixture : ::testing::Test {
    defZENTRIXPAGE page{};

    void SetUp() override
    {
        ASSERT_EQ(CreateGFXPage(&page, 400, 308, 32), 1);
        ASSERT_EQ(AllocateScanLines(&page), 1u);
        ASSERT_EQ(AllocateTitleMemory(), 1);
        for (int k = 0; k < kTitleWidth * kTitleHeight; k++)
            TitleTexMain[k] = 0x808080;
        TitleTexMain[0] = 0x112233;
        TitleTexMain[kTitleWidth * kTitleHeight - 1] = 0x445566;
        TitleOfs = -1;
    }
    void TearDown() override
    {
        FreeTitleMemory();
        DeleteGFXPage(&page);
    }
    uint32_t Pixel(int x, int y) const { return static_cast<const uint32_t *>(page.pPageData)[y * 400 + x]; }
};

} // namespace

TEST_F(TitleFixture, RestingTitleIsThePictureUnscaled)
{
    Cls32(&page, 9, 9, 9);
    DoTitleQuiverEffect(nullptr, nullptr, 1, &page);
    EXPECT_EQ(Pixel(40, 34), 0x112233u);
    EXPECT_EQ(Pixel(359, 273), 0x445566u);
    EXPECT_EQ(Pixel(200, 150), 0x808080u);
    EXPECT_EQ(Pixel(39, 150), 0u);   // the rest of the page is cleared
    EXPECT_EQ(Pixel(360, 150), 0u);
    EXPECT_EQ(Pixel(200, 33), 0u);
    EXPECT_EQ(Pixel(200, 274), 0u);
    EXPECT_EQ(TitleOfs, -1);         // standing still: nothing changes
}
