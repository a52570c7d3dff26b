// Speed of the span routines the demo leans on, of full-page operations, and
// of every operation that pixman also offers, next to pixman doing the same
// work: pairs BM_<Op>_Zentrix / BM_<Op>_Pixman, each side on the format and
// path its users would pick (pixman: a8r8g8b8, whose fast paths cover these
// operations; an a1 mask for aliased polygons). Pixel counts are reported as
// items (items_per_second = pixels/s) and bytes (4 a pixel).
// Run briefly on a shared machine: --benchmark_min_time=0.05
// --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include "zentrix.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace {

constexpr int kW = 400, kH = 308;

struct Page {
    defZENTRIXPAGE page{};
    Page(int w = kW, int h = kH) {
        CreateGFXPage(&page, w, h, 32);
        AllocateScanLines(&page);
        std::mt19937 rng(1);
        auto *p = Px();
        for (int i = 0; i < w * h; ++i) p[i] = rng() & 0x7F7F7Fu;
    }
    ~Page() { DeleteGFXPage(&page); }
    uint32_t *Px() { return static_cast<uint32_t *>(page.pPageData); }
};

std::vector<uint32_t> Texture(int w, int h) {
    std::vector<uint32_t> t(size_t(w) * h);
    std::mt19937 rng(2);
    for (auto &p : t) p = rng() & 0xFFFFFFu;
    return t;
}

// Benchmarks with an argument run on the loops it names: 0 scalar, 1 SSE2,
// 2 AVX2 for the textured spans (ZentrixUseSimd); restored afterwards.
struct Loops {
    int was;
    explicit Loops(const benchmark::State &state) : was(ZentrixUseSimd(int32_t(state.range(0)))) {}
    ~Loops() { ZentrixUseSimd(was); }
};

void Pixels(benchmark::State &state, int64_t perIteration) {
    state.SetItemsProcessed(state.iterations() * perIteration);
    state.SetBytesProcessed(state.iterations() * perIteration * 4);
}

// ---------------------------------------------------------------- spans
// A full page of 400-pixel spans, texture coordinates sweeping a 256 x 256
// texture at a slight magnification and slant (as the effects do).

template <class F>
void SpanPage(benchmark::State &state, F span) {
    Page p;
    for (auto _ : state) {
        for (int y = 0; y < kH; ++y) span(y, &p.page);
        benchmark::ClobberMemory();
    }
    Pixels(state, int64_t(kW) * kH);
}

const std::vector<uint32_t> &Tex256() {
    static const std::vector<uint32_t> t = Texture(256, 256);
    return t;
}
int32_t U0(int y) { return (y % 40) << 16; }
int32_t V0(int y) { return (y * 200 / kH) << 16; }
constexpr int32_t kUSpan = 200 << 16, kVSlant = 30 << 16;

void BM_HTextureLine32(benchmark::State &state) {
    Loops loops(state);
    SpanPage(state, [](int y, defZENTRIXPAGE *pg) {
        HTextureLine32(0, U0(y), V0(y), kW - 1, U0(y) + kUSpan, V0(y) + kVSlant / 2, y, Tex256().data(), 256, pg);
    });
}
void BM_HAddTextureLine32(benchmark::State &state) {
    Loops loops(state);
    SpanPage(state, [](int y, defZENTRIXPAGE *pg) {
        HAddTextureLine32(0, U0(y), V0(y), kW - 1, U0(y) + kUSpan, V0(y) + kVSlant / 2, y, Tex256().data(), 256, pg);
    });
}
void BM_HTextureLineDimmed32(benchmark::State &state) {
    SpanPage(state, [](int y, defZENTRIXPAGE *pg) {
        HTextureLineDimmed32(0, U0(y), V0(y), kW - 1, U0(y) + kUSpan, V0(y) + kVSlant / 2, y, Tex256().data(), 256, 180,
                             pg);
    });
}
void BM_HShadeLineLight32(benchmark::State &state) {
    SpanPage(state, [](int y, defZENTRIXPAGE *pg) {
        HShadeLineLight32(0, 10 << 16, (y / 2) << 16, 200 << 16, kW - 1, 120 << 16, 20 << 16, (y / 3) << 16, y, pg);
    });
}
void BM_HOfsLineSmooth32(benchmark::State &state) {
    Page src;
    SpanPage(state, [&](int y, defZENTRIXPAGE *pg) {
        HOfsLineSmooth32(0, 8 << 16, (y * 9 / 10 + 10) << 16, kW - 1, (kW - 9) << 16, (y * 9 / 10 + 5) << 16, y,
                         &src.page, pg);
    });
}
void BM_HOfsLineSmoothTexture32(benchmark::State &state) {
    Page src;
    SpanPage(state, [&](int y, defZENTRIXPAGE *pg) {
        HOfsLineSmoothTexture32(0, 8 << 16, (y * 9 / 10 + 10) << 16, U0(y), V0(y), kW - 1, (kW - 9) << 16,
                                (y * 9 / 10 + 5) << 16, U0(y) + kUSpan, V0(y) + kVSlant / 2, y, &src.page,
                                Tex256().data(), 24, 256, pg);
    });
}

BENCHMARK(BM_HTextureLine32)->ArgName("loops")->Arg(0)->Arg(1)->Arg(2);
BENCHMARK(BM_HAddTextureLine32)->ArgName("loops")->Arg(0)->Arg(1)->Arg(2);
BENCHMARK(BM_HShadeLineLight32);
BENCHMARK(BM_HTextureLineDimmed32);
BENCHMARK(BM_HOfsLineSmooth32);
BENCHMARK(BM_HOfsLineSmoothTexture32);

// ---------------------------------------------------------------- full page

// The feedback: the page drawn onto itself, zoomed in by a few pixels.
void BM_FeedbackTextureQuad(benchmark::State &state) {
    Page p;
    for (auto _ : state) {
        TextureQuad(-6, -5, 0, 0, kW + 5, -5, kW - 1, 0, kW + 5, kH + 4, kW - 1, kH - 1, -6, kH + 4, 0, kH - 1, p.Px(),
                    kW, &p.page);
        benchmark::ClobberMemory();
    }
    Pixels(state, int64_t(kW) * kH);
}

void BM_DimScreen32(benchmark::State &state) {
    Page p;
    for (auto _ : state) {
        DimScreen32(&p.page, 1, 2, 3);
        benchmark::ClobberMemory();
    }
    Pixels(state, int64_t(kW) * kH);
}

void BM_AddPut32Sprite250(benchmark::State &state) {
    Page p;
    defZENTRIXSPRITE s{};
    s.Width = 250;
    s.Height = 250;
    s.BPP = 32;
    AllocSprite32(&s);
    auto t = Texture(250, 250);
    std::copy(t.begin(), t.end(), static_cast<uint32_t *>(s.pSpriteData));
    for (auto _ : state) {
        AddPut32(&p.page, 75, 29, 250, 250, &s, 0, 0);
        benchmark::ClobberMemory();
    }
    FreeSprite32(&s);
    Pixels(state, 250 * 250);
}

// 1000 textured triangles of about 12 pixels a side spread over the page.
void BM_TexturedTriangles1000(benchmark::State &state) {
    Loops loops(state);
    Page p;
    std::mt19937 rng(3);
    std::vector<int> v(1000 * 12);
    for (size_t i = 0; i < v.size(); i += 12) {
        const int x = int(rng() % (kW - 16)), y = int(rng() % (kH - 16));
        const int tu = int(rng() % 240), tv = int(rng() % 240);
        const int q[12] = {x, y, tu, tv, x + 13, y + 2, tu + 15, tv, x + 4, y + 12, tu, tv + 15};
        std::copy(q, q + 12, v.begin() + long(i));
    }
    for (auto _ : state) {
        for (size_t i = 0; i < v.size(); i += 12) {
            const int *q = &v[i];
            TextureTri(q[0], q[1], q[2], q[3], q[4], q[5], q[6], q[7], q[8], q[9], q[10], q[11], Tex256().data(), 256,
                       &p.page);
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 1000);  // triangles
}

// 1000 additive Gouraud triangles of about 12 pixels a side (ShadeTriLight).
void BM_ShadedLightTriangles1000(benchmark::State &state) {
    Loops loops(state);
    Page p;
    std::mt19937 rng(4);
    std::vector<int> v(1000 * 15);
    for (size_t i = 0; i < v.size(); i += 15) {
        const int x = int(rng() % (kW - 16)), y = int(rng() % (kH - 16));
        const int q[15] = {x, y, int(rng() % 256), int(rng() % 256), int(rng() % 256), x + 13, y + 2, int(rng() % 256),
                           int(rng() % 256), int(rng() % 256), x + 4, y + 12, int(rng() % 256), int(rng() % 256),
                           int(rng() % 256)};
        std::copy(q, q + 15, v.begin() + long(i));
    }
    for (auto _ : state) {
        for (size_t i = 0; i < v.size(); i += 15) {
            const int *q = &v[i];
            ShadeTriLight(q[0], q[1], q[2], q[3], q[4], q[5], q[6], q[7], q[8], q[9], q[10], q[11], q[12], q[13], q[14],
                          &p.page);
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 1000);  // triangles
}

BENCHMARK(BM_FeedbackTextureQuad);
BENCHMARK(BM_DimScreen32);
BENCHMARK(BM_AddPut32Sprite250);
BENCHMARK(BM_TexturedTriangles1000)->ArgName("loops")->Arg(0)->Arg(1)->Arg(2);
BENCHMARK(BM_ShadedLightTriangles1000)->ArgName("loops")->Arg(0)->Arg(1)->Arg(2);

// ---------------------------------------------------------------- against pixman

// Pages and pictures as pixman images in a8r8g8b8: the format of pixman's
// fast paths for ADD and scaling (x8r8g8b8 sends ADD down a general path).
pixman_image_t *Wrap(Page &p) {
    return pixman_image_create_bits(PIXMAN_a8r8g8b8, p.page.Width, p.page.Height, p.Px(), p.page.Width * 4);
}
pixman_image_t *WrapBits(std::vector<uint32_t> &t, int w, int h) {
    return pixman_image_create_bits(PIXMAN_a8r8g8b8, w, h, t.data(), w * 4);
}

// The page fill (Cls32); a quad over the whole page for comparison.
void BM_SolidFill_Zentrix(benchmark::State &state) {
    Page p;
    for (auto _ : state) {
        Cls32(&p.page, 0x33, 0x66, 0x99);
        benchmark::ClobberMemory();
    }
    Pixels(state, int64_t(kW) * kH);
}
void BM_SolidQuadPage(benchmark::State &state) {
    Page p;
    for (auto _ : state) {
        SolidQuad(0, 0, kW - 1, 0, kW - 1, kH - 1, 0, kH - 1, 0x00336699, &p.page);
        benchmark::ClobberMemory();
    }
    Pixels(state, int64_t(kW) * kH);
}
void BM_SolidFill_Pixman(benchmark::State &state) {
    Page p;
    pixman_image_t *img = Wrap(p);
    const pixman_color_t c{0x3333, 0x6666, 0x9999, 0xFFFF};
    const pixman_rectangle16_t r{0, 0, kW, kH};
    for (auto _ : state) {
        pixman_image_fill_rectangles(PIXMAN_OP_SRC, img, &c, 1, &r);
        benchmark::ClobberMemory();
    }
    pixman_image_unref(img);
    Pixels(state, int64_t(kW) * kH);
}

// A whole 400 x 308 picture added to the page with saturation.
void BM_SaturatingAdd_Zentrix(benchmark::State &state) {
    Page p;
    defZENTRIXSPRITE s{};
    s.Width = kW;
    s.Height = kH;
    s.BPP = 32;
    AllocSprite32(&s);
    auto t = Texture(kW, kH);
    std::copy(t.begin(), t.end(), static_cast<uint32_t *>(s.pSpriteData));
    for (auto _ : state) {
        AddPut32(&p.page, 0, 0, kW, kH, &s, 0, 0);
        benchmark::ClobberMemory();
    }
    FreeSprite32(&s);
    Pixels(state, int64_t(kW) * kH);
}
void BM_SaturatingAdd_Pixman(benchmark::State &state) {
    Page p;
    auto t = Texture(kW, kH);
    pixman_image_t *dst = Wrap(p);
    pixman_image_t *src = WrapBits(t, kW, kH);
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_ADD, src, nullptr, dst, 0, 0, 0, 0, 0, 0, kW, kH);
        benchmark::ClobberMemory();
    }
    pixman_image_unref(src);
    pixman_image_unref(dst);
    Pixels(state, int64_t(kW) * kH);
}

// A 400 x 308 picture rotated by 10 degrees and scaled by 1.25 about the
// centre, nearest neighbour; the result covers the whole page.
constexpr double kAngle = 10.0 * 3.14159265358979 / 180.0, kScale = 1.25;

void BM_NearestAffine_Zentrix(benchmark::State &state) {
    Loops loops(state);
    Page p;
    auto t = Texture(kW, kH);
    const double c = std::cos(kAngle) * kScale, s = std::sin(kAngle) * kScale;
    int x[4], y[4];
    const int u[4] = {0, kW - 1, kW - 1, 0}, v[4] = {0, 0, kH - 1, kH - 1};
    for (int i = 0; i < 4; ++i) {
        const double dx = u[i] + 0.5 - kW / 2.0, dy = v[i] + 0.5 - kH / 2.0;
        x[i] = int(std::lround(kW / 2.0 + c * dx - s * dy));
        y[i] = int(std::lround(kH / 2.0 + s * dx + c * dy));
    }
    for (auto _ : state) {
        TextureQuad(x[0], y[0], u[0], v[0], x[1], y[1], u[1], v[1], x[2], y[2], u[2], v[2], x[3], y[3], u[3], v[3],
                    t.data(), kW, &p.page);
        benchmark::ClobberMemory();
    }
    Pixels(state, int64_t(kW) * kH);
}
void BM_NearestAffine_Pixman(benchmark::State &state) {
    Page p;
    auto t = Texture(kW, kH);
    pixman_image_t *dst = Wrap(p);
    pixman_image_t *src = WrapBits(t, kW, kH);
    // Destination to source: the inverse of the rotation and scale.
    const double c = std::cos(kAngle) / kScale, s = std::sin(kAngle) / kScale;
    pixman_f_transform_t f;
    f.m[0][0] = c;
    f.m[0][1] = s;
    f.m[0][2] = kW / 2.0 - (c * kW / 2.0 + s * kH / 2.0);
    f.m[1][0] = -s;
    f.m[1][1] = c;
    f.m[1][2] = kH / 2.0 - (-s * kW / 2.0 + c * kH / 2.0);
    f.m[2][0] = 0;
    f.m[2][1] = 0;
    f.m[2][2] = 1;
    pixman_transform_t m;
    pixman_transform_from_pixman_f_transform(&m, &f);
    pixman_image_set_transform(src, &m);
    pixman_image_set_filter(src, PIXMAN_FILTER_NEAREST, nullptr, 0);
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_SRC, src, nullptr, dst, 0, 0, 0, 0, 0, 0, kW, kH);
        benchmark::ClobberMemory();
    }
    pixman_image_unref(src);
    pixman_image_unref(dst);
    Pixels(state, int64_t(kW) * kH);
}

// ---- the zoom: a 400 x 308 picture scaled up about the centre so that it
// covers the page (the feedback's zoom, here from a separate picture as
// pixman needs), nearest neighbour. Both sides sample every destination
// pixel from one source texel; pixman from a transform matrix per image.
constexpr int kZoomX0 = -6, kZoomY0 = -5, kZoomX1 = kW + 5, kZoomY1 = kH + 4;

template <class Quad>
void ZoomQuad(Quad quad) {
    quad(kZoomX0, kZoomY0, 0, 0, kZoomX1, kZoomY0, kW - 1, 0, kZoomX1, kZoomY1, kW - 1, kH - 1, kZoomX0, kZoomY1, 0,
         kH - 1);
}

// The source transform of the same zoom for pixman (destination to source).
void SetZoomTransform(pixman_image_t *src) {
    const double sx = double(kW - 1) / (kZoomX1 - kZoomX0), sy = double(kH - 1) / (kZoomY1 - kZoomY0);
    pixman_f_transform_t f{};
    f.m[0][0] = sx;
    f.m[0][2] = -kZoomX0 * sx;
    f.m[1][1] = sy;
    f.m[1][2] = -kZoomY0 * sy;
    f.m[2][2] = 1;
    pixman_transform_t m;
    pixman_transform_from_pixman_f_transform(&m, &f);
    pixman_image_set_transform(src, &m);
    pixman_image_set_filter(src, PIXMAN_FILTER_NEAREST, nullptr, 0);
}

// op with the zoomed picture as source and an optional mask, over the page.
void ZoomPixman(benchmark::State &state, pixman_op_t op, pixman_image_t *mask) {
    Page p;
    auto t = Texture(kW, kH);
    pixman_image_t *dst = Wrap(p);
    pixman_image_t *src = WrapBits(t, kW, kH);
    SetZoomTransform(src);
    for (auto _ : state) {
        pixman_image_composite32(op, src, mask, dst, 0, 0, 0, 0, 0, 0, kW, kH);
        benchmark::ClobberMemory();
    }
    pixman_image_unref(src);
    pixman_image_unref(dst);
    Pixels(state, int64_t(kW) * kH);
}

// Plain zoom: TextureQuad; pixman SRC of the scaled picture.
void BM_NearestZoom_Zentrix(benchmark::State &state) {
    Loops loops(state);
    Page p;
    auto t = Texture(kW, kH);
    for (auto _ : state) {
        ZoomQuad([&](auto... a) { TextureQuad(a..., t.data(), kW, &p.page); });
        benchmark::ClobberMemory();
    }
    Pixels(state, int64_t(kW) * kH);
}
void BM_NearestZoom_Pixman(benchmark::State &state) { ZoomPixman(state, PIXMAN_OP_SRC, nullptr); }

// Dimmed zoom: TextureQuadDimmed (each channel times 180/256); pixman SRC
// of the scaled picture through a solid mask of alpha 180/255.
void BM_DimmedZoom_Zentrix(benchmark::State &state) {
    Page p;
    auto t = Texture(kW, kH);
    for (auto _ : state) {
        ZoomQuad([&](auto... a) { TextureQuadDimmed(a..., t.data(), kW, 180, &p.page); });
        benchmark::ClobberMemory();
    }
    Pixels(state, int64_t(kW) * kH);
}
void BM_DimmedZoom_Pixman(benchmark::State &state) {
    const pixman_color_t c{0, 0, 0, 180 * 257};
    pixman_image_t *mask = pixman_image_create_solid_fill(&c);
    ZoomPixman(state, PIXMAN_OP_SRC, mask);
    pixman_image_unref(mask);
}

// Added zoom: AddTextureQuad (HAddTextureLine32 per row, saturating);
// pixman ADD of the scaled picture.
void BM_AddZoom_Zentrix(benchmark::State &state) {
    Page p;
    auto t = Texture(kW, kH);
    for (auto _ : state) {
        ZoomQuad([&](auto... a) { AddTextureQuad(a..., t.data(), kW, &p.page); });
        benchmark::ClobberMemory();
    }
    Pixels(state, int64_t(kW) * kH);
}
void BM_AddZoom_Pixman(benchmark::State &state) { ZoomPixman(state, PIXMAN_OP_ADD, nullptr); }

// A colour added to the whole page with saturation: BrightenScreen32;
// pixman ADD of a solid colour.
void BM_AddSolid_Zentrix(benchmark::State &state) {
    Page p;
    for (auto _ : state) {
        BrightenScreen32(&p.page, 3, 2, 1);
        benchmark::ClobberMemory();
    }
    Pixels(state, int64_t(kW) * kH);
}
void BM_AddSolid_Pixman(benchmark::State &state) {
    Page p;
    pixman_image_t *dst = Wrap(p);
    const pixman_color_t c{0x0303, 0x0202, 0x0101, 0};
    pixman_image_t *src = pixman_image_create_solid_fill(&c);
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_ADD, src, nullptr, dst, 0, 0, 0, 0, 0, 0, kW, kH);
        benchmark::ClobberMemory();
    }
    pixman_image_unref(src);
    pixman_image_unref(dst);
    Pixels(state, int64_t(kW) * kH);
}

// ---- solid polygons: 200 triangles and 200 quads (squares of side 28
// turned by 30 degrees) spread over the page, aliased. zentrix draws each
// with its span routine; pixman rasterizes all of them into an a1 mask in
// one call and composites the colour through it (its way to draw many
// polygons; a8 would add antialiasing, which zentrix does not do).
struct Polys {
    std::vector<int> tri;   // 6 a triangle
    std::vector<int> quad;  // 8 a quad
    int triPixels = 0, quadPixels = 0;
    Polys() {
        std::mt19937 rng(5);
        for (int k = 0; k < 200; ++k) {
            const int x = 10 + int(rng() % (kW - 50)), y = 10 + int(rng() % (kH - 50));
            const int t[6] = {x, y, x + 30, y + 5, x + 8, y + 28};
            tri.insert(tri.end(), t, t + 6);
            const double c = std::cos(0.5236) * 28, s = std::sin(0.5236) * 28;
            const int q[8] = {x, y, x + int(c), y + int(s), x + int(c - s), y + int(s + c), x - int(s), y + int(c)};
            quad.insert(quad.end(), q, q + 8);
        }
    }
};
const Polys &ThePolys() {
    static const Polys p;
    return p;
}

void BM_SolidTriangles_Zentrix(benchmark::State &state) {
    Page p;
    const auto &v = ThePolys().tri;
    for (auto _ : state) {
        for (size_t i = 0; i < v.size(); i += 6) SolidTri(v[i], v[i + 1], v[i + 2], v[i + 3], v[i + 4], v[i + 5], 0x336699, &p.page);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 200);  // triangles
}
void BM_SolidTriangles_Pixman(benchmark::State &state) {
    Page p;
    pixman_image_t *dst = Wrap(p);
    const pixman_color_t c{0x3333, 0x6666, 0x9999, 0xFFFF};
    pixman_image_t *src = pixman_image_create_solid_fill(&c);
    const auto &v = ThePolys().tri;
    std::vector<pixman_triangle_t> t;
    for (size_t i = 0; i < v.size(); i += 6)
        t.push_back({{pixman_int_to_fixed(v[i]), pixman_int_to_fixed(v[i + 1])},
                     {pixman_int_to_fixed(v[i + 2]), pixman_int_to_fixed(v[i + 3])},
                     {pixman_int_to_fixed(v[i + 4]), pixman_int_to_fixed(v[i + 5])}});
    for (auto _ : state) {
        pixman_composite_triangles(PIXMAN_OP_SRC, src, dst, PIXMAN_a1, 0, 0, 0, 0, int(t.size()), t.data());
        benchmark::ClobberMemory();
    }
    pixman_image_unref(src);
    pixman_image_unref(dst);
    state.SetItemsProcessed(state.iterations() * 200);
}

// A convex polygon cut at every vertex row into pixman trapezoids.
void AddTrapezoids(const int *xy, int n, std::vector<pixman_trapezoid_t> &out) {
    std::vector<int> ys;
    for (int i = 0; i < n; ++i) ys.push_back(xy[2 * i + 1]);
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
    for (size_t b = 0; b + 1 < ys.size(); ++b) {
        const double mid = (ys[b] + ys[b + 1]) / 2.0;
        pixman_line_fixed_t edge[2];
        double ex[2];
        int found = 0;
        for (int i = 0; i < n && found < 2; ++i) {
            const int *a = xy + 2 * i, *c = xy + 2 * ((i + 1) % n);
            if ((a[1] < mid) == (c[1] < mid)) continue;
            ex[found] = a[0] + (mid - a[1]) * (c[0] - a[0]) / double(c[1] - a[1]);
            edge[found] = {{pixman_int_to_fixed(a[0]), pixman_int_to_fixed(a[1])},
                           {pixman_int_to_fixed(c[0]), pixman_int_to_fixed(c[1])}};
            ++found;
        }
        if (found < 2) continue;
        const int l = ex[0] < ex[1] ? 0 : 1;
        out.push_back({pixman_int_to_fixed(ys[b]), pixman_int_to_fixed(ys[b + 1]), edge[l], edge[1 - l]});
    }
}

void BM_SolidQuads_Zentrix(benchmark::State &state) {
    Page p;
    const auto &v = ThePolys().quad;
    for (auto _ : state) {
        for (size_t i = 0; i < v.size(); i += 8)
            SolidQuad(v[i], v[i + 1], v[i + 2], v[i + 3], v[i + 4], v[i + 5], v[i + 6], v[i + 7], 0x336699, &p.page);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 200);  // quads
}
void BM_SolidQuads_Pixman(benchmark::State &state) {
    Page p;
    pixman_image_t *dst = Wrap(p);
    const pixman_color_t c{0x3333, 0x6666, 0x9999, 0xFFFF};
    pixman_image_t *src = pixman_image_create_solid_fill(&c);
    const auto &v = ThePolys().quad;
    std::vector<pixman_trapezoid_t> t;
    for (size_t i = 0; i < v.size(); i += 8) AddTrapezoids(&v[i], 4, t);
    for (auto _ : state) {
        pixman_composite_trapezoids(PIXMAN_OP_SRC, src, dst, PIXMAN_a1, 0, 0, 0, 0, int(t.size()), t.data());
        benchmark::ClobberMemory();
    }
    pixman_image_unref(src);
    pixman_image_unref(dst);
    state.SetItemsProcessed(state.iterations() * 200);
}

BENCHMARK(BM_NearestZoom_Zentrix)->ArgName("loops")->Arg(0)->Arg(1)->Arg(2);
BENCHMARK(BM_NearestZoom_Pixman);
BENCHMARK(BM_DimmedZoom_Zentrix);
BENCHMARK(BM_DimmedZoom_Pixman);
BENCHMARK(BM_AddZoom_Zentrix);
BENCHMARK(BM_AddZoom_Pixman);
BENCHMARK(BM_AddSolid_Zentrix);
BENCHMARK(BM_AddSolid_Pixman);
BENCHMARK(BM_SolidTriangles_Zentrix);
BENCHMARK(BM_SolidTriangles_Pixman);
BENCHMARK(BM_SolidQuads_Zentrix);
BENCHMARK(BM_SolidQuads_Pixman);
BENCHMARK(BM_SolidFill_Zentrix);
BENCHMARK(BM_SolidFill_Pixman);
BENCHMARK(BM_SolidQuadPage);
BENCHMARK(BM_SaturatingAdd_Zentrix);
BENCHMARK(BM_SaturatingAdd_Pixman);
BENCHMARK(BM_NearestAffine_Zentrix)->ArgName("loops")->Arg(0)->Arg(1)->Arg(2);
BENCHMARK(BM_NearestAffine_Pixman);

}  // namespace

BENCHMARK_MAIN();
