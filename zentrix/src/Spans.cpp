// Spans.cpp - the 33 horizontal span routines: each is its pixel rule run by
// the common frame of SpanFrame.h. 16-bit rules draw 5-6-5 from 24-bit
// textures, 32-bit rules 0x00RRGGBB; the hot 32-bit rules have SSE2 loops.
#include "TriFrame.h"
#include "Saturate.h"
#include "StepLanes.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__SSE2__) && defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define ZX_AVX2_PATH 1  // AVX2 loops compiled beside SSE2, chosen at run time
#endif

namespace zx {

#if defined(__SSE2__)
std::atomic<bool> g_SpanSimd{true};
#else
std::atomic<bool> g_SpanSimd{false};
#endif

namespace {
bool CpuHasAvx2() {
#if defined(ZX_AVX2_PATH)
    __builtin_cpu_init();  // may run before the processor check's own start-up
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}
}  // namespace

// Whether the textured spans may take their AVX2 loops (on top of SSE2).
std::atomic<bool> g_SpanAvx2{CpuHasAvx2()};

namespace {

using A0 = std::array<int32_t, 0>;
using A2 = std::array<int32_t, 2>;
using A3 = std::array<int32_t, 3>;
using A4 = std::array<int32_t, 4>;
using A5 = std::array<int32_t, 5>;

constexpr uint32_t kAll = 0xFFFFFFFFu;

uint16_t *Px16(defZENTRIXPAGE *p) { return static_cast<uint16_t *>(p->pPageData); }
uint32_t *Px32(defZENTRIXPAGE *p) { return static_cast<uint32_t *>(p->pPageData); }

// Runs a rule over one span of a page with that page's size.
template <int N, bool Skip, uint32_t Round, class Rule>
ZX_FRAME void Draw(int32_t x1, std::array<int32_t, N> a, int32_t x2, std::array<int32_t, N> b, int32_t y,
          defZENTRIXPAGE *page, Rule rule) {
    SpanDraw<N, Skip, Round>(x1, a, x2, b, y, page->Width, page->Height, rule);
}

// Fields of a 5-6-5 pixel.
inline uint32_t R5(uint32_t d) { return (d >> 11) & 31u; }
inline uint32_t G6(uint32_t d) { return (d >> 5) & 63u; }
inline uint32_t B5(uint32_t d) { return d & 31u; }

// Interpolated colour of the 16-bit shade spans: red and green rounded
// (their values carry the half), blue truncated and not masked, so a blue
// beyond 31 spills into green as it always has.
inline uint32_t Shade565(uint32_t r, uint32_t g, uint32_t b) {
    return (((g & 0x3F0000u) >> 11) + ((r & 0x1F0000u) >> 5) + Wrap(IntPart(b))) & 0xFFFFu;
}

// Channel value clamped to 0..max: the amount a dark span subtracts.
inline uint32_t Amount(uint32_t v, int32_t max) {
    const int32_t i = IntPart(v);
    return uint32_t(i < 0 ? 0 : (i > max ? max : i));
}
inline uint32_t SubFloor(uint32_t a, uint32_t b) { return a > b ? a - b : 0u; }

// Level mix of the translucent 32-bit rules: per channel
// (a * (64 - L) + b * L) >> 6 on the masked fields; the top byte drops out.
inline uint32_t Mix64(uint32_t a, uint32_t b, uint32_t L) {
    const uint32_t M = 64u - L;
    return ((((a & 0xFF00u) * M + (b & 0xFF00u) * L) & 0x3FC000u) +
            (((a & 0xFF0000u) * M + (b & 0xFF0000u) * L) & 0x3FC00000u) +
            (((a & 0xFFu) * M + (b & 0xFFu) * L) & 0x3FC0u)) >>
           6;
}

// Texel scaled by F/256 per channel; the top byte drops out.
inline uint32_t Dim256(uint32_t s, uint32_t F) {
    return ((((s & 0xFFu) * F) & 0xFF00u) + (((s & 0xFF00u) * F) & 0xFF0000u) + (((s & 0xFF0000u) * F) & 0xFF000000u)) >>
           8;
}

// Half the source plus the light, per channel, not clamped.
inline uint32_t HalfPlusLight565(uint32_t s, uint32_t r, uint32_t g, uint32_t b) {
    return (((((s >> 12) & 15u) + r) << 11) + ((((s >> 6) & 31u) + g) << 5) + (((s >> 1) & 15u) + b)) & 0xFFFFu;
}
inline uint32_t HalfPlusLight32(uint32_t s, uint32_t r, uint32_t g, uint32_t b) {
    return ((((s >> 17) & 127u) + r) << 16) + ((((s >> 9) & 127u) + g) << 8) + (((s >> 1) & 127u) + b);
}

#if defined(__SSE2__)
// Whether the texels or source pixels a vector loop reads (elements lo..hi
// of rd) can be pixels this span writes (wr[left..right]). A vector loop
// reads four before it writes four, so such a span (a page drawn onto
// itself) takes the per-pixel loop, which reads each pixel just in time.
inline bool MayOverlap(const void *rd, int64_t lo, int64_t hi, const void *wr, int32_t left, int32_t right) {
    const int64_t r0 = int64_t(reinterpret_cast<uintptr_t>(rd)) + lo * 4;
    const int64_t r1 = int64_t(reinterpret_cast<uintptr_t>(rd)) + hi * 4 + 4;
    const int64_t w0 = int64_t(reinterpret_cast<uintptr_t>(wr)) + int64_t(left) * 4;
    const int64_t w1 = int64_t(reinterpret_cast<uintptr_t>(wr)) + int64_t(right) * 4 + 4;
    return r0 < w1 && w0 < r1;
}
// Bounds of the texel indices of a span with n more steps from (u, v).
inline void IndexBounds(uint32_t u, uint32_t su, uint32_t v, uint32_t sv, uint32_t n, int32_t w, int64_t &lo,
                        int64_t &hi) {
    const int64_t u0 = IntPart(u), u1 = IntPart(u + su * n), v0 = IntPart(v), v1 = IntPart(v + sv * n);
    const int64_t umin = std::min(u0, u1), umax = std::max(u0, u1);
    const int64_t vmin = std::min(v0, v1), vmax = std::max(v0, v1);
    const int64_t a = vmin * w, b = vmax * w;
    lo = std::min(a, b) + umin;
    hi = std::max(a, b) + umax;
}
inline __m128i Gather4(const uint32_t *t, uint32_t u, uint32_t su, uint32_t v, uint32_t sv, int32_t w) {
    const uint32_t t0 = t[TexelIndex(u, v, w)];
    const uint32_t t1 = t[TexelIndex(u + su, v + sv, w)];
    const uint32_t t2 = t[TexelIndex(u + 2 * su, v + 2 * sv, w)];
    const uint32_t t3 = t[TexelIndex(u + 3 * su, v + 3 * sv, w)];
    return _mm_set_epi32(int(t3), int(t2), int(t1), int(t0));
}
#if defined(ZX_AVX2_PATH)
// Eight texels a step with one gather. The lane indices are
// (V >> 16) * w + (U >> 16) in wrapping 32-bit arithmetic, as TexelIndex
// computes them, and the gather sign-extends them as t[index] does.
// Row: V is constant and the indices do not wrap, so t already points at
// the texture row and the index is U >> 16.
template <bool Add, bool Row>
__attribute__((target("avx2"), aligned(64)))
void TexturedRunAvx2(const uint32_t *t, int32_t w, uint32_t *p, size_t n, uint32_t u, uint32_t su, uint32_t v,
                     uint32_t sv) {
    const __m256i k = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    __m256i U = _mm256_add_epi32(_mm256_set1_epi32(int(u)), _mm256_mullo_epi32(k, _mm256_set1_epi32(int(su))));
    __m256i V = _mm256_add_epi32(_mm256_set1_epi32(int(v)), _mm256_mullo_epi32(k, _mm256_set1_epi32(int(sv))));
    const __m256i sU = _mm256_set1_epi32(int(su * 8)), sV = _mm256_set1_epi32(int(sv * 8)),
                  W = _mm256_set1_epi32(w);
    const int *base = reinterpret_cast<const int *>(t);
    const size_t blocks = n / 8;
    for (size_t b = 0; b < blocks; ++b, p += 8) {
        __m256i idx = _mm256_srai_epi32(U, 16);
        if (!Row) idx = _mm256_add_epi32(_mm256_mullo_epi32(_mm256_srai_epi32(V, 16), W), idx);
        __m256i c = _mm256_i32gather_epi32(base, idx, 4);
        if (Add) c = _mm256_adds_epu8(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(p)), c);
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(p), c);
        U = _mm256_add_epi32(U, sU);
        V = _mm256_add_epi32(V, sV);
    }
    u += su * uint32_t(blocks * 8);
    v += sv * uint32_t(blocks * 8);
    for (n -= blocks * 8; n; --n, ++p, u += su, v += sv) {
        const uint32_t c = Row ? t[IntPart(u)] : t[TexelIndex(u, v, w)];
        *p = Add ? AddSat8x4(*p, c) : c;
    }
}
#endif

#if defined(ZX_AVX2_PATH)
// A span along one texture row at a magnification (0 <= su <= 1.0): eight
// pixels read texels i0 .. i0 + 7 at most, so one load of eight texels and
// a permute give them. Blocks whose load would pass the span's last texel
// are left to the per-texel loop, so no texel beyond those is read.
template <bool Add>
__attribute__((target("avx2"), aligned(64)))
void ZoomRowAvx2(const uint32_t *t, uint32_t *p, size_t n, uint32_t u, uint32_t su) {
    const int32_t last = IntPart(u + su * uint32_t(n - 1));
    const __m256i k = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    __m256i U = _mm256_add_epi32(_mm256_set1_epi32(int(u)), _mm256_mullo_epi32(k, _mm256_set1_epi32(int(su))));
    const __m256i sU = _mm256_set1_epi32(int(su * 8));
    for (; n >= 8; n -= 8, p += 8, u += su * 8) {
        const int32_t i0 = IntPart(u);
        if (i0 + 7 > last) break;
        const __m256i d = _mm256_sub_epi32(_mm256_srai_epi32(U, 16), _mm256_set1_epi32(i0));
        __m256i c = _mm256_permutevar8x32_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(t + i0)), d);
        if (Add) c = _mm256_adds_epu8(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(p)), c);
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(p), c);
        U = _mm256_add_epi32(U, sU);
    }
    for (; n; --n, ++p, u += su) *p = Add ? AddSat8x4(*p, t[IntPart(u)]) : t[IntPart(u)];
}
#endif

#if defined(ZX_AVX2_PATH)
// TexelIndex of eight lanes.
__attribute__((target("avx2"))) inline __m256i TexelLanes(__m256i U, __m256i V, __m256i W) {
    return _mm256_add_epi32(_mm256_mullo_epi32(_mm256_srai_epi32(V, 16), W), _mm256_srai_epi32(U, 16));
}

// Lane i of an edge or row register (x, y, U, V in 16.16) in all eight lanes.
__attribute__((target("avx2"), always_inline)) inline __m256i Spread(__m128i v, int i) {
    return _mm256_permutevar8x32_epi32(_mm256_castsi128_si256(v), _mm256_set1_epi32(i));
}

// HTextureLine32's frame and pixels for row y of a triangle whose texels are
// apart from the page, between edges p and q (x, y, U, V lanes in 16.16; y
// is not used). Eight texel indices a step come from the vector unit and
// the texels are fetched one by one, quicker than a gather for short rows.
// Row y is on the page.
__attribute__((target("avx2"), always_inline)) inline void
TextureRowAvx2(__m128i p, __m128i q, int32_t y, const int *t, __m256i W, uint32_t *pixels, int32_t Width) {
    // The x a span receives: rounded to the nearest pixel.
    int32_t x1 = IntPart(uint32_t(_mm_cvtsi128_si32(p)) + 0x8000u);
    int32_t x2 = IntPart(uint32_t(_mm_cvtsi128_si32(q)) + 0x8000u);
    if (x1 > x2) {
        std::swap(x1, x2);
        std::swap(p, q);
    }
    if (x2 < 0 || x1 >= Width) return;
    const __m128i s = StepLanes(_mm_sub_epi32(q, p), int64_t(x2) - x1);
    int32_t left = x1;
    if (left < 0) {
        p = _mm_add_epi32(p, _mm_mullo_epi32(s, _mm_set1_epi32(int(0u - Wrap(left)))));
        left = 0;
    }
    const int32_t right = x2 >= Width ? Width - 1 : x2;
    p = _mm_add_epi32(p, _mm_set1_epi32(0x8000));
    uint32_t *d = pixels + size_t(y) * size_t(Width) + size_t(left);
    const __m256i k = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    const __m256i su = Spread(s, 2), sv = Spread(s, 3);
    __m256i U = _mm256_add_epi32(Spread(p, 2), _mm256_mullo_epi32(k, su));
    __m256i V = _mm256_add_epi32(Spread(p, 3), _mm256_mullo_epi32(k, sv));
    alignas(32) int32_t idx[8];
    for (size_t n = size_t(right - left) + 1;;) {
        _mm256_store_si256(reinterpret_cast<__m256i *>(idx), TexelLanes(U, V, W));
        const size_t m = n < 8 ? n : 8;
        for (size_t i = 0; i < m; ++i) d[i] = uint32_t(t[idx[i]]);
        if (n <= 8) return;
        n -= 8;
        d += 8;
        U = _mm256_add_epi32(U, _mm256_slli_epi32(su, 3));
        V = _mm256_add_epi32(V, _mm256_slli_epi32(sv, 3));
    }
}

// Rows y to end of one half of the walk, between edges p and q, which move
// on by sp and sq a row. The edges stay in registers from row to row.
__attribute__((target("avx2"), always_inline)) inline void
TextureHalfAvx2(__m128i &p, __m128i sp, __m128i &q, __m128i sq, int32_t y, int32_t end, const int *t, __m256i W,
                uint32_t *pixels, int32_t Width) {
    for (;; ++y) {
        TextureRowAvx2(p, q, y, t, W, pixels, Width);
        p = _mm_add_epi32(p, sp);
        q = _mm_add_epi32(q, sq);
        if (y == end) break;
    }
}

// HTextureLine32 over a triangle on a 32-bit page whose texels are apart
// from the page: TriWalk (TriFrame.h) and the rows in one loop, with the
// vertices and edges as x, y, U, V lanes of one register each, the steps
// of edges and rows by StepLanes.
__attribute__((target("avx2"), aligned(64)))
void TextureTri32Avx2(const TriVertex<2> &a, const TriVertex<2> &b, const TriVertex<2> &c, const uint32_t *tex,
                      int32_t tw, defZENTRIXPAGE *page) {
    const int32_t Width = page->Width, Height = page->Height;
    __m128i T = _mm_loadu_si128(reinterpret_cast<const __m128i *>(a.data()));
    __m128i M = _mm_loadu_si128(reinterpret_cast<const __m128i *>(b.data()));
    __m128i B = _mm_loadu_si128(reinterpret_cast<const __m128i *>(c.data()));
    int32_t yT = a[1], yM = b[1], yB = c[1];
    if (yT > yM) {
        std::swap(T, M);
        std::swap(yT, yM);
    }
    if (yT > yB) {
        std::swap(T, B);
        std::swap(yT, yB);
    }
    if (yM > yB) {
        std::swap(M, B);
        std::swap(yM, yB);
    }
    const int32_t first = yT < 0 ? 0 : yT, last = yB >= Height ? Height - 1 : yB;
    if (first > last) return;
    const __m128i stm = StepLanes(_mm_slli_epi32(_mm_sub_epi32(M, T), 16), int64_t(yM) - yT);
    const __m128i stb = StepLanes(_mm_slli_epi32(_mm_sub_epi32(B, T), 16), int64_t(yB) - yT);
    const __m128i smb = StepLanes(_mm_slli_epi32(_mm_sub_epi32(B, M), 16), int64_t(yB) - yM);
    __m128i tm = _mm_slli_epi32(T, 16), tb = tm, mb = _mm_slli_epi32(M, 16);
    if (first > yT) {
        // Rows above the page are skipped in one move, not walked.
        const __m128i skipT = _mm_set1_epi32(int(uint32_t(int64_t(first) - yT)));
        tb = _mm_add_epi32(tb, _mm_mullo_epi32(stb, skipT));
        if (first < yM) tm = _mm_add_epi32(tm, _mm_mullo_epi32(stm, skipT));
        const __m128i skipM = _mm_set1_epi32(int(uint32_t(int64_t(first) - yM)));
        if (first > yM) mb = _mm_add_epi32(mb, _mm_mullo_epi32(smb, skipM));
    }
    const int *t = reinterpret_cast<const int *>(tex);
    const __m256i W = _mm256_set1_epi32(tw);
    auto *pixels = static_cast<uint32_t *>(page->pPageData);
    int32_t y = first;
    if (y < yM) {
        // Above the middle row: between T->M and T->B.
        const int32_t end = last < yM ? last : yM - 1;
        TextureHalfAvx2(tm, stm, tb, stb, y, end, t, W, pixels, Width);
        if (end == last) return;
        y = end + 1;
    }
    TextureHalfAvx2(tb, stb, mb, smb, y, last, t, W, pixels, Width);
}
#endif

#if defined(ZX_AVX2_PATH)
// A span slanting down across the texture at a magnification (0 <= su <=
// 1.0, 0 < sv, seven steps of V less than one texel), with indices that do
// not wrap: eight pixels read at most eight texels of one row and the same
// eight columns of the next, so two loads and two permutes give them. The
// indices grow along the span, so a block whose loads would pass the
// span's last texel ends the loop and the gather loop does the rest.
template <bool Add>
__attribute__((target("avx2"), aligned(64)))
void ZoomTwoRowsAvx2(const uint32_t *t, int32_t w, uint32_t *p, size_t n, uint32_t u, uint32_t su, uint32_t v,
                     uint32_t sv) {
    const int64_t last = int64_t(IntPart(v + sv * uint32_t(n - 1))) * w + IntPart(u + su * uint32_t(n - 1));
    const __m256i k = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    __m256i U = _mm256_add_epi32(_mm256_set1_epi32(int(u)), _mm256_mullo_epi32(k, _mm256_set1_epi32(int(su))));
    __m256i V = _mm256_add_epi32(_mm256_set1_epi32(int(v)), _mm256_mullo_epi32(k, _mm256_set1_epi32(int(sv))));
    const __m256i sU = _mm256_set1_epi32(int(su * 8)), sV = _mm256_set1_epi32(int(sv * 8));
    for (; n >= 8; n -= 8, p += 8, u += su * 8, v += sv * 8) {
        const int32_t u0 = IntPart(u), r0 = IntPart(v);
        const int64_t i0 = int64_t(r0) * w + u0;
        const __m256i d = _mm256_sub_epi32(_mm256_srai_epi32(U, 16), _mm256_set1_epi32(u0));
        __m256i c;
        if (IntPart(v + sv * 7) != r0) {
            if (i0 + w + 7 > last) break;
            const auto *row = reinterpret_cast<const __m256i *>(t + i0);
            const auto *next = reinterpret_cast<const __m256i *>(t + i0 + w);
            const __m256i a = _mm256_permutevar8x32_epi32(_mm256_loadu_si256(row), d);
            const __m256i b = _mm256_permutevar8x32_epi32(_mm256_loadu_si256(next), d);
            c = _mm256_blendv_epi8(a, b, _mm256_cmpgt_epi32(_mm256_srai_epi32(V, 16), _mm256_set1_epi32(r0)));
        } else {
            if (i0 + 7 > last) break;
            c = _mm256_permutevar8x32_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(t + i0)), d);
        }
        if (Add) c = _mm256_adds_epu8(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(p)), c);
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(p), c);
        U = _mm256_add_epi32(U, sU);
        V = _mm256_add_epi32(V, sV);
    }
    if (n) TexturedRunAvx2<Add, false>(t, w, p, n, u, su, v, sv);
}
#endif

// The vector loop of the 32-bit textured spans: four texels a step from
// get4(u, v), one at a time from get1(u, v) for the tail, stored as they are
// or added with saturation. Returns false (per-pixel loop) when the texels
// read may be pixels this span writes.
// Raw: the texels are drawn as they are (get1 is a plain fetch), so a span
// along one texture row (V constant: zooms, unrotated quads) can find the
// row once and fetch row[U >> 16]. Its indices must not wrap in 32 bits,
// as the general loop's would.
template <bool Add, bool Raw = false, class Get4, class Get1>
ZX_FRAME bool TexturedRun32(const void *tex, int32_t w, uint32_t *row, int32_t left, int32_t right, const Vals<2> &v,
                          const Vals<2> &s, Get4 get4, Get1 get1) {
    // Short spans (small triangles) are quicker in the per-pixel loop.
    if (right - left < 12) return false;
    int64_t lo, hi;
    IndexBounds(v[0], s[0], v[1], s[1], uint32_t(right - left), w, lo, hi);
    if (MayOverlap(tex, lo, hi, row, left, right)) return false;
    uint32_t *p = row + left;
    size_t n = size_t(right - left) + 1;
    uint32_t u = v[0], vv = v[1];
    // Along one row, U must not wrap either, so that the bounds hold.
    const int64_t uEnd = int64_t(Signed(u)) + int64_t(Signed(s[0])) * int64_t(n - 1);
    const bool alongRow = s[1] == 0 && lo >= INT32_MIN && hi <= INT32_MAX && uEnd >= INT32_MIN && uEnd <= INT32_MAX;
#if defined(ZX_AVX2_PATH)
    if (Raw && n >= 16 && g_SpanAvx2.load(std::memory_order_relaxed)) {
        const uint32_t *t = static_cast<const uint32_t *>(tex);
        const int64_t vEnd = int64_t(Signed(vv)) + int64_t(Signed(s[1])) * int64_t(n - 1);
        if (alongRow && s[0] <= 0x10000u)
            ZoomRowAvx2<Add>(t + int64_t(IntPart(vv)) * w, p, n, u, s[0]);
        else if (s[0] <= 0x10000u && s[1] - 1u < 0x10000u / 7 && w > 0 && lo >= INT32_MIN && hi <= INT32_MAX &&
                 uEnd <= INT32_MAX && vEnd <= INT32_MAX)
            ZoomTwoRowsAvx2<Add>(t, w, p, n, u, s[0], vv, s[1]);
        else if (!alongRow)
            TexturedRunAvx2<Add, false>(t, w, p, n, u, s[0], vv, s[1]);
        else
            TexturedRunAvx2<Add, true>(t + int64_t(IntPart(vv)) * w, w, p, n, u, s[0], vv, 0);
        return true;
    }
#endif
    if (Raw && alongRow) {
        const uint32_t *t = static_cast<const uint32_t *>(tex) + int64_t(IntPart(vv)) * w;
        const uint32_t su = s[0];
        for (; n >= 4; n -= 4, p += 4) {
            const uint32_t t0 = t[IntPart(u)], t1 = t[IntPart(u + su)], t2 = t[IntPart(u + 2 * su)],
                           t3 = t[IntPart(u + 3 * su)];
            u += 4 * su;
            if (Add) {
                const __m128i c = _mm_set_epi32(int(t3), int(t2), int(t1), int(t0));
                _mm_storeu_si128(reinterpret_cast<__m128i *>(p),
                                 _mm_adds_epu8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p)), c));
            } else {
                p[0] = t0;
                p[1] = t1;
                p[2] = t2;
                p[3] = t3;
            }
        }
        for (; n; --n, ++p, u += su) *p = Add ? AddSat8x4(*p, t[IntPart(u)]) : t[IntPart(u)];
        return true;
    }
    for (; n >= 4; n -= 4, p += 4, u += 4 * s[0], vv += 4 * s[1]) {
        __m128i c = get4(u, vv);
        if (Add) c = _mm_adds_epu8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p)), c);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(p), c);
    }
    for (; n; --n, ++p, u += s[0], vv += s[1]) {
        const uint32_t c = get1(u, vv);
        *p = Add ? AddSat8x4(*p, c) : c;
    }
    return true;
}
#endif

// ---------------------------------------------------------------- solid

struct Solid16 {
    uint16_t *d;
    uint16_t c;
    void Pixel(size_t i, int32_t, const Vals<0> &) { d[i] = c; }
};

struct Solid32 {
    uint32_t *d;
    uint32_t c;
    void Pixel(size_t i, int32_t, const Vals<0> &) { d[i] = c; }
#if defined(__SSE2__)
    bool Run(size_t base, int32_t left, int32_t right, Vals<0> &, Vals<0> &) {
        uint32_t *p = d + base + size_t(left);
        size_t n = size_t(right - left) + 1;
        zentrix::FillU32(p, n, c);
        return true;
    }
#endif
};

// ---------------------------------------------------------------- shade

struct Shade16 {
    uint16_t *d;
    void Pixel(size_t i, int32_t, const Vals<3> &v) { d[i] = uint16_t(Shade565(v[0], v[1], v[2])); }
};

struct Shade32 {
    uint32_t *d;
    void Pixel(size_t i, int32_t, const Vals<3> &v) {
        // All rounded, channels not masked: an overflowing channel spills.
        d[i] = (v[0] & 0xFFFF0000u) + (Wrap(IntPart(v[1])) << 8) + Wrap(IntPart(v[2]));
    }
};

struct ShadeLight16 {
    uint16_t *d;
    void Pixel(size_t i, int32_t, const Vals<3> &v) { d[i] = uint16_t(AddColor16(d[i], Shade565(v[0], v[1], v[2]))); }
};

// Light colour of the 32-bit light spans, from unrounded values; blue is
// not masked.
inline uint32_t Light32(uint32_t r, uint32_t g, uint32_t b) {
    return (r & 0xFF0000u) + ((g >> 8) & 0xFF00u) + Wrap(IntPart(b));
}

struct ShadeLight32 {
    uint32_t *d;
    void Pixel(size_t i, int32_t, const Vals<3> &v) { d[i] = AddSat8x4(d[i], Light32(v[0], v[1], v[2])); }
#if defined(__SSE2__)
    bool Run(size_t base, int32_t left, int32_t right, Vals<3> &v, Vals<3> &s) {
        uint32_t *p = d + base + size_t(left);
        size_t n = size_t(right - left) + 1;
        const __m128i k = _mm_set_epi32(3, 2, 1, 0);
        auto lanes = [&](int c) {
            // v + s * (0, 1, 2, 3); SSE2 has no 32-bit multiply, so add.
            const __m128i st = _mm_set1_epi32(int(s[c]));
            __m128i x = _mm_set1_epi32(int(v[c]));
            x = _mm_add_epi32(x, _mm_and_si128(_mm_cmpgt_epi32(k, _mm_setzero_si128()), st));
            x = _mm_add_epi32(x, _mm_and_si128(_mm_cmpgt_epi32(k, _mm_set1_epi32(1)), st));
            x = _mm_add_epi32(x, _mm_and_si128(_mm_cmpgt_epi32(k, _mm_set1_epi32(2)), st));
            return x;
        };
        __m128i R = lanes(0), G = lanes(1), B = lanes(2);
        const __m128i sR = _mm_set1_epi32(int(s[0] * 4)), sG = _mm_set1_epi32(int(s[1] * 4)),
                      sB = _mm_set1_epi32(int(s[2] * 4));
        const __m128i mR = _mm_set1_epi32(0xFF0000), mG = _mm_set1_epi32(0xFF00);
        for (; n >= 4; n -= 4, p += 4) {
            const __m128i c = _mm_add_epi32(_mm_add_epi32(_mm_and_si128(R, mR), _mm_and_si128(_mm_srli_epi32(G, 8), mG)),
                                            _mm_srai_epi32(B, 16));
            const __m128i dd = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(p), _mm_adds_epu8(dd, c));
            R = _mm_add_epi32(R, sR);
            G = _mm_add_epi32(G, sG);
            B = _mm_add_epi32(B, sB);
        }
        uint32_t r = uint32_t(_mm_cvtsi128_si32(R)), g = uint32_t(_mm_cvtsi128_si32(G)),
                 b = uint32_t(_mm_cvtsi128_si32(B));
        for (; n; --n, ++p) {
            *p = AddSat8x4(*p, Light32(r, g, b));
            r += s[0];
            g += s[1];
            b += s[2];
        }
        return true;
    }
#endif
};

struct ShadeDark16 {
    uint16_t *d;
    void Pixel(size_t i, int32_t, const Vals<3> &v) {
        const uint32_t p = d[i];
        d[i] = uint16_t((SubFloor(R5(p), Amount(v[0], 31)) << 11) + (SubFloor(G6(p), Amount(v[1], 63)) << 5) +
                        SubFloor(B5(p), Amount(v[2], 31)));
    }
};

struct ShadeDark32 {
    uint32_t *d;
    void Pixel(size_t i, int32_t, const Vals<3> &v) {
        const uint32_t p = d[i];
        d[i] = (SubFloor((p >> 16) & 0xFFu, Amount(v[0], 255)) << 16) +
               (SubFloor((p >> 8) & 0xFFu, Amount(v[1], 255)) << 8) + SubFloor(p & 0xFFu, Amount(v[2], 255));
    }
};

// ---------------------------------------------------------------- texture

struct Texture16 {
    uint16_t *d;
    const uint8_t *t;
    int32_t w;
    void Pixel(size_t i, int32_t, const Vals<2> &v) { d[i] = uint16_t(To565(Texel24(t, TexelIndex(v[0], v[1], w)))); }
};

struct Texture32 {
    uint32_t *d;
    TexelCache32 c;
    int32_t w;
    void Pixel(size_t i, int32_t, const Vals<2> &v) { d[i] = c.Get(TexelIndex(v[0], v[1], w)); }
#if defined(__SSE2__)
    // Four texels a step, without the cache's compare and branch.
    ZX_FRAME bool Run(size_t base, int32_t left, int32_t right, Vals<2> &v, Vals<2> &s) {
        const uint32_t *t = c.tex;
        return TexturedRun32<false, true>(
            t, w, d + base, left, right, v, s, [&](uint32_t u, uint32_t vv) { return Gather4(t, u, s[0], vv, s[1], w); },
            [&](uint32_t u, uint32_t vv) { return t[TexelIndex(u, vv, w)]; });
    }
#endif
};

// Texture32 for spans whose texels are known not to be pixels of the page:
// short spans take a plain loop without the cache's compare (the same
// texels, since nothing read is written), long ones the vector loops.
struct TextureDisjoint32 : Texture32 {
    static constexpr int32_t kShort = 16;
#if defined(__SSE2__)
    bool Run(size_t base, int32_t left, int32_t right, Vals<2> &v, Vals<2> &s) {
        if (right - left >= kShort) return Texture32::Run(base, left, right, v, s);
        const uint32_t *t = c.tex;
        uint32_t *p = d + base + size_t(left);
        const uint32_t su = s[0], sv = s[1];
        uint32_t u = v[0], vv = v[1];
        for (int32_t n = right - left + 1; n > 0; --n, ++p, u += su, vv += sv) *p = t[TexelIndex(u, vv, w)];
        return true;
    }
#endif
};

struct TextureMask32 {
    uint32_t *d;
    TexelCache32 c;
    int32_t w;
    uint32_t mask;
    void Pixel(size_t i, int32_t, const Vals<2> &v) {
        const uint32_t s = c.Get(TexelIndex(v[0], v[1], w));
        if (s != mask) d[i] = s;
    }
};

struct TextureTrans16 {
    uint16_t *d;
    const uint8_t *t;
    int32_t w;
    uint32_t L;
    void Pixel(size_t i, int32_t, const Vals<2> &v) {
        const Rgb24 s = Texel24(t, TexelIndex(v[0], v[1], w));
        const uint32_t p = d[i], M = 64u - L;
        const uint32_t r = (((s.r >> 3) * L + R5(p) * M) >> 6) & 0xFFu;
        const uint32_t g = (((s.g >> 2) * L + G6(p) * M) >> 6) & 0xFFu;
        const uint32_t b = (((s.b >> 3) * L + B5(p) * M) >> 6) & 0xFFu;
        d[i] = uint16_t((r << 11) + (g << 5) + b);
    }
};

struct TextureTrans32 {
    uint32_t *d;
    TexelCache32 c;
    int32_t w;
    uint32_t L;
    void Pixel(size_t i, int32_t, const Vals<2> &v) { d[i] = Mix64(d[i], c.Get(TexelIndex(v[0], v[1], w)), L); }
};

// The dimmed texel: 0 where the index is not below the page's pixel count
// (compared unsigned, so negative indices count as beyond) or the texel is 0.
struct Dimmed {
    const uint32_t *t;
    int32_t w;
    uint32_t limit;
    uint32_t F;
    int64_t last = INT64_MIN;
    uint32_t value = 0;
    uint32_t Get(int32_t index) {
        if (index != last) {
            last = index;
            value = Wrap(index) >= limit ? 0u : Dim256(t[index], F);
        }
        return value;
    }
#if defined(__SSE2__)
    __m128i Get4(uint32_t u, uint32_t su, uint32_t v, uint32_t sv) const {
        // Built in registers: four scalar stores read back as one vector
        // would stall on store forwarding.
        auto at = [&](uint32_t k) {
            const int32_t idx = TexelIndex(u + su * k, v + sv * k, w);
            return int(Wrap(idx) >= limit ? 0u : t[idx]);
        };
        const __m128i px = _mm_set_epi32(at(3), at(2), at(1), at(0));
        const __m128i z = _mm_setzero_si128(), f = _mm_set1_epi16(short(F & 0xFFFFu));
        // Bits 8-15 of each channel times F: the same bits the masks keep.
        const __m128i lo = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(px, z), f), 8);
        const __m128i hi = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(px, z), f), 8);
        return _mm_and_si128(_mm_packus_epi16(lo, hi), _mm_set1_epi32(0x00FFFFFF));
    }
#endif
};

template <bool Add>
struct TextureDimmed32 {
    uint32_t *d;
    Dimmed dim;
    void Pixel(size_t i, int32_t, const Vals<2> &v) {
        const uint32_t s = dim.Get(TexelIndex(v[0], v[1], dim.w));
        d[i] = Add ? AddSat8x4(d[i], s) : s;
    }
#if defined(__SSE2__)
    bool Run(size_t base, int32_t left, int32_t right, Vals<2> &v, Vals<2> &s) {
        return TexturedRun32<Add>(
            dim.t, dim.w, d + base, left, right, v, s, [&](uint32_t u, uint32_t vv) { return dim.Get4(u, s[0], vv, s[1]); },
            [&](uint32_t u, uint32_t vv) { return dim.Get(TexelIndex(u, vv, dim.w)); });
    }
#endif
};

struct AddTexture16 {
    uint16_t *d;
    TexelCache24 c;
    int32_t w;
    void Pixel(size_t i, int32_t, const Vals<2> &v) {
        const uint32_t t = To565(c.Get(TexelIndex(v[0], v[1], w)));
        if (t) d[i] = uint16_t(AddColor16(d[i], t));
    }
};

struct AddTexture32 {
    uint32_t *d;
    TexelCache32 c;
    int32_t w;
    void Pixel(size_t i, int32_t, const Vals<2> &v) { d[i] = AddSat8x4(d[i], c.Get(TexelIndex(v[0], v[1], w))); }
#if defined(__SSE2__)
    bool Run(size_t base, int32_t left, int32_t right, Vals<2> &v, Vals<2> &s) {
        const uint32_t *t = c.tex;
        return TexturedRun32<true, true>(
            t, w, d + base, left, right, v, s, [&](uint32_t u, uint32_t vv) { return Gather4(t, u, s[0], vv, s[1], w); },
            [&](uint32_t u, uint32_t vv) { return t[TexelIndex(u, vv, w)]; });
    }
#endif
};

struct TextureLS16 {
    uint16_t *d;
    const uint8_t *t;
    int32_t w;
    uint32_t lr, lg, lb;  // light + 16
    void Pixel(size_t i, int32_t, const Vals<2> &v) {
        // U and V are taken unsigned (logical shift).
        const int32_t idx = Signed((v[1] >> 16) * Wrap(w) + (v[0] >> 16));
        const Rgb24 s = Texel24(t, idx);
        const uint32_t r = Wrap(Signed(s.r * lr) >> 8), g = Wrap(Signed(s.g * lg) >> 7), b = Wrap(Signed(s.b * lb) >> 8);
        d[i] = uint16_t((r << 11) + (g << 5) + b);
    }
};

struct TextureLS32 {
    uint32_t *d;
    TexelCache32 c;
    int32_t w;
    int32_t lr, lg, lb;  // light shifted into place
    void Pixel(size_t i, int32_t, const Vals<2> &v) {
        const uint32_t s = c.Get(TexelIndex(v[0], v[1], w));
        // The light is added and each channel capped (signed compare).
        const int32_t r = std::min(Signed(Wrap(int32_t(s & 0xFF0000u)) + Wrap(lr)), 0xFF0000);
        const int32_t g = std::min(Signed(Wrap(int32_t(s & 0xFF00u)) + Wrap(lg)), 0xFF00);
        const int32_t b = std::min(Signed(Wrap(int32_t(s & 0xFFu)) + Wrap(lb)), 0xFF);
        d[i] = Wrap(r) + Wrap(g) + Wrap(b);
    }
};

struct TextureZ32 {
    uint32_t *d;
    TexelCache32 c;
    int32_t w;
    int32_t *z;
    void Pixel(size_t i, int32_t, const Vals<3> &v) {
        const int32_t depth = Signed(v[2]);
        if (depth < z[i]) {
            d[i] = c.Get(TexelIndex(v[0], v[1], w));
            z[i] = depth;
        }
    }
};

// ---------------------------------------------------------------- offset

// A source pixel at a constant offset. Rows and columns are tested against
// the destination page and, so that a smaller source is never read past
// its end, against the source page too.
template <class T>
struct OfsSource {
    const T *src;
    int32_t srcWidth;
    int64_t row;  // source row, -1 when outside
    int32_t dx;
    int32_t limitWidth;
    OfsSource(const defZENTRIXPAGE *s, const defZENTRIXPAGE *d, int32_t y, int32_t dx_, int32_t dy)
        : src(static_cast<const T *>(s->pPageData)), srcWidth(s->Width), dx(dx_),
          limitWidth(std::min(s->Width, d->Width)) {
        const int64_t sy = int64_t(y) + dy;
        row = (sy < 0 || sy >= d->Height || sy >= s->Height) ? -1 : sy;
    }
    // Returns false for a point outside.
    bool At(int32_t x, T &out) const {
        const int64_t sx = int64_t(x) + dx;
        if (row < 0 || sx < 0 || sx >= limitWidth) return false;
        out = src[row * srcWidth + sx];
        return true;
    }
};

template <class T>
struct Ofs {
    T *d;
    OfsSource<T> s;
    void Pixel(size_t i, int32_t x, const Vals<0> &) {
        T p;
        d[i] = s.At(x, p) ? p : T(0);
    }
};

struct OfsLS16 {
    uint16_t *d;
    OfsSource<uint16_t> s;
    uint32_t r, g, b;
    void Pixel(size_t i, int32_t x, const Vals<0> &) {
        uint16_t p;
        d[i] = uint16_t(s.At(x, p) ? HalfPlusLight565(p, r, g, b) : (((r << 11) + (g << 5) + b) & 0xFFFFu));
    }
};

struct OfsLS32 {
    uint32_t *d;
    OfsSource<uint32_t> s;
    uint32_t r, g, b;
    void Pixel(size_t i, int32_t x, const Vals<0> &) {
        uint32_t p;
        d[i] = s.At(x, p) ? HalfPlusLight32(p, r, g, b) : (r << 16) + (g << 8) + b;
    }
};

// A source pixel at interpolated (rounded) coordinates.
template <class T>
struct SmoothSource {
    const T *src;
    int32_t w, h;
    explicit SmoothSource(const defZENTRIXPAGE *s) : src(static_cast<const T *>(s->pPageData)), w(s->Width), h(s->Height) {}
    bool Inside(int32_t sx, int32_t sy) const { return sx >= 0 && sx < w && sy >= 0 && sy < h; }
    T At(int32_t sx, int32_t sy) const { return src[size_t(sy) * size_t(w) + size_t(sx)]; }
};

// Whether 16.16 end coordinates lie inside a source page (no pixel test needed).
inline bool EndsInside(int32_t sx1, int32_t sy1, int32_t sx2, int32_t sy2, const defZENTRIXPAGE *s) {
    const int64_t mx = int64_t(s->Width - 1) << 16, my = int64_t(s->Height - 1) << 16;
    return sx1 >= 0 && sx1 <= mx && sx2 >= 0 && sx2 <= mx && sy1 >= 0 && sy1 <= my && sy2 >= 0 && sy2 <= my;
}

struct OfsSmooth16 {
    uint16_t *d;
    SmoothSource<uint16_t> s;
    void Pixel(size_t i, int32_t, const Vals<2> &v) {
        const int32_t sx = IntPart(v[0]), sy = IntPart(v[1]);
        d[i] = s.Inside(sx, sy) ? s.At(sx, sy) : uint16_t(0);
    }
};

struct OfsSmooth32 {
    uint32_t *d;
    SmoothSource<uint32_t> s;
    bool fast;
    void Pixel(size_t i, int32_t, const Vals<2> &v) {
        int32_t sx = IntPart(v[0]), sy = IntPart(v[1]);
        if (!fast) {
            // Rows clamp to the page; a column off either side reads the
            // last column of the row.
            sy = sy < 0 ? 0 : (sy >= s.h ? s.h - 1 : sy);
            if (sx < 0 || sx >= s.w) sx = s.w - 1;
        }
        d[i] = s.At(sx, sy);
    }
#if defined(__SSE2__)
    // Fast path only: four source pixels a step, no per-pixel test.
    bool Run(size_t base, int32_t left, int32_t right, Vals<2> &v, Vals<2> &st) {
        if (!fast) return false;
        int64_t lo, hi;
        IndexBounds(v[0], st[0], v[1], st[1], uint32_t(right - left), s.w, lo, hi);
        if (MayOverlap(s.src, lo, hi, d + base, left, right)) return false;
        uint32_t *p = d + base + size_t(left);
        size_t n = size_t(right - left) + 1;
        uint32_t x = v[0], y = v[1];
        auto at = [&] {
            const int px = int(s.At(IntPart(x), IntPart(y)));
            x += st[0];
            y += st[1];
            return px;
        };
        for (; n >= 4; n -= 4, p += 4) {
            const int a = at(), b = at(), c = at(), e = at();
            _mm_storeu_si128(reinterpret_cast<__m128i *>(p), _mm_set_epi32(e, c, b, a));
        }
        for (; n; --n, ++p) *p = uint32_t(at());
        return true;
    }
#endif
};

struct OfsSmoothTexture16 {
    uint16_t *d;
    SmoothSource<uint16_t> s;
    TexelCache24 c;
    int32_t w;
    uint32_t L;
    void Pixel(size_t i, int32_t, const Vals<4> &v) {
        const int32_t sx = IntPart(v[0]), sy = IntPart(v[1]);
        const Rgb24 t = c.Get(TexelIndex(v[2], v[3], w));
        if (!s.Inside(sx, sy)) {
            d[i] = 0;
            return;
        }
        const uint32_t p = s.At(sx, sy), L4 = 4u * L, M = 64u - L;
        const uint32_t r = (R5(p) * L4 + t.r * M) >> 9;
        const uint32_t g = (G6(p) * L4 + 2u * t.g * M) >> 9;
        const uint32_t b = (B5(p) * L4 + t.b * M) >> 9;
        d[i] = uint16_t((r << 11) + (g << 5) + b);
    }
};

struct OfsSmoothTexture32 {
    uint32_t *d;
    SmoothSource<uint32_t> s;
    TexelCache32 c;
    int32_t w;
    uint32_t L;
    bool fast;
    void Pixel(size_t i, int32_t, const Vals<4> &v) {
        int32_t sx = IntPart(v[0]), sy = IntPart(v[1]);
        const uint32_t t = c.Get(TexelIndex(v[2], v[3], w));
        if (!fast) {
            // Above or below the source: the texel part alone. Beside it:
            // the nearest column.
            if (sy < 0 || sy >= s.h) {
                d[i] = Mix64(0, t, L);
                return;
            }
            sx = sx < 0 ? 0 : (sx >= s.w ? s.w - 1 : sx);
        }
        d[i] = Mix64(s.At(sx, sy), t, L);
    }
#if defined(__SSE2__)
    bool Run(size_t base, int32_t left, int32_t right, Vals<4> &v, Vals<4> &st) {
        if (!fast) return false;
        int64_t lo, hi, tlo, thi;
        IndexBounds(v[0], st[0], v[1], st[1], uint32_t(right - left), s.w, lo, hi);
        IndexBounds(v[2], st[2], v[3], st[3], uint32_t(right - left), w, tlo, thi);
        if (MayOverlap(s.src, lo, hi, d + base, left, right) || MayOverlap(c.tex, tlo, thi, d + base, left, right))
            return false;
        uint32_t *p = d + base + size_t(left);
        size_t n = size_t(right - left) + 1;
        Vals<4> x = v;
        const __m128i z = _mm_setzero_si128(), l16 = _mm_set1_epi16(short(L & 0xFFFFu)),
                      m16 = _mm_set1_epi16(short((64u - L) & 0xFFFFu)), ff = _mm_set1_epi16(0xFF);
        for (; n >= 4; n -= 4, p += 4) {
            // Kept in registers (an array read back as a vector would stall
            // on store forwarding).
            int s0, s1, s2, s3, t0, t1, t2, t3;
            auto fetch = [&](int &sp, int &tp) {
                sp = int(s.At(IntPart(x[0]), IntPart(x[1])));
                tp = int(c.tex[TexelIndex(x[2], x[3], w)]);
                for (int j = 0; j < 4; ++j) x[j] += st[j];
            };
            fetch(s0, t0);
            fetch(s1, t1);
            fetch(s2, t2);
            fetch(s3, t3);
            const __m128i sv = _mm_set_epi32(s3, s2, s1, s0);
            const __m128i tv = _mm_set_epi32(t3, t2, t1, t0);
            // Per channel (s * (64 - L) + t * L) mod 2^16, bits 6-13: the bits
            // the masks of the scalar rule keep.
            auto mix = [&](__m128i a, __m128i b) {
                const __m128i m = _mm_add_epi16(_mm_mullo_epi16(a, m16), _mm_mullo_epi16(b, l16));
                return _mm_and_si128(_mm_srli_epi16(m, 6), ff);
            };
            const __m128i lo8 = mix(_mm_unpacklo_epi8(sv, z), _mm_unpacklo_epi8(tv, z));
            const __m128i hi8 = mix(_mm_unpackhi_epi8(sv, z), _mm_unpackhi_epi8(tv, z));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(p),
                             _mm_and_si128(_mm_packus_epi16(lo8, hi8), _mm_set1_epi32(0x00FFFFFF)));
        }
        for (; n; --n, ++p) {
            *p = Mix64(s.At(IntPart(x[0]), IntPart(x[1])), c.tex[TexelIndex(x[2], x[3], w)], L);
            for (int j = 0; j < 4; ++j) x[j] += st[j];
        }
        return true;
    }
#endif
};

struct OfsSmoothAddTexture16 {
    uint16_t *d;
    SmoothSource<uint16_t> s;
    TexelCache24 c;
    int32_t w;
    void Pixel(size_t i, int32_t, const Vals<4> &v) {
        const int32_t sx = IntPart(v[0]), sy = IntPart(v[1]);
        const Rgb24 t = c.Get(TexelIndex(v[2], v[3], w));
        const uint32_t r = t.r >> 4, g = t.g >> 3, b = t.b >> 4;
        if (!s.Inside(sx, sy)) {
            d[i] = uint16_t((r << 11) + (g << 5) + b);
            return;
        }
        const uint32_t p = s.At(sx, sy);
        d[i] = uint16_t((std::min(R5(p) + r, 31u) << 11) + (std::min(G6(p) + g, 63u) << 5) + std::min(B5(p) + b, 31u));
    }
};

struct OfsSmoothAddTexture32 {
    uint32_t *d;
    SmoothSource<uint32_t> s;
    TexelCache32 c;
    int32_t w;
    void Pixel(size_t i, int32_t, const Vals<4> &v) {
        const int32_t sx = IntPart(v[0]), sy = IntPart(v[1]);
        const uint32_t t = c.Get(TexelIndex(v[2], v[3], w));
        if (!s.Inside(sx, sy)) {
            d[i] = t;
            return;
        }
        const uint32_t p = s.At(sx, sy);
        d[i] = (std::min(((p >> 16) & 0xFFu) + ((t >> 16) & 0xFFu), 255u) << 16) +
               (std::min(((p >> 8) & 0xFFu) + ((t >> 8) & 0xFFu), 255u) << 8) + std::min((p & 0xFFu) + (t & 0xFFu), 255u);
    }
};

struct OfsSmoothLS16 {
    uint16_t *d;
    SmoothSource<uint16_t> s;
    void Pixel(size_t i, int32_t, const Vals<5> &v) {
        const int32_t sx = IntPart(v[0]), sy = IntPart(v[1]);
        const uint32_t r = Wrap(IntPart(v[2])), g = Wrap(IntPart(v[3])), b = Wrap(IntPart(v[4]));
        d[i] = uint16_t(s.Inside(sx, sy) ? HalfPlusLight565(s.At(sx, sy), r, g, b) : (((r << 11) + (g << 5) + b) & 0xFFFFu));
    }
};

struct OfsSmoothLS32 {
    uint32_t *d;
    SmoothSource<uint32_t> s;
    void Pixel(size_t i, int32_t, const Vals<5> &v) {
        const int32_t sx = IntPart(v[0]), sy = IntPart(v[1]);
        const uint32_t r = Wrap(IntPart(v[2])), g = Wrap(IntPart(v[3])), b = Wrap(IntPart(v[4]));
        d[i] = s.Inside(sx, sy) ? HalfPlusLight32(s.At(sx, sy), r, g, b) : (r << 16) + (g << 8) + b;
    }
};

bool Ok16(defZENTRIXPAGE *p) { return PageUsable(p, false); }
bool Ok32(defZENTRIXPAGE *p) { return PageUsable(p, true); }

}  // namespace

namespace {
#if defined(ZX_AVX2_PATH)
// ShadeLight32 with eight pixels a step, for the rows of a triangle: the
// last, partial block is blended into the page's pixels, so the pixels
// after the span are written back as they were (where the page goes on
// that far; otherwise the four-pixel loop).
struct ShadeLight32Wide : ShadeLight32 {
    size_t size;  // pixels in the page
    __attribute__((target("avx2"))) bool Run(size_t base, int32_t left, int32_t right, Vals<3> &v,
                                                            Vals<3> &s) {
        size_t n = size_t(right - left) + 1;
        if (base + size_t(left) + ((n + 7) & ~size_t(7)) > size) return ShadeLight32::Run(base, left, right, v, s);
        uint32_t *p = d + base + size_t(left);
        const __m256i k = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
        __m256i R = _mm256_add_epi32(_mm256_set1_epi32(int(v[0])), _mm256_mullo_epi32(k, _mm256_set1_epi32(int(s[0]))));
        __m256i G = _mm256_add_epi32(_mm256_set1_epi32(int(v[1])), _mm256_mullo_epi32(k, _mm256_set1_epi32(int(s[1]))));
        __m256i B = _mm256_add_epi32(_mm256_set1_epi32(int(v[2])), _mm256_mullo_epi32(k, _mm256_set1_epi32(int(s[2]))));
        const __m256i mR = _mm256_set1_epi32(0xFF0000), mG = _mm256_set1_epi32(0xFF00);
        for (;; p += 8, n -= 8) {
            const __m256i c = _mm256_add_epi32(
                _mm256_add_epi32(_mm256_and_si256(R, mR), _mm256_and_si256(_mm256_srli_epi32(G, 8), mG)),
                _mm256_srai_epi32(B, 16));
            __m256i *q = reinterpret_cast<__m256i *>(p);
            const __m256i old = _mm256_loadu_si256(q);
            const __m256i sum = _mm256_adds_epu8(old, c);
            if (n <= 8) {
                _mm256_storeu_si256(q, _mm256_blendv_epi8(old, sum, _mm256_cmpgt_epi32(_mm256_set1_epi32(int(n)), k)));
                return true;
            }
            _mm256_storeu_si256(q, sum);
            R = _mm256_add_epi32(R, _mm256_set1_epi32(int(s[0] * 8)));
            G = _mm256_add_epi32(G, _mm256_set1_epi32(int(s[1] * 8)));
            B = _mm256_add_epi32(B, _mm256_set1_epi32(int(s[2] * 8)));
        }
    }
};
#endif

// The rows of a light-shaded triangle, each HShadeLineLight32's frame and rule.
template <class Rule>
ZX_FRAME void ShadeLightRows(TriRows<3> &r, int32_t Width, int32_t Height, Rule &rule) {
    for (int32_t y = r.first;; ++y) {
        TriEdge<3> &p = y < r.yM ? r.tm : r.tb, &q = y < r.yM ? r.tb : r.mb;
        SpanDraw<3, true, 0>(p.X(), A3{p.A(0), p.A(1), p.A(2)}, q.X(), A3{q.A(0), q.A(1), q.A(2)}, y, Width, Height, rule);
        p.Step();
        q.Step();
        if (y == r.last) break;
    }
}

#if defined(ZX_AVX2_PATH)
__attribute__((target("avx2"))) void ShadeLightRowsAvx2(TriRows<3> &r, defZENTRIXPAGE *page) {
    ShadeLight32Wide rule{{Px32(page)}, size_t(page->Width) * size_t(page->Height)};
    ShadeLightRows(r, page->Width, page->Height, rule);
}
#endif
}  // namespace

void ShadeLightTri32(const TriVertex<3> &a, const TriVertex<3> &b, const TriVertex<3> &c, defZENTRIXPAGE *page) {
    TriRows<3> r;
    if (!r.Begin(a, b, c, page->Height)) return;
#if defined(ZX_AVX2_PATH)
    if (g_SpanAvx2.load(std::memory_order_relaxed)) {
        ShadeLightRowsAvx2(r, page);
        return;
    }
#endif
    ShadeLight32 rule{Px32(page)};
    ShadeLightRows(r, page->Width, page->Height, rule);
}

namespace {
void TextureRow32Shared(int32_t x1, int32_t U1, int32_t V1, int32_t x2, int32_t U2, int32_t V2, int32_t y,
                        const uint32_t *Texture, int32_t TexWidth, defZENTRIXPAGE *page) {
    Draw<2, false, kAll>(x1, A2{U1, V1}, x2, A2{U2, V2}, y, page, Texture32{Px32(page), TexelCache32(Texture), TexWidth});
}
void TextureRow32Apart(int32_t x1, int32_t U1, int32_t V1, int32_t x2, int32_t U2, int32_t V2, int32_t y,
                       const uint32_t *Texture, int32_t TexWidth, defZENTRIXPAGE *page) {
    Draw<2, false, kAll>(x1, A2{U1, V1}, x2, A2{U2, V2}, y, page,
                         TextureDisjoint32{{Px32(page), TexelCache32(Texture), TexWidth}});
}
}  // namespace

TextureRowFn TextureRow32For(bool apart) { return apart ? TextureRow32Apart : TextureRow32Shared; }

TextureTriFn TextureTri32For(bool apart) {
#if defined(ZX_AVX2_PATH)
    if (apart && g_SpanAvx2.load(std::memory_order_relaxed)) return TextureTri32Avx2;
#else
    (void)apart;
#endif
    return nullptr;
}
}  // namespace zx

using namespace zx;

extern "C" {

ZENTRIX_API int32_t ZentrixUseSimd(int32_t Enable) {
    const int32_t was = g_SpanSimd.load() ? (g_SpanAvx2.load() ? 2 : 1) : 0;
#if defined(__SSE2__)
    g_SpanSimd.store(Enable != 0);
    g_SpanAvx2.store(Enable >= 2 && CpuHasAvx2());
#else
    (void)Enable;
#endif
    return was;
}

// ---------------------------------------------------------------- solid

ZENTRIX_API void HSolidLine16(int32_t x1, int32_t x2, int32_t y, uint32_t Colour, defZENTRIXPAGE *page) {
    if (!Ok16(page)) return;
    Draw<0, false, 0>(x1, A0{}, x2, A0{}, y, page, Solid16{Px16(page), uint16_t(Colour)});
}

ZENTRIX_API void HSolidLine32(int32_t x1, int32_t x2, int32_t y, uint32_t Colour, defZENTRIXPAGE *page) {
    if (!Ok32(page)) return;
    Draw<0, false, 0>(x1, A0{}, x2, A0{}, y, page, Solid32{Px32(page), Colour});
}

// ---------------------------------------------------------------- shade

ZENTRIX_API void HShadeLine16(int32_t x1, fixed16_t r1, fixed16_t g1, fixed16_t b1, int32_t x2, fixed16_t r2, fixed16_t g2,
                              fixed16_t b2, int32_t y, defZENTRIXPAGE *page) {
    if (!Ok16(page)) return;
    Draw<3, false, 0b011>(x1, A3{r1, g1, b1}, x2, A3{r2, g2, b2}, y, page, Shade16{Px16(page)});
}

ZENTRIX_API void HShadeLine32(int32_t x1, fixed16_t r1, fixed16_t g1, fixed16_t b1, int32_t x2, fixed16_t r2, fixed16_t g2,
                              fixed16_t b2, int32_t y, defZENTRIXPAGE *page) {
    if (!Ok32(page)) return;
    Draw<3, false, kAll>(x1, A3{r1, g1, b1}, x2, A3{r2, g2, b2}, y, page, Shade32{Px32(page)});
}

ZENTRIX_API void HShadeLineLight16(int32_t x1, fixed16_t r1, fixed16_t g1, fixed16_t b1, int32_t x2, fixed16_t r2,
                                   fixed16_t g2, fixed16_t b2, int32_t y, defZENTRIXPAGE *page) {
    if (!Ok16(page)) return;
    Draw<3, true, 0b011>(x1, A3{r1, g1, b1}, x2, A3{r2, g2, b2}, y, page, ShadeLight16{Px16(page)});
}

ZENTRIX_API void HShadeLineLight32(int32_t x1, fixed16_t r1, fixed16_t g1, fixed16_t b1, int32_t x2, fixed16_t r2,
                                   fixed16_t g2, fixed16_t b2, int32_t y, defZENTRIXPAGE *page) {
    if (!Ok32(page)) return;
    Draw<3, true, 0>(x1, A3{r1, g1, b1}, x2, A3{r2, g2, b2}, y, page, ShadeLight32{Px32(page)});
}

ZENTRIX_API void HNCShadeLineLight32(int32_t x1, fixed16_t r1, fixed16_t g1, fixed16_t b1, int32_t x2, fixed16_t r2,
                                     fixed16_t g2, fixed16_t b2, int32_t y, defZENTRIXPAGE *page) {
    // Clipping costs a few compares a span and changes nothing for spans
    // inside the page, so this one clips too.
    HShadeLineLight32(x1, r1, g1, b1, x2, r2, g2, b2, y, page);
}

ZENTRIX_API void HShadeLineDark16(int32_t x1, fixed16_t r1, fixed16_t g1, fixed16_t b1, int32_t x2, fixed16_t r2,
                                  fixed16_t g2, fixed16_t b2, int32_t y, defZENTRIXPAGE *page) {
    if (!Ok16(page)) return;
    Draw<3, true, kAll>(x1, A3{r1, g1, b1}, x2, A3{r2, g2, b2}, y, page, ShadeDark16{Px16(page)});
}

ZENTRIX_API void HShadeLineDark32(int32_t x1, fixed16_t r1, fixed16_t g1, fixed16_t b1, int32_t x2, fixed16_t r2,
                                  fixed16_t g2, fixed16_t b2, int32_t y, defZENTRIXPAGE *page) {
    if (!Ok32(page)) return;
    Draw<3, true, kAll>(x1, A3{r1, g1, b1}, x2, A3{r2, g2, b2}, y, page, ShadeDark32{Px32(page)});
}

// ---------------------------------------------------------------- texture

ZENTRIX_API void HTextureLine16(int32_t x1, fixed16_t U1, fixed16_t V1, int32_t x2, fixed16_t U2, fixed16_t V2, int32_t y,
                                const void *Texture, int32_t TexWidth, defZENTRIXPAGE *page) {
    if (!Ok16(page) || !Texture) return;
    Draw<2, false, kAll>(x1, A2{U1, V1}, x2, A2{U2, V2}, y, page,
                         Texture16{Px16(page), static_cast<const uint8_t *>(Texture), TexWidth});
}

ZENTRIX_API void HTextureLine32(int32_t x1, fixed16_t U1, fixed16_t V1, int32_t x2, fixed16_t U2, fixed16_t V2, int32_t y,
                                const void *Texture, int32_t TexWidth, defZENTRIXPAGE *page) {
    if (!Ok32(page) || !Texture) return;
    Draw<2, false, kAll>(x1, A2{U1, V1}, x2, A2{U2, V2}, y, page, Texture32{Px32(page), TexelCache32(Texture), TexWidth});
}

ZENTRIX_API void HTextureMaskLine32(int32_t x1, fixed16_t U1, fixed16_t V1, int32_t x2, fixed16_t U2, fixed16_t V2,
                                    int32_t y, const void *Texture, int32_t TexWidth, uint32_t MaskColour,
                                    defZENTRIXPAGE *page) {
    if (!Ok32(page) || !Texture) return;
    Draw<2, false, kAll>(x1, A2{U1, V1}, x2, A2{U2, V2}, y, page,
                         TextureMask32{Px32(page), TexelCache32(Texture), TexWidth, MaskColour});
}

ZENTRIX_API void HTextureLineTrans16(int32_t x1, fixed16_t U1, fixed16_t V1, int32_t x2, fixed16_t U2, fixed16_t V2,
                                     int32_t y, const void *Texture, int32_t TexWidth, int32_t Level, defZENTRIXPAGE *page) {
    if (!Ok16(page) || !Texture) return;
    Draw<2, true, kAll>(x1, A2{U1, V1}, x2, A2{U2, V2}, y, page,
                        TextureTrans16{Px16(page), static_cast<const uint8_t *>(Texture), TexWidth, Wrap(Level)});
}

ZENTRIX_API void HTextureLineTrans32(int32_t x1, fixed16_t U1, fixed16_t V1, int32_t x2, fixed16_t U2, fixed16_t V2,
                                     int32_t y, const void *Texture, int32_t TexWidth, int32_t Level, defZENTRIXPAGE *page) {
    if (!Ok32(page) || !Texture) return;
    Draw<2, true, kAll>(x1, A2{U1, V1}, x2, A2{U2, V2}, y, page,
                        TextureTrans32{Px32(page), TexelCache32(Texture), TexWidth, Wrap(Level)});
}

ZENTRIX_API void HTextureLineDimmed32(int32_t x1, fixed16_t U1, fixed16_t V1, int32_t x2, fixed16_t U2, fixed16_t V2,
                                      int32_t y, const void *Texture, int32_t TexWidth, int32_t Factor,
                                      defZENTRIXPAGE *page) {
    if (!Ok32(page) || !Texture) return;
    const Dimmed dim{static_cast<const uint32_t *>(Texture), TexWidth, Wrap(page->Width) * Wrap(page->Height),
                     Wrap(Factor)};
    Draw<2, false, kAll>(x1, A2{U1, V1}, x2, A2{U2, V2}, y, page, TextureDimmed32<false>{Px32(page), dim});
}

ZENTRIX_API void HTextureLineLightDimmed32(int32_t x1, fixed16_t U1, fixed16_t V1, int32_t x2, fixed16_t U2, fixed16_t V2,
                                           int32_t y, const void *Texture, int32_t TexWidth, int32_t Factor,
                                           defZENTRIXPAGE *page) {
    if (!Ok32(page) || !Texture) return;
    const Dimmed dim{static_cast<const uint32_t *>(Texture), TexWidth, Wrap(page->Width) * Wrap(page->Height),
                     Wrap(Factor)};
    Draw<2, false, kAll>(x1, A2{U1, V1}, x2, A2{U2, V2}, y, page, TextureDimmed32<true>{Px32(page), dim});
}

ZENTRIX_API void HAddTextureLine16(int32_t x1, fixed16_t U1, fixed16_t V1, int32_t x2, fixed16_t U2, fixed16_t V2, int32_t y,
                                   const void *Texture, int32_t TexWidth, defZENTRIXPAGE *page) {
    if (!Ok16(page) || !Texture) return;
    Draw<2, false, kAll>(x1, A2{U1, V1}, x2, A2{U2, V2}, y, page,
                         AddTexture16{Px16(page), TexelCache24(Texture), TexWidth});
}

ZENTRIX_API void HAddTextureLine32(int32_t x1, fixed16_t U1, fixed16_t V1, int32_t x2, fixed16_t U2, fixed16_t V2, int32_t y,
                                   const void *Texture, int32_t TexWidth, defZENTRIXPAGE *page) {
    if (!Ok32(page) || !Texture) return;
    Draw<2, true, kAll>(x1, A2{U1, V1}, x2, A2{U2, V2}, y, page,
                        AddTexture32{Px32(page), TexelCache32(Texture), TexWidth});
}

ZENTRIX_API void HTextureLineLS16(int32_t x1, fixed16_t U1, fixed16_t V1, int32_t x2, fixed16_t U2, fixed16_t V2, int32_t y,
                                  int32_t LightRed, int32_t LightGreen, int32_t LightBlue, const void *Texture,
                                  int32_t TexWidth, defZENTRIXPAGE *page) {
    if (!Ok16(page) || !Texture) return;
    Draw<2, false, kAll>(x1, A2{U1, V1}, x2, A2{U2, V2}, y, page,
                         TextureLS16{Px16(page), static_cast<const uint8_t *>(Texture), TexWidth, Wrap(LightRed) + 16u,
                                     Wrap(LightGreen) + 16u, Wrap(LightBlue) + 16u});
}

ZENTRIX_API void HTextureLineLS32(int32_t x1, fixed16_t U1, fixed16_t V1, int32_t x2, fixed16_t U2, fixed16_t V2, int32_t y,
                                  int32_t LightRed, int32_t LightGreen, int32_t LightBlue, const void *Texture,
                                  int32_t TexWidth, defZENTRIXPAGE *page) {
    if (!Ok32(page) || !Texture) return;
    Draw<2, false, kAll>(x1, A2{U1, V1}, x2, A2{U2, V2}, y, page,
                         TextureLS32{Px32(page), TexelCache32(Texture), TexWidth, Signed(ToFixed(LightRed)),
                                     Signed(Wrap(LightGreen) << 8), LightBlue});
}

ZENTRIX_API void HTextureLineZ32(int32_t x1, fixed16_t U1, fixed16_t V1, fixed16_t z1, int32_t x2, fixed16_t U2,
                                 fixed16_t V2, fixed16_t z2, int32_t y, const void *Texture, int32_t TexWidth,
                                 void *DepthBuffer, defZENTRIXPAGE *page) {
    if (!Ok32(page) || !Texture || !DepthBuffer) return;
    // Depth is compared whole, so it carries no rounding half.
    Draw<3, false, 0b011>(x1, A3{U1, V1, z1}, x2, A3{U2, V2, z2}, y, page,
                          TextureZ32{Px32(page), TexelCache32(Texture), TexWidth, static_cast<int32_t *>(DepthBuffer)});
}

// ---------------------------------------------------------------- offset

ZENTRIX_API void HOfsLine16(int32_t x1, int32_t x2, int32_t y, int32_t dx, int32_t dy, const defZENTRIXPAGE *Source,
                            defZENTRIXPAGE *page) {
    if (!Ok16(page) || !PageUsable(Source, false)) return;
    Draw<0, false, 0>(x1, A0{}, x2, A0{}, y, page, Ofs<uint16_t>{Px16(page), {Source, page, y, dx, dy}});
}

ZENTRIX_API void HOfsLine32(int32_t x1, int32_t x2, int32_t y, int32_t dx, int32_t dy, const defZENTRIXPAGE *Source,
                            defZENTRIXPAGE *page) {
    if (!Ok32(page) || !PageUsable(Source, true)) return;
    Draw<0, false, 0>(x1, A0{}, x2, A0{}, y, page, Ofs<uint32_t>{Px32(page), {Source, page, y, dx, dy}});
}

ZENTRIX_API void HOfsLineLS16(int32_t x1, int32_t x2, int32_t y, int32_t dx, int32_t dy, int32_t LightRed,
                              int32_t LightGreen, int32_t LightBlue, const defZENTRIXPAGE *Source, defZENTRIXPAGE *page) {
    if (!Ok16(page) || !PageUsable(Source, false)) return;
    Draw<0, false, 0>(x1, A0{}, x2, A0{}, y, page,
                      OfsLS16{Px16(page), {Source, page, y, dx, dy}, Wrap(LightRed), Wrap(LightGreen), Wrap(LightBlue)});
}

ZENTRIX_API void HOfsLineLS32(int32_t x1, int32_t x2, int32_t y, int32_t dx, int32_t dy, int32_t LightRed,
                              int32_t LightGreen, int32_t LightBlue, const defZENTRIXPAGE *Source, defZENTRIXPAGE *page) {
    if (!Ok32(page) || !PageUsable(Source, true)) return;
    Draw<0, false, 0>(x1, A0{}, x2, A0{}, y, page,
                      OfsLS32{Px32(page), {Source, page, y, dx, dy}, Wrap(LightRed), Wrap(LightGreen), Wrap(LightBlue)});
}

ZENTRIX_API void HOfsLineSmooth16(int32_t x1, fixed16_t sx1, fixed16_t sy1, int32_t x2, fixed16_t sx2, fixed16_t sy2,
                                  int32_t y, const defZENTRIXPAGE *Source, defZENTRIXPAGE *page) {
    if (!Ok16(page) || !PageUsable(Source, false)) return;
    Draw<2, false, kAll>(x1, A2{sx1, sy1}, x2, A2{sx2, sy2}, y, page,
                         OfsSmooth16{Px16(page), SmoothSource<uint16_t>(Source)});
}

ZENTRIX_API void HOfsLineSmooth32(int32_t x1, fixed16_t sx1, fixed16_t sy1, int32_t x2, fixed16_t sx2, fixed16_t sy2,
                                  int32_t y, const defZENTRIXPAGE *Source, defZENTRIXPAGE *page) {
    if (!Ok32(page) || !PageUsable(Source, true)) return;
    Draw<2, false, kAll>(x1, A2{sx1, sy1}, x2, A2{sx2, sy2}, y, page,
                         OfsSmooth32{Px32(page), SmoothSource<uint32_t>(Source), EndsInside(sx1, sy1, sx2, sy2, Source)});
}

ZENTRIX_API void HOfsLineSmoothTexture16(int32_t x1, fixed16_t sx1, fixed16_t sy1, fixed16_t U1, fixed16_t V1, int32_t x2,
                                         fixed16_t sx2, fixed16_t sy2, fixed16_t U2, fixed16_t V2, int32_t y,
                                         const defZENTRIXPAGE *Source, const void *Texture, int32_t Level,
                                         int32_t TexWidth, defZENTRIXPAGE *page) {
    if (!Ok16(page) || !PageUsable(Source, false) || !Texture) return;
    Draw<4, false, kAll>(x1, A4{sx1, sy1, U1, V1}, x2, A4{sx2, sy2, U2, V2}, y, page,
                         OfsSmoothTexture16{Px16(page), SmoothSource<uint16_t>(Source), TexelCache24(Texture), TexWidth,
                                            Wrap(Level)});
}

ZENTRIX_API void HOfsLineSmoothTexture32(int32_t x1, fixed16_t sx1, fixed16_t sy1, fixed16_t U1, fixed16_t V1, int32_t x2,
                                         fixed16_t sx2, fixed16_t sy2, fixed16_t U2, fixed16_t V2, int32_t y,
                                         const defZENTRIXPAGE *Source, const void *Texture, int32_t Level,
                                         int32_t TexWidth, defZENTRIXPAGE *page) {
    if (!Ok32(page) || !PageUsable(Source, true) || !Texture) return;
    Draw<4, false, kAll>(x1, A4{sx1, sy1, U1, V1}, x2, A4{sx2, sy2, U2, V2}, y, page,
                         OfsSmoothTexture32{Px32(page), SmoothSource<uint32_t>(Source), TexelCache32(Texture), TexWidth,
                                            Wrap(Level), EndsInside(sx1, sy1, sx2, sy2, Source)});
}

ZENTRIX_API void HOfsLineSmoothAddTexture16(int32_t x1, fixed16_t sx1, fixed16_t sy1, fixed16_t U1, fixed16_t V1,
                                            int32_t x2, fixed16_t sx2, fixed16_t sy2, fixed16_t U2, fixed16_t V2,
                                            int32_t y, const defZENTRIXPAGE *Source, const void *Texture,
                                            int32_t TexWidth, defZENTRIXPAGE *page) {
    if (!Ok16(page) || !PageUsable(Source, false) || !Texture) return;
    Draw<4, false, kAll>(x1, A4{sx1, sy1, U1, V1}, x2, A4{sx2, sy2, U2, V2}, y, page,
                         OfsSmoothAddTexture16{Px16(page), SmoothSource<uint16_t>(Source), TexelCache24(Texture),
                                               TexWidth});
}

ZENTRIX_API void HOfsLineSmoothAddTexture32(int32_t x1, fixed16_t sx1, fixed16_t sy1, fixed16_t U1, fixed16_t V1,
                                            int32_t x2, fixed16_t sx2, fixed16_t sy2, fixed16_t U2, fixed16_t V2,
                                            int32_t y, const defZENTRIXPAGE *Source, const void *Texture,
                                            int32_t TexWidth, defZENTRIXPAGE *page) {
    if (!Ok32(page) || !PageUsable(Source, true) || !Texture) return;
    Draw<4, false, kAll>(x1, A4{sx1, sy1, U1, V1}, x2, A4{sx2, sy2, U2, V2}, y, page,
                         OfsSmoothAddTexture32{Px32(page), SmoothSource<uint32_t>(Source), TexelCache32(Texture),
                                               TexWidth});
}

ZENTRIX_API void HOfsLineSmoothLS16(int32_t x1, fixed16_t sx1, fixed16_t sy1, fixed16_t r1, fixed16_t g1, fixed16_t b1,
                                    int32_t x2, fixed16_t sx2, fixed16_t sy2, fixed16_t r2, fixed16_t g2, fixed16_t b2,
                                    int32_t y, const defZENTRIXPAGE *Source, defZENTRIXPAGE *page) {
    if (!Ok16(page) || !PageUsable(Source, false)) return;
    Draw<5, false, kAll>(x1, A5{sx1, sy1, r1, g1, b1}, x2, A5{sx2, sy2, r2, g2, b2}, y, page,
                         OfsSmoothLS16{Px16(page), SmoothSource<uint16_t>(Source)});
}

ZENTRIX_API void HOfsLineSmoothLS32(int32_t x1, fixed16_t sx1, fixed16_t sy1, fixed16_t r1, fixed16_t g1, fixed16_t b1,
                                    int32_t x2, fixed16_t sx2, fixed16_t sy2, fixed16_t r2, fixed16_t g2, fixed16_t b2,
                                    int32_t y, const defZENTRIXPAGE *Source, defZENTRIXPAGE *page) {
    if (!Ok32(page) || !PageUsable(Source, true)) return;
    Draw<5, false, kAll>(x1, A5{sx1, sy1, r1, g1, b1}, x2, A5{sx2, sy2, r2, g2, b2}, y, page,
                         OfsSmoothLS32{Px32(page), SmoothSource<uint32_t>(Source)});
}

}  // extern "C"
