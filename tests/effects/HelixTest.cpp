// Helix: the points' start and their helix, the turn and flight arithmetic,
// the targets taken from a mesh, and which points are drawn where.
#include "Helix.h"

#include "General.h"
#include "PageFixture.h"
#include "Random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

struct HelixFixture : ::testing::Test {
    void SetUp() override
    {
        ASSERT_EQ(AllocateGeneralMemory(), 1);
        InitializeGeneral(nullptr);
        ASSERT_EQ(AllocateHelixMemory(), 1);
        SeedRand15(5);
        InitializeHelix(nullptr);
        // A white square in place of the glow, whatever the data folder holds.
        FreeSprite32(&HelixSprite);
        HelixSprite.BPP = 32;
        HelixSprite.Width = HelixSprite.Height = 10;
        ASSERT_NE(AllocSprite32(&HelixSprite), 0u);
        auto *px = static_cast<uint32_t *>(HelixSprite.pSpriteData);
        for (int k = 0; k < 100; k++) px[k] = 0x101010;
        HelixAngle = 0;
    }
    void TearDown() override
    {
        FreeHelixMemory();
        FreeGeneralMemory();
    }
    // Every point but one parked far out of sight (behind the viewer).
    static void OnlyPoint(int keep, float x, float y, float z)
    {
        for (int i = 0; i < kHelixPoints; i++) {
            TDHelixPoint &p = HelixPoints[i];
            p = TDHelixPoint{0, 0, -1000, 0, 0, -1000, 0, 0, -1000, kHelixFlightSteps};
        }
        HelixPoints[keep].x = x;
        HelixPoints[keep].y = y;
        HelixPoints[keep].z = z;
    }
};

TEST_F(HelixFixture, PointsStartScatteredWithTargetsOnSixTurns)
{
    SeedRand15(5);
    const int r0 = Rand15(), r1 = Rand15(), r2 = Rand15();
    EXPECT_EQ(HelixPoints[0].x, float(300 - r0 % 601));
    EXPECT_EQ(HelixPoints[0].y, float(300 - r1 % 601));
    EXPECT_EQ(HelixPoints[0].z, float(300 - r2 % 601));
    for (int i = 0; i < kHelixPoints; i++) {
        const TDHelixPoint &p = HelixPoints[i];
        ASSERT_GE(p.x, -300.0f);
        ASSERT_LE(p.x, 300.0f);
        ASSERT_EQ(p.StepNum, 0);
        ASSERT_NEAR(std::hypot(p.tx, p.tz), 20.0f, 1e-4f);
        ASSERT_EQ(p.ty, float(i / 4 - 125));
    }
    EXPECT_EQ(HelixPoints[0].ty, -125.0f);
    EXPECT_EQ(HelixPoints[999].ty, 124.0f);
    // Point 250 is a turn and a half round: opposite point 0.
    EXPECT_NEAR(HelixPoints[250].tz, -20.0f, 1e-4f);
    EXPECT_NEAR(HelixPoints[250].tx, 0.0f, 1e-4f);
}

TEST_F(HelixFixture, AngleAdvancesFiftySixStepsAFrameAndWraps)
{
    RotateHelixPoints(1.0f);
    EXPECT_EQ(HelixAngle, 56);
    RotateHelixPoints(2.0f);   // floor(113)
    EXPECT_EQ(HelixAngle, 56 + 113);
    HelixAngle = 5750;
    RotateHelixPoints(1.0f);
    EXPECT_EQ(HelixAngle, 46);
    // The targets turned by that angle about the vertical axis.
    const float c = GeneralCosTable[46], s = GeneralSinTable[46];
    const TDHelixPoint &p = HelixPoints[7];
    EXPECT_EQ(p.tempx, c * p.tx - s * p.tz);
    EXPECT_EQ(p.tempz, s * p.tx + c * p.tz);
    EXPECT_EQ(p.tempy, p.ty);
    // A frame time no integer holds still leaves a valid angle.
    for (float f : {3.0e38f, std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN()}) {
        RotateHelixPoints(f);
        EXPECT_GE(HelixAngle, 0);
        EXPECT_LT(HelixAngle, 5760);
    }
}

TEST_F(HelixFixture, FlightTakesTwelveHundredFramesThenSitsExactlyOnTarget)
{
    std::vector<float> distance;
    for (int frame = 1; frame <= 1200; frame++) {
        RotateHelixPoints(1.0f);
        MoveHelixPoints(1.0f);
        ASSERT_EQ(HelixPoints[3].StepNum, frame);
        distance.push_back(std::fabs(HelixPoints[3].x - HelixPoints[3].tempx));
    }
    // Slow at first, then closing in.
    EXPECT_GT(distance[10], 0.5f);
    EXPECT_LT(distance[200], distance[10]);
    EXPECT_LT(distance.back(), 1e-3f);
    for (int frame = 0; frame < 5; frame++) {
        RotateHelixPoints(1.0f);
        MoveHelixPoints(1.0f);
        EXPECT_EQ(HelixPoints[3].StepNum, 1200);
        for (int i : {0, 3, 500, 999}) {
            const TDHelixPoint &p = HelixPoints[i];
            EXPECT_EQ(p.x, p.tempx);
            EXPECT_EQ(p.y, p.tempy);
            EXPECT_EQ(p.z, p.tempz);
        }
    }
    // A reset starts every point on a new flight from where it is.
    ResetHelixPoints();
    EXPECT_EQ(HelixPoints[999].StepNum, 0);
    MoveHelixPoints(2.4f);   // rounds to 2
    EXPECT_EQ(HelixPoints[999].StepNum, 2);
    // However long a frame, the count stays small and the points finite.
    ResetHelixPoints();
    MoveHelixPoints(1.0e30f);
    EXPECT_EQ(HelixPoints[0].StepNum, 1200);
    EXPECT_TRUE(std::isfinite(HelixPoints[0].x));
}

TEST_F(HelixFixture, TargetsFollowTheMeshsFirstThousandPoints)
{
    for (long count : {1500L, 10L}) {
        SeedRand15(5);
        InitializeHelix(nullptr);
        std::vector<Point3D> points(size_t(count), Point3D{});
        for (long i = 0; i < count; i++) {
            points[size_t(i)].x = float(i);
            points[size_t(i)].y = float(-i);
            points[size_t(i)].z = 7.0f;
        }
        Object3D mesh{count, 0, points.data(), nullptr};
        const TDHelixPoint untouched = HelixPoints[10];
        InitPointsFrom3D(&mesh);
        const long changed = count < kHelixPoints ? count : kHelixPoints;
        for (long i = 0; i < changed; i++) {
            ASSERT_EQ(HelixPoints[i].tx, float(i));
            ASSERT_EQ(HelixPoints[i].ty, float(-i));
            ASSERT_EQ(HelixPoints[i].tz, 7.0f);
        }
        if (count == 10) {
            EXPECT_EQ(HelixPoints[10].tx, untouched.tx);
            EXPECT_EQ(HelixPoints[10].ty, untouched.ty);
            EXPECT_EQ(HelixPoints[999].ty, 124.0f);
        }
    }
    Object3D empty{0, 0, nullptr, nullptr};
    InitPointsFrom3D(&empty);
    InitPointsFrom3D(nullptr);
}

// Where one point at (x, y, z) lands on the page: the sprite's top-left
// corner at (200 + 4x - 5, 154 + 4y - 5), or nothing.
struct Placement {
    float x, y, z;
    int Left, Top;   // -1000: not drawn
};

class HelixPlacement : public HelixFixture, public ::testing::WithParamInterface<Placement> {};

TEST_P(HelixPlacement, OneSpriteCentredOnTheProjectedPoint)
{
    const Placement c = GetParam();
    OnlyPoint(0, c.x, c.y, c.z);
    GuardedPage g;
    DrawHelixPoints(&g.page);
    EXPECT_TRUE(g.GuardsIntact());
    if (c.Left == -1000) {
        EXPECT_EQ(g.CountNot(0), 0);
        return;
    }
    int lit = 0;
    for (int y = 0; y < GuardedPage::H; y++)
        for (int x = 0; x < GuardedPage::W; x++) {
            const bool inside = x >= c.Left && x < c.Left + 10 && y >= c.Top && y < c.Top + 10;
            ASSERT_EQ(g.At(x, y), inside ? 0x101010u : 0u) << x << "," << y;
            lit += inside;
        }
    EXPECT_GT(lit, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HelixPlacement,
    ::testing::Values(Placement{0, 0, 0, 195, 149}, Placement{10.1f, -5.2f, 0, 235, 128},
                      Placement{0, 0, -299.9f, 195, 149}, Placement{0, 0, -300.0f, -1000, -1000},
                      Placement{0, 0, std::numeric_limits<float>::quiet_NaN(), -1000, -1000},
                      // Half on the page at the left edge; just off at the right.
                      Placement{-50.0f, 0, 0, -5, 149}, Placement{51.25f, 0, 0, -1000, -1000},
                      Placement{1.0e9f, 0, 0, -1000, -1000},
                      Placement{std::numeric_limits<float>::quiet_NaN(), 0, 0, -1000, -1000}));

TEST_F(HelixFixture, OverlappingSpritesAddUp)
{
    OnlyPoint(0, 0, 0, 0);
    HelixPoints[1] = HelixPoints[0];
    GuardedPage g;
    DrawHelixPoints(&g.page);
    EXPECT_EQ(g.At(200, 154), 0x202020u);
}

} // namespace
