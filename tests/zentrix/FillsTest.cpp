// Fills and whole-page tints, including the SSE2 tint and additive paths
// against their portable loops.
#include "PageFixture.h"
#include "Saturate.h"

#include <algorithm>
#include <random>
#include <vector>

TEST(Fills, Cls32FillsEveryPixelInBothFormats)
{
    TestPage odd(7, 3, 16); // 21 pixels: an odd count
    Cls32(&odd.page, 31, 0, 1);
    for (size_t i = 0; i < odd.Count(); i++)
        ASSERT_EQ(static_cast<uint16_t *>(odd.page.pPageData)[i], 0xF801);
    TestPage p32(5, 5, 32);
    Cls32(&p32.page, 0x12, 0x34, 0x56);
    for (size_t i = 0; i < p32.Count(); i++)
        ASSERT_EQ(static_cast<uint32_t *>(p32.page.pPageData)[i], 0x123456u);
    Cls32(&p32.page, 0, 256, 0); // out-of-range green spills into red
    EXPECT_EQ(p32.P32(0, 0), 0x010000u);
    Cls32(nullptr, 1, 2, 3);
}

TEST(Fills, ClArea32FillsWholeRowsClippedToThePage)
{
    TestPage p(4, 6, 32);
    ClArea32(&p.page, 2, 3, 0, 0, 9);
    for (int y = 0; y < 6; y++)
        for (int x = 0; x < 4; x++)
            ASSERT_EQ(p.P32(x, y), (y >= 2 && y < 5) ? 9u : 0u) << x << "," << y;
    ClArea32(&p.page, 4, 1000, 0, 0, 7); // past the bottom: rows 4 and 5 only
    EXPECT_EQ(p.P32(3, 5), 7u);
    EXPECT_EQ(p.P32(0, 3), 9u);
    ClArea32(&p.page, 6, 1, 0, 0, 1);    // starts below the page: nothing
    ClArea32(&p.page, 0xFFFFFFFFu, 0xFFFFFFFFu, 0, 0, 1);
    EXPECT_EQ(p.P32(3, 5), 7u);
    TestPage p16(3, 3, 16);
    ClArea32(&p16.page, 1, 1, 1, 1, 1);
    EXPECT_EQ(p16.P16(0, 1), 0x0821);
    EXPECT_EQ(p16.P16(0, 0), 0);
}

TEST(Tints, DimAndBrightenSaturatePerChannel)
{
    TestPage p(3, 2, 32);
    p.P32(0, 0) = 0x00FF8010;
    p.P32(1, 0) = 0xAB102030; // the top byte is left alone
    DimScreen32(&p.page, 0x20, 0x90, 0x10);
    EXPECT_EQ(p.P32(0, 0), 0x00DF0000u);
    EXPECT_EQ(p.P32(1, 0), 0xAB000020u);
    BrightenScreen32(&p.page, 0x30, 0x01, 0xF0);
    EXPECT_EQ(p.P32(0, 0), 0x00FF01F0u);
    DimScreen32(&p.page, 255, 255, 255);
    for (size_t i = 0; i < p.Count(); i++)
        ASSERT_EQ(static_cast<uint32_t *>(p.page.pPageData)[i] & 0xFFFFFF, 0u);
    BrightenScreen32(&p.page, 255, 255, 255);
    for (size_t i = 0; i < p.Count(); i++)
        ASSERT_EQ(static_cast<uint32_t *>(p.page.pPageData)[i] & 0xFFFFFF, 0xFFFFFFu);

    TestPage p16(2, 2, 16); // 32-bit only: a 16-bit page is untouched
    DimScreen32(&p16.page, 1, 1, 1);
    BrightenScreen32(&p16.page, 1, 1, 1);
    EXPECT_EQ(p16.P16(1, 1), 0);
}

#if ZENTRIX_HAVE_SSE2
TEST(Tints, VectorPathsMatchPortableLoops)
{
    using Run = void (*)(uint32_t *, size_t, uint32_t);
    std::mt19937 rng(12345);
    for (size_t n : {0u, 1u, 3u, 4u, 5u, 17u, 1000u}) {
        std::vector<uint32_t> base(n), other(n);
        for (size_t i = 0; i < n; i++) {
            base[i] = rng();
            other[i] = rng();
        }
        // The portable and the vector loop over the pixels from `from` on.
        auto same = [&](Run portable, Run vector, size_t from, uint32_t amount) {
            auto a = base, b = base;
            portable(a.data() + from, n - from, amount);
            vector(b.data() + from, n - from, amount);
            ASSERT_EQ(a, b) << n << " pixels from " << from << ", amount " << amount;
        };
        for (uint32_t amount : {0u, 0x010203u, 0x00FF00FFu, 0xFFFFFFFFu, 0x80808080u, uint32_t(rng())}) {
            same(zentrix::SubConstScalar, zentrix::SubConstSse2, 0, amount);
            same(zentrix::AddConstScalar, zentrix::AddConstSse2, 0, amount);
#if ZENTRIX_HAVE_AVX2_PATH
            // Every head length: start at each of the first 8 pixels.
            for (size_t from = 0; zentrix::CpuHasAvx2() && from < std::min<size_t>(n, 8); from++) {
                same(zentrix::AddConstScalar, zentrix::AddConstAvx2, from, amount);
                same(zentrix::SubConstScalar, zentrix::SubConstAvx2, from, amount);
                same([](uint32_t *p, size_t k, uint32_t c) { std::fill(p, p + k, c); }, zentrix::FillU32Avx2, from,
                     amount);
            }
#endif
        }
        auto a = base, b = base;
        zentrix::AddRowScalar(a.data(), other.data(), n);
        zentrix::AddRowSse2(b.data(), other.data(), n);
        ASSERT_EQ(a, b);
#if ZENTRIX_HAVE_AVX2_PATH
        for (size_t from = 0; zentrix::CpuHasAvx2() && from < std::min<size_t>(n, 8); from++) {
            // The source one pixel further on: aligned differently from the destination.
            const size_t len = n - std::max<size_t>(from, 1);
            a = b = base;
            zentrix::AddRowScalar(a.data() + from, other.data() + 1, len);
            zentrix::AddRowAvx2(b.data() + from, other.data() + 1, len);
            ASSERT_EQ(a, b);
        }
#endif
    }
}
#endif
