// Triangle and offset-warp triangle rasterizers: rows covered, vertex order,
// early returns, span choice by page format, and the walk clipped to the page.
#include "RasterTestUtil.h"

#include <algorithm>

namespace {

TEST(Triangles, SolidTriCoversInclusiveRows) {
    TestPage p(16, 16, 32);
    SolidTri(0, 0, 10, 0, 0, 10, 1, &p.page);
    for (int x = 0; x < 16; ++x) {
        EXPECT_EQ(p.P32(x, 0), x <= 10 ? 1u : 0u) << x;
        EXPECT_EQ(p.P32(x, 10), x == 0 ? 1u : 0u) << x;
        EXPECT_EQ(p.P32(x, 11), 0u) << x;
    }
}

TEST(Triangles, FlatTriangleDrawsFromTopToMiddle) {
    TestPage p(16, 4, 16);
    SolidTri(2, 1, 6, 1, 14, 1, 0xFFFF, &p.page);  // all on row 1: T's x to M's x
    for (int x = 0; x < 16; ++x) EXPECT_EQ(p.P16(x, 1), (x >= 2 && x <= 6) ? 0xFFFFu : 0u) << x;
}

// The walk reference: every row from top to bottom handed to the span,
// which drops rows off the page.
void ReferenceSolidTri(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, uint32_t c,
                       defZENTRIXPAGE *page) {
    int64_t v[3][2] = {{x1, y1}, {x2, y2}, {x3, y3}};
    auto sw = [&](int a, int b) { std::swap(v[a], v[b]); };
    if (v[0][1] > v[1][1]) sw(0, 1);
    if (v[0][1] > v[2][1]) sw(0, 2);
    if (v[1][1] > v[2][1]) sw(1, 2);
    auto step = [](int64_t a, int64_t b, int64_t dy) { return dy ? int32_t(((b - a) * 65536) / dy) : 0; };
    int64_t tm = v[0][0] * 65536, tb = tm, mb = v[1][0] * 65536;
    const int32_t stm = step(v[0][0], v[1][0], v[1][1] - v[0][1]), stb = step(v[0][0], v[2][0], v[2][1] - v[0][1]),
                  smb = step(v[1][0], v[2][0], v[2][1] - v[1][1]);
    for (int64_t y = v[0][1]; y <= v[2][1]; ++y) {
        if (y < v[1][1]) {
            HSolidLine32(int32_t((tm + 0x8000) >> 16), int32_t((tb + 0x8000) >> 16), int32_t(y), c, page);
            tm += stm;
            tb += stb;
        } else {
            HSolidLine32(int32_t((tb + 0x8000) >> 16), int32_t((mb + 0x8000) >> 16), int32_t(y), c, page);
            tb += stb;
            mb += smb;
        }
    }
}

TEST(Triangles, FarVertexIsClippedNotWalked) {
    TestPage a(64, 48, 32), b(64, 48, 32);
    // Millions of rows above and below: same pixels as the full walk.
    SolidTri(10, -3000000, 60, 20, 3, 2000000, 5, &a.page);
    ReferenceSolidTri(10, -3000000, 60, 20, 3, 2000000, 5, &b.page);
    EXPECT_EQ(Snapshot(a), Snapshot(b));
    EXPECT_GT(CountChanged(a, std::vector<uint32_t>(a.Count(), 0)), 100);
    // A billion rows away returns at once (a walk would take seconds).
    SolidTri(10, -1000000000, 60, 20, 3, 1000000000, 6, &a.page);
    SolidTri(-2000000000, 5, 2000000000, 6, 0, 2000000000, 6, &a.page);
    EXPECT_EQ(a.P32(30, 20), 6u);
}

TEST(Triangles, TransAndDimmedLevels) {
    std::mt19937 rng(3);
    auto tex = RandomTexture32(rng, 16, 16);
    TestPage a(32, 32, 32), b(32, 32, 32);
    FillRandom(a, rng);
    CopyPixels(b, a);
    auto before = Snapshot(a);
    TextureTriTrans(1, 1, 0, 0, 30, 4, 15, 0, 5, 29, 0, 15, tex.data(), 16, 0, &a.page);
    EXPECT_EQ(CountChanged(a, before), 0);
    TextureTriTrans(1, 1, 0, 0, 30, 4, 15, 0, 5, 29, 0, 15, tex.data(), 16, 64, &a.page);
    TextureTri(1, 1, 0, 0, 30, 4, 15, 0, 5, 29, 0, 15, tex.data(), 16, &b.page);
    EXPECT_EQ(Snapshot(a), Snapshot(b));
    // 32 bpp, factor 32: the texel at 32/256 brightness.
    const uint32_t texel = 0x00FF8040;
    TextureTriDimmed(0, 0, 0, 0, 31, 0, 0, 0, 0, 31, 0, 0, &texel, 1, 32, &a.page);
    EXPECT_EQ(a.P32(5, 5), 0x001F1008u);
    // 16 bpp, factor 32: half texture, half page (the translucent span).
    const uint8_t tex24[3] = {0xF8, 0, 0};
    TestPage c(16, 16, 16);
    HSolidLine16(0, 15, 5, 0x001F, &c.page);
    TextureTriDimmed(0, 0, 0, 0, 15, 0, 0, 0, 0, 15, 0, 0, tex24, 1, 32, &c.page);
    EXPECT_EQ(c.P16(2, 5), uint16_t((15 << 11) + 15));
    EXPECT_EQ(c.P16(0, 5), 0x001Fu);  // skip-first: left end untouched
}

TEST(Triangles, DepthOnlyOnThirtyTwoBits) {
    uint32_t tex = 0x00ABCDEF;
    TestPage p(16, 16, 32);
    std::vector<int32_t> z(p.Count(), Fx(50));
    TextureTriZ(0, 0, 0, 0, 60, 15, 0, 0, 0, 60, 0, 15, 0, 0, 60, &tex, 1, z.data(), &p.page);
    EXPECT_EQ(p.P32(3, 3), 0u);
    TextureTriZ(0, 0, 0, 0, 40, 15, 0, 0, 0, 40, 0, 15, 0, 0, 40, &tex, 1, z.data(), &p.page);
    EXPECT_EQ(p.P32(3, 3), tex);
    EXPECT_EQ(z[3 * 16 + 3], Fx(40));
    // 16 bpp ignores the depth buffer (even a missing one).
    const uint8_t t24[3] = {0xFF, 0xFF, 0xFF};
    TestPage q(16, 16, 16);
    TextureTriZ(0, 0, 0, 0, 60, 15, 0, 0, 0, 60, 0, 15, 0, 0, 60, t24, 1, nullptr, &q.page);
    EXPECT_EQ(q.P16(3, 3), 0xFFFFu);
}

TEST(Triangles, EarlyReturnsDrawNothing) {
    uint32_t tex = 1;
    TestPage p(16, 16, 32);
    auto before = Snapshot(p);
    TextureTri(0, 0, 0, 0, 15, 0, 0, 0, 0, 15, 0, 0, nullptr, 1, &p.page);
    TextureTriDimmed(0, 0, 0, 0, 15, 0, 0, 0, 0, 15, 0, 0, &tex, 1, 0, &p.page);
    OfsTri(0, 0, 15, 0, 0, 15, 0, 0, nullptr, &p.page);
    p.page.BPP = 24;
    SolidTri(0, 0, 15, 0, 0, 15, 9, &p.page);
    ShadeTri(0, 0, 1, 1, 1, 15, 0, 1, 1, 1, 0, 15, 1, 1, 1, &p.page);
    p.page.BPP = 32;
    EXPECT_EQ(CountChanged(p, before), 0);
    // A page with BPP 0 counts as 16 bits.
    TestPage q(16, 16, 16);
    q.page.BPP = 0;
    SolidTri(0, 0, 15, 0, 0, 15, 0x1234, &q.page);
    EXPECT_EQ(q.P16(0, 0), 0x1234u);
}

TEST(OfsTriangles, CopiesShiftsAndWarps) {
    std::mt19937 rng(5);
    TestPage src(32, 32, 32), p(32, 32, 32);
    FillRandom(src, rng);
    auto s0 = Snapshot(src);
    OfsTri(0, 0, 31, 0, 0, 31, 0, 0, &src.page, &src.page);  // onto itself: unchanged
    EXPECT_EQ(Snapshot(src), s0);
    OfsTri(0, 0, 31, 0, 0, 31, 0, -32, &src.page, &p.page);  // dy = -Height: black
    EXPECT_EQ(p.P32(2, 2), 0u);
    OfsTri(0, 0, 31, 0, 0, 31, 2, 1, &src.page, &p.page);
    EXPECT_EQ(p.P32(3, 4), src.P32(5, 5));
    // Smooth with sx, sy = x, y copies the triangle in place.
    Clear(p);
    OfsTriSmooth(0, 0, 0, 0, 31, 0, 31, 0, 0, 31, 0, 31, &src.page, &p.page);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x + y <= 31; ++x) ASSERT_EQ(p.P32(x, y), src.P32(x, y)) << x << "," << y;
    // Mirrored source triangle.
    OfsTriSmooth(0, 0, 31, 0, 31, 0, 0, 0, 0, 31, 31, 31, &src.page, &p.page);
    EXPECT_EQ(p.P32(4, 2), src.P32(27, 2));
    // Light (0, 0, 0): half brightness.
    OfsTriLS(0, 0, 31, 0, 0, 31, 0, 0, 0, 0, 0, &src.page, &p.page);
    EXPECT_EQ(p.P32(1, 1), (src.P32(1, 1) >> 1) & 0x7F7F7Fu);
    // 16-bit: warped texture mix, L = 0 gives the texel, outside black.
    TestPage s16(16, 16, 16), p16(16, 16, 16);
    HSolidLine16(0, 15, 3, 0xFFFF, &s16.page);
    const uint8_t t24[3] = {0x80, 0x40, 0x20};
    OfsTriSmoothTexture(0, 0, 0, 0, 0, 0, 15, 0, 15, 0, 0, 0, 0, 15, 0, 15, 0, 0, &s16.page, t24, 0, 1, &p16.page);
    EXPECT_EQ(p16.P16(2, 3), uint16_t(((0x80 >> 3) << 11) + ((0x40 >> 2) << 5) + (0x20 >> 3)));
    OfsTriSmoothTexture(0, 0, 0, 20, 0, 0, 15, 0, 15, 20, 0, 0, 0, 15, 0, 35, 0, 0, &s16.page, t24, 0, 1, &p16.page);
    EXPECT_EQ(p16.P16(2, 3), 0u);
    // Source of the other pixel size: nothing.
    auto before = Snapshot(p16);
    OfsTriSmooth(0, 0, 0, 0, 15, 0, 15, 0, 0, 15, 0, 15, &src.page, &p16.page);
    EXPECT_EQ(CountChanged(p16, before), 0);
}

}  // namespace
