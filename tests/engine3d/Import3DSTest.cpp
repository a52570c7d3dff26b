// The 3DS importer on small files with one property each: what the demo's
// own files hold, and what files from other exporters and broken files hold.
#include "Engine3DTestUtil.h"

#include <gtest/gtest.h>

namespace {

struct Import3DSTest : ImportFixture {
    Import3DSTest() : ImportFixture("mesh.3ds") {}
    long Import(const std::vector<uint8_t> &bytes)
    {
        WriteBytes(path, bytes);
        return Import3DSFile(path.c_str(), &obj);
    }
    // One named tetrahedron with the given material groups.
    static std::vector<uint8_t> Tetra(const std::string &name = "Tetra",
                                      const std::vector<std::pair<std::string, std::vector<int>>> &groups = {})
    {
        Chunks c;
        c.Start().Begin(0x4000).Name(name).Begin(0x4100).Vertices(TetraXYZ()).Faces(TetraFaces(), groups);
        c.End().End();
        return c.Finish();
    }
};

TEST_F(Import3DSTest, AxesSwapShrinkTenfoldAndCornersReverse)
{
    Chunks c;
    c.Start().Begin(0x4000).Name("One").Begin(0x4100);
    c.Vertices({10, 20, 30, 0, 0, 0, 5, -5, 0}).Faces({0, 1, 2});
    c.End().End();
    ASSERT_EQ(Import(c.Finish()), 0);
    ASSERT_EQ(obj.NumPoints, 3);
    EXPECT_FLOAT_EQ(obj.Points[0].x, 1.0f);
    EXPECT_FLOAT_EQ(obj.Points[0].y, 3.0f);
    EXPECT_FLOAT_EQ(obj.Points[0].z, 2.0f);
    ASSERT_EQ(obj.NumFaces, 1);
    EXPECT_EQ(obj.Face[0].p1, 2);
    EXPECT_EQ(obj.Face[0].p2, 1);
    EXPECT_EQ(obj.Face[0].p3, 0);
    EXPECT_EQ(obj.Face[0].FaceType, 0); // no material group
    EXPECT_EQ(obj.Face[0].Texture, &FlipperTexture);
    EXPECT_FALSE(LastImportInfo3D.mapping);
}

TEST_F(Import3DSTest, MaterialNamesMapExactlyToFaceTypes)
{
    ASSERT_EQ(Import(Tetra("T", {{"Metal", {0}}, {"metal", {1}}, {"TexturedMetal", {2}}, {"Shaded", {3, 99}}})), 0);
    ASSERT_EQ(obj.NumFaces, 4);
    EXPECT_EQ(obj.Face[0].FaceType, 10);
    EXPECT_EQ(obj.Face[1].FaceType, 6); // letter case matters
    EXPECT_EQ(obj.Face[2].FaceType, 9);
    EXPECT_EQ(obj.Face[3].FaceType, 1); // face 99 does not exist: ignored
    ASSERT_EQ(Import(Tetra("T", {{"Texture", {0, 1}}, {"Crystal", {2}}, {"Glass", {3}}})), 0);
    EXPECT_EQ(obj.Face[0].FaceType, 2);
    EXPECT_EQ(obj.Face[1].FaceType, 2);
    EXPECT_EQ(obj.Face[2].FaceType, 6);
    EXPECT_EQ(obj.Face[3].FaceType, 6);
    ASSERT_EQ(LastImportInfo3D.groups.size(), 3u);
    EXPECT_EQ(LastImportInfo3D.groups[0].faces, 2);
}

TEST_F(Import3DSTest, MappingListsLongerThanTheVerticesAreIgnoredWhole)
{
    const int H = FlipperTexture.Height;
    for (int pairs : {4, 2, 5}) {
        Chunks c;
        c.Start().Begin(0x4000).Name("M").Begin(0x4100).Vertices(TetraXYZ());
        std::vector<float> uv;
        for (int i = 0; i < pairs; i++)
            uv.insert(uv.end(), {0.5f, 0.5f});
        c.Mapping(uv).Faces(TetraFaces()).End().End();
        ASSERT_EQ(Import(c.Finish()), 0);
        ASSERT_EQ(obj.NumPoints, 4);
        // Mapped vertices land mid-texture; the others keep (0, 0), which is
        // column 0 of the bottom row.
        for (int i = 0; i < 4; i++) {
            const bool mapped = pairs <= 4 && i < pairs;
            EXPECT_EQ(obj.Points[i].v, mapped ? 75 : H - 1) << pairs << " pairs, vertex " << i;
        }
        EXPECT_EQ(LastImportInfo3D.mapping, pairs <= 4);
    }
}

// The second mesh holds an unknown chunk whose bytes look like a vertex
// list: read byte by byte it would replace the vertices and lose every face.
TEST_F(Import3DSTest, SeveralObjectsCamerasLightsLongNamesAndUnknownChunks)
{
    Chunks c;
    c.Start();
    c.Begin(0x4000).Name("First").Begin(0x4100).Vertices({0, 0, 0, 10, 0, 0, 0, 10, 0}).Faces({0, 1, 2});
    c.End().End();
    c.Begin(0x4000).Name("AVeryLongObjectName1").Begin(0x4100).Vertices(TetraXYZ()).Faces(TetraFaces());
    c.Begin(0x4170).Vertices({1, 2, 3}).End();
    c.End().End();
    c.Begin(0x4000).Name("Camera01").Begin(0x4700);
    for (int i = 0; i < 8; i++)
        c.F32(1);
    c.End().End();
    c.Begin(0x4000).Name("Light01").Begin(0x4600).F32(1).F32(2).F32(3).Begin(0x0010).F32(1).F32(1).F32(1).End();
    c.End().End();
    c.Begin(0xAFFF).Begin(0xA000).Name("Metal").End().Begin(0xA020).U32(0).End().End();
    ASSERT_EQ(Import(c.Finish()), 0);
    EXPECT_EQ(obj.NumPoints, 4); // the last vertex list and face list
    EXPECT_EQ(obj.NumFaces, 4);
    ASSERT_EQ(LastImportInfo3D.objects.size(), 4u);
    EXPECT_EQ(LastImportInfo3D.objects[1], "AVeryLongOb"); // cut to 11
    EXPECT_EQ(LastImportInfo3D.meshes, 2);
}

TEST_F(Import3DSTest, FilesThatLieLeaveADrawableMesh)
{
    const std::vector<uint8_t> good = Tetra();
    // Main chunk length larger than the file, and smaller than its header.
    for (uint32_t len : {uint32_t(good.size() + 1000), 0u}) {
        std::vector<uint8_t> b = good;
        std::memcpy(&b[2], &len, 4);
        ASSERT_EQ(Import(b), 0);
        EXPECT_EQ(obj.NumFaces, 4) << "main chunk length " << len;
        FreeObject3D(&obj);
    }
    // Every cut of the file: whatever is kept names only vertices that exist.
    for (size_t cut = 0; cut <= good.size(); cut++) {
        ASSERT_EQ(Import(std::vector<uint8_t>(good.begin(), good.begin() + long(cut))), 0);
        for (long i = 0; i < obj.NumFaces; i++)
            ASSERT_TRUE(obj.Face[i].p1 < obj.NumPoints && obj.Face[i].p2 < obj.NumPoints &&
                        obj.Face[i].p3 < obj.NumPoints);
    }
    FreeObject3D(&obj);
    // Counts larger than the data, a face naming vertex 9, a sub-chunk
    // running past its parent.
    Chunks c;
    c.Start().Begin(0x4000).Name("Bad").Begin(0x4100);
    c.Begin(0x4110).U16(60000).F32(0).F32(0).F32(0).F32(10).F32(0).F32(0).F32(0).F32(10).F32(0).End();
    c.Begin(0x4120).U16(2).U16(0).U16(1).U16(2).U16(0).U16(0).U16(9).U16(2).U16(0).End();
    c.Begin(0x4140).U32(0);
    c.End().End();
    std::vector<uint8_t> b = c.Finish();
    const size_t mapLen = b.size() - 8; // where the mapping chunk's length lies
    b[mapLen] = 0xFF, b[mapLen + 1] = 0xFF;
    ASSERT_EQ(Import(b), 0);
    EXPECT_EQ(obj.NumPoints, 3);
    EXPECT_EQ(obj.NumFaces, 1);
    // Not a 3DS file, a version below 3, a zero-byte file: the object as it was.
    for (const std::vector<uint8_t> &other : {std::vector<uint8_t>{'M', 'M', 0, 0}, Chunks().Start(2).Finish(),
                                              std::vector<uint8_t>{}}) {
        ASSERT_EQ(Import(other), 0);
        EXPECT_EQ(obj.NumFaces, 1);
    }
    FreeObject3D(&obj);
    ASSERT_EQ(Import({}), 0);
    EXPECT_EQ(obj.NumPoints, 0);
    EXPECT_EQ(Import3DSFile("/nonexistent/x.3ds", &obj), -1);
}

TEST_F(Import3DSTest, ImportChoosesTheReaderByTheNamesEnding)
{
    // Other endings are read as ASE text: nothing is found.
    const std::pair<const char *, long> cases[] = {{"a.3DS", 4}, {"b.3ds", 4}, {"c.3dS", 4}, {"3ds", 4},
                                                   {"d.3d", 0},  {"e.ase", 0}, {"ds", 0}};
    for (const auto &[name, faces] : cases) {
        const std::string p = ScratchFile(name);
        WriteBytes(p, Tetra());
        Object3D o{};
        Import3D(p.c_str(), &o);
        EXPECT_EQ(o.NumFaces, faces) << name;
        FreeObject3D(&o);
        std::remove(p.c_str());
    }
}

} // namespace
