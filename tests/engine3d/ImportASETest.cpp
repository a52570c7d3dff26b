// The ASE text reader: the layout the demo writes, and what map compilers
// and other exporters write (tabs, no colon, UTF-16, many objects,
// animation frames, empty meshes).
#include "Engine3DTestUtil.h"

#include <gtest/gtest.h>

namespace {

// One *MESH block with the tetrahedron; `sep` between items and `colon`
// after the face number.
std::string MeshBlock(const std::string &sep, bool colon, float shift = 0, int faces = 4)
{
    const float xyz[4][3] = {{1.5f, -7.25f, 3}, {10, 0, 0}, {0, 10, 0}, {0, 0, 10}};
    const int abc[4][3] = {{0, 2, 1}, {0, 1, 3}, {0, 3, 2}, {1, 2, 3}};
    std::string s = "\t*MESH {\n\t\t*TIMEVALUE" + sep + "0\n\t\t*MESH_NUMVERTEX" + sep + "4\n";
    s += "\t\t*MESH_NUMFACES" + sep + std::to_string(faces) + "\n\t\t*MESH_VERTEX_LIST {\n";
    char line[256];
    for (int i = 0; i < 4; i++) {
        std::snprintf(line, sizeof line, "\t\t\t*MESH_VERTEX%s%4d%s%.4f%s%.4f%s%.4f\n", sep.c_str(), i, sep.c_str(),
                      double(xyz[i][0] + shift), sep.c_str(), double(xyz[i][1]), sep.c_str(), double(xyz[i][2]));
        s += line;
    }
    s += "\t\t}\n\t\t*MESH_FACE_LIST {\n";
    for (int i = 0; i < faces; i++) {
        std::snprintf(line, sizeof line,
                      "\t\t\t*MESH_FACE%s%4d%s%sA:%s%4d%sB:%s%4d%sC:%s%4d%sAB:%s1%sBC:%s1%sCA:%s0%s*MESH_SMOOTHING 1\n",
                      sep.c_str(), i, colon ? ":" : "", sep.c_str(), sep.c_str(), abc[i][0], sep.c_str(), sep.c_str(),
                      abc[i][1], sep.c_str(), sep.c_str(), abc[i][2], sep.c_str(), sep.c_str(), sep.c_str(),
                      sep.c_str(), sep.c_str(), sep.c_str(), sep.c_str());
        s += line;
    }
    s += "\t\t}\n\t\t*MESH_NUMTVERTEX 0\n\t\t*MESH_NORMALS {\n\t\t\t*MESH_FACENORMAL 0 0 0 1\n"
         "\t\t\t*MESH_VERTEXNORMAL 0 0 0 1\n\t\t}\n\t}\n";
    return s;
}

std::string GeomObject(const std::string &name, const std::string &mesh)
{
    return "*GEOMOBJECT {\n\t*NODE_NAME \"" + name + "\"\n\t*NODE_TM {\n\t\t*TM_ROW0 1 0 0\n\t}\n" + mesh + "}\n";
}

struct ImportASETest : ImportFixture {
    ImportASETest() : ImportFixture("mesh.ase") {}
    void Import(const std::string &text)
    {
        WriteText(path, text);
        Import3D(path.c_str(), &obj);
    }
    void ExpectTetra(float shift = 0)
    {
        ASSERT_EQ(obj.NumPoints, 4);
        ASSERT_EQ(obj.NumFaces, 4);
        EXPECT_FLOAT_EQ(obj.Points[0].x, 1.5f + shift);
        EXPECT_FLOAT_EQ(obj.Points[0].y, -7.25f);
        EXPECT_FLOAT_EQ(obj.Points[0].z, 3.0f);
        EXPECT_EQ(obj.Face[3].p1, 1);
        EXPECT_EQ(obj.Face[3].p3, 3);
        for (long i = 0; i < obj.NumFaces; i++)
            EXPECT_EQ(obj.Face[i].FaceType, 5);
        EXPECT_NE(obj.Face[0].nx * obj.Face[0].nx + obj.Face[0].nz * obj.Face[0].nz, 0.0f); // normals computed
    }
};

TEST_F(ImportASETest, LayoutsOfDifferentExporters)
{
    const std::string head = "*3DSMAX_ASCIIEXPORT\t200\n*COMMENT \"x\"\n";
    // Spaces and colons; tabs without colons (map compilers); tabs and colons, no header.
    for (const std::string &text : {head + GeomObject("Box", MeshBlock(" ", true)),
                                    head + GeomObject("Box", MeshBlock("\t", false)),
                                    GeomObject("Box", MeshBlock("\t", true))}) {
        FreeObject3D(&obj);
        Import(text);
        ExpectTetra();
    }
}

TEST_F(ImportASETest, Utf16FilesWithCrLfAreDecodedFirst)
{
    std::string text = GeomObject("Box", MeshBlock("\t", false));
    std::string crlf;
    for (char c : text)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    for (bool little : {true, false}) {
        std::vector<uint8_t> bytes = little ? std::vector<uint8_t>{0xFF, 0xFE} : std::vector<uint8_t>{0xFE, 0xFF};
        for (char c : crlf) {
            bytes.push_back(little ? uint8_t(c) : 0);
            bytes.push_back(little ? 0 : uint8_t(c));
        }
        WriteBytes(path, bytes);
        FreeObject3D(&obj);
        Import3D(path.c_str(), &obj);
        ExpectTetra();
    }
}

TEST_F(ImportASETest, ManyObjectsAndAnimationFramesLastMeshWins)
{
    std::string text;
    for (int i = 0; i < 24; i++)
        text += GeomObject("Part" + std::to_string(i), MeshBlock(" ", true, float(i)));
    Import(text);
    ExpectTetra(23);
    EXPECT_EQ(LastImportInfo3D.meshes, 24);
    EXPECT_EQ(LastImportInfo3D.objects.size(), 24u);
    // Animation frames hold whole meshes too: the last one is kept.
    FreeObject3D(&obj);
    Import(GeomObject("Anim", MeshBlock(" ", true) + "\t*MESH_ANIMATION {\n" + MeshBlock(" ", true, 100) +
                                  MeshBlock(" ", true, 200) + "\t}\n"));
    ExpectTetra(200);
    // A mesh without faces does not replace the one before it.
    FreeObject3D(&obj);
    Import(GeomObject("A", MeshBlock(" ", true)) + GeomObject("Empty", MeshBlock(" ", true, 5, 0)));
    ExpectTetra();
}

TEST_F(ImportASETest, RecordsAndCornersOutOfRangeAreNotKept)
{
    std::string mesh = MeshBlock(" ", true);
    // Face 3 names vertex 7; face record 9 and vertex record 4 do not exist;
    // an announced count far beyond the file.
    mesh.replace(mesh.find("A:    1 B:    2 C:    3"), 23, "A:    1 B:    7 C:    3");
    mesh.replace(mesh.find("\t\t}\n\t\t*MESH_FACE_LIST"), 0, "\t\t\t*MESH_VERTEX 4 9 9 9\n");
    mesh.replace(mesh.find("\t\t}\n\t\t*MESH_NUMTVERTEX"), 0, "\t\t\t*MESH_FACE 9: A: 0 B: 1 C: 2\n");
    Import(GeomObject("Bad", mesh));
    EXPECT_EQ(obj.NumPoints, 4);
    EXPECT_EQ(obj.NumFaces, 3);
    // A second vertex count after the faces shortens the list: faces naming
    // the lost vertices go with them.
    mesh.replace(mesh.find("\t\t*MESH_NUMTVERTEX"), 0, "\t\t*MESH_NUMVERTEX 3\n");
    Import(GeomObject("Bad", mesh));
    EXPECT_EQ(obj.NumPoints, 3);
    EXPECT_EQ(obj.NumFaces, 1);
    FreeObject3D(&obj);
    Import("*MESH {\n*MESH_NUMVERTEX 2147483647\n*MESH_NUMFACES 99999999999\n*MESH_FACE 0: A: 0 B: 0 C: 0\n}\n");
    EXPECT_LE(obj.NumPoints, 10);
    EXPECT_LE(obj.NumFaces, 10);
    // No *MESH at all, an empty file: the object as it was.
    FreeObject3D(&obj);
    Import(GeomObject("A", MeshBlock(" ", true)));
    Import("*3DSMAX_ASCIIEXPORT 200\n*SCENE {\n}\n");
    EXPECT_EQ(obj.NumFaces, 4);
    Import("");
    EXPECT_EQ(obj.NumFaces, 4);
}

} // namespace
