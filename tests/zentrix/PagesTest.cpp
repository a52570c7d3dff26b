// Pages and sprites: records, row tables, header blocks, edge buffers, and
// refusal of sizes that can't be made.
#include "zentrix.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

TEST(Pages, CreateFillsRecordRowTableAndHeader)
{
    for (int32_t bpp : {16, 32}) {
        defZENTRIXPAGE page{};
        ASSERT_EQ(CreateGFXPage(&page, 400, 308, bpp), 1);
        EXPECT_EQ(page.Width, 400);
        EXPECT_EQ(page.Height, 308);
        EXPECT_EQ(page.BPP, uint32_t(bpp));
        ASSERT_NE(page.pPageData, nullptr);
        EXPECT_EQ(page.hPageDC, &page); // the copy handle is the record itself
        for (int32_t y = 0; y < 308; y++)
            ASSERT_EQ(page.YLookup[y], y * 400);
        const ZENTRIXBITMAPINFO *info = page.lpPageBitmapInfo;
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(sizeof(*info), 52u);
        EXPECT_EQ(info->biSize, 40u);
        EXPECT_EQ(info->biWidth, 400);
        EXPECT_EQ(info->biHeight, -308);
        EXPECT_EQ(info->biPlanes, 1);
        EXPECT_EQ(info->biBitCount, bpp);
        EXPECT_EQ(info->biCompression, 3u);
        EXPECT_EQ(info->biXPelsPerMeter, 1024);
        EXPECT_EQ(info->biYPelsPerMeter, 1024);
        if (bpp == 16) {
            EXPECT_EQ(info->bmiColors[0], 0xF800u);
            EXPECT_EQ(info->bmiColors[1], 0x07E0u);
            EXPECT_EQ(info->bmiColors[2], 0x001Fu);
        } else {
            EXPECT_EQ(info->bmiColors[0], 0xFF0000u);
            EXPECT_EQ(info->bmiColors[1], 0x00FF00u);
            EXPECT_EQ(info->bmiColors[2], 0x0000FFu);
        }
        // Pixels start zeroed.
        const auto *bytes = static_cast<const uint8_t *>(page.pPageData);
        for (size_t i = 0; i < size_t(400) * 308 * (bpp / 8); i++)
            ASSERT_EQ(bytes[i], 0);
        DeleteGFXPage(&page);
        EXPECT_EQ(page.hPageBM, nullptr);
        EXPECT_EQ(page.pPageData, nullptr);
        EXPECT_EQ(page.YLookup, nullptr);
        EXPECT_EQ(page.Width, 0);
        EXPECT_EQ(page.BPP, 0u);
        DeleteGFXPage(&page); // twice is harmless
    }
}

TEST(Pages, CreateRefusesAbsurdSizesAndFormats)
{
    const int32_t bad[][3] = {{0, 10, 32},  {10, 0, 32},         {-1, 10, 32},        {10, -5, 16},
                              {10, 10, 24}, {10, 10, 8},         {INT_MAX, 2, 32},    {65536, 65536, 32},
                              {10, 10, 0},  {INT_MAX, INT_MAX, 16}, {46341, 46341, 32}};
    for (const auto &b : bad) {
        defZENTRIXPAGE page;
        std::memset(&page, 0xAB, sizeof(page));
        EXPECT_EQ(CreateGFXPage(&page, b[0], b[1], b[2]), 0) << b[0] << "x" << b[1] << "@" << b[2];
        EXPECT_EQ(page.pPageData, nullptr);
        EXPECT_EQ(page.hPageBM, nullptr);
        EXPECT_EQ(page.Width, 0);
        EXPECT_EQ(page.Height, 0);
        EXPECT_EQ(page.BPP, 0u);
        EXPECT_EQ(page.BothScans, nullptr);
        DeleteGFXPage(&page);
        EXPECT_EQ(AllocateScanLines(&page), 0u);
        EXPECT_EQ(AllocateGFXPage(b[0], b[1], b[2]), nullptr);
    }
    defZENTRIXPAGE never{};
    DeleteGFXPage(&never);
    DeleteGFXPage(nullptr);
    FreeGFXPage(nullptr);
}

TEST(Pages, ScanLinesSplitIntoLeftAndRight)
{
    defZENTRIXPAGE page{};
    ASSERT_EQ(CreateGFXPage(&page, 400, 308, 32), 1);
    EXPECT_EQ(page.BothScans, nullptr);
    ASSERT_EQ(AllocateScanLines(&page), 1u);
    EXPECT_EQ(page.LeftScans, page.BothScans);
    EXPECT_EQ(page.RightScans - page.LeftScans, 4620);
    page.RightScans[15 * 308 - 1] = 7; // last entry of the block is ours
    DeleteGFXPage(&page);
    EXPECT_EQ(page.BothScans, nullptr);
    EXPECT_EQ(page.LeftScans, nullptr);
    EXPECT_EQ(page.RightScans, nullptr);
}

TEST(Pages, AllocateGFXPageHasNoRowTable)
{
    defZENTRIXPAGE *page = AllocateGFXPage(64, 32, 16);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->Width, 64);
    EXPECT_EQ(page->Height, 32);
    EXPECT_EQ(page->BPP, 16u);
    EXPECT_EQ(page->YLookup, nullptr);
    EXPECT_EQ(page->BothScans, nullptr);
    EXPECT_EQ(page->lpPageBitmapInfo->biHeight, -32);
    EXPECT_EQ(page->hPageDC, page);
    FreeGFXPage(page); // releases the record too (checked by the sanitizer build)
}

TEST(Sprites, AllocFreeAndFormats)
{
    defZENTRIXSPRITE s{nullptr, 10, 4, 0};
    ASSERT_EQ(AllocSprite32(&s), 1u);
    EXPECT_EQ(s.BPP, 16u);
    std::memset(s.pSpriteData, 0x55, 10 * 4 * 2); // exactly Width x Height x 2 bytes
    FreeSprite32(&s);
    EXPECT_EQ(s.pSpriteData, nullptr);
    EXPECT_EQ(s.Width, 0u);
    EXPECT_EQ(s.Height, 0u);
    EXPECT_EQ(s.BPP, 0u);

    defZENTRIXSPRITE odd{nullptr, 3, 3, 24};
    EXPECT_EQ(AllocSprite32(&odd), 0u);
    EXPECT_EQ(odd.Width, 0u);
    EXPECT_EQ(odd.BPP, 0u);

    defZENTRIXSPRITE huge{nullptr, 0x80000000u, 0x80000000u, 32};
    EXPECT_EQ(AllocSprite32(&huge), 0u);
    EXPECT_EQ(huge.pSpriteData, nullptr);
    defZENTRIXSPRITE empty{nullptr, 0, 7, 32};
    EXPECT_EQ(AllocSprite32(&empty), 0u);
    FreeSprite32(&empty);
}

TEST(Sprites, LoadSprite32ChoosesLoaderByExtension)
{
    // The same bytes as a 2 x 1 raw file and as the start of a PCX stream.
    WriteScratch("pic.raw", {0xFF, 0x80, 0x08, 0x00, 0x00, 0xFF});
    WriteScratch("pic.PCX", MakePcx(0, 0, 1, 0, 2, {7, 9}));
    const std::string dir = ScratchDir();

    defZENTRIXSPRITE raw{nullptr, 0, 0, 32};
    LoadSprite32((dir + "/pic.raw").c_str(), 2, 1, &raw);
    ASSERT_NE(raw.pSpriteData, nullptr);
    EXPECT_EQ(static_cast<uint32_t *>(raw.pSpriteData)[0], 0xFF8008u);
    EXPECT_EQ(static_cast<uint32_t *>(raw.pSpriteData)[1], 0x0000FFu);
    FreeSprite32(&raw);

    defZENTRIXSPRITE pcx{nullptr, 0, 0, 32};
    LoadSprite32((dir + "/pic.PCX").c_str(), 2, 1, &pcx);
    ASSERT_NE(pcx.pSpriteData, nullptr);
    EXPECT_EQ(static_cast<uint32_t *>(pcx.pSpriteData)[0], PcxTestColour(7));
    EXPECT_EQ(static_cast<uint32_t *>(pcx.pSpriteData)[1], PcxTestColour(9));
    FreeSprite32(&pcx);

    defZENTRIXSPRITE s16{nullptr, 0, 0, 0};
    LoadSprite32((dir + "/pic.raw").c_str(), 2, 1, &s16);
    EXPECT_EQ(s16.BPP, 16u);
    EXPECT_EQ(static_cast<uint16_t *>(s16.pSpriteData)[0], 0xFC01);
    EXPECT_EQ(static_cast<uint16_t *>(s16.pSpriteData)[1], 0x001F);
    FreeSprite32(&s16);

    // A PCX larger than the sprite is refused; the sprite stays zeroed.
    WriteScratch("big.pcx", MakePcx(0, 0, 3, 0, 4, {1, 2, 3, 4}));
    defZENTRIXSPRITE small{nullptr, 0, 0, 32};
    LoadSprite32((dir + "/big.pcx").c_str(), 2, 1, &small);
    ASSERT_NE(small.pSpriteData, nullptr);
    EXPECT_EQ(static_cast<uint32_t *>(small.pSpriteData)[0], 0u);
    FreeSprite32(&small);

    // Missing file: pixels exist and are zero.
    defZENTRIXSPRITE missing{nullptr, 0, 0, 32};
    LoadSprite32((dir + "/nothing.raw").c_str(), 3, 3, &missing);
    ASSERT_NE(missing.pSpriteData, nullptr);
    EXPECT_EQ(static_cast<uint32_t *>(missing.pSpriteData)[8], 0u);
    FreeSprite32(&missing);

    defZENTRIXSPRITE bad{nullptr, 0, 0, 32};
    LoadSprite32((dir + "/pic.raw").c_str(), -2, 1, &bad);
    EXPECT_EQ(bad.pSpriteData, nullptr);
    EXPECT_EQ(bad.Width, 0u);
}
