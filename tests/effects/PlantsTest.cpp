// Plants: the generated tree (first segment, leaves, kinds, a list that
// never overflows), the depth sort, the colours by kind and depth, the wide
// plotters' bounds, and drawing that never reads past what was generated.
#include "Plants.h"

#include "Gen32.h"
#include "General.h"
#include "PageFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>
#include <tuple>
#include <vector>

namespace {

struct PlantFixture : ::testing::Test {
    void SetUp() override
    {
        ApplicationFin = 0;
        ASSERT_EQ(AllocateGeneralMemory(), 1);
        InitializeGeneral(nullptr);
        ASSERT_EQ(AllocatePlantMemory(), 1);
    }
    void TearDown() override
    {
        ApplicationFin = 0;
        FreePlantMemory();
        FreeGeneralMemory();
    }
    // A hand-made list of segments with its working copy.
    static void UseSegments(const std::vector<TagTTree> &segments)
    {
        FreePlantMemory();
        for (const TagTTree &t : segments)
            ASSERT_EQ(PushLine3D(t.x1, t.y1, t.z1, t.x2, t.y2, t.z2, t.Color), 1);
        ASSERT_EQ(AllocateTreeWorkspace(), 1);
        TreeBranch = long(segments.size());
    }
    // Within 14 on every axis before rounding: within 15 after it.
    static bool Short(const TagTTree &t)
    {
        return std::abs(t.x1 - t.x2) <= 15 && std::abs(t.y1 - t.y2) <= 15 && std::abs(t.z1 - t.z2) <= 15;
    }
};

TEST_F(PlantFixture, TreeStartsWithTheTrunkAndEndsEveryPathInALeaf)
{
    ASSERT_EQ(InitializePlant(nullptr), 1);
    ASSERT_GT(TreeLinesUsed, 100);
    ASSERT_LT(TreeLinesUsed, LinesAllocated);
    ASSERT_NE(TempBranchList, nullptr);
    const TagTTree &first = TreeLines[0];
    EXPECT_EQ(std::make_tuple(first.x1, first.y1, first.z1, first.x2, first.y2, first.z2, first.Color),
              std::make_tuple(0, 40, 0, 0, -10, 0, 5));

    long leaves = 0;
    for (long k = 0; k < TreeLinesUsed; k++) {
        const TagTTree &t = TreeLines[k];
        ASSERT_TRUE(t.Color == -1 || t.Color == 0 || (t.Color >= 2 && t.Color <= 5)) << k;
        // Leaves and only leaves are short (give or take the rounding of
        // the pushed ends).
        if (t.Color == -1) {
            leaves++;
            EXPECT_TRUE(Short(t)) << k;
        } else {
            EXPECT_GE(std::max({std::abs(t.x1 - t.x2), std::abs(t.y1 - t.y2), std::abs(t.z1 - t.z2)}), 14) << k;
            // Generation order: a grown segment is followed by its first
            // branch, which starts at its end.
            ASSERT_LT(k + 1, TreeLinesUsed);
            const TagTTree &next = TreeLines[k + 1];
            EXPECT_LE(std::abs(next.x1 - t.x2) + std::abs(next.y1 - t.y2) + std::abs(next.z1 - t.z2), 1) << k;
        }
    }
    // Three branches a fork: the leaves outnumber the rest about two to one.
    EXPECT_GT(leaves, TreeLinesUsed / 2);
    EXPECT_EQ(TreeLines[TreeLinesUsed - 1].Color, -1);
}

TEST_F(PlantFixture, ShortSegmentIsOneLeafWithoutBranches)
{
    TransformTree3D(0, 0, 0, 0, 0, 14.9f, -14.9f, 14.9f, 0, 1.0f, 5);
    ASSERT_EQ(TreeLinesUsed, 1);
    EXPECT_EQ(TreeLines[0].Color, -1);
    EXPECT_EQ(std::make_tuple(TreeLines[0].x2, TreeLines[0].y2, TreeLines[0].z2), std::make_tuple(15, -15, 15));

    // One unit longer on one axis: a twig with branches of its own.
    TransformTree3D(0, 0, 0, 0, 0, 15, 0, 0, 0, 1.0f, 1);
    ASSERT_GT(TreeLinesUsed, 2);
    EXPECT_EQ(TreeLines[1].Color, 0);
}

TEST_F(PlantFixture, ClosingDuringGenerationLeavesAnEmptyTreeThatDrawsNothing)
{
    ApplicationFin = 1;
    ASSERT_EQ(InitializePlant(nullptr), 1);
    EXPECT_EQ(TreeLinesUsed, 0);
    GuardedPage g;
    TreeBranch = 40;   // more than there is
    DoPlantEffect(nullptr, nullptr, 1, &g.page);
    TreeBranch = -2;
    DoPlantEffect(nullptr, nullptr, 1, &g.page);
    EXPECT_EQ(g.CountNot(0), 0);
    EXPECT_TRUE(g.GuardsIntact());
}

// A scale that never lets the segments shrink, or that is not a number,
// would grow without end; the list's capacity and the depth limit stop it.
class RunawayGrowth : public PlantFixture, public ::testing::WithParamInterface<float> {};

TEST_P(RunawayGrowth, StopsAtTheListsCapacity)
{
    TransformTree3D(0, 0, 0, 40, 0, 0, -10, 0, 0, GetParam(), 5);
    EXPECT_GT(TreeLinesUsed, 1000);
    EXPECT_LE(LinesAllocated, kMaxTreeLines);
    EXPECT_LT(TreeLinesUsed, LinesAllocated);
    for (long k = 0; k < TreeLinesUsed; k += 997) {
        EXPECT_LE(std::abs(TreeLines[k].x2), 100000000);
        EXPECT_LE(std::abs(TreeLines[k].y2), 100000000);
    }
}

INSTANTIATE_TEST_SUITE_P(Scales, RunawayGrowth,
                         ::testing::Values(5000.0f, std::numeric_limits<float>::quiet_NaN(),
                                           std::numeric_limits<float>::infinity()));

TEST_F(PlantFixture, SortPutsSmallestDepthFirstAndKeepsEveryEntry)
{
    std::mt19937 rng(7);
    for (int n : {1, 2, 3, 17, 1000, 20000}) {
        std::vector<TagTTree> v(size_t(n), TagTTree{});
        for (int k = 0; k < n; k++) {
            v[size_t(k)].z2 = int32_t(rng() % 50) - 25;   // many equal keys
            v[size_t(k)].x1 = k;
        }
        if (n == 20000)
            for (int k = 0; k < n; k++) v[size_t(k)].z2 = n - k;   // already reversed
        QTreeSort(v.data(), 0, n - 1);
        std::vector<int> seen;
        for (int k = 0; k < n; k++) {
            if (k > 0) {
                ASSERT_LE(v[size_t(k - 1)].z2, v[size_t(k)].z2) << n;
            }
            seen.push_back(v[size_t(k)].x1);
        }
        std::sort(seen.begin(), seen.end());
        for (int k = 0; k < n; k++) ASSERT_EQ(seen[size_t(k)], k);
    }
}

// One segment of each kind at a given depth, drawn unturned from (150, 168)
// to (250, 168) on screen: its colour halfway, whether it is two rows wide,
// and the lit middle of the rod past its last point.
struct KindColour {
    int Kind;
    int Z;
    uint32_t Expected;
};

class KindColours : public PlantFixture, public ::testing::WithParamInterface<KindColour> {};

TEST_P(KindColours, ShadeByKindAndDepth)
{
    const KindColour c = GetParam();
    UseSegments({TagTTree{-50, -100, c.Z, 50, -100, c.Z, c.Kind}});
    GuardedPage g;
    DrawTree(&g.page, 0);
    EXPECT_EQ(g.At(200, 168), c.Expected);
    const bool twoRows = c.Kind == -1 || (c.Kind >= 1 && c.Kind <= 3);
    EXPECT_EQ(g.At(200, 169), twoRows ? c.Expected : 0u);
    if (c.Kind >= 4) {
        EXPECT_EQ(g.At(251, 168), c.Expected + 0x0F0F0Fu);
        EXPECT_EQ(g.At(250, 168), c.Expected + 0x060606u);
    }
    EXPECT_TRUE(g.GuardsIntact());
}

INSTANTIATE_TEST_SUITE_P(
    Table, KindColours,
    ::testing::Values(
        // At z = 0 the shade is 100: bark (50, 33, 25), leaves (0, 100, 0).
        KindColour{0, 0, 0x322119}, KindColour{-1, 0, 0x006400}, KindColour{2, 0, 0x322119},
        KindColour{3, 0, 0x322119}, KindColour{4, 0, 0x322119}, KindColour{5, 0, 0x322119},
        // Further back, lighter; z = 100 gives shade 150.
        KindColour{-1, 100, 0x009600}, KindColour{3, 100, 0x4B3225}, KindColour{5, 100, 0x4B3225},
        // Shades outside a byte stay in their channel: far in front, black
        // rather than a negative shade spilling across channels; far behind,
        // leaves saturate at full green without reaching into red.
        KindColour{-1, -400, 0x000000}, KindColour{3, -400, 0x000000}, KindColour{0, -400, 0x000000},
        KindColour{-1, 400, 0x00FF00}, KindColour{3, 400, 0x96644B}));

TEST_F(PlantFixture, DrawsNothingAtZeroAndNeverPastTheGeneratedTree)
{
    ASSERT_EQ(InitializePlant(nullptr), 1);
    GuardedPage g;
    TreeBranch = 0;
    DrawTree(&g.page, 0);
    EXPECT_EQ(g.CountNot(0), 0);

    TreeBranch = TreeLinesUsed;
    DrawTree(&g.page, 1000);
    const std::vector<uint32_t> whole = g.memory;
    EXPECT_GT(g.CountNot(0), 2000);
    // Asking for more than exists draws the same whole tree.
    std::fill(g.memory.begin() + GuardedPage::Guard, g.memory.end() - GuardedPage::Guard, 0u);
    TreeBranch = TreeLinesUsed + 100000;
    DrawTree(&g.page, 1000);
    EXPECT_EQ(g.memory, whole);
    EXPECT_TRUE(g.GuardsIntact());
}

TEST_F(PlantFixture, TurnsTwentyStepsAFrameAndWraps)
{
    UseSegments({});
    GuardedPage g;
    TreeAngle = 0;
    DoPlantEffect(nullptr, nullptr, 1, &g.page);
    EXPECT_EQ(TreeAngle, 20);
    DoPlantEffect(nullptr, nullptr, 3, &g.page);
    EXPECT_EQ(TreeAngle, 80);
    TreeAngle = 5750;
    DoPlantEffect(nullptr, nullptr, 1, &g.page);
    EXPECT_EQ(TreeAngle, 10);
    DoPlantEffect(nullptr, nullptr, std::numeric_limits<long>::max(), &g.page);
    EXPECT_GE(TreeAngle, 0);
    EXPECT_LT(TreeAngle, 5760);
}

// The wide plotters on a 10 x 8 target inside a larger buffer: whatever the
// line, nothing outside the target is written, and the block of the last
// allowed point reaches the target's last row and column.
struct WideLine {
    long x1, y1, x2, y2;
};

class WidePlotters : public ::testing::TestWithParam<WideLine> {};

TEST_P(WidePlotters, StayInsideTheTarget)
{
    constexpr long W = 10, H = 8, Pad = 32;
    const WideLine l = GetParam();
    for (int wide = 0; wide < 2; wide++) {
        std::vector<int32_t> buffer(size_t((H + 2 * Pad) * W + 2 * Pad), -1);
        int32_t *target = buffer.data() + Pad * W + Pad;
        for (long k = 0; k < W * H; k++) target[k] = 0;
        if (wide)
            ReallyThickLine32(l.x1, l.y1, l.x2, l.y2, 0x102030, target, W, H);
        else
            ThickLine32(l.x1, l.y1, l.x2, l.y2, 0x102030, target, W, H);
        for (size_t k = 0; k < buffer.size(); k++) {
            const long at = long(k) - (Pad * W + Pad);
            if (at < 0 || at >= W * H) {
                ASSERT_EQ(buffer[k], -1) << "outside at " << at;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Lines, WidePlotters,
                         ::testing::Values(WideLine{-20, -20, 30, 30}, WideLine{30, -5, -30, 12},
                                           WideLine{-100, 7, 100, 7}, WideLine{9, -50, 9, 50},
                                           WideLine{0, 0, 9, 7}, WideLine{5, 5, 5, 5},
                                           WideLine{-2000000000, 3, 2000000000, 4}));

TEST(WidePlotterBlocks, ReachTheLastAllowedPoint)
{
    constexpr long W = 10, H = 8;
    std::vector<int32_t> t(size_t(W * H), 0);
    // Row 6 is the last row a block may start in, column 8 the last column.
    ThickLine32(-5, 6, 20, 6, 7, t.data(), W, H);
    for (long x = 0; x < W; x++) {
        EXPECT_EQ(t[size_t(6 * W + x)], 7) << x;
        EXPECT_EQ(t[size_t(7 * W + x)], 7) << x;
        EXPECT_EQ(t[size_t(5 * W + x)], 0) << x;
    }
    // The rod's points run from x = 1 (pixels 0..4) to x = 5 (pixels 4..8),
    // each overwriting the last's bright middle; the last column stays empty
    // and a bright channel saturates.
    std::fill(t.begin(), t.end(), 0);
    ReallyThickLine32(-5, 0, 20, 0, 0x0000F8, t.data(), W, H);
    const int32_t expected[W] = {0xF8, 0xF8, 0xF8, 0xF8, 0xF8, 0x0606FE, 0x0F0FFF, 0x0606FE, 0xF8, 0};
    for (long x = 0; x < W; x++) EXPECT_EQ(t[size_t(x)], expected[x]) << x;
    // A steep line: one point a row, the error method's columns.
    std::fill(t.begin(), t.end(), 0);
    ThickLine32(0, 0, 2, 6, 1, t.data(), W, H);
    EXPECT_EQ(t[0], 1);
    EXPECT_EQ(t[size_t(3 * W + 1)], 1);
    EXPECT_EQ(t[size_t(6 * W + 2)], 1);
    EXPECT_EQ(t[size_t(1 * W + 2)], 0);
}

} // namespace
