// Plasma maps: they tile, the subdivision reaches every cell of a map whose
// size is not a power of two, and the blur reads its mirrored and wrapped
// neighbours without leaving the map.
#include "Plasma.h"
#include "Random.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

// Mean absolute difference between lines a and b of a 256 x 256 map:
// columns (step 256 along a line) or rows (step 1).
double LineDiff(const std::vector<unsigned char> &M, bool columns, int a, int b)
{
    double s = 0;
    for (int k = 0; k < 256; k++)
        s += columns ? std::abs(M[k * 256 + a] - M[k * 256 + b]) : std::abs(M[a * 256 + k] - M[b * 256 + k]);
    return s / 256;
}

TEST(Plasma, SquareMapTilesAcrossBothEdges)
{
    SeedRand15(7);
    std::vector<unsigned char> M(256 * 256, 0);
    ComputePlasma(M.data(), 256, 256, 1);
    // The step across the wrap is no larger than between neighbours inside.
    for (bool columns : {true, false}) {
        double inside = 0;
        for (int c = 0; c < 255; c++)
            inside += LineDiff(M, columns, c, c + 1) / 255;
        EXPECT_LT(LineDiff(M, columns, 255, 0), 2.0 * inside + 1) << (columns ? "columns" : "rows");
    }
}

// A band the subdivision skipped would keep the fill: no whole row or column
// of a 400 x 308 map may be left at it, for either extreme fill value.
TEST(Plasma, OddSizedMapIsCoveredEverywhere)
{
    const int W = 400, H = 308;
    for (const unsigned char fill : {0, 255}) {
        SeedRand15(11);
        std::vector<unsigned char> M(size_t(W) * H, fill);
        ComputePlasma(M.data(), W, H, 0);
        std::vector<int> row(H), column(W);
        for (int y = 0; y < H; y++)
            for (int x = 0; x < W; x++)
                if (M[y * W + x] == fill)
                    row[y]++, column[x]++;
        for (int y = 0; y < H; y++)
            EXPECT_LT(row[y], W / 2) << "row " << y << " fill " << int(fill);
        for (int x = 0; x < W; x++)
            EXPECT_LT(column[x], H / 2) << "column " << x << " fill " << int(fill);
    }
}

// The blur's edge rules on tiny maps: no reads outside, and a flat map stays
// flat however often it is blurred.
TEST(Plasma, BlurOfTinyAndFlatMaps)
{
    for (const long size : {1L, 2L, 3L}) {
        std::vector<unsigned char> M(size_t(size * size) + 16, 77);
        ComputePlasma(M.data(), size, size, 5);
        for (size_t k = size_t(size * size); k < M.size(); k++)
            EXPECT_EQ(M[k], 77) << "size " << size;
    }
    ComputePlasma(nullptr, 256, 256, 1);   // nothing to fill: no crash
}

} // namespace
