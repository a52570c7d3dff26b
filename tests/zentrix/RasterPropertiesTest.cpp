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

std::vector<Prim> Prims() {
    return {
        {"SolidTri", false, [](const Args &a, const Target &t) { SolidTri(X(0), Y(0), X(1), Y(1), X(2), Y(2), a.colour, t.page); }},
        {"ShadeTri", false, [](const Args &a, const Target &t) {
             ShadeTri(X(0), Y(0), C(0), D(0), E(0), X(1), Y(1), C(1), D(1), E(1), X(2), Y(2), C(2), D(2), E(2), t.page);
         }},
        {"ShadeTriLight", false, [](const Args &a, const Target &t) {
             ShadeTriLight(X(0), Y(0), C(0), D(0), E(0), X(1), Y(1), C(1), D(1), E(1), X(2), Y(2), C(2), D(2), E(2), t.page);
         }},
        {"ShadeTriDark", false, [](const Args &a, const Target &t) {
             ShadeTriDark(X(0), Y(0), C(0), D(0), E(0), X(1), Y(1), C(1), D(1), E(1), X(2), Y(2), C(2), D(2), E(2), t.page);
         }},
        {"TextureTri", false, [](const Args &a, const Target &t) {
             TextureTri(X(0), Y(0), A(0), B(0), X(1), Y(1), A(1), B(1), X(2), Y(2), A(2), B(2), t.tex, kTex, t.page);
         }},
        {"TextureTriOnItsPage", false, [](const Args &a, const Target &t) {
             // The page is its own texture: texels read may be pixels written.
             if (t.page->BPP != 32) return;
             TextureTri(X(0), Y(0), A(0), B(0), X(1), Y(1), A(1), B(1), X(2), Y(2), A(2), B(2), t.page->pPageData,
                        t.page->Width, t.page);
         }},
        {"AddTextureTri", false, [](const Args &a, const Target &t) {
             AddTextureTri(X(0), Y(0), A(0), B(0), X(1), Y(1), A(1), B(1), X(2), Y(2), A(2), B(2), t.tex, kTex, t.page);
         }},
        {"TextureTriTrans", false, [](const Args &a, const Target &t) {
             TextureTriTrans(X(0), Y(0), A(0), B(0), X(1), Y(1), A(1), B(1), X(2), Y(2), A(2), B(2), t.tex, kTex, a.level,
                             t.page);
         }},
        {"TextureTriDimmed", false, [](const Args &a, const Target &t) {
             TextureTriDimmed(X(0), Y(0), A(0), B(0), X(1), Y(1), A(1), B(1), X(2), Y(2), A(2), B(2), t.tex, kTex,
                              a.factor, t.page);
         }},
        {"TextureTriLS", false, [](const Args &a, const Target &t) {
             TextureTriLS(X(0), Y(0), A(0), B(0), X(1), Y(1), A(1), B(1), X(2), Y(2), A(2), B(2), a.lr, a.lg, a.lb, t.tex,
                          kTex, t.page);
         }},
        {"TextureTriZ", false, [](const Args &a, const Target &t) {
             TextureTriZ(X(0), Y(0), A(0), B(0), C(0), X(1), Y(1), A(1), B(1), C(1), X(2), Y(2), A(2), B(2), C(2), t.tex,
                         kTex, t.depth, t.page);
         }},
        {"SolidQuad", false, [](const Args &a, const Target &t) {
             SolidQuad(X(0), Y(0), X(1), Y(1), X(2), Y(2), X(3), Y(3), a.colour, t.page);
         }},
        {"TextureQuad", false, [](const Args &a, const Target &t) {
             TextureQuad(X(0), Y(0), A(0), B(0), X(1), Y(1), A(1), B(1), X(2), Y(2), A(2), B(2), X(3), Y(3), A(3), B(3),
                         t.tex, kTex, t.page);
         }},
        {"TextureMaskQuad", false, [](const Args &a, const Target &t) {
             TextureMaskQuad(X(0), Y(0), A(0), B(0), X(1), Y(1), A(1), B(1), X(2), Y(2), A(2), B(2), X(3), Y(3), A(3),
                             B(3), t.tex, kTex, static_cast<const uint32_t *>(t.tex)[5], t.page);
         }},
        {"TextureQuadDimmed", false, [](const Args &a, const Target &t) {
             TextureQuadDimmed(X(0), Y(0), A(0), B(0), X(1), Y(1), A(1), B(1), X(2), Y(2), A(2), B(2), X(3), Y(3), A(3),
                               B(3), t.tex, kTex, a.factor, t.page);
         }},
        {"AddTextureQuad", false, [](const Args &a, const Target &t) {
             AddTextureQuad(X(0), Y(0), A(0), B(0), X(1), Y(1), A(1), B(1), X(2), Y(2), A(2), B(2), X(3), Y(3), A(3), B(3),
                            t.tex, kTex, t.page);
         }},
        {"AddTextureQuadDimmed", false, [](const Args &a, const Target &t) {
             AddTextureQuadDimmed(X(0), Y(0), A(0), B(0), X(1), Y(1), A(1), B(1), X(2), Y(2), A(2), B(2), X(3), Y(3),
                                  A(3), B(3), t.tex, kTex, a.factor, t.page);
         }},
        {"ShadeQuadLight", false, [](const Args &a, const Target &t) {
             ShadeQuadLight(X(0), Y(0), C(0), D(0), E(0), X(1), Y(1), C(1), D(1), E(1), X(2), Y(2), C(2), D(2), E(2),
                            X(3), Y(3), C(3), D(3), E(3), t.page);
         }},
        {"TextureQuadZ", false, [](const Args &a, const Target &t) {
             TextureQuadZ(X(0), Y(0), A(0), B(0), C(0), X(1), Y(1), A(1), B(1), C(1), X(2), Y(2), A(2), B(2), C(2), X(3),
                          Y(3), A(3), B(3), C(3), t.tex, kTex, t.depth, t.page);
         }},
        {"OfsTri", false, [](const Args &a, const Target &t) {
             OfsTri(X(0), Y(0), X(1), Y(1), X(2), Y(2), a.dx, a.dy, t.src, t.page);
         }},
        {"OfsTriLS", false, [](const Args &a, const Target &t) {
             OfsTriLS(X(0), Y(0), X(1), Y(1), X(2), Y(2), a.dx, a.dy, a.lr & 15, a.lg & 15, a.lb & 15, t.src, t.page);
         }},
        {"OfsTriSmooth", true, [](const Args &a, const Target &t) {
             OfsTriSmooth(X(0), Y(0), SX(0), SY(0), X(1), Y(1), SX(1), SY(1), X(2), Y(2), SX(2), SY(2), t.src, t.page);
         }},
        {"OfsTriSmoothLS", true, [](const Args &a, const Target &t) {
             OfsTriSmoothLS(X(0), Y(0), SX(0), SY(0), C(0), D(0), E(0), X(1), Y(1), SX(1), SY(1), C(1), D(1), E(1), X(2),
                            Y(2), SX(2), SY(2), C(2), D(2), E(2), t.src, t.page);
         }},
        {"OfsTriSmoothTexture", true, [](const Args &a, const Target &t) {
             OfsTriSmoothTexture(X(0), Y(0), SX(0), SY(0), D(0), E(0), X(1), Y(1), SX(1), SY(1), D(1), E(1), X(2), Y(2),
                                 SX(2), SY(2), D(2), E(2), t.src, t.tex, a.level, kTex, t.page);
         }},
        {"OfsTriSmoothAddTexture", true, [](const Args &a, const Target &t) {
             OfsTriSmoothAddTexture(X(0), Y(0), SX(0), SY(0), D(0), E(0), X(1), Y(1), SX(1), SY(1), D(1), E(1), X(2),
                                    Y(2), SX(2), SY(2), D(2), E(2), t.src, t.tex, kTex, t.page);
         }},
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
            if (s.page.page.BPP == 32) {
                b.page.P32(x + ox, y + oy) = s.page.P32(x, y);
                b.src.P32(x + ox, y + oy) = s.src.P32(x, y);
            } else {
                b.page.P16(x + ox, y + oy) = s.page.P16(x, y);
                b.src.P16(x + ox, y + oy) = s.src.P16(x, y);
            }
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
                std::memcpy(other.page.page.pPageData, first.page.page.pPageData, first.page.Count() * bpp / 8);
                std::memcpy(other.src.page.pPageData, first.src.page.pPageData, first.src.Count() * bpp / 8);
                p.draw(a, Target{&first.page.page, &first.src.page, tex.For(bpp), first.depth.data(), 0, 0});
                const auto want = Snapshot(first.page);
                int perm[3] = {0, 1, 2};
                Args orig = a;
                while (std::next_permutation(perm, perm + 3)) {
                    for (int i = 0; i < 3; ++i) std::copy(orig.v[perm[i]], orig.v[perm[i]] + 7, a.v[i]);
                    Canvas again(kW, kH, bpp);
                    std::memcpy(again.page.page.pPageData, other.page.page.pPageData, first.page.Count() * bpp / 8);
                    std::memcpy(again.src.page.pPageData, first.src.page.pPageData, first.src.Count() * bpp / 8);
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
            for (Canvas *o : {&b, &c}) {
                std::memcpy(o->page.page.pPageData, a.page.page.pPageData, a.page.Count() * 4);
                std::memcpy(o->src.page.pPageData, a.src.page.pPageData, a.src.Count() * 4);
            }
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
