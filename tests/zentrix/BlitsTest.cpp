// Sprite blits: the clipping rectangle and the per-pixel rules of each blit
// in both formats.
#include "PageFixture.h"

TEST(Blits, MaskPut32ClipsAtTheLeftEdge)
{
    TestPage p(16, 4, 32);
    TestSprite s(30, 4, 32);
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 30; x++)
            s.P32(x, y) = uint32_t(x + 1);
    MaskPut32(&p.page, -5, 0, 20, 1, &s.sprite, 2, 0, 0xFF00FF);
    for (int x = 0; x < 16; x++)
        EXPECT_EQ(p.P32(x, 0), x < 15 ? uint32_t(2 + 5 + x + 1) : 0u) << x;
    // A sprite wider than the page at a negative x draws exactly Width columns.
    MaskPut32(&p.page, -3, 1, 30, 1, &s.sprite, 0, 1, 0xFF00FF);
    for (int x = 0; x < 16; x++)
        EXPECT_EQ(p.P32(x, 1), uint32_t(x + 4));
    // Off the page on any side: nothing.
    MaskPut32(&p.page, 16, 0, 4, 4, &s.sprite, 0, 0, 0);
    MaskPut32(&p.page, -5, 0, 4, 4, &s.sprite, 0, 0, 0);
    MaskPut32(&p.page, 0, 4, 4, 4, &s.sprite, 0, 0, 0);
    MaskPut32(&p.page, 0, -5, 4, 4, &s.sprite, 0, 0, 0);
    EXPECT_EQ(p.P32(0, 2), 0u);
}

TEST(Blits, SourceRectangleIsClippedToTheSprite)
{
    TestPage p(8, 8, 32);
    TestSprite s(4, 4, 32);
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 4; x++)
            s.P32(x, y) = 0x100u * uint32_t(y) + uint32_t(x) + 1;
    MaskPut32(&p.page, 0, 0, 8, 8, &s.sprite, 2, 3, 0xFF00FF); // only a 2 x 1 part is inside
    EXPECT_EQ(p.P32(0, 0), 0x303u);
    EXPECT_EQ(p.P32(1, 0), 0x304u);
    EXPECT_EQ(p.P32(2, 0), 0u);
    EXPECT_EQ(p.P32(0, 1), 0u);
    MaskPut32(&p.page, 2, 2, 4, 4, &s.sprite, -1, -1, 0xFF00FF); // source starts above-left
    EXPECT_EQ(p.P32(2, 2), 0u);
    EXPECT_EQ(p.P32(3, 3), 0x001u);
    AddPut32(&p.page, 0, 0, 100000, 100000, &s.sprite, 1000, 1000);
    MaskPut32(&p.page, INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX, &s.sprite, INT32_MIN, INT32_MIN, 0);
    MaskPut32(&p.page, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, &s.sprite, INT32_MAX, INT32_MAX, 0);
}

TEST(Blits, MaskColourIsTransparentInBothFormats)
{
    TestPage p(2, 1, 32);
    TestSprite s(2, 1, 32);
    p.P32(0, 0) = p.P32(1, 0) = 0x111111;
    s.P32(0, 0) = 0xFF00FF;
    s.P32(1, 0) = 0x222222;
    MaskPut32(&p.page, 0, 0, 2, 1, &s.sprite, 0, 0, 0xFF00FF);
    EXPECT_EQ(p.P32(0, 0), 0x111111u);
    EXPECT_EQ(p.P32(1, 0), 0x222222u);

    TestPage q(2, 1, 16);
    TestSprite t(2, 1, 0); // BPP 0 is 16
    t.P16(0, 0) = 0xF81F;
    t.P16(1, 0) = 0x1234;
    MaskPut32(&q.page, 0, 0, 2, 1, &t.sprite, 0, 0, 0xF81F);
    EXPECT_EQ(q.P16(0, 0), 0);
    EXPECT_EQ(q.P16(1, 0), 0x1234);
    MaskPut32(&q.page, 0, 0, 2, 1, &t.sprite, 0, 0, 0x1F81F); // above 0xFFFF: never matches
    EXPECT_EQ(q.P16(0, 0), 0xF81F);
    // A 32-bit sprite onto a 16-bit page: nothing.
    MaskPut32(&q.page, 0, 0, 2, 1, &s.sprite, 0, 0, 0xFF00FF);
    EXPECT_EQ(q.P16(1, 0), 0x1234);
}

TEST(Blits, MaskPutTrans32Levels)
{
    TestPage p(1, 1, 32), ref(1, 1, 32);
    TestSprite white(1, 1, 32);
    white.P32(0, 0) = 0xFFFFFF;
    MaskPutTrans32(&p.page, 0, 0, 1, 1, &white.sprite, 0, 0, 0xFF00FF, 16);
    EXPECT_EQ(p.P32(0, 0), 0x7F7F7Fu);
    p.P32(0, 0) = 0x123456;
    MaskPutTrans32(&p.page, 0, 0, 1, 1, &white.sprite, 0, 0, 0xFF00FF, 0);
    EXPECT_EQ(p.P32(0, 0), 0x123456u);
    MaskPutTrans32(&p.page, 0, 0, 1, 1, &white.sprite, 0, 0, 0xFF00FF, 0x10000); // 16-bit level 0
    EXPECT_EQ(p.P32(0, 0), 0x123456u);
    MaskPutTrans32(&p.page, 0, 0, 1, 1, &white.sprite, 0, 0, 0xFF00FF, 31);
    MaskPut32(&ref.page, 0, 0, 1, 1, &white.sprite, 0, 0, 0xFF00FF);
    EXPECT_EQ(p.P32(0, 0), ref.P32(0, 0));

    // 16-bit: white into black at 16/32 gives half of each field.
    TestPage q(1, 1, 16);
    TestSprite w16(1, 1, 16);
    w16.P16(0, 0) = 0xFFFF;
    MaskPutTrans32(&q.page, 0, 0, 1, 1, &w16.sprite, 0, 0, 0xF81F, 16);
    EXPECT_EQ(q.P16(0, 0), (15 << 11) | (31 << 5) | 15);
    // Level 8 from 0x0000 towards pure green 0x07E0: green 63 * 8 / 32 = 15.
    q.P16(0, 0) = 0;
    w16.P16(0, 0) = 0x07E0;
    MaskPutTrans32(&q.page, 0, 0, 1, 1, &w16.sprite, 0, 0, 0xF81F, 8);
    EXPECT_EQ(q.P16(0, 0), 15 << 5);
}

TEST(Blits, AddPut32SaturatesInBothFormats)
{
    // Page, sprite and sum per pixel: red saturated, each field added, nothing added.
    const uint16_t page[3] = {0xF800, 0x0821, 0xFFFF}, sprite[3] = {0xF800, 0x0821, 0}, sum[3] = {0xF800, 0x1042, 0xFFFF};
    TestPage q(3, 1, 16);
    TestSprite s16(3, 1, 16);
    for (int x = 0; x < 3; x++) {
        q.P16(x, 0) = page[x];
        s16.P16(x, 0) = sprite[x];
    }
    AddPut32(&q.page, 0, 0, 3, 1, &s16.sprite, 0, 0);
    for (int x = 0; x < 3; x++)
        EXPECT_EQ(q.P16(x, 0), sum[x]) << x;

    TestPage p(5, 1, 32);
    TestSprite s(5, 1, 32);
    for (int x = 0; x < 5; x++) {
        p.P32(x, 0) = 0x80F01020u;
        s.P32(x, 0) = 0x90203040u;
    }
    AddPut32(&p.page, 0, 0, 5, 1, &s.sprite, 0, 0);
    for (int x = 0; x < 5; x++)
        EXPECT_EQ(p.P32(x, 0), 0xFFFF4060u); // all four bytes, the top one too
}

TEST(Blits, MaskPutMerge32Weights)
{
    TestPage p(3, 1, 32);
    TestSprite s(3, 1, 32), m(3, 1, 32);
    for (int x = 0; x < 3; x++)
        s.P32(x, 0) = 0xFFFFFF;
    m.P32(0, 0) = 128;
    m.P32(1, 0) = 255;
    m.P32(2, 0) = 0xFFFF00; // low byte 0: skipped
    p.P32(2, 0) = 0x010203;
    MaskPutMerge32(&p.page, 0, 0, 3, 1, &s.sprite, 0, 0, &m.sprite);
    EXPECT_EQ(p.P32(0, 0), 0x7F7F7Fu);
    EXPECT_EQ(p.P32(1, 0), 0xFFFFFFu);
    EXPECT_EQ(p.P32(2, 0), 0x010203u);

    TestPage q(3, 1, 16);
    TestSprite s16(3, 1, 16), m16(3, 1, 16);
    for (int x = 0; x < 3; x++)
        s16.P16(x, 0) = 0xFFFF;
    m16.P16(0, 0) = 16;
    m16.P16(1, 0) = 31;
    m16.P16(2, 0) = 0xFFE0;
    MaskPutMerge32(&q.page, 0, 0, 3, 1, &s16.sprite, 0, 0, &m16.sprite);
    EXPECT_EQ(q.P16(0, 0), (15 << 11) | (31 << 5) | 15);
    EXPECT_EQ(q.P16(1, 0), 0xFFFF);
    EXPECT_EQ(q.P16(2, 0), 0);

    // A mask narrower than the source would be read out of step: refused.
    TestSprite narrow(2, 1, 32);
    narrow.P32(0, 0) = 255;
    p.P32(0, 0) = 0;
    MaskPutMerge32(&p.page, 0, 0, 3, 1, &s.sprite, 0, 0, &narrow.sprite);
    EXPECT_EQ(p.P32(0, 0), 0u);
    MaskPutMerge32(&p.page, 0, 0, 3, 1, &s.sprite, 0, 0, nullptr);
}
