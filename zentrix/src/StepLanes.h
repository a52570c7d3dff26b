// StepLanes.h - StepOf for four lanes at once by a multiply with a table of
// reciprocals instead of four divisions: the per-row and per-edge steps of
// the AVX2 triangle loop. Library-internal, header-only so that tests can
// compare it with StepOf.
#ifndef ZENTRIX_STEPLANES_H
#define ZENTRIX_STEPLANES_H

#include "SpanFrame.h"

#if defined(__SSE2__) && defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define ZX_STEP_LANES 1
#endif

namespace zx {

// For a count d with 2^(L-1) < d <= 2^L, c = ceil(2^k / d) with k = 31 + L is
// below 2^32, and the quotient of any 0 <= n <= 2^31 by d is (c * n) >> k
// (a product below 2^63): c * d = 2^k + e with 0 <= e < d, so c * n / 2^k
// exceeds n / d by e * n / (d * 2^k) < 1 / d (as e * n < 2^L * 2^31), too
// little to reach the next integer above n / d, which is at least 1 / d
// away. Entry 0 gives 0.
constexpr int32_t kReciprocals = 1024;
struct Reciprocal {
    uint32_t c, k;
};
struct ReciprocalTable {
    Reciprocal r[kReciprocals + 1];
};
constexpr ReciprocalTable MakeReciprocals() {
    ReciprocalTable t{};
    for (uint32_t d = 1; d <= uint32_t(kReciprocals); ++d) {
        uint32_t L = 0;
        while ((1u << L) < d) ++L;
        const uint32_t k = 31 + L;
        t.r[d] = {uint32_t(((uint64_t(1) << k) + d - 1) / d), k};
    }
    return t;
}
inline constexpr ReciprocalTable kReciprocal = MakeReciprocals();

#if defined(ZX_STEP_LANES)
// StepOf(lane, count) of the four lanes of d for a count >= 0 (0 gives
// steps of 0). The sign is taken off before the multiply and put back
// after: truncation toward zero.
__attribute__((target("avx2"), always_inline)) inline __m128i StepLanes(__m128i d, int64_t count) {
    if (count > kReciprocals) {
        alignas(16) uint32_t l[4];
        _mm_store_si128(reinterpret_cast<__m128i *>(l), d);
        return _mm_setr_epi32(int(StepOf(l[0], count)), int(StepOf(l[1], count)), int(StepOf(l[2], count)),
                              int(StepOf(l[3], count)));
    }
    const Reciprocal r = kReciprocal.r[count];
    const __m128i sign = _mm_srai_epi32(d, 31);
    const __m256i n = _mm256_cvtepu32_epi64(_mm_abs_epi32(d));  // |d|, up to 2^31
    const __m256i q =
        _mm256_srl_epi64(_mm256_mul_epu32(n, _mm256_set1_epi64x(int64_t(r.c))), _mm_cvtsi32_si128(int(r.k)));
    const __m128i q4 = _mm256_castsi256_si128(_mm256_permutevar8x32_epi32(q, _mm256_setr_epi32(0, 2, 4, 6, 0, 2, 4, 6)));
    return _mm_sub_epi32(_mm_xor_si128(q4, sign), sign);
}
#endif

}  // namespace zx

#endif
