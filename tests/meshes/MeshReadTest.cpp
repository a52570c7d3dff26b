// The tool's mesh reader: the importer's conventions on a tiny file, ASE
// text, and no crash or overread on cut or corrupted files.
#include "MeshBuild.h"
#include "MeshRead.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(MeshRead, AppliesTheImportersAxesScaleAndCornerOrder)
{
    Mesh one;
    one.groups = {"Metal", "metal"};
    one.vertices = {{{1, 2, 3}, 0, 1}, {{4, 5, 6}, 1, 0}, {{7, 8, 9}, 0.5, 0.5}};
    one.faces = {{0, 1, 2, 0}};
    MeshData m;
    std::string error;
    const std::vector<uint8_t> file = Encode3ds(one, "Tiny");
    ASSERT_TRUE(ReadMesh3ds(file, &m, &error)) << error;
    EXPECT_EQ(file[28], 3); // the mesh version byte the importer checks
    ASSERT_EQ(m.VertexCount(), 3u);
    // View space (x, y, z) is stored so that the importer gets (-x, -y, z).
    EXPECT_FLOAT_EQ(m.xyz[0], -1.0f);
    EXPECT_FLOAT_EQ(m.xyz[1], -2.0f);
    EXPECT_FLOAT_EQ(m.xyz[2], 3.0f);
    ASSERT_EQ(m.FaceCount(), 1u);
    EXPECT_EQ(m.faces[0], 0);
    EXPECT_EQ(m.faces[1], 1);
    EXPECT_EQ(m.faces[2], 2);
    EXPECT_TRUE(m.hasMapping);
    EXPECT_FLOAT_EQ(m.uv[1], 1.0f);
    ASSERT_EQ(m.groups.size(), 1u); // the empty group is not written
    EXPECT_EQ(m.groups[0].faceType, 10);
    EXPECT_EQ(FaceTypeOfMaterial("metal"), 6); // case matters
    EXPECT_EQ(FaceTypeOfMaterial("TexturedMetal"), 9);
    EXPECT_EQ(FaceTypeOfMaterial("Shaded"), 1);
    EXPECT_EQ(FaceTypeOfMaterial("Texture"), 2);
    EXPECT_EQ(FaceTypeOfMaterial("Crystal"), 6);
}

TEST(MeshRead, CutAndCorruptedFilesAreHandled)
{
    const std::vector<uint8_t> whole = Encode3ds(BuildDolphin(), "Dolphin");
    MeshData m;
    std::string error;
    for (size_t cut = 0; cut < whole.size(); cut += 97) {
        std::vector<uint8_t> part(whole.begin(), whole.begin() + long(cut));
        ReadMesh3ds(part, &m, &error); // must not crash or read past the buffer
    }
    std::vector<uint8_t> bad = whole;
    for (size_t i = 6; i < bad.size(); i += 251)
        bad[i] ^= 0x5A;
    ReadMesh3ds(bad, &m, &error);
    std::vector<uint8_t> notMesh = {'M', 'M', 0, 0, 0, 0};
    EXPECT_FALSE(ReadMesh3ds(notMesh, &m, &error));
}

TEST(MeshRead, AseTextMesh)
{
    const char *text = "*3DSMAX_ASCIIEXPORT 200\n"
                       "*GEOMOBJECT {\n\t*NODE_NAME \"Box\"\n\t*MESH {\n\t\t*TIMEVALUE 0\n"
                       "\t\t*MESH_NUMVERTEX 3\n\t\t*MESH_NUMFACES 1\n\t\t*MESH_VERTEX_LIST {\n"
                       "\t\t\t*MESH_VERTEX    0\t1.5000\t-7.2500\t3.0000\n"
                       "\t\t\t*MESH_VERTEX    1\t0.0000\t0.0000\t0.0000\n"
                       "\t\t\t*MESH_VERTEX    2\t1.0000\t1.0000\t1.0000\n\t\t}\n"
                       "\t\t*MESH_FACE_LIST {\n"
                       "\t\t\t*MESH_FACE    0:    A:    0 B:    1 C:    2 AB:    1 BC:    1 CA:    0\t *MESH_SMOOTHING 1\n"
                       "\t\t}\n\t}\n}\n";
    MeshData m;
    std::string error;
    ASSERT_TRUE(ReadMeshAse(text, &m, &error)) << error;
    ASSERT_EQ(m.VertexCount(), 3u);
    EXPECT_FLOAT_EQ(m.xyz[0], 1.5f);
    EXPECT_FLOAT_EQ(m.xyz[1], -7.25f);
    EXPECT_FLOAT_EQ(m.xyz[2], 3.0f);
    ASSERT_EQ(m.FaceCount(), 1u);
    EXPECT_EQ(m.faces[2], 2);
    ASSERT_EQ(m.objects.size(), 1u);
    EXPECT_EQ(m.objects[0], "Box");
    EXPECT_FALSE(m.hasMapping);
    EXPECT_FALSE(ReadMeshAse("nothing here", &m, &error));
    EXPECT_FALSE(ReadMeshAse("*MESH {\n*MESH_NUMVERTEX 1\n*MESH_NUMFACES 1\n*MESH_FACE 0: A: 0 B: 5 C: 0\n", &m, &error));
}
