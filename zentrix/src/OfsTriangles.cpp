// OfsTriangles.cpp - the six offset-warp triangles: a triangle of the page
// filled from a second (source) page, shifted by a constant offset or warped
// by per-vertex source coordinates, optionally lit or mixed with a texture.
#include "TriFrame.h"

using namespace zx;

namespace {

using Vtx0 = TriVertex<0>;
using Vtx2 = TriVertex<2>;
using Vtx4 = TriVertex<4>;
using Vtx5 = TriVertex<5>;

// The source must have the destination's pixel size (its spans check it).
bool SourceOk(const defZENTRIXPAGE *Source, int kind) { return PageKind(Source) == kind; }

}  // namespace

extern "C" {

ZENTRIX_API void OfsTri(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t dx, int32_t dy,
                        const defZENTRIXPAGE *Source, defZENTRIXPAGE *page) {
    const int kind = PageKind(page);
    if (kind < 0 || !SourceOk(Source, kind)) return;
    auto span = kind == 16 ? HOfsLine16 : HOfsLine32;
    TriWalk<0>(Vtx0{x1, y1}, Vtx0{x2, y2}, Vtx0{x3, y3}, page->Height,
               [&](const TriEdge<0> &p, const TriEdge<0> &q, int32_t y) { span(p.X(), q.X(), y, dx, dy, Source, page); });
}

ZENTRIX_API void OfsTriLS(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t dx, int32_t dy,
                          int32_t LightRed, int32_t LightGreen, int32_t LightBlue, const defZENTRIXPAGE *Source,
                          defZENTRIXPAGE *page) {
    const int kind = PageKind(page);
    if (kind < 0 || !SourceOk(Source, kind)) return;
    auto span = kind == 16 ? HOfsLineLS16 : HOfsLineLS32;
    TriWalk<0>(Vtx0{x1, y1}, Vtx0{x2, y2}, Vtx0{x3, y3}, page->Height,
               [&](const TriEdge<0> &p, const TriEdge<0> &q, int32_t y) {
                   span(p.X(), q.X(), y, dx, dy, LightRed, LightGreen, LightBlue, Source, page);
               });
}

ZENTRIX_API void OfsTriSmooth(int32_t x1, int32_t y1, int32_t sx1, int32_t sy1, int32_t x2, int32_t y2, int32_t sx2,
                              int32_t sy2, int32_t x3, int32_t y3, int32_t sx3, int32_t sy3, const defZENTRIXPAGE *Source,
                              defZENTRIXPAGE *page) {
    const int kind = PageKind(page);
    if (kind < 0 || !SourceOk(Source, kind)) return;
    auto span = kind == 16 ? HOfsLineSmooth16 : HOfsLineSmooth32;
    TriWalk<2>(Vtx2{x1, y1, sx1, sy1}, Vtx2{x2, y2, sx2, sy2}, Vtx2{x3, y3, sx3, sy3}, page->Height,
               [&](const TriEdge<2> &p, const TriEdge<2> &q, int32_t y) {
                   span(p.X(), p.A(0), p.A(1), q.X(), q.A(0), q.A(1), y, Source, page);
               });
}

ZENTRIX_API void OfsTriSmoothLS(int32_t x1, int32_t y1, int32_t sx1, int32_t sy1, int32_t r1, int32_t g1, int32_t b1,
                                int32_t x2, int32_t y2, int32_t sx2, int32_t sy2, int32_t r2, int32_t g2, int32_t b2,
                                int32_t x3, int32_t y3, int32_t sx3, int32_t sy3, int32_t r3, int32_t g3, int32_t b3,
                                const defZENTRIXPAGE *Source, defZENTRIXPAGE *page) {
    const int kind = PageKind(page);
    if (kind < 0 || !SourceOk(Source, kind)) return;
    auto span = kind == 16 ? HOfsLineSmoothLS16 : HOfsLineSmoothLS32;
    TriWalk<5>(Vtx5{x1, y1, sx1, sy1, r1, g1, b1}, Vtx5{x2, y2, sx2, sy2, r2, g2, b2}, Vtx5{x3, y3, sx3, sy3, r3, g3, b3},
               page->Height, [&](const TriEdge<5> &p, const TriEdge<5> &q, int32_t y) {
                   span(p.X(), p.A(0), p.A(1), p.A(2), p.A(3), p.A(4), q.X(), q.A(0), q.A(1), q.A(2), q.A(3), q.A(4), y,
                        Source, page);
               });
}

ZENTRIX_API void OfsTriSmoothTexture(int32_t x1, int32_t y1, int32_t sx1, int32_t sy1, int32_t U1, int32_t V1, int32_t x2,
                                     int32_t y2, int32_t sx2, int32_t sy2, int32_t U2, int32_t V2, int32_t x3, int32_t y3,
                                     int32_t sx3, int32_t sy3, int32_t U3, int32_t V3, const defZENTRIXPAGE *Source,
                                     const void *Texture, int32_t Level, int32_t TexWidth, defZENTRIXPAGE *page) {
    const int kind = PageKind(page);
    if (kind < 0 || !SourceOk(Source, kind) || !Texture) return;
    auto span = kind == 16 ? HOfsLineSmoothTexture16 : HOfsLineSmoothTexture32;
    TriWalk<4>(Vtx4{x1, y1, sx1, sy1, U1, V1}, Vtx4{x2, y2, sx2, sy2, U2, V2}, Vtx4{x3, y3, sx3, sy3, U3, V3}, page->Height,
               [&](const TriEdge<4> &p, const TriEdge<4> &q, int32_t y) {
                   span(p.X(), p.A(0), p.A(1), p.A(2), p.A(3), q.X(), q.A(0), q.A(1), q.A(2), q.A(3), y, Source, Texture,
                        Level, TexWidth, page);
               });
}

ZENTRIX_API void OfsTriSmoothAddTexture(int32_t x1, int32_t y1, int32_t sx1, int32_t sy1, int32_t U1, int32_t V1,
                                        int32_t x2, int32_t y2, int32_t sx2, int32_t sy2, int32_t U2, int32_t V2,
                                        int32_t x3, int32_t y3, int32_t sx3, int32_t sy3, int32_t U3, int32_t V3,
                                        const defZENTRIXPAGE *Source, const void *Texture, int32_t TexWidth,
                                        defZENTRIXPAGE *page) {
    const int kind = PageKind(page);
    if (kind < 0 || !SourceOk(Source, kind) || !Texture) return;
    auto span = kind == 16 ? HOfsLineSmoothAddTexture16 : HOfsLineSmoothAddTexture32;
    TriWalk<4>(Vtx4{x1, y1, sx1, sy1, U1, V1}, Vtx4{x2, y2, sx2, sy2, U2, V2}, Vtx4{x3, y3, sx3, sy3, U3, V3}, page->Height,
               [&](const TriEdge<4> &p, const TriEdge<4> &q, int32_t y) {
                   span(p.X(), p.A(0), p.A(1), p.A(2), p.A(3), q.X(), q.A(0), q.A(1), q.A(2), q.A(3), y, Source, Texture,
                        TexWidth, page);
               });
}

}  // extern "C"
