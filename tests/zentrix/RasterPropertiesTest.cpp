// Properties over many random primitives of every triangle, quad and
// offset-triangle routine in both formats: drawing is the same on a larger
// page shifted by an offset (catches clipping faults), vertex order does not
// matter, SSE2 and scalar loops agree, and textures are never read outside.
#include "RasterTestUtil.h"

#include <algorithm>
#include <functional>
#include <string>

namespace {

constexpr int kW = 48, kH = 40, kTex = 32;

// One random primitive: up to four vertices of x, y, a, b, c, d, e.
struct Args {
    int v[4][7];
    int level, factor, dx, dy, lr, lg, lb;
    uint32_t colour;
};

struct Target {
    defZENTRIXPAGE *page;
    const defZENTRIXPAGE *src;
    const void *tex;
    void *depth;
    int ox, oy;
};

struct Prim {
    std::string name;
    bool smoothSource;  // the vertex attributes a, b are source coordinates
    std::function<void(const Args &, const Target &)> draw;
};

#define X(i) (a.v[i][0] + t.ox)
#define Y(i) (a.v[i][1] + t.oy)
#define A(i) a.v[i][2]
#define B(i) a.v[i][3]
#define C(i) a.v[i][4]
#define D(i) a.v[i][5]
#define E(i) a.v[i][6]
#define SX(i) (a.v[i][2] + t.ox)
#define SY(i) (a.v[i][3] + t.oy)
// The vertex lists the routines take: position alone, with texel, colour,
// texel and depth, source; source and colour or texel.
#define P(i) X(i), Y(i)
#define UV(i) P(i), A(i), B(i)
#define RGB(i) P(i), C(i), D(i), E(i)
#define UVZ(i) UV(i), C(i)
#define SRC(i) P(i), SX(i), SY(i)
#define SRGB(i) SRC(i), C(i), D(i), E(i)
#define SUV(i) SRC(i), D(i), E(i)
#define PRIM(name, smooth, call) {name, smooth, [](const Args &a, const Target &t) { call; }}

std::vector<Prim> Prims() {
    return {
        PRIM("SolidTri", false, SolidTri(P(0), P(1), P(2), a.colour, t.page)),
        PRIM("ShadeTri", false, ShadeTri(RGB(0), RGB(1), RGB(2), t.page)),
        PRIM("ShadeTriLight", false, ShadeTriLight(RGB(0), RGB(1), RGB(2), t.page)),
        PRIM("ShadeTriDark", false, ShadeTriDark(RGB(0), RGB(1), RGB(2), t.page)),
        PRIM("TextureTri", false, TextureTri(UV(0), UV(1), UV(2), t.tex, kTex, t.page)),
        // The page is its own texture: texels read may be pixels written.
        PRIM("TextureTriOnItsPage", false,
             if (t.page->BPP == 32) TextureTri(UV(0), UV(1), UV(2), t.page->pPageData, t.page->Width, t.page)),
        PRIM("AddTextureTri", false, AddTextureTri(UV(0), UV(1), UV(2), t.tex, kTex, t.page)),
        PRIM("TextureTriTrans", false, TextureTriTrans(UV(0), UV(1), UV(2), t.tex, kTex, a.level, t.page)),
        PRIM("TextureTriDimmed", false, TextureTriDimmed(UV(0), UV(1), UV(2), t.tex, kTex, a.factor, t.page)),
        PRIM("TextureTriLS", false, TextureTriLS(UV(0), UV(1), UV(2), a.lr, a.lg, a.lb, t.tex, kTex, t.page)),
        PRIM("TextureTriZ", false, TextureTriZ(UVZ(0), UVZ(1), UVZ(2), t.tex, kTex, t.depth, t.page)),
        PRIM("SolidQuad", false, SolidQuad(P(0), P(1), P(2), P(3), a.colour, t.page)),
        PRIM("TextureQuad", false, TextureQuad(UV(0), UV(1), UV(2), UV(3), t.tex, kTex, t.page)),
        PRIM("TextureMaskQuad", false,
             TextureMaskQuad(UV(0), UV(1), UV(2), UV(3), t.tex, kTex, static_cast<const uint32_t *>(t.tex)[5], t.page)),
        PRIM("TextureQuadDimmed", false, TextureQuadDimmed(UV(0), UV(1), UV(2), UV(3), t.tex, kTex, a.factor, t.page)),
        PRIM("AddTextureQuad", false, AddTextureQuad(UV(0), UV(1), UV(2), UV(3), t.tex, kTex, t.page)),
        PRIM("AddTextureQuadDimmed", false,
             AddTextureQuadDimmed(UV(0), UV(1), UV(2), UV(3), t.tex, kTex, a.factor, t.page)),
        PRIM("ShadeQuadLight", false, ShadeQuadLight(RGB(0), RGB(1), RGB(2), RGB(3), t.page)),
        PRIM("TextureQuadZ", false, TextureQuadZ(UVZ(0), UVZ(1), UVZ(2), UVZ(3), t.tex, kTex, t.depth, t.page)),
        PRIM("OfsTri", false, OfsTri(P(0), P(1), P(2), a.dx, a.dy, t.src, t.page)),
        PRIM("OfsTriLS", false,
             OfsTriLS(P(0), P(1), P(2), a.dx, a.dy, a.lr & 15, a.lg & 15, a.lb & 15, t.src, t.page)),
        PRIM("OfsTriSmooth", true, OfsTriSmooth(SRC(0), SRC(1), SRC(2), t.src, t.page)),
        PRIM("OfsTriSmoothLS", true, OfsTriSmoothLS(SRGB(0), SRGB(1), SRGB(2), t.src, t.page)),
        PRIM("OfsTriSmoothTexture", true, OfsTriSmoothTexture(SUV(0), SUV(1), SUV(2), t.src, t.tex, a.level, kTex, t.page)),
        PRIM("OfsTriSmoothAddTexture", true, OfsTriSmoothAddTexture(SUV(0), SUV(1), SUV(2), t.src, t.tex, kTex, t.page)),
    };
}

Args RandomArgs(std::mt19937 &rng, bool bits32, bool smooth) {
    Args a{};
    // Now and then far off the page, rarely so far that edges and rows span
    // more than a thousand pixels.
    const int far = Rand(rng, 0, 19), big = far == 0 ? 3000 : far <= 2 ? 400 : 30;
    for (auto &v : a.v) {
        v[0] = Rand(rng, -big, kW + big);
        v[1] = Rand(rng, -big, kH + big);
        v[2] = smooth ? Rand(rng, 0, kW - 1) : Rand(rng, 0, kTex - 1);
        v[3] = smooth ? Rand(rng, 0, kH - 1) : Rand(rng, 0, kTex - 1);
        // c: depth or red; d, e: colours or texel coordinates.
        v[4] = Rand(rng, 0, bits32 ? 255 : 31);
        v[5] = Rand(rng, 0, smooth ? kTex - 1 : (bits32 ? 255 : 63));
        v[6] = Rand(rng, 0, smooth ? kTex - 1 : (bits32 ? 255 : 31));
        if (Rand(rng, 0, 3) == 0) v[4] = Rand(rng, -2000, 2000);  // depths
    }
    a.level = Rand(rng, 0, 70);
    a.factor = Rand(rng, -10, 300);
    a.dx = Rand(rng, -kW, kW);
    a.dy = Rand(rng, -kH, kH);
    a.lr = Rand(rng, -20, 255);
    a.lg = Rand(rng, -20, 255);
    a.lb = Rand(rng, -20, 255);
    a.colour = rng() & (bits32 ? 0xFFFFFFu : 0xFFFFu);
    return a;
}

// A page set: destination (with edge buffers), depth, source, at one size.
struct Canvas {
    TestPage page, src;
    std::vector<int32_t> depth;
    Canvas(int w, int h, int bpp) : page(w, h, bpp), src(w, h, bpp), depth(size_t(w) * h) {
        EXPECT_EQ(AllocateScanLines(&page.page), 1u);
    }
    // The same page and source pixels as another canvas of this size.
    void CopyFrom(const Canvas &o) {
        CopyPixels(page, o.page);
        CopyPixels(src, o.src);
    }
};

struct Textures {
    std::vector<uint8_t> t24;
    std::vector<uint32_t> guarded;  // 32-bit texture with a marked margin
    const uint32_t *t32;
    explicit Textures(std::mt19937 &rng) : t24(RandomTexture24(rng, kTex, kTex)) {
        guarded.assign(size_t(kTex) * kTex + 2 * 4096, 0xFF000000u);  // texels have top byte 0
        for (int i = 0; i < kTex * kTex; ++i) guarded[4096 + i] = rng() & 0xFFFFFFu;
        t32 = guarded.data() + 4096;
    }
    const void *For(int bpp) const { return bpp == 32 ? static_cast<const void *>(t32) : t24.data(); }
};

// Small and large canvases hold the same pixels, source and depth in the
// overlap; the large source is black elsewhere, like the outside of a page.
void Prepare(Canvas &s, Canvas &b, int ox, int oy, std::mt19937 &rng) {
    FillRandom(s.page, rng);
    FillRandom(s.src, rng);
    FillRandom(b.page, rng);
    Clear(b.src);
    for (auto &d : s.depth) d = Fx(Rand(rng, -1000, 1000));
    for (auto &d : b.depth) d = 0;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const size_t si = size_t(y) * kW + x, bi = size_t(y + oy) * b.page.page.Width + x + ox;
            b.page.Set(x + ox, y + oy, s.page.At(x, y));
            b.src.Set(x + ox, y + oy, s.src.At(x, y));
            b.depth[bi] = s.depth[si];
        }
}

TEST(RasterProperties, SameOnALargerPageShiftedByAnOffset) {
    std::mt19937 rng(1234);
    Textures tex(rng);
    for (int bpp : {16, 32})
        for (const Prim &p : Prims())
            for (int round = 0; round < 60; ++round) {
                // A page that is its own texture reads other texels on a larger page.
                if (p.name == "TextureTriOnItsPage") break;
                const int ox = Rand(rng, 1, 20) * (bpp == 16 ? 2 : 1), oy = Rand(rng, 1, 20);
                Canvas s(kW, kH, bpp), b(kW + ox + 10, kH + oy + 7, bpp);
                Prepare(s, b, ox, oy, rng);
                const Args a = RandomArgs(rng, bpp == 32, p.smoothSource);
                p.draw(a, Target{&s.page.page, &s.src.page, tex.For(bpp), s.depth.data(), 0, 0});
                p.draw(a, Target{&b.page.page, &b.src.page, tex.For(bpp), b.depth.data(), ox, oy});
                // ShadeQuadLight on 32 bpp leaves out the top row it draws:
                // row 0 when clipped at the top, so that row is not compared.
                const int y0 = (p.name == "ShadeQuadLight" && bpp == 32) ? 1 : 0;
                for (int y = y0; y < kH; ++y)
                    for (int x = 0; x < kW; ++x) {
                        ASSERT_EQ(s.page.At(x, y), b.page.At(x + ox, y + oy))
                            << p.name << " bpp " << bpp << " round " << round << " at " << x << "," << y;
                        ASSERT_EQ(s.depth[size_t(y) * kW + x], b.depth[size_t(y + oy) * b.page.page.Width + x + ox]);
                    }
            }
}

TEST(RasterProperties, VertexOrderDoesNotMatter) {
    std::mt19937 rng(99);
    Textures tex(rng);
    for (int bpp : {16, 32})
        for (const Prim &p : Prims()) {
            if (p.name.find("Quad") != std::string::npos) continue;
            for (int round = 0; round < 40; ++round) {
                Args a = RandomArgs(rng, bpp == 32, p.smoothSource);
                // Ties in y are ordered by the sort, which only the solid fill
                // cannot see; keep the rows distinct for the others.
                if (p.name != "SolidTri" && (a.v[0][1] == a.v[1][1] || a.v[0][1] == a.v[2][1] || a.v[1][1] == a.v[2][1]))
                    continue;
                Canvas first(kW, kH, bpp), other(kW, kH, bpp);
                FillRandom(first.page, rng);
                FillRandom(first.src, rng);
                other.CopyFrom(first);
                p.draw(a, Target{&first.page.page, &first.src.page, tex.For(bpp), first.depth.data(), 0, 0});
                const auto want = Snapshot(first.page);
                int perm[3] = {0, 1, 2};
                Args orig = a;
                while (std::next_permutation(perm, perm + 3)) {
                    for (int i = 0; i < 3; ++i) std::copy(orig.v[perm[i]], orig.v[perm[i]] + 7, a.v[i]);
                    Canvas again(kW, kH, bpp);
                    again.CopyFrom(other);
                    p.draw(a, Target{&again.page.page, &again.src.page, tex.For(bpp), again.depth.data(), 0, 0});
                    ASSERT_EQ(Snapshot(again.page), want) << p.name << " bpp " << bpp << " round " << round;
                }
            }
        }
}

TEST(RasterProperties, SimdAndScalarAgreeAndTexturesStayInside) {
    std::mt19937 rng(4321);
    Textures tex(rng);
    for (const Prim &p : Prims()) {
        // The triangles with whole-triangle vector loops get more rounds.
        const bool loops = p.name.rfind("TextureTri", 0) == 0 || p.name == "ShadeTriLight";
        for (int round = 0; round < (loops ? 400 : 40); ++round) {
            // a: AVX2 where the processor has it, c: SSE2, b: scalar.
            Canvas a(kW, kH, 32), b(kW, kH, 32), c(kW, kH, 32);
            FillRandom(a.page, rng);
            FillRandom(a.src, rng);
            b.CopyFrom(a);
            c.CopyFrom(a);
            const Args args = RandomArgs(rng, true, p.smoothSource);
            const int was = ZentrixUseSimd(2);
            p.draw(args, Target{&a.page.page, &a.src.page, tex.t32, a.depth.data(), 0, 0});
            ZentrixUseSimd(1);
            p.draw(args, Target{&c.page.page, &c.src.page, tex.t32, c.depth.data(), 0, 0});
            ZentrixUseSimd(0);
            p.draw(args, Target{&b.page.page, &b.src.page, tex.t32, b.depth.data(), 0, 0});
            ZentrixUseSimd(was);
            ASSERT_EQ(Snapshot(a.page), Snapshot(b.page)) << p.name << " round " << round;
            ASSERT_EQ(Snapshot(c.page), Snapshot(b.page)) << p.name << " round " << round;
            // No texel from the marked margin around the texture was drawn.
            const bool copies = p.name.rfind("Texture", 0) == 0 || p.name.rfind("AddTexture", 0) == 0;
            if (copies && p.name.find("LS") == std::string::npos) {
                for (uint32_t px : Snapshot(a.page)) ASSERT_NE(px & 0xFF000000u, 0xFF000000u) << p.name;
            }
        }
    }
}

TEST(RasterProperties, LeftClippedSpanEqualsUnclippedFromColumnZero) {
    std::mt19937 rng(77);
    auto tex = RandomTexture32(rng, kTex, kTex);
    for (int round = 0; round < 300; ++round) {
        const int k = Rand(rng, 1, 40), len = Rand(rng, 0, 60);
        TestPage clipped(64, 1, 32), whole(128, 1, 32);
        FillRandom(clipped, rng);
        for (int x = 0; x < 64; ++x) whole.P32(x + k, 0) = clipped.P32(x, 0);
        const int32_t u1 = Rand(rng, 0, 31 << 16), v1 = Rand(rng, 0, 31 << 16), u2 = Rand(rng, 0, 31 << 16),
                      v2 = Rand(rng, 0, 31 << 16);
        const int kind = round % 4;
        auto draw = [&](int x1, int x2, defZENTRIXPAGE *pg) {
            switch (kind) {
            case 0: HTextureLine32(x1, u1, v1, x2, u2, v2, 0, tex.data(), kTex, pg); break;
            case 1: HAddTextureLine32(x1, u1, v1, x2, u2, v2, 0, tex.data(), kTex, pg); break;
            case 2: HShadeLineDark32(x1, u1 * 4, v1 * 4, u2 * 4, x2, v2 * 4, u1, v1, 0, pg); break;
            default: HTextureLineTrans32(x1, u1, v1, x2, u2, v2, 0, tex.data(), kTex, 40, pg); break;
            }
        };
        draw(-k, len - k, &clipped.page);
        draw(0, len, &whole.page);
        for (int x = 0; x < 64; ++x) ASSERT_EQ(clipped.P32(x, 0), whole.P32(x + k, 0)) << kind << " at " << x;
    }
}

}  // namespace
