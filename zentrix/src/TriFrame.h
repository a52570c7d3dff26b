// TriFrame.h - the triangle walk shared by the triangle and offset-warp
// triangle rasterizers: sort by y, step three edges in 16.16, hand each row
// to a span routine. Rows are clipped to the page before the walk.
#ifndef ZENTRIX_TRIFRAME_H
#define ZENTRIX_TRIFRAME_H

#include "SpanFrame.h"

namespace zx {

// A vertex: x, y, then N attributes, all integers (TriVertex<N>).

// One edge: x and the attributes in 16.16 (index 0 is x), with their steps.
template <int N>
struct TriEdge {
    Vals<1 + N> v{}, s{};
    void Start(const TriVertex<N> &top, const TriVertex<N> &bottom) {
        const int64_t dy = int64_t(bottom[1]) - top[1];
#pragma GCC unroll 8
        for (int k = 0; k <= N; ++k) {
            const int j = k == 0 ? 0 : k + 1;
            v[k] = ToFixed(top[j]);
            s[k] = dy == 0 ? 0u : StepOf((Wrap(bottom[j]) - Wrap(top[j])) << 16, dy);
        }
    }
    // Moves n rows on: in wrapping arithmetic the same as n single steps.
    void Advance(uint32_t n) {
        for (int k = 0; k <= N; ++k) v[k] += s[k] * n;
    }
    void Step() {
        for (int k = 0; k <= N; ++k) v[k] += s[k];
    }
    // The x a span receives: rounded to the nearest pixel.
    int32_t X() const { return IntPart(v[0] + 0x8000u); }
    int32_t A(int k) const { return Signed(v[1 + k]); }
};

// The rows of a triangle that lie on the page: the vertices sorted by y,
// the three edges started at the first such row. Row y is drawn between
// the edges T->M and T->B above the middle row, T->B and M->B from it on.
template <int N>
struct TriRows {
    TriEdge<N> tm, tb, mb;
    int32_t yM = 0, first = 0, last = -1;
    // False when no row of the triangle is on the page.
    ZX_FRAME bool Begin(TriVertex<N> a, TriVertex<N> b, TriVertex<N> c, int32_t Height) {
        if (a[1] > b[1]) std::swap(a, b);
        if (a[1] > c[1]) std::swap(a, c);
        if (b[1] > c[1]) std::swap(b, c);
        const int32_t yT = a[1], yB = c[1];
        yM = b[1];
        first = yT < 0 ? 0 : yT;
        last = yB >= Height ? Height - 1 : yB;
        if (first > last) return false;
        tm.Start(a, b);
        tb.Start(a, c);
        mb.Start(b, c);
        // Rows above the page are skipped in one move, not walked.
        const uint32_t skipT = uint32_t(int64_t(first) - yT);
        tb.Advance(skipT);
        if (first < yM) tm.Advance(skipT);
        if (first > yM) mb.Advance(uint32_t(int64_t(first) - yM));
        return true;
    }
};

// Walks the triangle and calls span(first edge, second edge, y) for every
// row from the top vertex to the bottom one that lies on the page.
template <int N, class Span>
void TriWalk(TriVertex<N> a, TriVertex<N> b, TriVertex<N> c, int32_t Height, Span &&span) {
    TriRows<N> r;
    if (!r.Begin(a, b, c, Height)) return;
    for (int32_t y = r.first;; ++y) {
        if (y < r.yM) {
            span(r.tm, r.tb, y);
            r.tm.Step();
            r.tb.Step();
        } else {
            span(r.tb, r.mb, y);
            r.tb.Step();
            r.mb.Step();
        }
        if (y == r.last) break;
    }
}

// The span routine for a page's pixel size: 0 or 16 the 16-bit one, 32 the
// 32-bit one; -1 for a page that can't be drawn on.
inline int PageKind(const defZENTRIXPAGE *page) {
    if (!page || !page->pPageData || page->Width <= 0 || page->Height <= 0) return -1;
    if (page->BPP == 0 || page->BPP == 16) return 16;
    if (page->BPP == 32) return 32;
    return -1;
}

}  // namespace zx

#endif
