// Plants: a list that never overflows, the depth order, the colours by kind
// and depth, and the wide plotters' bounds. The grown tree: PlantsSceneTest.
#include "Plants.h"

#include "Gen32.h"
#include "General.h"
#include "PageFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <tuple>
#include <vector>

namespace {

struct PlantFixture : ::testing::Test {
    void SetUp() override
    {
        ApplicationFin = 0;
        FreePlantMemory();
        ASSERT_EQ(AllocateGeneralMemory(), 1);
        InitializeGeneral(nullptr);
    }
    void TearDown() override
    {
        ApplicationFin = 0;
        FreePlantMemory();
        FreeGeneralMemory();
    }
};

// A scale that never lets the segments shrink, or that is not a number,
// would grow without end: the depth limit and the list's capacity stop it.
class RunawayGrowth : public PlantFixture, public ::testing::WithParamInterface<float> {};

TEST_P(RunawayGrowth, StopsAtTheListsCapacity)
{
    TransformTree3D(0, 0, 0, 40, 0, 0, -10, 0, 0, GetParam(), 5);
    EXPECT_GT(TreeLinesUsed, 1000);
    EXPECT_LE(LinesAllocated, kMaxTreeLines);
    EXPECT_LT(TreeLinesUsed, LinesAllocated);
    for (long k = 0; k < TreeLinesUsed; k += 997) EXPECT_LE(std::abs(TreeLines[k].x2), 100000000);
}

INSTANTIATE_TEST_SUITE_P(Scales, RunawayGrowth,
                         ::testing::Values(5000.0f, std::numeric_limits<float>::quiet_NaN(),
                                           std::numeric_limits<float>::infinity()));

TEST_F(PlantFixture, NothingDrawnPastTheTreeOrForAShortOne)
{
    // Closing during generation leaves no tree; any branch count draws nothing.
    ApplicationFin = 1;
    ASSERT_EQ(InitializePlant(nullptr), 1);
    EXPECT_EQ(TreeLinesUsed, 0);
    GuardedPage g;
    for (long branches : {0L, -2L, 40L}) {
        TreeBranch = branches;
        DoPlantEffect(nullptr, nullptr, 1, &g.page);
    }
    EXPECT_EQ(g.CountNot(0), 0);

    // The whole tree: asking for more than exists draws the same picture.
    ApplicationFin = 0;
    ASSERT_EQ(InitializePlant(nullptr), 1);
    TreeBranch = TreeLinesUsed;
    DrawTree(&g.page, 1000);
    const std::vector<uint32_t> whole = g.memory;
    EXPECT_GT(g.CountNot(0), 2000);
    TreeBranch = TreeLinesUsed + 100000;
    DrawTree(&g.page, 1000);
    EXPECT_EQ(g.memory, whole);
    EXPECT_TRUE(g.GuardsIntact());
}

TEST_F(PlantFixture, SortPutsSmallestDepthFirstAndKeepsEveryEntry)
{
    std::vector<TagTTree> v(5000, TagTTree{});
    for (int k = 0; k < 5000; k++) v[size_t(k)] = TagTTree{k, 0, 0, 0, 0, (k * 7919) % 61 - 30, 0};
    QTreeSort(v.data(), 0, 4999);
    std::vector<int> seen;
    for (size_t k = 0; k < v.size(); k++) {
        EXPECT_TRUE(k == 0 || v[k - 1].z2 <= v[k].z2) << k;
        seen.push_back(v[k].x1);
    }
    std::sort(seen.begin(), seen.end());
    for (int k = 0; k < 5000; k++) ASSERT_EQ(seen[size_t(k)], k);
}

// One unturned segment of each kind from (150, 168) to (250, 168) on screen:
// its colour halfway, whether it is two rows wide, the rod's lit middle.
struct KindColour {
    int Kind, Z;
    uint32_t Expected;
};

class KindColours : public PlantFixture, public ::testing::WithParamInterface<KindColour> {};

TEST_P(KindColours, ShadeByKindAndDepth)
{
    const KindColour c = GetParam();
    ASSERT_EQ(PushLine3D(-50, -100, c.Z, 50, -100, c.Z, c.Kind), 1);
    ASSERT_EQ(AllocateTreeWorkspace(), 1);
    TreeBranch = 1;
    GuardedPage g;
    DrawTree(&g.page, 0);
    EXPECT_EQ(g.At(200, 168), c.Expected);
    EXPECT_EQ(g.At(200, 169), c.Kind == -1 || (c.Kind >= 1 && c.Kind <= 3) ? c.Expected : 0u);
    if (c.Kind >= 4) {
        EXPECT_EQ(g.At(251, 168), c.Expected + 0x0F0F0Fu);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, KindColours,
    ::testing::Values(
        // At z = 0 the shade is 100: bark (50, 33, 25), leaves (0, 100, 0).
        KindColour{0, 0, 0x322119}, KindColour{-1, 0, 0x006400}, KindColour{2, 0, 0x322119},
        KindColour{3, 0, 0x322119}, KindColour{5, 0, 0x322119}, KindColour{3, 100, 0x4B3225},
        // Shades outside a byte stay in their channel: black rather than a
        // negative shade spilling across channels, full green without red.
        KindColour{-1, -400, 0x000000}, KindColour{3, -400, 0x000000}, KindColour{-1, 400, 0x00FF00}));

// The wide plotters on a 10 x 8 target inside a larger buffer: whatever the
// line, nothing outside the target is written.
struct WideLine {
    long x1, y1, x2, y2;
};

class WidePlotters : public ::testing::TestWithParam<WideLine> {};

TEST_P(WidePlotters, StayInsideTheTarget)
{
    constexpr long W = 10, H = 8, Pad = 32;
    const WideLine l = GetParam();
    for (int rod = 0; rod < 2; rod++) {
        std::vector<int32_t> buffer(size_t((H + 2 * Pad) * W + 2 * Pad), -1);
        int32_t *target = buffer.data() + Pad * W + Pad;
        std::fill(target, target + W * H, 0);
        (rod ? ReallyThickLine32 : ThickLine32)(l.x1, l.y1, l.x2, l.y2, 0x102030, target, W, H);
        for (size_t k = 0; k < buffer.size(); k++) {
            const long at = long(k) - (Pad * W + Pad);
            EXPECT_TRUE((at >= 0 && at < W * H) || buffer[k] == -1) << at;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Lines, WidePlotters,
                         ::testing::Values(WideLine{-20, -20, 30, 30}, WideLine{30, -5, -30, 12},
                                           WideLine{-100, 7, 100, 7}, WideLine{9, -50, 9, 50},
                                           WideLine{5, 5, 5, 5}, WideLine{-2000000000, 3, 2000000000, 4}));

TEST(WidePlotterBlocks, ReachTheLastAllowedPoint)
{
    constexpr long W = 10, H = 8;
    std::vector<int32_t> t(size_t(W * H), 0);
    // Row 6 is the last row a block may start in, column 8 the last column.
    ThickLine32(-5, 6, 20, 6, 7, t.data(), W, H);
    for (long x = 0; x < W; x++)
        EXPECT_EQ(std::make_tuple(t[size_t(5 * W + x)], t[size_t(6 * W + x)], t[size_t(7 * W + x)]),
                  std::make_tuple(0, 7, 7)) << x;
    // The rod's points run from x = 1 (pixels 0..4) to 5 (pixels 4..8), each
    // over the last one's middle; a bright channel saturates.
    std::fill(t.begin(), t.end(), 0);
    ReallyThickLine32(-5, 0, 20, 0, 0x0000F8, t.data(), W, H);
    const std::vector<int32_t> row(t.begin(), t.begin() + W);
    EXPECT_EQ(row, (std::vector<int32_t>{0xF8, 0xF8, 0xF8, 0xF8, 0xF8, 0x0606FE, 0x0F0FFF, 0x0606FE, 0xF8, 0}));
}

} // namespace
