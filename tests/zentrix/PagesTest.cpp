// Pages and sprites: records, row tables, header blocks, edge buffers, and
// refusal of sizes that can't be made.
#include "zentrix.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

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
        const uint32_t masks[2][3] = {{0xF800, 0x07E0, 0x001F}, {0xFF0000, 0x00FF00, 0x0000FF}}; // 5-6-5, 8-8-8
        for (int i = 0; i < 3; i++)
            EXPECT_EQ(info->bmiColors[i], masks[bpp / 32][i]) << bpp;
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
    const std::string raw = WriteScratch("pic.raw", {0xFF, 0x80, 0x08, 0x00, 0x00, 0xFF});
    const std::string pcx = WriteScratch("pic.PCX", MakePcx(0, 0, 1, 0, 2, {7, 9}));
    const std::string big = WriteScratch("big.pcx", MakePcx(0, 0, 3, 0, 4, {1, 2, 3, 4}));
    const struct {
        std::string path;
        int32_t w, h;
        uint32_t bpp;
        std::vector<uint32_t> want; // every pixel; none: no sprite made
    } cases[] = {
        {raw, 2, 1, 32, {0xFF8008u, 0x0000FFu}},
        {pcx, 2, 1, 32, {PcxTestColour(7), PcxTestColour(9)}},
        {raw, 2, 1, 0, {0xFC01, 0x001F}},                         // BPP 0: 16 bits
        {big, 2, 1, 32, {0, 0}},                                  // a larger PCX is refused: zeroed
        {ScratchDir() + "/nothing.raw", 3, 3, 32, std::vector<uint32_t>(9, 0)}, // missing: zeroed
        {raw, -2, 1, 32, {}},
    };
    for (const auto &c : cases) {
        defZENTRIXSPRITE s{nullptr, 0, 0, c.bpp};
        LoadSprite32(c.path.c_str(), c.w, c.h, &s);
        ASSERT_EQ(s.pSpriteData == nullptr, c.want.empty()) << c.path << " " << c.w;
        EXPECT_EQ(s.Width, c.want.empty() ? 0u : uint32_t(c.w)) << c.path;
        EXPECT_EQ(s.BPP, c.want.empty() ? 0u : c.bpp ? c.bpp : 16u) << c.path;
        for (size_t i = 0; i < c.want.size(); i++)
            EXPECT_EQ(s.BPP == 16 ? static_cast<const uint16_t *>(s.pSpriteData)[i]
                                  : static_cast<const uint32_t *>(s.pSpriteData)[i],
                      c.want[i])
                << c.path << " pixel " << i;
        FreeSprite32(&s);
    }
}
