// Plasma maps: they tile, the subdivision reaches every cell of a map whose
// size is not a power of two, and the blur reads its mirrored and wrapped
// neighbours without leaving the map.
#include "Plasma.h"
#include "Random.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

// Mean absolute difference between column a and column b of a W x H map.
double ColumnDiff(const std::vector<unsigned char> &M, int W, int H, int a, int b)
{
    double s = 0;
    for (int y = 0; y < H; y++)
        s += std::abs(M[y * W + a] - M[y * W + b]);
    return s / H;
}

double RowDiff(const std::vector<unsigned char> &M, int W, int a, int b)
{
    double s = 0;
    for (int x = 0; x < W; x++)
        s += std::abs(M[a * W + x] - M[b * W + x]);
    return s / W;
}

TEST(Plasma, SquareMapTilesAcrossBothEdges)
{
    SeedRand15(7);
    std::vector<unsigned char> M(256 * 256, 0);
    ComputePlasma(M.data(), 256, 256, 1);
    // The step across the wrap is no larger than between neighbours inside.
    double inside = 0;
    for (int c = 0; c < 255; c++)
        inside += ColumnDiff(M, 256, 256, c, c + 1);
    inside /= 255;
    EXPECT_LT(ColumnDiff(M, 256, 256, 255, 0), 2.0 * inside + 1);
    double insideRows = 0;
    for (int r = 0; r < 255; r++)
        insideRows += RowDiff(M, 256, r, r + 1);
    insideRows /= 255;
    EXPECT_LT(RowDiff(M, 256, 255, 0), 2.0 * insideRows + 1);
}

TEST(Plasma, WithoutBlurKeepsTheRawSubdivision)
{
    SeedRand15(3);
    std::vector<unsigned char> M(256 * 256, 0);
    ComputePlasma(M.data(), 256, 256, 0);
    EXPECT_EQ(M[0], 128);
    // Smooth noise: neighbours differ by far less than the full range.
    EXPECT_LT(ColumnDiff(M, 256, 256, 100, 101), 24.0);
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
        for (int y = 0; y < H; y++) {
            int same = 0;
            for (int x = 0; x < W; x++)
                same += M[y * W + x] == fill;
            EXPECT_LT(same, W / 2) << "row " << y << " fill " << int(fill);
        }
        for (int x = 0; x < W; x++) {
            int same = 0;
            for (int y = 0; y < H; y++)
                same += M[y * W + x] == fill;
            EXPECT_LT(same, H / 2) << "column " << x << " fill " << int(fill);
        }
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
