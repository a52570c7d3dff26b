// Quad rasterizers: edge buffers and sentinels, the filled notch of a
// non-convex outline, the missing top row of ShadeQuadLight on 32 bpp,
// depth, factors, and the pages and inputs that draw nothing.
#include "RasterTestUtil.h"

namespace {

struct QuadPage : TestPage {
    QuadPage(int w, int h, int bpp) : TestPage(w, h, bpp) { EXPECT_EQ(AllocateScanLines(&page), 1u); }
};

TEST(Quads, SolidSquareIsInclusive) {
    QuadPage p(32, 32, 32);
    SolidQuad(10, 10, 20, 10, 20, 20, 10, 20, 1, &p.page);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            ASSERT_EQ(p.P32(x, y), (x >= 10 && x <= 20 && y >= 10 && y <= 20) ? 1u : 0u) << x << "," << y;
    // Every plane it used is reset to the sentinels before scanning.
    EXPECT_EQ(p.page.LeftScans[0], 0x07D00000);
    EXPECT_EQ(p.page.RightScans[0], int32_t(0xF8300000u));
}

TEST(Quads, NonConvexNotchIsFilled) {
    QuadPage p(32, 32, 16);
    // Arrow head pointing up, notch at (10, 15) between the barbs.
    SolidQuad(10, 0, 20, 25, 10, 15, 0, 25, 0xFFFF, &p.page);
    EXPECT_EQ(p.P16(10, 20), 0xFFFFu);  // inside the notch
    EXPECT_EQ(p.P16(3, 24), 0xFFFFu);
    EXPECT_EQ(p.P16(17, 24), 0xFFFFu);
    EXPECT_EQ(p.P16(10, 26), 0u);
}

TEST(Quads, ClippedAtTheTopStartsWithAdvancedValues) {
    auto tex = IndexTexture32(32, 32);
    QuadPage p(32, 32, 32);
    auto before = Snapshot(p);
    TextureQuad(0, -20, 0, 0, 10, -20, 10, 0, 10, -1, 10, 19, 0, -1, 0, 19, tex.data(), 32, &p.page);
    EXPECT_EQ(CountChanged(p, before), 0);  // wholly above
    TextureQuad(0, -10, 0, 0, 10, -10, 10, 0, 10, 10, 10, 20, 0, 10, 0, 20, tex.data(), 32, &p.page);
    for (int x = 0; x <= 10; ++x) EXPECT_EQ(p.P32(x, 0), tex[10 * 32 + x]) << x;
    for (int x = 0; x <= 10; ++x) EXPECT_EQ(p.P32(x, 10), tex[20 * 32 + x]) << x;
}

TEST(Quads, ShadeQuadLightTopRowOnlyOnSixteenBits) {
    QuadPage p(32, 32, 32);
    ShadeQuadLight(4, 4, 10, 10, 10, 20, 4, 10, 10, 10, 20, 12, 10, 10, 10, 4, 12, 10, 10, 10, &p.page);
    EXPECT_EQ(p.P32(8, 4), 0u);
    EXPECT_EQ(p.P32(8, 5), 0x000A0A0Au);
    EXPECT_EQ(p.P32(8, 12), 0x000A0A0Au);
    // Crossing the left side takes the clipping span: same pixels.
    ShadeQuadLight(-4, 20, 1, 1, 1, 20, 20, 1, 1, 1, 20, 24, 1, 1, 1, -4, 24, 1, 1, 1, &p.page);
    EXPECT_EQ(p.P32(0, 21), 0x00010101u);
    QuadPage q(32, 32, 16);
    ShadeQuadLight(4, 4, 1, 2, 3, 20, 4, 1, 2, 3, 20, 12, 1, 2, 3, 4, 12, 1, 2, 3, &q.page);
    EXPECT_EQ(q.P16(8, 4), uint16_t((1 << 11) + (2 << 5) + 3));
    EXPECT_EQ(q.P16(4, 6), 0u);  // skip-first: left end left out
}

TEST(Quads, FactorsAndDepth) {
    std::mt19937 rng(11);
    auto tex = RandomTexture32(rng, 16, 16);
    QuadPage a(32, 32, 32), b(32, 32, 32);
    FillRandom(a, rng);
    CopyPixels(b, a);
    auto before = Snapshot(a);
    AddTextureQuadDimmed(2, 2, 0, 0, 29, 3, 15, 0, 28, 28, 15, 15, 3, 27, 0, 15, tex.data(), 16, 0, &a.page);
    TextureQuadDimmed(2, 2, 0, 0, 29, 3, 15, 0, 28, 28, 15, 15, 3, 27, 0, 15, tex.data(), 16, -5, &a.page);
    EXPECT_EQ(CountChanged(a, before), 0);
    AddTextureQuadDimmed(2, 2, 0, 0, 29, 3, 15, 0, 28, 28, 15, 15, 3, 27, 0, 15, tex.data(), 16, 256, &a.page);
    AddTextureQuad(2, 2, 0, 0, 29, 3, 15, 0, 28, 28, 15, 15, 3, 27, 0, 15, tex.data(), 16, &b.page);
    EXPECT_EQ(Snapshot(a), Snapshot(b));
    // Depth: 10 at the left column, 30 at the right; stored depth 20.
    uint32_t t1 = 0x00123456;
    QuadPage z(32, 8, 32);
    std::vector<int32_t> depth(z.Count(), Fx(20));
    TextureQuadZ(0, 0, 0, 0, 10, 20, 0, 0, 0, 30, 20, 7, 0, 0, 30, 0, 7, 0, 0, 10, &t1, 1, depth.data(), &z.page);
    for (int x = 0; x <= 20; ++x) EXPECT_EQ(z.P32(x, 3), x < 10 ? t1 : 0u) << x;
    EXPECT_EQ(depth[3 * 32 + 2], Fx(12));
}

TEST(Quads, UnusablePagesAndInputsDrawNothing) {
    uint32_t tex[4] = {1, 2, 3, 4};
    TestPage noBuffers(32, 32, 32);
    auto n0 = Snapshot(noBuffers);
    SolidQuad(0, 0, 31, 0, 31, 31, 0, 31, 1, &noBuffers.page);
    EXPECT_EQ(CountChanged(noBuffers, n0), 0);

    QuadPage p(32, 32, 32);
    auto before = Snapshot(p);
    TextureQuad(0, 0, 0, 0, 31, 0, 1, 0, 31, 31, 1, 1, 0, 31, 0, 1, nullptr, 2, &p.page);
    // All corners on one row: no edge is scanned; nothing is drawn.
    TextureQuad(0, 5, 0, 0, 31, 5, 1, 0, 20, 5, 1, 1, 3, 5, 0, 1, tex, 2, &p.page);
    SolidQuad(0, 5, 31, 5, 20, 5, 3, 5, 1, &p.page);
    p.page.BPP = 24;
    SolidQuad(0, 0, 31, 0, 31, 31, 0, 31, 1, &p.page);
    p.page.BPP = 32;
    // A page whose height changed after its edge buffers were made.
    p.page.Height = 16;
    SolidQuad(0, 0, 31, 0, 31, 31, 0, 31, 1, &p.page);
    p.page.Height = 32;
    EXPECT_EQ(CountChanged(p, before), 0);

    // A page wider than the sentinels.
    QuadPage wide(2048, 2, 32);
    auto w0 = Snapshot(wide);
    SolidQuad(0, 0, 2047, 0, 2047, 1, 0, 1, 1, &wide.page);
    EXPECT_EQ(CountChanged(wide, w0), 0);
}

}  // namespace
