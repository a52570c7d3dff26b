// Particle fire: the backward cooling pass, stamping with its 8-bit wrap and
// window, the frame's order of work and the 16-bit page.
#include "FireEffect.h"
#include "Gen32.h"
#include "PageFixture.h"
#include "Random.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

class Fire : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(AllocateFireMemory(), 1);
        SeedRand15(3);
        InitializeFire();
        CurrentPoints = kFireSwarms;
        bMoveFirstPoint = 1;
        _MouseDown = 0;
    }
    void TearDown() override { FreeFireMemory(); }

    static uint16_t &V(int x, int y) { return VPage[y * 400 + x]; }
    // Puts every particle of swarm g far off the page, still and alive.
    static void Park(long g)
    {
        for (int k = 0; k < kFireSwarmSize; ++k) {
            TPoint &p = Points[g * kFireSwarmSize + k];
            p.x = p.y = 100000;
            p.dx = p.dy = 0;
            p.Decay = 50;
        }
    }
    // Places particle k of swarm g on screen pixel (sx, sy).
    static TPoint &Place(long g, int k, int sx, int sy, int decay)
    {
        TPoint &p = Points[g * kFireSwarmSize + k];
        p.x = (sx - 200) * 32 + 7;   // anywhere inside the pixel
        p.y = (sy - 154) * 32 + 31;
        p.Decay = decay;
        return p;
    }
};

TEST_F(Fire, CoolingPassRunsBackwardsOverItsRange)
{
    // One hot value in a cold field. Its right and lower neighbours are
    // cooled first (from its old heat); it then takes its heat back from
    // their new values, and passes a little on to the left and upwards. A
    // forward pass would leave it cold.
    std::memset(VPage, 0, kFireFieldValues * 2);
    V(200, 150) = 200;
    CreateFireEffect(VPage);
    EXPECT_EQ(V(200, 150), (49 + 49) / 4 - 1);
    EXPECT_GT(V(199, 150), 0);
    EXPECT_GT(V(200, 149), 0);
    // The edges of the pass in a warm field: rows 0 and 1 and the first
    // value of row 2 are outside it; it starts at row 307's first value,
    // whose lower neighbour is the zeroed spare row, and leaves the rest of
    // row 307.
    for (int i = 0; i < kFirePageValues; ++i) VPage[i] = 100;
    CreateFireEffect(VPage);
    EXPECT_EQ(V(399, 1), 100);
    EXPECT_EQ(V(0, 2), 100);
    EXPECT_LT(V(1, 2), 99);
    EXPECT_EQ(V(0, 307), (100 + 100 + 100 + 0) / 4 - 1);
    EXPECT_EQ(V(1, 307), 100);
    // A cold field stays cold: no wrap below zero.
    std::memset(VPage, 0, kFireFieldValues * 2);
    V(200, 150) = 3;
    CreateFireEffect(VPage);
    for (int i = 0; i < kFireFieldValues; ++i) ASSERT_EQ(VPage[i], 0) << i;
}

TEST_F(Fire, FastCoolingPassMatchesThePlainLoop)
{
    for (uint32_t seed : {1u, 2u, 3u}) {
        SeedRand15(seed);
        std::vector<uint16_t> a(kFireFieldValues), b;
        const int top = seed == 3 ? 8 : 256;   // mostly below 4: the cold clamp
        for (int i = 0; i < kFireFieldValues; ++i) a[i] = uint16_t(Rand15() % top);
        b = a;
        CreateFireEffect(a.data());
        CreateFireEffectScalar(b.data());
        ASSERT_EQ(a, b) << "seed " << seed;
    }
}

TEST_F(Fire, StampingAddsHalfTheDecayAndWrapsWithinTheLowByte)
{
    std::memset(VPage, 0, kFireFieldValues * 2);
    Park(1);
    Place(1, 7, 120, 80, 200);
    V(120, 80) = 200;
    V(121, 80) = 250;
    DrawPoints(1, VPage);
    EXPECT_EQ(V(120, 80), (200 + 100) & 255);   // 44: a dark speck, not 255
    EXPECT_EQ(V(121, 80), (250 + 100) & 255);
    EXPECT_EQ(V(119, 80), 100);
    EXPECT_EQ(V(120, 79), 100);
    EXPECT_EQ(V(120, 81), 100);
    EXPECT_EQ(V(121, 81), 0);   // not the diagonals
    // Odd decays stamp the truncated half.
    Place(1, 7, 300, 200, 9);
    DrawPoints(1, VPage);
    EXPECT_EQ(V(300, 200), 4);
}

struct WindowCase {
    int sx, sy;
    bool drawn;
};

class FireWindow : public Fire, public ::testing::WithParamInterface<WindowCase> {};

TEST_P(FireWindow, OnlyParticlesInsideTheWindowAreDrawn)
{
    std::memset(VPage, 0, kFireFieldValues * 2);
    Park(2);
    Place(2, 1, GetParam().sx, GetParam().sy, 100);
    DrawPoints(2, VPage);
    long sum = 0;
    for (int i = 0; i < kFireFieldValues; ++i) sum += VPage[i];
    EXPECT_EQ(sum, GetParam().drawn ? 5 * 50 : 0);
}

INSTANTIATE_TEST_SUITE_P(Edges, FireWindow,
                         ::testing::Values(WindowCase{4, 100, false}, WindowCase{5, 100, true},
                                           WindowCase{395, 100, true}, WindowCase{396, 100, false},
                                           WindowCase{100, 4, false}, WindowCase{100, 5, true},
                                           WindowCase{100, 303, true}, WindowCase{100, 304, false},
                                           WindowCase{-3, 100, false}, WindowCase{100, -1, false}));

TEST_F(Fire, ZeroFramesOnlyCoolTheField)
{
    for (int i = 0; i < kFirePageValues; ++i) VPage[i] = uint16_t(i % 200);
    std::vector<uint16_t> expected(VPage, VPage + kFireFieldValues);
    CreateFireEffectScalar(expected.data());
    const std::vector<TPoint> before(Points, Points + kFirePoints);
    GuardedPage p;
    DoFireEffect(nullptr, nullptr, 0, &p.page);
    EXPECT_EQ(std::memcmp(before.data(), Points, sizeof(TPoint) * kFirePoints), 0);
    EXPECT_EQ(std::vector<uint16_t>(VPage, VPage + kFireFieldValues), expected);
    // The page shows the field through the palette.
    EXPECT_EQ(p.At(150, 100), FirePalette[V(150, 100)]);
    EXPECT_TRUE(p.GuardsIntact());
}

// How the flames flare up and stay: FireScenesTest.
TEST_F(Fire, MouseFreesTheFirstLeaderAndFlamesCoolAwayWithoutTheSwarms)
{
    GuardedPage p;
    for (int k = 0; k < 30; ++k) DoFireEffect(nullptr, nullptr, 1, &p.page);
    // The mouse button makes swarm 0's leader move again.
    bMoveFirstPoint = 0;
    _MouseDown = 1;
    DoFireEffect(nullptr, nullptr, 1, &p.page);
    EXPECT_EQ(bMoveFirstPoint, 1);
    _MouseDown = 0;
    // Only swarm 0, which is never drawn: every pass takes at least 1 off
    // every hot value, so the field is cold within 255 frames.
    CurrentPoints = 1;
    for (int k = 0; k < 255; ++k) DoFireEffect(nullptr, nullptr, 1, &p.page);
    EXPECT_EQ(p.CountNot(0), 0);
}

TEST_F(Fire, SixteenBitPageGetsThePaletteInFiveSixFive)
{
    GuardedPage g(0x12341234);
    g.page.BPP = 16;
    const uint16_t *pixels = reinterpret_cast<const uint16_t *>(&g.At(0, 0));
    std::memset(VPage, 0, kFireFieldValues * 2);
    CurrentPoints = 1;
    V(10, 0) = 255;   // row 0 is outside the cooling pass
    V(11, 0) = 64;
    V(12, 0) = 150;
    DoFireEffect(nullptr, nullptr, 0, &g.page);
    EXPECT_EQ(pixels[10], 0xFFFF);
    EXPECT_EQ(pixels[11], 0xF800);
    EXPECT_EQ(pixels[12], 0xFFE0 | (88 >> 3));   // 0xFFFF58
    EXPECT_EQ(pixels[200 * 400], 0);
    EXPECT_EQ(g.At(200, 200), 0x12341234u);   // past the 16-bit page's end
    EXPECT_TRUE(g.GuardsIntact());
}

} // namespace
