// Single pixels and lines: clipping point by point, the stepping pattern
// against the step-by-step walk it was first written as.
#include "PageFixture.h"

#include <cstdlib>
#include <set>
#include <utility>

namespace {

std::set<std::pair<int, int>> Plotted(TestPage &p)
{
    std::set<std::pair<int, int>> out;
    for (int y = 0; y < p.page.Height; y++)
        for (int x = 0; x < p.page.Width; x++)
            if (p.At(x, y))
                out.insert({x, y});
    return out;
}

} // namespace

TEST(Pixels, PutPixel32WritesOnlyInsideThePage)
{
    TestPage p(4, 3, 32);
    PutPixel32(&p.page, 4, 0, 1, 1, 1);
    PutPixel32(&p.page, 0, 3, 1, 1, 1);
    PutPixel32(&p.page, uint32_t(-1), 0, 1, 1, 1);
    PutPixel32(&p.page, 0, uint32_t(-1), 1, 1, 1);
    EXPECT_TRUE(Plotted(p).empty());
    PutPixel32(&p.page, 3, 2, 0xAA, 0xBB, 0xCC);
    EXPECT_EQ(p.P32(3, 2), 0xAABBCCu);
    TestPage p16(4, 3, 16);
    PutPixel32(&p16.page, 1, 1, 31, 63, 31);
    EXPECT_EQ(p16.P16(1, 1), 0xFFFF);
}

TEST(Lines, PointsOffThePageAreSkipped)
{
    TestPage p(8, 8, 16);
    Line32(-10, 5, 10, 5, 31, 0, 0, &p.page);
    EXPECT_EQ(Plotted(p).size(), 8u);
    for (int x = 0; x < 8; x++)
        EXPECT_EQ(p.P16(x, 5), 0xF800);
    Cls32(&p.page, 0, 0, 0);
    Line32(-1000000000, -5, 2000000000, 4, 1, 1, 1, &p.page); // far ends, nothing overflows
    Line32(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 1, 1, 1, &p.page);
    Line32(100, 100, 200, 300, 1, 1, 1, &p.page);
}

// The stepping as first written: every step walked, points clipped one by one.
static std::set<std::pair<int, int>> ReferenceLine(int x1, int y1, int x2, int y2, int w, int h)
{
    std::set<std::pair<int, int>> out;
    const int dx = x2 - x1, dy = y2 - y1;
    const int sx1 = (dx > 0) - (dx < 0), sy1 = (dy > 0) - (dy < 0);
    int sx2 = sx1, sy2 = 0;
    int longest = std::abs(dx), shortest = std::abs(dy);
    if (!(longest > shortest)) {
        std::swap(longest, shortest);
        sx2 = 0;
        sy2 = sy1;
    }
    int numerator = longest >> 1, x = x1, y = y1;
    for (int i = 0; i <= longest; i++) {
        if (x >= 0 && y >= 0 && x < w && y < h)
            out.insert({x, y});
        numerator += shortest;
        if (numerator >= longest) {
            numerator -= longest;
            x += sx1;
            y += sy1;
        } else {
            x += sx2;
            y += sy2;
        }
    }
    return out;
}

TEST(Lines, MatchesStepByStepWalkForLinesCrossingTheEdges)
{
    TestPage p(13, 9, 32);
    uint32_t seed = 99;
    auto next = [&seed](int range) {
        seed = seed * 1103515245u + 12345u;
        return int((seed >> 8) % uint32_t(2 * range + 1)) - range;
    };
    // A shallow line, a single point, a vertical one drawn upwards and a
    // diagonal drawn backwards, then random ones.
    const int fixed[][4] = {{0, 0, 3, 1}, {5, 5, 5, 5}, {3, 8, 3, 0}, {8, 8, 0, 0}};
    for (int n = 0; n < 3000; n++) {
        int x1 = next(40), y1 = next(30), x2 = next(40), y2 = next(30);
        if (n < 4)
            x1 = fixed[n][0], y1 = fixed[n][1], x2 = fixed[n][2], y2 = fixed[n][3];
        Cls32(&p.page, 0, 0, 0);
        Line32(x1, y1, x2, y2, 1, 2, 3, &p.page);
        ASSERT_EQ(Plotted(p), ReferenceLine(x1, y1, x2, y2, 13, 9)) << x1 << "," << y1 << " " << x2 << "," << y2;
    }
}
