// Triangles.cpp - the ten triangle rasterizers: solid, Gouraud-shaded
// (written, added, subtracted) and textured (plain, additive, translucent,
// dimmed, lit, depth-tested), each a triangle walk feeding a span routine.
#include "TriFrame.h"

#include <algorithm>

using namespace zx;

namespace {

using Vtx0 = TriVertex<0>;
using Vtx2 = TriVertex<2>;
using Vtx3 = TriVertex<3>;

using ShadeSpan = void (*)(int32_t, fixed16_t, fixed16_t, fixed16_t, int32_t, fixed16_t, fixed16_t, fixed16_t, int32_t,
                           defZENTRIXPAGE *);
using TexSpan = void (*)(int32_t, fixed16_t, fixed16_t, int32_t, fixed16_t, fixed16_t, int32_t, const void *, int32_t,
                         defZENTRIXPAGE *);
using TexSpan1 = void (*)(int32_t, fixed16_t, fixed16_t, int32_t, fixed16_t, fixed16_t, int32_t, const void *, int32_t,
                          int32_t, defZENTRIXPAGE *);

void ShadeTriWith(const Vtx3 &a, const Vtx3 &b, const Vtx3 &c, ShadeSpan span, defZENTRIXPAGE *page) {
    TriWalk<3>(a, b, c, page->Height, [&](const TriEdge<3> &p, const TriEdge<3> &q, int32_t y) {
        span(p.X(), p.A(0), p.A(1), p.A(2), q.X(), q.A(0), q.A(1), q.A(2), y, page);
    });
}

void TexTriWith(const Vtx2 &a, const Vtx2 &b, const Vtx2 &c, TexSpan span, const void *tex, int32_t tw, defZENTRIXPAGE *page) {
    TriWalk<2>(a, b, c, page->Height, [&](const TriEdge<2> &p, const TriEdge<2> &q, int32_t y) {
        span(p.X(), p.A(0), p.A(1), q.X(), q.A(0), q.A(1), y, tex, tw, page);
    });
}

void TexTriWith1(const Vtx2 &a, const Vtx2 &b, const Vtx2 &c, TexSpan1 span, const void *tex, int32_t tw, int32_t extra,
                 defZENTRIXPAGE *page) {
    TriWalk<2>(a, b, c, page->Height, [&](const TriEdge<2> &p, const TriEdge<2> &q, int32_t y) {
        span(p.X(), p.A(0), p.A(1), q.X(), q.A(0), q.A(1), y, tex, tw, extra, page);
    });
}

// Whether no texel a textured triangle reads can be a pixel of the page.
// Every U and V the walk and its spans produce lies between the vertices'
// smallest and largest value (the truncated steps fall short, never
// beyond), so with small texel coordinates and a positive width the texels
// read lie between index vmin * w + umin and vmax * w + umax.
bool TexelsApart(const Vtx2 &a, const Vtx2 &b, const Vtx2 &c, const void *tex, int32_t tw, const defZENTRIXPAGE *page) {
    constexpr int32_t kLimit = 1 << 14;
    if (tw < 1 || tw > (1 << 16)) return false;
    int32_t umin = a[2], umax = a[2], vmin = a[3], vmax = a[3];
    for (const Vtx2 *p : {&b, &c}) {
        umin = std::min(umin, (*p)[2]);
        umax = std::max(umax, (*p)[2]);
        vmin = std::min(vmin, (*p)[3]);
        vmax = std::max(vmax, (*p)[3]);
    }
    if (umin < -kLimit || vmin < -kLimit || umax >= kLimit || vmax >= kLimit) return false;
    const auto t = reinterpret_cast<uintptr_t>(tex), px = reinterpret_cast<uintptr_t>(page->pPageData);
    const int64_t lo = (int64_t(vmin) * tw + umin) * 4, hi = (int64_t(vmax) * tw + umax) * 4 + 4;
    const int64_t bytes = int64_t(page->Width) * page->Height * 4;
    // [t + lo, t + hi) against [px, px + bytes), in signed 64-bit offsets from px.
    const int64_t d = int64_t(t - px);
    return d + hi <= 0 || d + lo >= bytes;
}

// HTextureLine32 over a triangle on a 32-bit page.
void TexTri32(const Vtx2 &a, const Vtx2 &b, const Vtx2 &c, const void *tex, int32_t tw, defZENTRIXPAGE *page) {
    const bool apart = TexelsApart(a, b, c, tex, tw, page);
    const auto *t = static_cast<const uint32_t *>(tex);
    if (const TextureTriFn tri = TextureTri32For(apart)) {
        tri(a, b, c, t, tw, page);
        return;
    }
    const TextureRowFn row = TextureRow32For(apart);
    TriWalk<2>(a, b, c, page->Height, [&](const TriEdge<2> &p, const TriEdge<2> &q, int32_t y) {
        row(p.X(), p.A(0), p.A(1), q.X(), q.A(0), q.A(1), y, t, tw, page);
    });
}

}  // namespace

extern "C" {

ZENTRIX_API void SolidTri(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, uint32_t Colour,
                          defZENTRIXPAGE *page) {
    const int kind = PageKind(page);
    if (kind < 0) return;
    auto span = kind == 16 ? HSolidLine16 : HSolidLine32;
    TriWalk<0>(Vtx0{x1, y1}, Vtx0{x2, y2}, Vtx0{x3, y3}, page->Height,
               [&](const TriEdge<0> &p, const TriEdge<0> &q, int32_t y) { span(p.X(), q.X(), y, Colour, page); });
}

ZENTRIX_API void ShadeTri(int32_t x1, int32_t y1, int32_t r1, int32_t g1, int32_t b1, int32_t x2, int32_t y2, int32_t r2,
                          int32_t g2, int32_t b2, int32_t x3, int32_t y3, int32_t r3, int32_t g3, int32_t b3,
                          defZENTRIXPAGE *page) {
    const int kind = PageKind(page);
    if (kind < 0) return;
    ShadeTriWith(Vtx3{x1, y1, r1, g1, b1}, Vtx3{x2, y2, r2, g2, b2}, Vtx3{x3, y3, r3, g3, b3},
                 kind == 16 ? HShadeLine16 : HShadeLine32, page);
}

ZENTRIX_API void ShadeTriLight(int32_t x1, int32_t y1, int32_t r1, int32_t g1, int32_t b1, int32_t x2, int32_t y2,
                               int32_t r2, int32_t g2, int32_t b2, int32_t x3, int32_t y3, int32_t r3, int32_t g3,
                               int32_t b3, defZENTRIXPAGE *page) {
    const int kind = PageKind(page);
    if (kind < 0) return;
    const Vtx3 a{x1, y1, r1, g1, b1}, b{x2, y2, r2, g2, b2}, c{x3, y3, r3, g3, b3};
    if (kind == 32 && g_SpanSimd.load(std::memory_order_relaxed))
        ShadeLightTri32(a, b, c, page);
    else
        ShadeTriWith(a, b, c, kind == 16 ? HShadeLineLight16 : HShadeLineLight32, page);
}

ZENTRIX_API void ShadeTriDark(int32_t x1, int32_t y1, int32_t r1, int32_t g1, int32_t b1, int32_t x2, int32_t y2,
                              int32_t r2, int32_t g2, int32_t b2, int32_t x3, int32_t y3, int32_t r3, int32_t g3,
                              int32_t b3, defZENTRIXPAGE *page) {
    const int kind = PageKind(page);
    if (kind < 0) return;
    ShadeTriWith(Vtx3{x1, y1, r1, g1, b1}, Vtx3{x2, y2, r2, g2, b2}, Vtx3{x3, y3, r3, g3, b3},
                 kind == 16 ? HShadeLineDark16 : HShadeLineDark32, page);
}

ZENTRIX_API void TextureTri(int32_t x1, int32_t y1, int32_t U1, int32_t V1, int32_t x2, int32_t y2, int32_t U2, int32_t V2,
                            int32_t x3, int32_t y3, int32_t U3, int32_t V3, const void *Texture, int32_t TexWidth,
                            defZENTRIXPAGE *page) {
    const int kind = PageKind(page);
    if (kind < 0 || !Texture) return;
    const Vtx2 a{x1, y1, U1, V1}, b{x2, y2, U2, V2}, c{x3, y3, U3, V3};
    if (kind == 32)
        TexTri32(a, b, c, Texture, TexWidth, page);
    else
        TexTriWith(a, b, c, HTextureLine16, Texture, TexWidth, page);
}

ZENTRIX_API void AddTextureTri(int32_t x1, int32_t y1, int32_t U1, int32_t V1, int32_t x2, int32_t y2, int32_t U2,
                               int32_t V2, int32_t x3, int32_t y3, int32_t U3, int32_t V3, const void *Texture,
                               int32_t TexWidth, defZENTRIXPAGE *page) {
    const int kind = PageKind(page);
    if (kind < 0 || !Texture) return;
    TexTriWith(Vtx2{x1, y1, U1, V1}, Vtx2{x2, y2, U2, V2}, Vtx2{x3, y3, U3, V3},
               kind == 16 ? HAddTextureLine16 : HAddTextureLine32, Texture, TexWidth, page);
}

ZENTRIX_API void TextureTriTrans(int32_t x1, int32_t y1, int32_t U1, int32_t V1, int32_t x2, int32_t y2, int32_t U2,
                                 int32_t V2, int32_t x3, int32_t y3, int32_t U3, int32_t V3, const void *Texture,
                                 int32_t TexWidth, int32_t Level, defZENTRIXPAGE *page) {
    const int kind = PageKind(page);
    if (kind < 0 || !Texture || Level == 0) return;
    const Vtx2 a{x1, y1, U1, V1}, b{x2, y2, U2, V2}, c{x3, y3, U3, V3};
    if (Level >= 64 && kind == 32)
        TexTri32(a, b, c, Texture, TexWidth, page);
    else if (Level >= 64)
        TexTriWith(a, b, c, HTextureLine16, Texture, TexWidth, page);
    else
        TexTriWith1(a, b, c, kind == 16 ? HTextureLineTrans16 : HTextureLineTrans32, Texture, TexWidth, Level, page);
}

ZENTRIX_API void TextureTriDimmed(int32_t x1, int32_t y1, int32_t U1, int32_t V1, int32_t x2, int32_t y2, int32_t U2,
                                  int32_t V2, int32_t x3, int32_t y3, int32_t U3, int32_t V3, const void *Texture,
                                  int32_t TexWidth, int32_t Factor, defZENTRIXPAGE *page) {
    const int kind = PageKind(page);
    if (kind < 0 || !Texture || Factor == 0) return;
    const Vtx2 a{x1, y1, U1, V1}, b{x2, y2, U2, V2}, c{x3, y3, U3, V3};
    if (kind == 16) {
        // 16-bit pages have no dimmed span: the factor mixes as a level.
        if (Factor >= 64)
            TexTriWith(a, b, c, HTextureLine16, Texture, TexWidth, page);
        else
            TexTriWith1(a, b, c, HTextureLineTrans16, Texture, TexWidth, Factor, page);
    } else {
        if (Factor >= 255)
            TexTri32(a, b, c, Texture, TexWidth, page);
        else
            TexTriWith1(a, b, c, HTextureLineDimmed32, Texture, TexWidth, Factor, page);
    }
}

ZENTRIX_API void TextureTriLS(int32_t x1, int32_t y1, int32_t U1, int32_t V1, int32_t x2, int32_t y2, int32_t U2,
                              int32_t V2, int32_t x3, int32_t y3, int32_t U3, int32_t V3, int32_t LightRed,
                              int32_t LightGreen, int32_t LightBlue, const void *Texture, int32_t TexWidth,
                              defZENTRIXPAGE *page) {
    const int kind = PageKind(page);
    if (kind < 0 || !Texture) return;
    auto span = kind == 16 ? HTextureLineLS16 : HTextureLineLS32;
    TriWalk<2>(Vtx2{x1, y1, U1, V1}, Vtx2{x2, y2, U2, V2}, Vtx2{x3, y3, U3, V3}, page->Height,
               [&](const TriEdge<2> &p, const TriEdge<2> &q, int32_t y) {
                   span(p.X(), p.A(0), p.A(1), q.X(), q.A(0), q.A(1), y, LightRed, LightGreen, LightBlue, Texture,
                        TexWidth, page);
               });
}

ZENTRIX_API void TextureTriZ(int32_t x1, int32_t y1, int32_t U1, int32_t V1, int32_t z1, int32_t x2, int32_t y2,
                             int32_t U2, int32_t V2, int32_t z2, int32_t x3, int32_t y3, int32_t U3, int32_t V3,
                             int32_t z3, const void *Texture, int32_t TexWidth, void *DepthBuffer,
                             defZENTRIXPAGE *page) {
    const int kind = PageKind(page);
    if (kind < 0 || !Texture) return;
    if (kind == 16) {
        // No depth test on 16-bit pages.
        TexTriWith(Vtx2{x1, y1, U1, V1}, Vtx2{x2, y2, U2, V2}, Vtx2{x3, y3, U3, V3}, HTextureLine16, Texture, TexWidth, page);
        return;
    }
    TriWalk<3>(Vtx3{x1, y1, U1, V1, z1}, Vtx3{x2, y2, U2, V2, z2}, Vtx3{x3, y3, U3, V3, z3}, page->Height,
               [&](const TriEdge<3> &p, const TriEdge<3> &q, int32_t y) {
                   HTextureLineZ32(p.X(), p.A(0), p.A(1), p.A(2), q.X(), q.A(0), q.A(1), q.A(2), y, Texture, TexWidth,
                                   DepthBuffer, page);
               });
}

}  // extern "C"
