// SpanFrame.h - the common frame of the span routines: ordering the ends,
// clipping to the page, 16.16 stepping, skip-first, and the texel cache.
// Each span routine is a pixel rule that SpanDraw runs over the clipped span.
#ifndef ZENTRIX_SPANFRAME_H
#define ZENTRIX_SPANFRAME_H

#include "Pixels.h"
#include "zentrix.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

// The frames are inlined into every routine that runs them, also where a
// routine and a whole-triangle loop share one.
#if defined(__GNUC__)
#define ZX_FRAME inline __attribute__((always_inline))
#else
#define ZX_FRAME inline
#endif

namespace zx {

using zentrix::AddColor16;

// The rasterizers' fixed-point values wrap modulo 2^32 like the processor
// registers they were designed for. Doing the arithmetic on uint32_t keeps
// in-range results bit-identical and out-of-range input defined.
inline uint32_t Wrap(int32_t v) { return static_cast<uint32_t>(v); }
inline int32_t Signed(uint32_t v) { return static_cast<int32_t>(v); }
// Integer part of a 16.16 value: arithmetic shift, toward minus infinity.
inline int32_t IntPart(uint32_t v) { return static_cast<int32_t>(v) >> 16; }
// Integer to 16.16 without the undefined left shift of a negative value.
inline uint32_t ToFixed(int32_t v) { return static_cast<uint32_t>(v) << 16; }
// Signed division of a wrapped 32-bit difference by a positive count,
// truncating toward zero (the count may exceed 32 bits for wild input).
inline uint32_t StepOf(uint32_t diff, int64_t count) {
    if (count <= INT32_MAX) return Wrap(Signed(diff) / static_cast<int32_t>(count));  // the common, faster division
    return static_cast<uint32_t>(static_cast<int32_t>(static_cast<int64_t>(Signed(diff)) / count));
}

// Whether the span routines may take their SSE2 loops (set by ZentrixUseSimd).
extern std::atomic<bool> g_SpanSimd;
// Whether the textured spans may take their AVX2 loops (processor has AVX2
// and ZentrixUseSimd(2), the default there).
extern std::atomic<bool> g_SpanAvx2;

inline bool Is16(const defZENTRIXPAGE *p) { return p->BPP == 0 || p->BPP == 16; }
inline bool Is32(const defZENTRIXPAGE *p) { return p->BPP == 32; }
// A page that can be drawn on (or read from) with pixels of the given size.
inline bool PageUsable(const defZENTRIXPAGE *p, bool bits32) {
    return p && p->pPageData && p->Width > 0 && p->Height > 0 && (bits32 ? Is32(p) : Is16(p));
}

// A rule with a bool Run(base, left, right, v, s) member has a vector loop;
// it returns false to leave the span to the per-pixel loop.
template <class R, class = void> struct HasRun : std::false_type {};
template <class R> struct HasRun<R, std::void_t<decltype(&R::Run)>> : std::true_type {};

template <int N> using Vals = std::array<uint32_t, N>;

// Draws row y of a page Width x Height from (x1, a) to (x2, b), both ends
// included (SkipFirst: left end left out). RoundMask bit k: value k gets
// one half added once so that its integer part is rounded. The rule gets
// the pixel's element index, its x and the current (wrapped) values.
template <int N, bool SkipFirst, uint32_t RoundMask, class Rule>
ZX_FRAME void SpanDraw(int32_t x1, std::array<int32_t, N> a, int32_t x2, std::array<int32_t, N> b, int32_t y,
                     int32_t Width, int32_t Height, Rule &rule) {
    if (y < 0 || y >= Height) return;
    if (x1 > x2) {
        std::swap(x1, x2);
        std::swap(a, b);
    }
    if (x2 < 0 || x1 >= Width) return;
    Vals<N> v{}, s{};
    for (int k = 0; k < N; ++k) v[k] = Wrap(a[k]);
    if (x1 != x2) {
        const int64_t n = int64_t(x2) - x1;
        for (int k = 0; k < N; ++k) s[k] = StepOf(Wrap(b[k]) - Wrap(a[k]), n);
    }
    int32_t left = x1, right = x2;
    if constexpr (SkipFirst) {
        if (left == right) return;
        ++left;
        for (int k = 0; k < N; ++k) v[k] += s[k];
    }
    if (left < 0) {
        // value - step * left, in wrapping arithmetic: the same as stepping
        // -left times, without walking.
        const uint32_t n = 0u - Wrap(left);
        for (int k = 0; k < N; ++k) v[k] += s[k] * n;
        left = 0;
    }
    if (right >= Width) right = Width - 1;
    if (left > right) return;
    for (int k = 0; k < N; ++k)
        if ((RoundMask >> k) & 1u) v[k] += 0x8000u;
    const size_t base = size_t(y) * size_t(Width);
    if constexpr (HasRun<Rule>::value) {
        if (g_SpanSimd.load(std::memory_order_relaxed) && rule.Run(base, left, right, v, s)) return;
    }
    for (int32_t x = left;; ++x) {
        rule.Pixel(base + size_t(x), x, v);
        if (x == right) break;
        for (int k = 0; k < N; ++k) v[k] += s[k];
    }
}

// HTextureLine32 for a caller that has checked the page and the texture:
// the routine for spans whose texels may be pixels of the page, or (apart)
// for spans whose texels are known not to be.
using TextureRowFn = void (*)(int32_t x1, int32_t U1, int32_t V1, int32_t x2, int32_t U2, int32_t V2, int32_t y,
                              const uint32_t *Texture, int32_t TexWidth, defZENTRIXPAGE *page);
TextureRowFn TextureRow32For(bool apart);

template <int N> using TriVertex = std::array<int32_t, 2 + N>;
// A whole textured triangle (HTextureLine32 rows) on a 32-bit page in one
// loop, for triangles whose texels are apart from the page; null when no
// such loop is on.
using TextureTriFn = void (*)(const TriVertex<2> &a, const TriVertex<2> &b, const TriVertex<2> &c,
                              const uint32_t *Texture, int32_t TexWidth, defZENTRIXPAGE *page);
TextureTriFn TextureTri32For(bool apart);

// ShadeTriLight on a 32-bit page: the walk and HShadeLineLight32's rows in
// one loop, without a call and the page checks per row.
void ShadeLightTri32(const TriVertex<3> &a, const TriVertex<3> &b, const TriVertex<3> &c, defZENTRIXPAGE *page);

// Texel index (V >> 16) * width + (U >> 16), in wrapping arithmetic.
inline int32_t TexelIndex(uint32_t u, uint32_t v, int32_t width) {
    return Signed(Wrap(IntPart(v)) * Wrap(width) + Wrap(IntPart(u)));
}

// The texel cache: a span fetches again only when the texel index changes.
struct TexelCache32 {
    const uint32_t *tex;
    int64_t last = INT64_MIN;
    uint32_t texel = 0;
    explicit TexelCache32(const void *t) : tex(static_cast<const uint32_t *>(t)) {}
    uint32_t Get(int32_t index) {
        if (index != last) {
            last = index;
            texel = tex[index];
        }
        return texel;
    }
};

// A 24-bit texel (red, green, blue bytes).
struct Rgb24 {
    uint32_t r, g, b;
};
inline Rgb24 Texel24(const uint8_t *tex, int32_t index) {
    const uint8_t *p = tex + ptrdiff_t(index) * 3;
    return {p[0], p[1], p[2]};
}
// 24-bit texel to 5-6-5.
inline uint32_t To565(Rgb24 t) { return ((t.r & 0xF8u) << 8) + ((t.g & 0xFCu) << 3) + (t.b >> 3); }

struct TexelCache24 {
    const uint8_t *tex;
    int64_t last = INT64_MIN;
    Rgb24 texel{0, 0, 0};
    explicit TexelCache24(const void *t) : tex(static_cast<const uint8_t *>(t)) {}
    Rgb24 Get(int32_t index) {
        if (index != last) {
            last = index;
            texel = Texel24(tex, index);
        }
        return texel;
    }
};

// Byte-wise saturating add of all four bytes (the scalar twin of paddusb).
inline uint32_t AddSat8x4(uint32_t a, uint32_t b) {
    const uint32_t low = (a & 0x7F7F7F7Fu) + (b & 0x7F7F7F7Fu);
    const uint32_t carry = ((a & b) | ((a | b) & low)) & 0x80808080u;
    const uint32_t sum = low ^ ((a ^ b) & 0x80808080u);
    return sum | ((carry >> 7) * 0xFFu);
}

}  // namespace zx

#endif
