// The General helpers: the warp table check, the counter digits, the
// additive blit's clipping and saturation, and the line.
#include "General.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

struct General : ::testing::Test {
    defZENTRIXPAGE Page{};
    void SetUp() override
    {
        ASSERT_TRUE(CreateGFXPage(&Page, 400, 308, 32));
        ASSERT_EQ(AllocateGeneralMemory(), 1);
    }
    void TearDown() override
    {
        FreeGeneralMemory();
        DeleteGFXPage(&Page);
    }
    uint32_t &At(int x, int y) { return static_cast<uint32_t *>(Page.pPageData)[y * 400 + x]; }
};

TEST_F(General, InitialiseValidatesTheLoadedWarpTable)
{
    TempFolder dir;
    // A warp table with entries below and past the background.
    std::vector<int32_t> table(kWarpPixels);
    for (int k = 0; k < kWarpPixels; k++)
        table[size_t(k)] = k;
    table[3] = -100;
    table[4] = 400000;
    std::vector<uint8_t> bytes(table.size() * 4);
    std::memcpy(bytes.data(), table.data(), bytes.size());
    WriteBytes(dir.File("OfsTable.pts"), bytes);
    ZentrixSetDataFolder(dir.Path.c_str());
    InitializeGeneral(&Page);
    ZentrixSetDataFolder(nullptr);

    EXPECT_EQ(WarpOfsTable[3], 0);
    EXPECT_EQ(WarpOfsTable[4], kWarpBackgroundPixels - 1);
    EXPECT_EQ(WarpOfsTable[5], 5);
}

TEST_F(General, WarpReadsStayInsideTheBackground)
{
    for (int i = 0; i < kWarpBackgroundPixels; i++)
        WarpBackground[i] = uint32_t(i);
    for (int k = 0; k < kWarpPixels; k++)
        WarpOfsTable[k] = k;
    ValidateWarpTable();
    DrawWarpOfs(623, &Page);
    EXPECT_EQ(At(0, 0), 623u);
    EXPECT_EQ(At(399, 307), 623u + kWarpPixels - 1);

    // An entry at the background's last pixel: any positive offset would
    // read past it, so the offset is held at 0.
    WarpOfsTable[10] = kWarpBackgroundPixels - 1;
    ValidateWarpTable();
    DrawWarpOfs(623, &Page);
    EXPECT_EQ(At(10, 0), uint32_t(kWarpBackgroundPixels - 1));
    EXPECT_EQ(At(11, 0), 11u);
    // A negative offset is raised so that the smallest entry stays inside.
    WarpOfsTable[10] = 10;
    ValidateWarpTable();
    DrawWarpOfs(-50, &Page);
    EXPECT_EQ(At(0, 0), 0u);
    EXPECT_EQ(At(1, 0), 1u);
}

TEST_F(General, DrawNumbersPutsOneGlyphEveryNinePixels)
{
    FreeSprite32(&Numbers);
    Numbers.Width = 90;
    Numbers.Height = 12;
    Numbers.BPP = 32;
    ASSERT_TRUE(AllocSprite32(&Numbers));
    auto *glyphs = static_cast<uint32_t *>(Numbers.pSpriteData);
    for (int y = 0; y < 12; y++)
        for (int x = 0; x < 90; x++)
            glyphs[y * 90 + x] = 0x100 + uint32_t(x / 9);   // the digit's value
    glyphs[0] = 0xFF00FF;                                  // a transparent pixel
    At(0, 0) = 0x777777;

    DrawNumbers("", &Page);
    EXPECT_EQ(At(0, 0), 0x777777u);
    DrawNumbers(" 71", &Page);
    EXPECT_EQ(At(0, 0), 0x777777u);   // masked pixel of glyph 0 (a space)
    EXPECT_EQ(At(1, 0), 0x100u);
    EXPECT_EQ(At(9, 5), 0x107u);
    EXPECT_EQ(At(17, 11), 0x107u);
    EXPECT_EQ(At(18, 0), 0x101u);
    EXPECT_EQ(At(27, 0), 0u);
    EXPECT_EQ(At(1, 12), 0u);
    // A long counter runs off the right edge without harm.
    DrawNumbers("123456789012345678901234567890123456789012345678901234567890", &Page);
    EXPECT_EQ(At(396, 0), 0x105u);       // character 44 is the digit 5
}

TEST_F(General, AddPutClipsToThePageAndTheSprite)
{
    defZENTRIXSPRITE sprite{nullptr, 20, 10, 32};
    ASSERT_TRUE(AllocSprite32(&sprite));
    auto *src = static_cast<uint32_t *>(sprite.pSpriteData);
    for (int y = 0; y < 10; y++)
        for (int x = 0; x < 20; x++)
            src[y * 20 + x] = uint32_t(x) | uint32_t(y) << 8;

    AddPut32_Work(&Page, -25, 0, 20, 10, &sprite, 0, 0);   // wholly left of the page
    AddPut32_Work(&Page, 0, 400, 20, 10, &sprite, 0, 0);   // below
    for (int x = 0; x < 30; x++)
        ASSERT_EQ(At(x, 0), 0u);

    AddPut32_Work(&Page, -10, 2, 20, 10, &sprite, 0, 0);   // 10 columns over the left edge
    EXPECT_EQ(At(0, 2), 10u);
    EXPECT_EQ(At(9, 11), 19u | 9u << 8);
    EXPECT_EQ(At(10, 2), 0u);
    EXPECT_EQ(At(0, 12), 0u);

    AddPut32_Work(&Page, 395, 300, 20, 10, &sprite, 0, 0); // right and bottom edges
    EXPECT_EQ(At(399, 307), 4u | 7u << 8);

    // The source block is held inside the sprite.
    AddPut32_Work(&Page, 100, 100, 20, 10, &sprite, 15, 5);
    EXPECT_EQ(At(104, 104), 19u | 9u << 8);
    EXPECT_EQ(At(105, 100), 0u);
    EXPECT_EQ(At(100, 105), 0u);

    // Wider than the page on both sides: exactly the page's columns.
    defZENTRIXSPRITE wide{nullptr, 500, 1, 32};
    ASSERT_TRUE(AllocSprite32(&wide));
    std::memset(wide.pSpriteData, 1, 500 * 4);
    AddPut32_Work(&Page, -50, 50, 500, 1, &wide, 0, 0);
    EXPECT_EQ(At(0, 50), 0x01010101u);
    EXPECT_EQ(At(399, 50), 0x01010101u);
    EXPECT_EQ(At(0, 51), 0u);

    // Only 32-bit sprites are added.
    sprite.BPP = 16;
    AddPut32_Work(&Page, 300, 0, 20, 10, &sprite, 0, 0);
    EXPECT_EQ(At(300, 0), 0u);
    sprite.BPP = 32;
    FreeSprite32(&wide);
    FreeSprite32(&sprite);
}

// Every byte of every row length (the vector loop and its tail) adds and
// saturates as the plain rule says.
TEST_F(General, AddPutMatchesTheByteRule)
{
    defZENTRIXSPRITE sprite{nullptr, 37, 3, 32};
    ASSERT_TRUE(AllocSprite32(&sprite));
    auto *src = static_cast<uint8_t *>(sprite.pSpriteData);
    auto *dst = static_cast<uint8_t *>(Page.pPageData);
    uint32_t seed = 1;
    auto next = [&]() { return uint8_t((seed = seed * 1103515245u + 12345u) >> 16); };
    for (int i = 0; i < 37 * 3 * 4; i++)
        src[i] = next();
    for (int i = 0; i < 400 * 4 * 4; i++)
        dst[i] = next();
    const std::vector<uint8_t> before(dst, dst + 400 * 4 * 4);
    for (int w = 1; w <= 37; w += 4)
        AddPut32_Work(&Page, 0, 0, w, 1, &sprite, 0, 0);   // row 0: overlapping widths
    AddPut32_Work(&Page, 3, 1, 37, 3, &sprite, 0, 0);
    for (int x = 0; x < 400; x++) {
        for (int c = 0; c < 4; c++) {
            unsigned expected = before[size_t(x * 4 + c)];
            for (int w = 1; w <= 37; w += 4)
                if (x < w)
                    expected = std::min(255u, expected + src[x * 4 + c]);
            ASSERT_EQ(dst[x * 4 + c], expected) << x << " " << c;
        }
    }
    for (int y = 1; y < 4; y++)
        for (int x = 0; x < 400 * 4; x++) {
            const int sx = x / 4 - 3;
            const unsigned add = (sx >= 0 && sx < 37) ? src[((y - 1) * 37 + sx) * 4 + x % 4] : 0;
            ASSERT_EQ(dst[y * 1600 + x], std::min(255u, unsigned(before[size_t(y * 1600 + x)]) + add)) << y << " " << x;
        }
    FreeSprite32(&sprite);
}

TEST_F(General, LineSetsBluePixelsInItsOctant)
{
    LineAA32(0, 15, 10, 20, 1, 2, 3, &Page);
    EXPECT_EQ(At(0, 15), 0xFFu);
    EXPECT_EQ(At(10, 20), 0xFFu);
    int set = 0;
    for (int y = 15; y <= 20; y++)
        for (int x = 0; x <= 10; x++)
            set += At(x, y) == 0xFF;
    EXPECT_EQ(set, 11);                      // one pixel a column

    // Drawn the other way, the two exchanges leave a line that runs
    // backwards: only its first pixel is set.
    LineAA32(110, 20, 100, 15, 0, 0, 0, &Page);
    EXPECT_EQ(At(110, 15), 0xFFu);
    EXPECT_EQ(At(100, 20), 0u);

    // Ends off the page: the pixels inside are drawn, the others skipped.
    LineAA32(-20, 300, 450, 310, 0, 0, 0, &Page);
    EXPECT_EQ(At(0, 300), 0xFFu);
    EXPECT_EQ(At(399, 307), 0u);
}

} // namespace
