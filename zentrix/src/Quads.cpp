// Quads.cpp - the eight quad rasterizers: the four edges are scanned into
// the page's edge buffers (leftmost and rightmost crossing of every row with
// the values carried there), then every row is drawn with a span routine.
#include "TriFrame.h"

#include <algorithm>

using namespace zx;

namespace {

constexpr int32_t kLeftSentinel = 2000 * 65536;    // 0x07D00000
constexpr int32_t kRightSentinel = -2000 * 65536;  // 0xF8300000
constexpr int32_t kMaxWidth = 2000;                // the sentinels lie off any narrower page

// Scans the edge from row yA to row yB into the edge buffers: n values
// (plane 0 is x), pairs[k] = {value at A, value at B}, integers that are
// carried in 16.16. A row keeps the leftmost and the rightmost crossing.
// The count is a template argument so that the per-row loops unroll.
template <int n>
void ScanEdge(int32_t yA, int32_t yB, int32_t Height, int32_t *LeftScans, int32_t *RightScans, int32_t (*pairs)[2]) {
    static_assert(n >= 1 && n < 15, "at most 14 planes");
    if (yA == yB) return;
    if (yA > yB) {
        std::swap(yA, yB);
        for (int k = 0; k < n; ++k) std::swap(pairs[k][0], pairs[k][1]);
    }
    if (yB < 0 || yA > Height) return;
    const int64_t dy = int64_t(yB) - yA;
    uint32_t cur[n], step[n];
    for (int k = 0; k < n; ++k) {
        cur[k] = ToFixed(pairs[k][0]);
        step[k] = StepOf((Wrap(pairs[k][1]) - Wrap(pairs[k][0])) << 16, dy);
    }
    if (yA < 0) {
        const uint32_t skip = 0u - Wrap(yA);
        for (int k = 0; k < n; ++k) cur[k] += step[k] * skip;
        yA = 0;
    }
    if (yB >= Height) yB = Height - 1;
    for (int32_t y = yA; y <= yB; ++y) {
        const int32_t x = Signed(cur[0]);
        // The first edge to reach a row sets both sides.
        if (x > RightScans[y])
            for (int k = 0; k < n; ++k) RightScans[size_t(k) * size_t(Height) + size_t(y)] = Signed(cur[k]);
        if (x < LeftScans[y])
            for (int k = 0; k < n; ++k) LeftScans[size_t(k) * size_t(Height) + size_t(y)] = Signed(cur[k]);
        for (int k = 0; k < n; ++k) cur[k] += step[k];
    }
}

// A corner: x, y, then N carried values.
template <int N> using Corner = std::array<int32_t, 2 + N>;

// Whether a page can take a quad: drawable, with edge buffers that match
// its height (a page resized after AllocateScanLines has stale ones), and
// narrow enough that the sentinels lie off the page.
int QuadPageKind(const defZENTRIXPAGE *page) {
    const int kind = PageKind(page);
    if (kind < 0 || !page->LeftScans || !page->RightScans) return -1;
    const uintptr_t split =
        reinterpret_cast<uintptr_t>(page->RightScans) - reinterpret_cast<uintptr_t>(page->LeftScans);
    if (split != uintptr_t(15) * uintptr_t(page->Height) * sizeof(int32_t)) return -1;
    if (page->Width > kMaxWidth) return -1;
    return kind;
}

// The quad frame: resets the planes, scans the four edges, and calls
// span(left values, right values, y) for the rows from the top corner
// (+ skipTop) to the bottom one on the page. Values: [0] is x in 16.16.
// A row no edge reached (all corners on one row) is not drawn.
template <int N, class Span>
void QuadWalk(const std::array<Corner<N>, 4> &c, defZENTRIXPAGE *page, int32_t skipTop, Span &&span) {
    const int32_t H = page->Height;
    int32_t *L = page->LeftScans, *R = page->RightScans;
    std::fill(L, L + size_t(1 + N) * size_t(H), kLeftSentinel);
    std::fill(R, R + size_t(1 + N) * size_t(H), kRightSentinel);
    for (int e = 0; e < 4; ++e) {
        const Corner<N> &a = c[e], &b = c[(e + 1) % 4];
        int32_t pairs[1 + N][2];
        pairs[0][0] = a[0];
        pairs[0][1] = b[0];
        for (int k = 1; k <= N; ++k) {
            pairs[k][0] = a[k + 1];
            pairs[k][1] = b[k + 1];
        }
        ScanEdge<1 + N>(a[1], b[1], H, L, R, pairs);
    }
    int32_t ymin = c[0][1], ymax = c[0][1];
    for (int e = 1; e < 4; ++e) {
        ymin = std::min(ymin, c[e][1]);
        ymax = std::max(ymax, c[e][1]);
    }
    const int64_t first = int64_t(std::max(ymin, 0)) + skipTop;
    const int32_t last = std::min(ymax, H - 1);
    for (int64_t yy = first; yy <= last; ++yy) {
        const int32_t y = int32_t(yy);
        if (L[y] > R[y]) continue;
        std::array<int32_t, 1 + N> lv, rv;
        for (int k = 0; k <= N; ++k) {
            lv[k] = L[size_t(k) * size_t(H) + size_t(y)];
            rv[k] = R[size_t(k) * size_t(H) + size_t(y)];
        }
        span(lv, rv, y);
    }
}

using C0 = Corner<0>;
using C2 = Corner<2>;
using C3 = Corner<3>;
using Q2 = std::array<C2, 4>;
using P3 = std::array<int32_t, 3>;

using TexSpan = void (*)(int32_t, fixed16_t, fixed16_t, int32_t, fixed16_t, fixed16_t, int32_t, const void *, int32_t,
                         defZENTRIXPAGE *);
using TexSpan1 = void (*)(int32_t, fixed16_t, fixed16_t, int32_t, fixed16_t, fixed16_t, int32_t, const void *, int32_t,
                          int32_t, defZENTRIXPAGE *);

// Left x truncated toward minus infinity (arithmetic shift).
inline int32_t Px(int32_t v) { return v >> 16; }

void TexQuadWith(const Q2 &q, TexSpan span, const void *tex, int32_t tw, defZENTRIXPAGE *page) {
    QuadWalk<2>(q, page, 0, [&](const P3 &l, const P3 &r, int32_t y) {
        span(Px(l[0]), l[1], l[2], Px(r[0]), r[1], r[2], y, tex, tw, page);
    });
}

void TexQuadWith1(const Q2 &q, TexSpan1 span, const void *tex, int32_t tw, int32_t extra, defZENTRIXPAGE *page) {
    QuadWalk<2>(q, page, 0, [&](const P3 &l, const P3 &r, int32_t y) {
        span(Px(l[0]), l[1], l[2], Px(r[0]), r[1], r[2], y, tex, tw, extra, page);
    });
}

}  // namespace

extern "C" {

ZENTRIX_API void SolidQuad(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t x4, int32_t y4,
                           uint32_t Colour, defZENTRIXPAGE *page) {
    const int kind = QuadPageKind(page);
    if (kind < 0) return;
    auto span = kind == 16 ? HSolidLine16 : HSolidLine32;
    QuadWalk<0>(std::array<C0, 4>{C0{x1, y1}, C0{x2, y2}, C0{x3, y3}, C0{x4, y4}}, page, 0,
                [&](const std::array<int32_t, 1> &l, const std::array<int32_t, 1> &r, int32_t y) {
                    // The right end alone is rounded.
                    span(Px(l[0]), IntPart(Wrap(r[0]) + 0x8000u), y, Colour, page);
                });
}

ZENTRIX_API void TextureQuad(int32_t x1, int32_t y1, int32_t U1, int32_t V1, int32_t x2, int32_t y2, int32_t U2, int32_t V2,
                             int32_t x3, int32_t y3, int32_t U3, int32_t V3, int32_t x4, int32_t y4, int32_t U4, int32_t V4,
                             const void *Texture, int32_t TexWidth, defZENTRIXPAGE *page) {
    const int kind = QuadPageKind(page);
    if (kind < 0 || !Texture) return;
    TexQuadWith(Q2{C2{x1, y1, U1, V1}, C2{x2, y2, U2, V2}, C2{x3, y3, U3, V3}, C2{x4, y4, U4, V4}},
                kind == 16 ? HTextureLine16 : HTextureLine32, Texture, TexWidth, page);
}

ZENTRIX_API void TextureMaskQuad(int32_t x1, int32_t y1, int32_t U1, int32_t V1, int32_t x2, int32_t y2, int32_t U2,
                                 int32_t V2, int32_t x3, int32_t y3, int32_t U3, int32_t V3, int32_t x4, int32_t y4,
                                 int32_t U4, int32_t V4, const void *Texture, int32_t TexWidth, uint32_t MaskColour,
                                 defZENTRIXPAGE *page) {
    const int kind = QuadPageKind(page);
    if (kind < 0 || !Texture) return;
    const Q2 q{C2{x1, y1, U1, V1}, C2{x2, y2, U2, V2}, C2{x3, y3, U3, V3}, C2{x4, y4, U4, V4}};
    if (kind == 16)  // 16-bit pages draw the texture whole
        TexQuadWith(q, HTextureLine16, Texture, TexWidth, page);
    else
        QuadWalk<2>(q, page, 0, [&](const P3 &l, const P3 &r, int32_t y) {
            HTextureMaskLine32(Px(l[0]), l[1], l[2], Px(r[0]), r[1], r[2], y, Texture, TexWidth, MaskColour, page);
        });
}

ZENTRIX_API void TextureQuadDimmed(int32_t x1, int32_t y1, int32_t U1, int32_t V1, int32_t x2, int32_t y2, int32_t U2,
                                   int32_t V2, int32_t x3, int32_t y3, int32_t U3, int32_t V3, int32_t x4, int32_t y4,
                                   int32_t U4, int32_t V4, const void *Texture, int32_t TexWidth, int32_t Factor,
                                   defZENTRIXPAGE *page) {
    const int kind = QuadPageKind(page);
    if (kind < 0 || !Texture || Factor <= 0) return;
    const Q2 q{C2{x1, y1, U1, V1}, C2{x2, y2, U2, V2}, C2{x3, y3, U3, V3}, C2{x4, y4, U4, V4}};
    if (kind == 16)
        TexQuadWith(q, HTextureLine16, Texture, TexWidth, page);
    else if (Factor >= 255)
        TexQuadWith(q, HTextureLine32, Texture, TexWidth, page);
    else
        TexQuadWith1(q, HTextureLineDimmed32, Texture, TexWidth, Factor, page);
}

ZENTRIX_API void AddTextureQuad(int32_t x1, int32_t y1, int32_t U1, int32_t V1, int32_t x2, int32_t y2, int32_t U2,
                                int32_t V2, int32_t x3, int32_t y3, int32_t U3, int32_t V3, int32_t x4, int32_t y4,
                                int32_t U4, int32_t V4, const void *Texture, int32_t TexWidth, defZENTRIXPAGE *page) {
    const int kind = QuadPageKind(page);
    if (kind < 0 || !Texture) return;
    TexQuadWith(Q2{C2{x1, y1, U1, V1}, C2{x2, y2, U2, V2}, C2{x3, y3, U3, V3}, C2{x4, y4, U4, V4}},
                kind == 16 ? HAddTextureLine16 : HAddTextureLine32, Texture, TexWidth, page);
}

ZENTRIX_API void AddTextureQuadDimmed(int32_t x1, int32_t y1, int32_t U1, int32_t V1, int32_t x2, int32_t y2, int32_t U2,
                                      int32_t V2, int32_t x3, int32_t y3, int32_t U3, int32_t V3, int32_t x4, int32_t y4,
                                      int32_t U4, int32_t V4, const void *Texture, int32_t TexWidth, int32_t Factor,
                                      defZENTRIXPAGE *page) {
    const int kind = QuadPageKind(page);
    if (kind < 0 || !Texture || Factor <= 0) return;
    const Q2 q{C2{x1, y1, U1, V1}, C2{x2, y2, U2, V2}, C2{x3, y3, U3, V3}, C2{x4, y4, U4, V4}};
    if (kind == 16)
        TexQuadWith(q, HAddTextureLine16, Texture, TexWidth, page);
    else if (Factor >= 256)
        TexQuadWith(q, HAddTextureLine32, Texture, TexWidth, page);
    else
        TexQuadWith1(q, HTextureLineLightDimmed32, Texture, TexWidth, Factor, page);
}

ZENTRIX_API void ShadeQuadLight(int32_t x1, int32_t y1, int32_t r1, int32_t g1, int32_t b1, int32_t x2, int32_t y2,
                                int32_t r2, int32_t g2, int32_t b2, int32_t x3, int32_t y3, int32_t r3, int32_t g3,
                                int32_t b3, int32_t x4, int32_t y4, int32_t r4, int32_t g4, int32_t b4,
                                defZENTRIXPAGE *page) {
    const int kind = QuadPageKind(page);
    if (kind < 0) return;
    const std::array<C3, 4> q{C3{x1, y1, r1, g1, b1}, C3{x2, y2, r2, g2, b2}, C3{x3, y3, r3, g3, b3},
                              C3{x4, y4, r4, g4, b4}};
    const int32_t xmin = std::min({x1, x2, x3, x4}), xmax = std::max({x1, x2, x3, x4});
    const int32_t ymin = std::min({y1, y2, y3, y4}), ymax = std::max({y1, y2, y3, y4});
    if (ymin >= page->Height || ymax < 0 || xmin >= page->Width || xmax < 0) return;
    const bool crosses = xmin < 0 || xmax >= page->Width;
    using P4 = std::array<int32_t, 4>;
    if (kind == 16) {
        QuadWalk<3>(q, page, 0, [&](const P4 &l, const P4 &r, int32_t y) {
            HShadeLineLight16(Px(l[0]), l[1], l[2], l[3], Px(r[0]), r[1], r[2], r[3], y, page);
        });
        return;
    }
    // 32-bit pages start one row below the top: the top row is not drawn.
    auto span = crosses ? HShadeLineLight32 : HNCShadeLineLight32;
    QuadWalk<3>(q, page, 1, [&](const P4 &l, const P4 &r, int32_t y) {
        span(Px(l[0]), l[1], l[2], l[3], Px(r[0]), r[1], r[2], r[3], y, page);
    });
}

ZENTRIX_API void TextureQuadZ(int32_t x1, int32_t y1, int32_t U1, int32_t V1, int32_t z1, int32_t x2, int32_t y2,
                              int32_t U2, int32_t V2, int32_t z2, int32_t x3, int32_t y3, int32_t U3, int32_t V3,
                              int32_t z3, int32_t x4, int32_t y4, int32_t U4, int32_t V4, int32_t z4,
                              const void *Texture, int32_t TexWidth, void *DepthBuffer, defZENTRIXPAGE *page) {
    const int kind = QuadPageKind(page);
    if (kind < 0 || !Texture) return;
    if (kind == 16) {
        // No depth test on 16-bit pages.
        TexQuadWith(Q2{C2{x1, y1, U1, V1}, C2{x2, y2, U2, V2}, C2{x3, y3, U3, V3}, C2{x4, y4, U4, V4}}, HTextureLine16,
                    Texture, TexWidth, page);
        return;
    }
    const std::array<C3, 4> q{C3{x1, y1, U1, V1, z1}, C3{x2, y2, U2, V2, z2}, C3{x3, y3, U3, V3, z3},
                              C3{x4, y4, U4, V4, z4}};
    using P4 = std::array<int32_t, 4>;
    QuadWalk<3>(q, page, 0, [&](const P4 &l, const P4 &r, int32_t y) {
        HTextureLineZ32(Px(l[0]), l[1], l[2], l[3], Px(r[0]), r[1], r[2], r[3], y, Texture, TexWidth, DepthBuffer, page);
    });
}

}  // extern "C"
