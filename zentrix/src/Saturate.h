// Per-byte saturating add and subtract over runs of 32-bit pixels: the fast
// SSE2 loops (four pixels a step) and the portable loops they must match.
// Library-internal, header-only so that tests can compare both paths.
#pragma once

#include "Pixels.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#define ZENTRIX_HAVE_SSE2 1
#else
#define ZENTRIX_HAVE_SSE2 0
#endif
#if ZENTRIX_HAVE_SSE2 && defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define ZENTRIX_HAVE_AVX2_PATH 1  // AVX2 loops beside SSE2, chosen at run time
#else
#define ZENTRIX_HAVE_AVX2_PATH 0
#endif

namespace zentrix {

// Fills n pixels with c. gcc -O2 leaves std::fill scalar; eight aligned
// 16-byte stores a step (the loop around them kept thin, so two stores retire
// a cycle) fill a page about ten times faster.
inline void FillU32Sse2(uint32_t *p, size_t n, uint32_t c)
{
#if ZENTRIX_HAVE_SSE2
    for (; n && (reinterpret_cast<uintptr_t>(p) & 15u); --n) *p++ = c;
    const __m128i c4 = _mm_set1_epi32(static_cast<int32_t>(c));
    for (; n >= 32; n -= 32, p += 32) {
        __m128i *q = reinterpret_cast<__m128i *>(p);
        _mm_store_si128(q, c4);
        _mm_store_si128(q + 1, c4);
        _mm_store_si128(q + 2, c4);
        _mm_store_si128(q + 3, c4);
        _mm_store_si128(q + 4, c4);
        _mm_store_si128(q + 5, c4);
        _mm_store_si128(q + 6, c4);
        _mm_store_si128(q + 7, c4);
    }
    for (; n >= 4; n -= 4, p += 4) _mm_store_si128(reinterpret_cast<__m128i *>(p), c4);
#endif
    for (; n; --n) *p++ = c;
}

inline void SubConstScalar(uint32_t *p, size_t n, uint32_t amount)
{
    for (size_t i = 0; i < n; i++)
        p[i] = SubBytes32(p[i], amount);
}

inline void AddConstScalar(uint32_t *p, size_t n, uint32_t amount)
{
    for (size_t i = 0; i < n; i++)
        p[i] = AddBytes32(p[i], amount);
}

inline void AddRowScalar(uint32_t *d, const uint32_t *s, size_t n)
{
    for (size_t i = 0; i < n; i++)
        d[i] = AddBytes32(d[i], s[i]);
}

#if ZENTRIX_HAVE_SSE2
inline void SubConstSse2(uint32_t *p, size_t n, uint32_t amount)
{
    const __m128i a = _mm_set1_epi32(static_cast<int32_t>(amount));
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(p + i), _mm_subs_epu8(v, a));
    }
    SubConstScalar(p + i, n - i, amount);
}

inline void AddConstSse2(uint32_t *p, size_t n, uint32_t amount)
{
    const __m128i a = _mm_set1_epi32(static_cast<int32_t>(amount));
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(p + i), _mm_adds_epu8(v, a));
    }
    AddConstScalar(p + i, n - i, amount);
}

inline void AddRowSse2(uint32_t *d, const uint32_t *s, size_t n)
{
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(d + i));
        __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + i));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(d + i), _mm_adds_epu8(v, w));
    }
    AddRowScalar(d + i, s + i, n - i);
}
#endif

#if ZENTRIX_HAVE_AVX2_PATH
// For processors with AVX2 (checked at run time). The destination is
// brought to a 32-byte boundary pixel by pixel, then sixteen pixels a step:
// its loads and stores never split a cache line, the source's may.
__attribute__((target("avx2"))) inline void AddRowAvx2(uint32_t *d, const uint32_t *s, size_t n)
{
    for (; n && (reinterpret_cast<uintptr_t>(d) & 31u); --n, ++d, ++s)
        *d = AddBytes32(*d, *s);
    for (; n >= 16; n -= 16, d += 16, s += 16) {
        __m256i *q = reinterpret_cast<__m256i *>(d);
        const __m256i *r = reinterpret_cast<const __m256i *>(s);
        const __m256i w0 = _mm256_loadu_si256(r), w1 = _mm256_loadu_si256(r + 1);
        _mm256_store_si256(q, _mm256_adds_epu8(_mm256_load_si256(q), w0));
        _mm256_store_si256(q + 1, _mm256_adds_epu8(_mm256_load_si256(q + 1), w1));
    }
    AddRowSse2(d, s, n);
}

// Fills n pixels with c: eight aligned 32-byte stores a step.
__attribute__((target("avx2"))) inline void FillU32Avx2(uint32_t *p, size_t n, uint32_t c)
{
    for (; n && (reinterpret_cast<uintptr_t>(p) & 31u); --n) *p++ = c;
    const __m256i c8 = _mm256_set1_epi32(static_cast<int32_t>(c));
    for (; n >= 64; n -= 64, p += 64) {
        __m256i *q = reinterpret_cast<__m256i *>(p);
        _mm256_store_si256(q, c8);
        _mm256_store_si256(q + 1, c8);
        _mm256_store_si256(q + 2, c8);
        _mm256_store_si256(q + 3, c8);
        _mm256_store_si256(q + 4, c8);
        _mm256_store_si256(q + 5, c8);
        _mm256_store_si256(q + 6, c8);
        _mm256_store_si256(q + 7, c8);
    }
    for (; n >= 8; n -= 8, p += 8) _mm256_store_si256(reinterpret_cast<__m256i *>(p), c8);
    for (; n; --n) *p++ = c;
}
// A constant added to or taken from a run in place: the head is done pixel
// by pixel up to a 32-byte boundary, then sixteen pixels a step with aligned
// loads and stores (on a page that does not fit the first cache levels,
// split loads and stores cost more than the arithmetic).
template <bool kAdd>
__attribute__((target("avx2"))) inline void ConstRunAvx2(uint32_t *p, size_t n, uint32_t amount)
{
    for (; n && (reinterpret_cast<uintptr_t>(p) & 31u); --n, ++p)
        *p = kAdd ? AddBytes32(*p, amount) : SubBytes32(*p, amount);
    const __m256i a = _mm256_set1_epi32(static_cast<int32_t>(amount));
    for (; n >= 16; n -= 16, p += 16) {
        __m256i *q = reinterpret_cast<__m256i *>(p);
        const __m256i v0 = _mm256_load_si256(q), v1 = _mm256_load_si256(q + 1);
        _mm256_store_si256(q, kAdd ? _mm256_adds_epu8(v0, a) : _mm256_subs_epu8(v0, a));
        _mm256_store_si256(q + 1, kAdd ? _mm256_adds_epu8(v1, a) : _mm256_subs_epu8(v1, a));
    }
    if (kAdd)
        AddConstSse2(p, n, amount);
    else
        SubConstSse2(p, n, amount);
}
inline void AddConstAvx2(uint32_t *p, size_t n, uint32_t amount) { ConstRunAvx2<true>(p, n, amount); }
inline void SubConstAvx2(uint32_t *p, size_t n, uint32_t amount) { ConstRunAvx2<false>(p, n, amount); }

inline bool CpuHasAvx2()
{
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return has;
}
#endif

// The paths the library uses.
inline void FillU32(uint32_t *p, size_t n, uint32_t c)
{
#if ZENTRIX_HAVE_AVX2_PATH
    if (CpuHasAvx2())
        return FillU32Avx2(p, n, c);
#endif
    FillU32Sse2(p, n, c);
}

inline void SubConst(uint32_t *p, size_t n, uint32_t amount)
{
#if ZENTRIX_HAVE_AVX2_PATH
    if (CpuHasAvx2())
        SubConstAvx2(p, n, amount);
    else
        SubConstSse2(p, n, amount);
#elif ZENTRIX_HAVE_SSE2
    SubConstSse2(p, n, amount);
#else
    SubConstScalar(p, n, amount);
#endif
}

inline void AddConst(uint32_t *p, size_t n, uint32_t amount)
{
#if ZENTRIX_HAVE_AVX2_PATH
    if (CpuHasAvx2())
        AddConstAvx2(p, n, amount);
    else
        AddConstSse2(p, n, amount);
#elif ZENTRIX_HAVE_SSE2
    AddConstSse2(p, n, amount);
#else
    AddConstScalar(p, n, amount);
#endif
}

inline void AddRow(uint32_t *d, const uint32_t *s, size_t n)
{
#if ZENTRIX_HAVE_AVX2_PATH
    if (CpuHasAvx2())
        AddRowAvx2(d, s, n);
    else
        AddRowSse2(d, s, n);
#elif ZENTRIX_HAVE_SSE2
    AddRowSse2(d, s, n);
#else
    AddRowScalar(d, s, n);
#endif
}

} // namespace zentrix
