// Splash: the byte-by-byte masked blend, pictures taken from pages of each
// pixel size or from memory, and the background page behind the target.
#include "zentrix.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(Splash, MaskedBlendByteByByte)
{
    std::vector<uint8_t> picture = {200, 10, 255, 0, 128, 77};
    std::vector<uint8_t> mask = {0, 255, 128, 255, 1, 64};
    ASSERT_EQ(InitSplashFromMemory(2, 1, picture.data(), mask.data()), 1u);
    defZENTRIXPAGE target{};
    ASSERT_EQ(CreateGFXPage(&target, 2, 1, 32), 1);
    auto *px = static_cast<uint32_t *>(target.pPageData);
    px[0] = 0x405060; // B 0x60, G 0x50, R 0x40
    px[1] = 0xFFFFFF;
    SetSplashBackground(nullptr); // the target is its own background
    EXPECT_EQ(DrawSplashToDC(target.hPageDC, 0, 0), 1u);
    // Each byte (m * picture + (256 - m) * background) >> 8: mask 0 keeps
    // the background (0x60), 255 gives the picture here (0x0A, 0x00).
    EXPECT_EQ(px[0], 0x9F0A60u);
    EXPECT_EQ(px[1], 0xD2FE00u);
    DeleteSplash();
    DeleteGFXPage(&target);
}

TEST(Splash, PagesOfEachSizeAndABackgroundPage)
{
    for (int bpp : {16, 32}) {
        defZENTRIXPAGE picture{}, mask{}, background{}, target{};
        ASSERT_EQ(CreateGFXPage(&picture, 8, 4, bpp), 1);
        ASSERT_EQ(CreateGFXPage(&mask, 8, 4, bpp), 1);
        ASSERT_EQ(CreateGFXPage(&background, 10, 5, 32), 1);
        ASSERT_EQ(CreateGFXPage(&target, 8, 4, 32), 1);
        Cls32(&picture, 255, 0, 0);
        Cls32(&mask, 0, 0, 0);
        PutPixel32(&mask, 1, 1, 255, 255, 255); // only this pixel shows the picture
        if (bpp == 16) {
            for (int i = 0; i < 32; i++) {
                static_cast<uint16_t *>(picture.pPageData)[i] = 0xF800;
                static_cast<uint16_t *>(mask.pPageData)[i] = i == 9 ? 0xFFFF : 0;
            }
        }
        Cls32(&background, 255, 255, 255);
        PutPixel32(&background, 5, 3, 10, 20, 30); // lands on (0, 0) when drawn at (5, 3)
        ASSERT_EQ(InitSplash(8, 4, picture.hPageDC, mask.hPageDC), 1u) << bpp;
        SetSplashBackground(background.hPageDC);
        DrawSplashToDC(target.hPageDC, 5, 3);
        const auto *px = static_cast<const uint32_t *>(target.pPageData);
        EXPECT_EQ(px[0], 0x0A141Eu) << bpp;
        EXPECT_EQ(px[9], 0xFF0000u) << bpp; // (255 * picture + 1 * 255) >> 8
        EXPECT_EQ(px[1], 0xFFFFFFu) << bpp;
        EXPECT_EQ(px[8 * 4 - 1], 0u) << bpp; // past the background's edge: black
        SetSplashBackground(nullptr);
        DeleteSplash();
        DeleteSplash(); // twice, and before any InitSplash, is harmless
        for (defZENTRIXPAGE *p : {&picture, &mask, &background, &target})
            DeleteGFXPage(p);
    }
    // A picture smaller than asked for is refused.
    defZENTRIXPAGE small{};
    ASSERT_EQ(CreateGFXPage(&small, 4, 4, 32), 1);
    EXPECT_EQ(InitSplash(8, 4, small.hPageDC, small.hPageDC), 0u);
    EXPECT_EQ(InitSplash(8, 4, nullptr, small.hPageDC), 0u);
    DeleteGFXPage(&small);
}

} // namespace
