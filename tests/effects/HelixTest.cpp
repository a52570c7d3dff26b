// Helix: the turn's wrap and axis, the flight's end, the targets taken from
// a mesh, and which points are drawn where.
#include "Helix.h"

#include "General.h"
#include "PageFixture.h"
#include "Random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

struct HelixFixture : ::testing::Test {
    void SetUp() override
    {
        ASSERT_EQ(AllocateGeneralMemory(), 1);
        InitializeGeneral(nullptr);
        ASSERT_EQ(AllocateHelixMemory(), 1);
        SeedRand15(5);
        InitializeHelix(nullptr);
        // A flat grey square in place of the glow.
        FreeSprite32(&HelixSprite);
        HelixSprite = defZENTRIXSPRITE{nullptr, 10, 10, 32};
        ASSERT_NE(AllocSprite32(&HelixSprite), 0u);
        for (int k = 0; k < 100; k++) static_cast<uint32_t *>(HelixSprite.pSpriteData)[k] = 0x101010;
        HelixAngle = 0;
    }
    void TearDown() override
    {
        FreeHelixMemory();
        FreeGeneralMemory();
    }
};

TEST_F(HelixFixture, AngleWrapsAndTurnsAboutTheVerticalAxis)
{
    HelixAngle = 5750;
    RotateHelixPoints(2.0f);     // floor(113)
    EXPECT_EQ(HelixAngle, 103);
    // The turn is about the vertical axis: heights and distances from it stay.
    const TDHelixPoint &p = HelixPoints[7];
    EXPECT_EQ(p.tempy, p.ty);
    EXPECT_NEAR(p.tempx * p.tempx + p.tempz * p.tempz, p.tx * p.tx + p.tz * p.tz, 1e-2f * (1 + p.tx * p.tx + p.tz * p.tz));
    // A frame time no integer holds leaves a valid angle.
    for (float f : {3.0e38f, std::numeric_limits<float>::infinity(), kNaN}) {
        RotateHelixPoints(f);
        EXPECT_TRUE(HelixAngle >= 0 && HelixAngle < 5760) << f;
    }
}

// However long a frame, the step count stays within the flight, and from the
// frame after its end the points sit exactly on their targets. (The flight
// closing in: Scenes3DTest.)
TEST_F(HelixFixture, FlightEndsExactlyOnTargetHoweverLongTheFrame)
{
    MoveHelixPoints(2.4f);   // rounds to 2
    EXPECT_EQ(HelixPoints[999].StepNum, 2);
    ResetHelixPoints();
    RotateHelixPoints(1.0f);
    MoveHelixPoints(1.0e30f);
    MoveHelixPoints(1.0f);
    for (int i : {0, 3, 999}) {
        const TDHelixPoint &p = HelixPoints[i];
        EXPECT_EQ(p.StepNum, 1200);
        EXPECT_TRUE(p.x == p.tempx && p.y == p.tempy && p.z == p.tempz) << i;
    }
}

TEST_F(HelixFixture, TargetsFollowTheMeshsFirstThousandPoints)
{
    for (long count : {1500L, 10L}) {
        SeedRand15(5);
        InitializeHelix(nullptr);
        std::vector<Point3D> points(size_t(count), Point3D{});
        for (long i = 0; i < count; i++) points[size_t(i)].x = float(i + 1000);
        Object3D mesh{count, 0, points.data(), nullptr};
        InitPointsFrom3D(&mesh);
        for (long i = 0; i < kHelixPoints; i++)
            ASSERT_EQ(HelixPoints[i].tx == float(i + 1000), i < count) << count << " " << i;
        EXPECT_EQ(HelixPoints[999].ty, count > 999 ? 0.0f : 124.0f);
    }
    Object3D empty{0, 0, nullptr, nullptr};
    InitPointsFrom3D(&empty);
    InitPointsFrom3D(nullptr);
}

// Where one point at (x, y, z) lands: the sprite's top-left corner at
// (200 + 4x - 5, 154 + 4y - 5), or nothing (Left = -1000).
struct Placement {
    float x, y, z;
    int Left, Top;
};

class HelixPlacement : public HelixFixture, public ::testing::WithParamInterface<Placement> {};

TEST_P(HelixPlacement, OneSpriteCentredOnTheProjectedPoint)
{
    const Placement c = GetParam();
    for (int i = 0; i < kHelixPoints; i++) HelixPoints[i].z = -1000;   // out of sight
    HelixPoints[0].x = c.x;
    HelixPoints[0].y = c.y;
    HelixPoints[0].z = c.z;
    GuardedPage g;
    DrawHelixPoints(&g.page);
    EXPECT_TRUE(g.GuardsIntact());
    for (int y = 0; y < GuardedPage::H; y++)
        for (int x = 0; x < GuardedPage::W; x++) {
            const bool inside = x >= c.Left && x < c.Left + 10 && y >= c.Top && y < c.Top + 10;
            ASSERT_EQ(g.At(x, y), inside ? 0x101010u : 0u) << x << "," << y;
        }
}

INSTANTIATE_TEST_SUITE_P(Table, HelixPlacement,
                         ::testing::Values(Placement{0, 0, 0, 195, 149}, Placement{10.1f, -5.2f, 0, 235, 128},
                                           Placement{0, 0, -299.9f, 195, 149}, Placement{0, 0, -300.0f, -1000, 0},
                                           Placement{0, 0, kNaN, -1000, 0},
                                           // Half on the page at the left edge; just off at the right.
                                           Placement{-50.0f, 0, 0, -5, 149}, Placement{51.25f, 0, 0, -1000, 0},
                                           Placement{1.0e9f, 0, 0, -1000, 0}, Placement{kNaN, 0, 0, -1000, 0}));

} // namespace
