// The 3D object effect: the face-type change sweeping 1/32 of a mesh a
// frame, the target type from the menu state, the keys, the mouse drag that
// turns the mesh, the angles that arrive by message, the turning lights, and
// the effect's memory with missing mesh files.
#include "Engine3DTestUtil.h"
#include "Gen32.h"
#include "General.h"
#include "Platform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

namespace {

// The effect's state back at its start values, with `faces` faces of type 0
// on a mesh of three points as the current object.
struct Effect3DTest : ::testing::Test {
    Object3D mesh{}, work{};
    defZENTRIXPAGE page{};

    void SetUp() override
    {
        FillAngleTables3D();
        CreateGFXPage(&page, 400, 308, 32);
        Changing = 0;
        TargetType = 0;
        CurrentFace = 0;
        ObjectType = 0;
        Lighted = 1;
        Smoothed = 1;
        Textured = 0;
        GlassOfs = 0;
        TextureTrans = 0;
        Ripple = 0;
        RotateLights = 0;
        RippleAngle = 0;
        Angle3DX = 0;
        Angle3DY = 512;
        Angle3DZ = 0;
        TransX = TransY = TransZ = 0;
        _MouseDown = 0;
        PlatSetCursorPos(0, 0);
    }
    void TearDown() override
    {
        _MouseDown = 0;
        RotateLights = 0;
        SelectObject3D(nullptr, nullptr);
        FreeObject3D(&mesh);
        FreeObject3D(&work);
        DeleteGFXPage(&page);
    }
    void Mesh(long faces)
    {
        ASSERT_EQ(AllocateObject3D(3, faces, &mesh), 1);
        ASSERT_EQ(AllocateObject3D(3, faces, &work), 1);
        mesh.Points[0] = Point3D{10, 0, 0, 0, 0, -1, 0, 0, 0, 0, 0};
        mesh.Points[1] = Point3D{0, 10, 0, 0, 0, -1, 0, 0, 0, 0, 0};
        mesh.Points[2] = Point3D{0, 0, 10, 0, 0, -1, 0, 0, 0, 0, 0};
        for (long f = 0; f < faces; f++)
            mesh.Face[f] = Face3D{0, 1, 2, 0, 0, 0, -1, nullptr, 0};
        SelectObject3D(&mesh, &work);
    }
    void Frame(float F = 1.0f) { Do3DEffect(nullptr, nullptr, F, &page); }
    long FacesOfType(int32_t type) const
    {
        long n = 0;
        for (long f = 0; f < mesh.NumFaces; f++)
            n += mesh.Face[f].FaceType == type;
        return n;
    }
    static void Key(WPARAM key) { Handle3DMessage(nullptr, WM_KEYDOWN, key, 0); }
    static void Command(WPARAM id) { Handle3DMessage(nullptr, WM_COMMAND, id, 0); }
};

// ---- Face-type change ---------------------------------------------------------

// (A wire-frame target's last colour stopping the same way:
// WireFramePassesOnThroughTwoColours.)
TEST_F(Effect3DTest, FaceTypeChangeSweepsTwoOfSixtyFourFacesAFrameThenStops)
{
    const int32_t target = kFaceCrystalSmooth;
    Mesh(64);
    TargetType = target;
    Changing = 1;
    CurrentFace = 0;
    for (int frame = 1; frame <= 32; frame++) {
        Frame();
        ASSERT_EQ(FacesOfType(target), 2 * frame) << "frame " << frame;
        // In array order.
        EXPECT_EQ(mesh.Face[2 * frame - 1].FaceType, target);
    }
    EXPECT_EQ(Changing, 1);
    // The frame after a complete pass ends the change; then nothing changes.
    Frame();
    EXPECT_EQ(Changing, 0);
    EXPECT_EQ(TargetType, target);
    mesh.Face[5].FaceType = 3;
    Frame();
    EXPECT_EQ(mesh.Face[5].FaceType, 3);
}

// The wire frame passes on through two colours before it stops.
TEST_F(Effect3DTest, WireFramePassesOnThroughTwoColours)
{
    Mesh(64);
    TargetType = kFaceWireDim;
    Changing = 1;
    int frames = 0;
    while (Changing && frames < 200) {
        Frame();
        frames++;
    }
    // 27 over frames 1 to 32 and 26 from the frame that ends that pass
    // (33) to 65, where 25 takes over; it covers frames 66 to 97 and frame
    // 98 ends the change.
    EXPECT_EQ(frames, 98);
    EXPECT_EQ(FacesOfType(kFaceWireDark), 64);
}

TEST_F(Effect3DTest, MeshOfThirtyOneFacesNeverChangesThatWay)
{
    Mesh(31);
    TargetType = kFaceMetal;
    Changing = 1;
    for (int k = 0; k < 40; k++)
        Frame();
    EXPECT_EQ(FacesOfType(0), 31);
    EXPECT_EQ(Changing, 1);
    Set3DTextureType(kFaceMetal);
    EXPECT_EQ(FacesOfType(kFaceMetal), 31);
}

// ---- Menu and keys ---------------------------------------------------------------

TEST_F(Effect3DTest, MenuCommandsStartAChangeToTheTypeTheyChoose)
{
    Command(IDM_3D_TEXTURED);   // textured, lights on: plain textured and lit
    EXPECT_EQ(Textured, 1);
    EXPECT_EQ(Changing, 1);
    EXPECT_EQ(TargetType, 3);
    CurrentFace = 17;
    Command(IDM_3D_LIGHTS);     // lights off
    Command(IDM_3D_METAL);      // metal, textured, unlit
    EXPECT_EQ(Lighted, 0);
    EXPECT_EQ(ObjectType, 2);
    EXPECT_EQ(TargetType, 9);
    EXPECT_EQ(CurrentFace, 0);
    Command(IDM_3D_LINES);
    EXPECT_EQ(TargetType, 14);
    Command(IDM_3D_SMOOTHED);
    EXPECT_EQ(Smoothed, 0);
    // Another command while the change runs takes the menu state again; one
    // when no change runs leaves the target alone.
    TargetType = 5;
    Command(204);
    EXPECT_EQ(TargetType, 14);
    Changing = 0;
    TargetType = 5;
    Command(204);
    EXPECT_EQ(TargetType, 5);
}

TEST_F(Effect3DTest, Keys)
{
    TargetType = 15;
    Key(VK_F1);
    EXPECT_EQ(TargetType, 0);   // wraps
    EXPECT_EQ(Changing, 1);
    CurrentFace = 9;
    Key(VK_F1);
    EXPECT_EQ(TargetType, 1);
    EXPECT_EQ(CurrentFace, 0);
    Key(VK_F2);
    EXPECT_EQ(TargetType, 10);
    Key(VK_F3);
    EXPECT_EQ(TargetType, 9);
    Key(VK_F4);
    Key(VK_F5);
    EXPECT_EQ(Ripple, 1);
    EXPECT_EQ(RotateLights, 1);
    Key(VK_F4);
    EXPECT_EQ(Ripple, 0);

    // The glass offset stays in 0..128 and the texture blend in 0..64.
    const struct {
        WPARAM key;
        const std::atomic<long> &value;
        long limit;
    } held[] = {{'1', GlassOfs, 128}, {'2', GlassOfs, 0}, {'3', TextureTrans, 64}, {'4', TextureTrans, 0}};
    for (const auto &h : held) {
        for (int k = 0; k < 200; k++)
            Key(h.key);
        EXPECT_EQ(h.value, h.limit) << char(h.key);
    }
}

// ---- Turning ---------------------------------------------------------------------

// Where the rest point (10, 0, 0) lands, its x and z, after a frame.
struct DragCase {
    long fromX, toX;     // cursor x when the button went down and now
    float x, z;
};
struct MouseDrag : Effect3DTest, ::testing::WithParamInterface<DragCase> {};

TEST_P(MouseDrag, TurnsTheMeshOneAngleUnitAPixelOnTopOfTheStoredAngles)
{
    const DragCase c = GetParam();
    Mesh(1);
    Angle3DY = 0;
    PlatSetCursorPos(c.fromX, 100);
    Handle3DMessage(nullptr, WM_LBUTTONDOWN, 0, 0);
    _MouseDown = 1;
    PlatSetCursorPos(c.toX, 100);
    Frame();
    EXPECT_EQ(DropPt.x, c.toX);
    EXPECT_NEAR(work.Points[0].x, c.x, 1e-4);
    EXPECT_NEAR(work.Points[0].y, 0.0f, 1e-4);
    EXPECT_NEAR(work.Points[0].z, c.z, 1e-4);
}

INSTANTIATE_TEST_SUITE_P(Drags, MouseDrag,
                         ::testing::Values(DragCase{300, 300, 10, 0},
                                           DragCase{300, 44, 0, 10},     // 256 pixels left: a quarter turn
                                           DragCase{44, 300, 0, -10},    // right: the other way
                                           DragCase{300, 812, -10, 0})); // 512 pixels: half a turn

TEST_F(Effect3DTest, AnglesAreKeptInOneTurn)
{
    Mesh(1);
    Angle3DY = 0;
    // A stored angle beyond one turn is masked (and stored back) before use.
    Angle3DX = 1024 + 256;
    Frame();
    EXPECT_EQ(Angle3DX, 256);
    EXPECT_NEAR(work.Points[0].z, 10.0f, 1e-4);
    // Message angles, however large, arrive masked at the next frame.
    Handle3DMessage(nullptr, WM_3D_ANGLEX, WPARAM(5 * 1024 + 512), 0);
    Handle3DMessage(nullptr, WM_3D_ANGLEY, ~WPARAM(0), 0);
    EXPECT_EQ(Angle3DX, 256);   // not before
    Frame();
    EXPECT_EQ(Angle3DX, 512);
    EXPECT_EQ(Angle3DY, 1023);
    // A negative angle (a drag, a caller) indexes nothing outside the tables.
    Angle3DX = -3;
    Frame();
    EXPECT_EQ(Angle3DX, 1021);
}

TEST_F(Effect3DTest, LightsTurnByTheirStepsAndKeepTheirLength)
{
    ASSERT_EQ(AllocateGeneralMemory(), 1);
    InitializeGeneral(nullptr);
    Mesh(1);
    const double saved[9] = {XLR, YLR, ZLR, XLG, YLG, ZLG, XLB, YLB, ZLB};
    XLR = XLG = XLB = 0;
    YLR = YLG = YLB = 5;
    ZLR = ZLG = ZLB = 10;
    RotateLights = 1;
    for (int k = 0; k < 300; k++)
        Frame(3.0f);   // the step does not depend on the frame time
    for (const double length : {std::sqrt(XLR * XLR + YLR * YLR + ZLR * ZLR), std::sqrt(XLG * XLG + YLG * YLG + ZLG * ZLG),
                                std::sqrt(XLB * XLB + YLB * YLB + ZLB * ZLB)})
        EXPECT_NEAR(length, std::sqrt(125.0), 1e-3);
    // Three different steps: three different directions.
    EXPECT_GT(std::fabs(XLR - XLG) + std::fabs(ZLR - ZLG), 0.5);
    EXPECT_GT(std::fabs(XLG - XLB) + std::fabs(ZLG - ZLB), 0.5);
    XLR = saved[0], YLR = saved[1], ZLR = saved[2], XLG = saved[3], YLG = saved[4], ZLG = saved[5];
    XLB = saved[6], YLB = saved[7], ZLB = saved[8];
    FreeGeneralMemory();
}

// ---- Memory ----------------------------------------------------------------------

TEST(Effect3DMemory, MissingMeshesLeaveEmptyMeshesThatDrawNothingAndFreeingTwiceIsHarmless)
{
    const std::string empty = ScratchFile("nodata");
    ASSERT_EQ(std::system(("mkdir -p '" + empty + "'").c_str()), 0);
    ZentrixSetDataFolder(empty.c_str());
    FillAngleTables3D();
    ASSERT_EQ(Allocate3DMemory(), 1);
    Initialize3D();
    EXPECT_EQ(objDolphin.NumFaces, 0);
    EXPECT_EQ(objMan.NumPoints, 0);
    EXPECT_EQ(obj3D, &objDolphin);
    EXPECT_EQ(obj3DTemp, &objDolphinTemp);
    ASSERT_NE(FlipperTexture.Pixels, nullptr);
    ASSERT_NE(MetalTexture, nullptr);
    EXPECT_EQ(MetalTexture->Width, 256);

    defZENTRIXPAGE page{};
    ASSERT_TRUE(CreateGFXPage(&page, 400, 308, 32));
    Cls32(&page, 1, 2, 3);
    for (Object3D *o : {&objDolphin, &objMan}) {
        SelectObject3D(o, o == &objMan ? &objManTemp : &objDolphinTemp);
        Changing = 1;
        Ripple = 1;
        TransY = -120;
        Do3DEffect(nullptr, nullptr, 1.0f, &page);
        Set3DTextureType(7);
    }
    const auto *px = static_cast<const uint32_t *>(page.pPageData);
    long changed = 0;
    for (int k = 0; k < 400 * 308; k++)
        changed += px[k] != 0x010203u;
    EXPECT_EQ(changed, 0);
    DeleteGFXPage(&page);

    EXPECT_EQ(Free3DMemory(), 1);
    EXPECT_EQ(MetalTexture, nullptr);
    EXPECT_EQ(FlipperTexture.Pixels, nullptr);
    EXPECT_EQ(objDolphinTemp.Face, nullptr);
    EXPECT_EQ(Free3DMemory(), 1);
    Changing = 0;
    Ripple = 0;
    TransY = 0;
    ZentrixSetDataFolder(nullptr);
    std::remove(empty.c_str());
}

} // namespace
