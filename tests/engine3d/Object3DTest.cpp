// The object model: rotation, ripple, normals, texture coordinates, the
// object file, and freeing twice.
#include "Engine3DTestUtil.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct Object3DTest : ::testing::Test {
    Object3D obj{};
    void SetUp() override { FillAngleTables3D(); }
    void TearDown() override { FreeObject3D(&obj); }
    Point3D &P(long i) { return obj.Points[i]; }
};

struct TurnCase {
    long ax, ay, az;
    float in[3], out[3];
};

TEST_F(Object3DTest, QuarterTurnsTurnPositionsAndBothNormals)
{
    const TurnCase cases[] = {
        {256, 0, 0, {1, 0, 0}, {0, 0, 1}},           // x-z plane
        {0, 256, 0, {1, 0, 0}, {0, 1, 0}},           // x-y plane
        {0, 0, 256, {0, 1, 0}, {0, 0, -1}},          // z-y plane
        {256 + 1024, 0, 0, {1, 0, 0}, {0, 0, 1}},    // a whole turn more is the same
        {-768, 0, 0, {1, 0, 0}, {0, 0, 1}},
        {0, 512, 0, {2, 3, 5}, {-2, -3, 5}},         // the effect's half-turn
    };
    for (const TurnCase &c : cases) {
        ASSERT_EQ(AllocateObject3D(1, 1, &obj), 1);
        P(0) = Point3D{};
        P(0).x = P(0).nx = obj.Face[0].nx = c.in[0];
        P(0).y = P(0).ny = obj.Face[0].ny = c.in[1];
        P(0).z = P(0).nz = obj.Face[0].nz = c.in[2];
        Rotate3D(c.ax, c.ay, c.az, &obj);
        const float got[3][3] = {{P(0).x, P(0).y, P(0).z}, {P(0).nx, P(0).ny, P(0).nz},
                                 {obj.Face[0].nx, obj.Face[0].ny, obj.Face[0].nz}};
        for (const auto &g : got)
            for (int k = 0; k < 3; k++)
                EXPECT_NEAR(g[k], c.out[k], 1e-5) << c.ax << "," << c.ay << "," << c.az << " axis " << k;
        FreeObject3D(&obj);
    }
}

TEST_F(Object3DTest, RippleMovesYAndZAlikeByX)
{
    // Points 0 and 1 share x; point 2 lies a quarter wave (32 steps) on.
    ASSERT_EQ(AllocateObject3D(4, 0, &obj), 1);
    P(0).x = 3.2f, P(0).y = 10, P(0).z = -4;
    P(1).x = 3.2f, P(1).y = -50, P(1).z = 70;
    P(2).x = 3.2f - 32, P(2).y = 0, P(2).z = 0;
    P(3).x = 1e30f;   // too large for any phase: still a table value
    Ripple3D(40, 2.5f, &obj);
    const float d = P(0).y - 10;
    EXPECT_NE(d, 0.0f);
    EXPECT_FLOAT_EQ(P(0).z, -4 + d);
    EXPECT_FLOAT_EQ(P(1).y, -50 + d);
    EXPECT_FLOAT_EQ(P(1).z, 70 + d);
    EXPECT_FLOAT_EQ(P(2).y, P(2).z);
    EXPECT_NEAR(P(2).y * P(2).y + d * d, 2.5f * 2.5f, 1e-3);   // sine and cosine of one phase
    EXPECT_TRUE(std::isfinite(P(3).y) && std::fabs(P(3).y) <= 2.5f);
}

TEST_F(Object3DTest, NormalsOfSharedOppositeAndDegenerateFaces)
{
    // Faces 0 and 1 are the same triangle wound both ways; face 2 has no area.
    ASSERT_EQ(AllocateObject3D(5, 3, &obj), 1);
    const float xyz[5][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 2, 0}, {0, 3, 0}};
    for (int i = 0; i < 5; i++)
        P(i).x = xyz[i][0], P(i).y = xyz[i][1], P(i).z = xyz[i][2];
    obj.Face[0] = Face3D{0, 1, 2, 0, 0, 0, 0, nullptr, 0};
    obj.Face[1] = Face3D{0, 2, 1, 0, 0, 0, 0, nullptr, 0};
    obj.Face[2] = Face3D{2, 3, 4, 0, 0, 0, 0, nullptr, 0};
    P(3).nx = 9; // stale values are cleared
    CalculateNormals(&obj);
    EXPECT_FLOAT_EQ(obj.Face[0].nz, 1.0f); // (1,0,0) x (0,1,0)
    EXPECT_FLOAT_EQ(obj.Face[1].nz, -1.0f);
    EXPECT_EQ(obj.Face[2].nx, 0.0f);
    EXPECT_EQ(obj.Face[2].nz, 0.0f);
    EXPECT_EQ(P(0).val1, 2);
    EXPECT_EQ(P(0).nz, 0.0f); // opposite normals cancel
    EXPECT_EQ(P(2).val1, 3);  // the degenerate face still counts
    EXPECT_EQ(P(2).nz, 0.0f);
    EXPECT_EQ(P(3).val1, 1);
    EXPECT_EQ(P(3).nx, 0.0f);
    // A vertex no face uses: (0, 0, 0), not a division by zero.
    obj.NumFaces = 1;
    CalculateNormals(&obj);
    EXPECT_EQ(P(4).val1, 0);
    EXPECT_EQ(P(4).nx, 0.0f);
    EXPECT_FLOAT_EQ(P(1).nz, 1.0f);
}

TEST_F(Object3DTest, TextureCoordinatesBecomeTexelsOrAPlanarMapping)
{
    const int W = FlipperTexture.Width, H = FlipperTexture.Height;
    ASSERT_EQ(W, 527);
    ASSERT_EQ(AllocateObject3D(3, 1, &obj), 1);
    P(0).u = 1, P(0).v = 0;        // clamped from column W, row H
    P(1).u = 0.5f, P(1).v = 0.5f;
    P(2).u = -3, P(2).v = NAN;     // out of range and not a number: clamped
    CalculateTexture(&obj);
    EXPECT_EQ(obj.Face[0].Texture, &FlipperTexture);
    EXPECT_EQ(P(0).u, W - 1);
    EXPECT_EQ(P(0).v, H - 1);
    EXPECT_EQ(P(1).u, std::floor(0.5 * W + 0.5));
    EXPECT_EQ(P(1).v, 75);
    EXPECT_EQ(P(2).u, 0);
    EXPECT_EQ(P(2).v, 0);
    // Every vertex on texel (0, 0): the planar mapping from x + z, y + z.
    for (long i = 0; i < 3; i++)
        P(i).u = 0, P(i).v = 1;
    P(0).x = 10, P(0).y = -20, P(0).z = 3;
    P(1).x = 1000, P(1).y = 0, P(1).z = 0;
    P(2).x = P(2).y = P(2).z = 0;
    CalculateTexture(&obj);
    EXPECT_EQ(P(0).u, 13 + W / 2);
    EXPECT_EQ(P(0).v, -17 + H / 2);
    EXPECT_EQ(P(1).u, W - 1);
    EXPECT_EQ(P(2).u, W / 2);
    EXPECT_EQ(P(2).v, H / 2);
}

TEST_F(Object3DTest, ObjectFileRoundTripKeepsAnOlderFilesTail)
{
    const std::string path = ScratchFile("roundtrip.obj3d");
    WriteBytes(path, std::vector<uint8_t>(1000, 0xEE)); // an older, longer file
    ASSERT_EQ(AllocateObject3D(3, 2, &obj), 1);
    for (long i = 0; i < 3; i++) {
        P(i) = Point3D{float(i), 2.5f * float(i), -1.0f, 0.1f, 0.2f, 0.3f, int32_t(i), 7, -8, 4.0f, 5.0f};
    }
    obj.Face[0] = Face3D{0, 1, 2, 6, 0.f, 0.f, -1.f, &FlipperTexture, 3};
    obj.Face[1] = Face3D{2, 1, 0, 27, 0.f, 1.f, 0.f, nullptr, 4};
    ASSERT_EQ(Write3D(&obj, path.c_str()), 1);
    std::FILE *f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    std::vector<uint8_t> bytes(2000);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
    std::fclose(f);
    ASSERT_EQ(bytes.size(), 1000u);
    const size_t used = 8 + 3 * 44 + 2 * 36;
    EXPECT_EQ(bytes[0], 3);
    EXPECT_EQ(bytes[4], 2);
    EXPECT_EQ(bytes[used - 1], 0);   // the last face's Width, high byte
    EXPECT_EQ(bytes[used], 0xEE);    // the old tail is still there
    Object3D back{};
    ASSERT_EQ(Read3D(&back, path.c_str()), 1);
    ASSERT_EQ(back.NumPoints, 3);
    ASSERT_EQ(back.NumFaces, 2);
    EXPECT_EQ(std::memcmp(back.Points, obj.Points, 3 * sizeof(Point3D)), 0);
    EXPECT_EQ(back.Face[1].FaceType, 27);
    EXPECT_EQ(back.Face[1].p1, 2);
    EXPECT_EQ(back.Face[0].nz, -1.0f);
    EXPECT_EQ(back.Face[1].Width, 4);
    // Read again into the same object: the arrays are replaced, not leaked.
    ASSERT_EQ(Read3D(&back, path.c_str()), 1);
    EXPECT_EQ(back.NumPoints, 3);
    FreeObject3D(&back);
    FreeObject3D(&back); // twice is harmless
    EXPECT_EQ(back.Points, nullptr);
    EXPECT_EQ(Read3D(&back, "/nonexistent/dir/x.obj3d"), 0);
    std::remove(path.c_str());
}

TEST_F(Object3DTest, ObjectFilesThatLieAreCutToWhatTheyHold)
{
    const std::string path = ScratchFile("lies.obj3d");
    // A 100-byte file claiming 2^31 - 1 points and faces: two points fit.
    std::vector<uint8_t> lie(100, 0);
    lie[0] = lie[1] = lie[2] = 0xFF, lie[3] = 0x7F;
    lie[4] = lie[5] = lie[6] = 0xFF, lie[7] = 0x7F;
    WriteBytes(path, lie);
    ASSERT_EQ(Read3D(&obj, path.c_str()), 1);
    EXPECT_EQ(obj.NumPoints, 2);
    EXPECT_EQ(obj.NumFaces, 0);
    // Negative counts, and a face naming a vertex that is not there.
    Object3D one{};
    ASSERT_EQ(AllocateObject3D(3, 2, &one), 1);
    one.Face[0] = Face3D{0, 1, 2, 1, 0, 0, 0, nullptr, 0};
    one.Face[1] = Face3D{0, 1, 3, 1, 0, 0, 0, nullptr, 0};
    ASSERT_EQ(Write3D(&one, path.c_str()), 1);
    FreeObject3D(&one);
    ASSERT_EQ(Read3D(&obj, path.c_str()), 1);
    EXPECT_EQ(obj.NumPoints, 3);
    EXPECT_EQ(obj.NumFaces, 1); // the bad face is not kept
    lie.assign(8, 0);
    lie[3] = 0x80; // -2^31 points
    WriteBytes(path, lie);
    ASSERT_EQ(Read3D(&obj, path.c_str()), 1);
    EXPECT_EQ(obj.NumPoints, 0);
    WriteBytes(path, {}); // empty file
    ASSERT_EQ(Read3D(&obj, path.c_str()), 1);
    EXPECT_EQ(obj.NumFaces, 0);
    std::remove(path.c_str());
    EXPECT_EQ(AllocateObject3D(-1, 4, &one), 0);
    EXPECT_EQ(one.NumFaces, 0);
    EXPECT_EQ(one.Face, nullptr);
}

} // namespace
