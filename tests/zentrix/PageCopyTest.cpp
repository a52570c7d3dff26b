// Page-to-page copies (plain, converting, stretching, mirroring), the
// line-doubling blit and the memory stretch.
#include "PageFixture.h"

#include <vector>

namespace {

void Number(TestPage &p)
{
    for (int y = 0; y < p.page.Height; y++)
        for (int x = 0; x < p.page.Width; x++)
            p.Set(x, y, uint32_t(y * (p.page.BPP == 32 ? 1000 : 100) + x));
}

} // namespace

TEST(PageCopy, BitBltClipsToBothPages)
{
    TestPage src(10, 6, 32), dst(8, 8, 32);
    Number(src);
    EXPECT_EQ(BitBlt(dst.page.hPageDC, -2, 3, 20, 20, src.page.hPageDC, 1, 1), 1);
    // Destination column 0 takes source column 3; rows 3..7 take rows 1..5.
    EXPECT_EQ(dst.P32(0, 3), 1003u);
    EXPECT_EQ(dst.P32(6, 7), 5009u);
    EXPECT_EQ(dst.P32(7, 7), 0u); // source column 10 does not exist
    EXPECT_EQ(dst.P32(0, 2), 0u);
    // Negative source position: the part outside the source is not copied.
    Cls32(&dst.page, 0, 0, 0);
    EXPECT_EQ(BitBlt(dst.page.hPageDC, 0, 0, 4, 4, src.page.hPageDC, -2, -1), 1);
    EXPECT_EQ(dst.P32(1, 0), 0u);
    EXPECT_EQ(dst.P32(2, 1), 0u);
    EXPECT_EQ(dst.P32(3, 2), 1001u);
    EXPECT_EQ(BitBlt(nullptr, 0, 0, 1, 1, src.page.hPageDC, 0, 0), 0);
    EXPECT_EQ(BitBlt(dst.page.hPageDC, 0, 0, INT32_MAX, INT32_MAX, src.page.hPageDC, INT32_MIN, 0), 1);
}

TEST(PageCopy, BitBltOntoItselfHandlesOverlap)
{
    TestPage p(4, 6, 32);
    Number(p);
    EXPECT_EQ(BitBlt(p.page.hPageDC, 0, 2, 4, 4, p.page.hPageDC, 0, 0), 1);
    for (int y = 2; y < 6; y++)
        EXPECT_EQ(p.P32(1, y), uint32_t((y - 2) * 1000 + 1));
    Number(p);
    EXPECT_EQ(BitBlt(p.page.hPageDC, 1, 0, 3, 6, p.page.hPageDC, 0, 0), 1);
    EXPECT_EQ(p.P32(3, 0), 2u);
    EXPECT_EQ(p.P32(1, 5), 5000u);
}

TEST(PageCopy, BitBltConvertsBetweenFormats)
{
    TestPage p32(2, 1, 32), p16(2, 1, 16), back(2, 1, 32);
    p32.P32(0, 0) = 0xFFFFFF;
    p32.P32(1, 0) = 0x84C21F; // 10000100 11000010 00011111
    EXPECT_EQ(BitBlt(p16.page.hPageDC, 0, 0, 2, 1, p32.page.hPageDC, 0, 0), 1);
    EXPECT_EQ(p16.P16(0, 0), 0xFFFF);
    EXPECT_EQ(p16.P16(1, 0), (16 << 11) | (48 << 5) | 3);
    EXPECT_EQ(BitBlt(back.page.hPageDC, 0, 0, 2, 1, p16.page.hPageDC, 0, 0), 1);
    EXPECT_EQ(back.P32(0, 0), 0xFFFFFFu);
    EXPECT_EQ(back.P32(1, 0) & 0xF8FCF8, 0x80C018u); // 5-6-5 precision kept
}

TEST(PageCopy, StretchBltScalesAndMirrors)
{
    TestPage src(4, 2, 32), dst(8, 4, 32);
    Number(src);
    EXPECT_EQ(StretchBlt(dst.page.hPageDC, 0, 0, 8, 4, src.page.hPageDC, 0, 0, 4, 2), 1);
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 8; x++)
            ASSERT_EQ(dst.P32(x, y), uint32_t((y / 2) * 1000 + x / 2));
    // Mirrored horizontally: the rectangle runs from x + w to x - 1.
    Cls32(&dst.page, 0, 0, 0);
    EXPECT_EQ(StretchBlt(dst.page.hPageDC, 4, 0, -4, 2, src.page.hPageDC, 0, 0, 4, 2), 1);
    for (int x = 0; x < 4; x++)
        EXPECT_EQ(dst.P32(x, 0), uint32_t(3 - x));
    EXPECT_EQ(dst.P32(4, 0), 0u);
    // Mirrored vertically.
    Cls32(&dst.page, 0, 0, 0);
    EXPECT_EQ(StretchBlt(dst.page.hPageDC, 0, 2, 4, -2, src.page.hPageDC, 0, 0, 4, 2), 1);
    EXPECT_EQ(dst.P32(1, 0), 1001u);
    EXPECT_EQ(dst.P32(1, 1), 1u);
    // Shrinking keeps every other row; partly off the page is clipped.
    TestPage tall(1, 8, 32), flat(1, 4, 32);
    Number(tall);
    EXPECT_EQ(StretchBlt(flat.page.hPageDC, 0, -2, 1, 4, tall.page.hPageDC, 0, 0, 1, 8), 1);
    EXPECT_EQ(flat.P32(0, 0), 5000u);
    EXPECT_EQ(flat.P32(0, 1), 7000u);
    EXPECT_EQ(flat.P32(0, 2), 0u);
    EXPECT_EQ(StretchBlt(flat.page.hPageDC, 0, 0, 1, 4, tall.page.hPageDC, 0, 0, -1, 8), 0);
    // Onto itself.
    EXPECT_EQ(StretchBlt(tall.page.hPageDC, 0, 0, 1, 8, tall.page.hPageDC, 0, 4, 1, 4), 1);
    EXPECT_EQ(tall.P32(0, 7), 7000u);
    EXPECT_EQ(tall.P32(0, 0), 4000u);
}

TEST(PageCopy, DblBlt32AlternatesFieldsStartingWithOddRows)
{
    TestPage src(3, 2, 16), dst(6, 4, 16);
    Number(src);
    DblBlt32(&src.page, &dst.page);
    // The toggle is library-wide: whichever field came first, the next call
    // fills the other, and two calls fill every row.
    DblBlt32(&src.page, &dst.page);
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 6; x++)
            ASSERT_EQ(dst.P16(x, y), src.P16(x / 2, y / 2));

    TestPage fresh(6, 4, 16);
    DblBlt32(&src.page, &fresh.page); // third call in this program: the odd field again
    EXPECT_EQ(fresh.P16(1, 1), src.P16(0, 0));
    EXPECT_EQ(fresh.P16(1, 0), 0);
    DblBlt32(&src.page, &fresh.page);
    EXPECT_EQ(fresh.P16(1, 0), src.P16(0, 0));

    // Too small a destination: stretched instead (clipped to it).
    TestPage small(4, 3, 16);
    DblBlt32(&src.page, &small.page);
    EXPECT_EQ(small.P16(3, 2), src.P16(1, 1));
}

TEST(PageCopy, MemStretchBltReadsPaddedRowsInEachFormat)
{
    TestPage dst(3, 2, 32);
    // 3 x 2 pixels of 16 bits: rows of 6 bytes padded to 8.
    const std::vector<uint16_t> rgb565 = {0xF800, 0x07E0, 0x001F, 0xDEAD, 0xFFFF, 0x0000, 0x0000, 0xBEEF};
    MemStretchBlt(dst.page.hPageDC, 0, 0, 2, 3, rgb565.data(), 0, 0, 2, 3, 16);
    EXPECT_EQ(dst.P32(0, 0), 0xFF0000u);
    EXPECT_EQ(dst.P32(1, 0), 0x00FF00u);
    EXPECT_EQ(dst.P32(2, 0), 0x0000FFu);
    EXPECT_EQ(dst.P32(0, 1), 0xFFFFFFu);
    const std::vector<uint16_t> rgb555 = {0x7C00, 0x03E0, 0x001F, 0, 0, 0, 0, 0};
    MemStretchBlt(dst.page.hPageDC, 0, 0, 2, 3, rgb555.data(), 0, 0, 2, 3, 15);
    EXPECT_EQ(dst.P32(0, 0), 0xFF0000u);
    EXPECT_EQ(dst.P32(1, 0), 0x00FF00u);
    const std::vector<uint32_t> xrgb = {1, 2, 3, 4, 5, 6};
    MemStretchBlt(dst.page.hPageDC, 0, 2, -2, 3, xrgb.data(), 0, 0, 2, 3, 32); // upside down
    EXPECT_EQ(dst.P32(0, 0), 4u);
    EXPECT_EQ(dst.P32(2, 1), 3u);
    MemStretchBlt(dst.page.hPageDC, 0, 0, 2, 3, xrgb.data(), 0, 0, 2, 3, 24); // unsupported
    EXPECT_EQ(dst.P32(0, 0), 4u);
}
