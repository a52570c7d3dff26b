// Title: the resting picture, drawn unscaled in its rectangle. The quiver
// and the glow are judged on the running program (HeadlessTitleScenesTest).
#include "PageFixture.h"
#include "Title.h"

#include <gtest/gtest.h>

namespace {

struct TitleFixture : ::testing::Test, LibraryPage {
    void SetUp() override
    {
        ASSERT_EQ(AllocateTitleMemory(), 1);
        for (int k = 0; k < kTitleWidth * kTitleHeight; k++)
            TitleTexMain[k] = 0x808080;
        TitleTexMain[0] = 0x112233;
        TitleTexMain[kTitleWidth * kTitleHeight - 1] = 0x445566;
        TitleOfs = -1;
    }
    void TearDown() override { FreeTitleMemory(); }
};

} // namespace

TEST_F(TitleFixture, RestingTitleIsThePictureUnscaled)
{
    Cls32(&page, 9, 9, 9);
    DoTitleQuiverEffect(nullptr, nullptr, 1, &page);
    EXPECT_EQ(At(40, 34), 0x112233u);
    EXPECT_EQ(At(359, 273), 0x445566u);
    EXPECT_EQ(At(200, 150), 0x808080u);
    EXPECT_EQ(At(39, 150), 0u);   // the rest of the page is cleared
    EXPECT_EQ(At(360, 150), 0u);
    EXPECT_EQ(At(200, 33), 0u);
    EXPECT_EQ(At(200, 274), 0u);
    EXPECT_EQ(TitleOfs, -1);         // standing still: nothing changes
}
