// The renderer: light levels of the start lights, back faces, the camera
// plane, textures missing or sampled out of range, the depth-rank level of
// type 2, the wire-frame switch of type 100, and the depth sort's order.
#include "Engine3DTestUtil.h"
#include "Random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {

constexpr uint32_t kPaper = 0x123456;

struct Render3DTest : ::testing::Test {
    defZENTRIXPAGE page{};
    Object3D obj{};
    std::vector<uint32_t> texels;
    Texture3D tex{};
    void SetUp() override
    {
        FillAngleTables3D();
        CreateGFXPage(&page, 400, 308, 32);
        AllocateScanLines(&page);
        Clear();
        // A 4 x 4 texture of one colour, followed by a guard of another.
        texels.assign(1024, 0x00FF00);
        std::fill(texels.begin(), texels.begin() + 16, 0xC08040);
        tex = Texture3D{texels.data(), 4, 4};
        Changing = 0;
        TargetType = 0;
    }
    void TearDown() override
    {
        FreeObject3D(&obj);
        DeleteGFXPage(&page);
    }
    void Clear() { std::fill_n(static_cast<uint32_t *>(page.pPageData), 400 * 308, kPaper); }
    uint32_t At(int x, int y) const { return static_cast<const uint32_t *>(page.pPageData)[y * 400 + x]; }
    // `faces` copies of a triangle covering the upper-left half of the square
    // 160 pixels wide round the page centre, facing the camera (normal
    // (0, 0, -1)); `reversed` winds it the other way.
    void Triangle(int32_t type, long faces = 1, bool reversed = false, float z3 = 0)
    {
        FreeObject3D(&obj);
        ASSERT_EQ(AllocateObject3D(3, faces, &obj), 1);
        const float xyz[3][3] = {{-20, -20, 0}, {-20, 20, 0}, {20, -20, z3}};
        for (int i = 0; i < 3; i++)
            obj.Points[i] = Point3D{xyz[i][0], xyz[i][1], xyz[i][2], 0, 0, -1, 0, 0, 0, 1, 1};
        for (long f = 0; f < faces; f++)
            obj.Face[f] = Face3D{0, reversed ? 2 : 1, reversed ? 1 : 2, type, 0, 0, -1, &tex, 0};
    }
};

TEST_F(Render3DTest, StartLightLevels)
{
    struct Case {
        int32_t type;
        float nx, ny, nz;
        uint32_t pixel;
    };
    const Case cases[] = {
        {1, 0, 0, -1, 0xDBDBDB}, // floor(0.5 + 119) + 100 = 219
        {1, 0, 1, 0, 0xA0A0A0},  // floor(0.5 + 59.5) + 100 = 160
        {1, 0, 0, 1, 0x000000},  // -19, clamped to 0
        {0, 0, 1, 0, 0xA0A0A0},  // shaded: per vertex, the same rule
    };
    for (const Case &c : cases) {
        Triangle(c.type);
        obj.Face[0].nx = c.nx, obj.Face[0].ny = c.ny, obj.Face[0].nz = c.nz;
        for (int i = 0; i < 3; i++)
            obj.Points[i].nx = c.nx, obj.Points[i].ny = c.ny, obj.Points[i].nz = c.nz;
        Clear();
        Draw3D(&obj, &page);
        EXPECT_EQ(At(160, 114), c.pixel) << "type " << c.type << " normal " << c.nx << "," << c.ny << "," << c.nz;
        EXPECT_EQ(At(240, 194), kPaper); // the other half of the square
    }
}

TEST_F(Render3DTest, BackFacesFacesAtTheCameraPlaneAndTypeHundredAreNotDrawn)
{
    for (int32_t type : {0, 1, 3, 6, 14, 27, 100, 15}) {
        Triangle(type, 1, true);
        Clear();
        Draw3D(&obj, &page);
        EXPECT_EQ(At(160, 114), kPaper) << type;
        EXPECT_EQ(Changing.load(), 0) << type;
        for (float z : {-256.0f, -300.0f, -255.99f}) {
            Triangle(type, 1, false, z);
            Clear();
            Draw3D(&obj, &page); // projected far off the page, or behind the camera
            EXPECT_EQ(At(160, 114), kPaper) << type << " z " << z;
        }
    }
    // A front face of type 100 draws nothing either but starts the wire-frame change.
    Triangle(100);
    Draw3D(&obj, &page);
    EXPECT_EQ(At(160, 114), kPaper);
    EXPECT_EQ(Changing.load(), 1);
    EXPECT_EQ(TargetType.load(), 27);
    Changing = 0;
}

TEST_F(Render3DTest, TexturesAreClampedAndMissingOnesDrawnFlat)
{
    // Other values draw the plain texture; a texel position far outside the
    // 4 x 4 texture samples its last texel, not the guard behind it.
    for (int32_t type : {15, 99, 101, -1, 3}) {
        Triangle(type);
        for (int i = 0; i < 3; i++)
            obj.Points[i].u = obj.Points[i].v = 1e6f;
        Clear();
        Draw3D(&obj, &page);
        const uint32_t got = At(160, 114);
        EXPECT_NE(got, 0x00FF00u) << type;
        if (type != 3) {
            EXPECT_EQ(got, 0xC08040u) << type;
        }
    }
    // Without a picture: flat colour, as type 1.
    for (int32_t type : {2, 3, 8, 9, 12, 13, 15, -1}) {
        Triangle(type);
        obj.Face[0].Texture = nullptr;
        Clear();
        Draw3D(&obj, &page);
        EXPECT_EQ(At(160, 114), 0xDBDBDBu) << type;
    }
    // Metal types without their environment page draw nothing and do not crash.
    defZENTRIXPAGE *metal = MetalTexture;
    MetalTexture = nullptr;
    for (int32_t type : {9, 10, 11, 13}) {
        Triangle(type);
        Draw3D(&obj, &page);
    }
    MetalTexture = metal;
}

TEST_F(Render3DTest, DepthRankOfTypeTwo)
{
    // Four faces: rank 0 (not drawn) first, 67 (opaque) last; the two
    // between face away but still count.
    Triangle(2, 4);
    std::swap(obj.Face[1].p2, obj.Face[1].p3);
    std::swap(obj.Face[2].p2, obj.Face[2].p3);
    obj.Face[3] = obj.Face[0];
    Draw3D(&obj, &page);
    EXPECT_EQ(At(160, 114), 0xC08040u);
    Clear();
    obj.NumFaces = 3; // face 0 alone can draw, at rank 0: nothing
    obj.Face[1].FaceType = obj.Face[2].FaceType = 1;
    Draw3D(&obj, &page);
    EXPECT_EQ(At(160, 114), kPaper);
}

TEST_F(Render3DTest, DepthSortOrdersFarToNear)
{
    SeedRand15(7);
    for (long n : {1L, 2L, 3L, 17L, 500L}) {
        std::vector<Sort3D> keys(static_cast<size_t>(n));
        for (long i = 0; i < n; i++)
            keys[size_t(i)] = Sort3D{float(Rand15() % 50) - 25.0f, i}; // many equal keys
        QSort(keys.data(), 0, n - 1);
        for (long i = 1; i < n; i++)
            ASSERT_GE(keys[size_t(i - 1)].ZAvg, keys[size_t(i)].ZAvg) << n;
        std::vector<bool> seen(static_cast<size_t>(n));
        for (const Sort3D &k : keys)
            seen[size_t(k.FaceNum)] = true;
        EXPECT_TRUE(std::all_of(seen.begin(), seen.end(), [](bool b) { return b; }));
    }
    // The faster depth order leaves the same order as the quicksort, equal
    // keys included: keys all different, a few equal (as a turning mesh
    // gives), mostly equal, and keys of -0 and +0, infinities and NaN.
    std::mt19937 rng(3);
    const struct {
        long n;
        uint32_t values; // keys drawn from this many values; 0: any float
    } cases[] = {{2, 1}, {3, 2}, {17, 5}, {40, 0}, {500, 50}, {2700, 0}, {2700, 2600}, {2700, 3}};
    for (const auto &c : cases)
        for (int round = 0; round < 20; round++) {
            std::vector<Sort3D> a(static_cast<size_t>(c.n));
            for (long i = 0; i < c.n; i++) {
                const float z = c.values ? float(rng() % c.values) * 0.25f - 40.0f
                                         : std::uniform_real_distribution<float>(-300, 300)(rng);
                a[size_t(i)] = Sort3D{z, i};
            }
            if (round >= 16) { // a few special keys among the others
                const float special[] = {-0.0f, 0.0f, INFINITY, -INFINITY, NAN};
                for (int k = 0; k < 4; k++)
                    a[rng() % a.size()].ZAvg = special[(round - 16 + k) % (round == 19 ? 5 : 4)];
            }
            auto b = a;
            QSort(a.data(), 0, c.n - 1);
            DepthOrder(b.data(), c.n);
            for (long i = 0; i < c.n; i++)
                ASSERT_EQ(a[size_t(i)].FaceNum, b[size_t(i)].FaceNum) << c.n << " " << c.values << " " << round;
        }

    // zSort: key = the three depths summed plus the normal's z.
    ASSERT_EQ(AllocateObject3D(4, 3, &obj), 1);
    const float z[4] = {0, 10, 20, 30};
    for (int i = 0; i < 4; i++)
        obj.Points[i] = Point3D{0, 0, z[i], 0, 0, 0, 0, 0, 0, 0, 0};
    obj.Face[0] = Face3D{0, 0, 1, 0, 0, 0, 0.5f, nullptr, 0};  // 10.5
    obj.Face[1] = Face3D{3, 3, 3, 1, 0, 0, -1.0f, nullptr, 0}; // 89
    obj.Face[2] = Face3D{0, 0, 1, 2, 0, 0, 0.9f, nullptr, 0};  // 10.9
    zSort(&obj);
    EXPECT_EQ(obj.Face[0].FaceType, 1);
    EXPECT_EQ(obj.Face[1].FaceType, 2);
    EXPECT_EQ(obj.Face[2].FaceType, 0);
    Set3DTextureType(1); // no object selected: nothing happens
}

} // namespace
