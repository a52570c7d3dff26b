// The dolphin and the man as the demo imports them: counts, closed and
// outward-facing surfaces, shared vertices, and every vertex in front of the
// camera and on the page in the poses the demo shows them in.
#include "3DStuff.h"
#include "Engine3DPrivate.h"
#include "MeshBuild.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <numeric>
#include <set>
#include <string>
#include <unistd.h>
#include <utility>

namespace {

// What the engine's importer kept, flattened for the checks below.
struct MeshData {
    std::vector<float> xyz; // 3 per vertex
    std::vector<float> uv;  // 2 per vertex: texel column and row
    std::vector<int> faces; // 3 per face
    ImportInfo3D info;
    size_t VertexCount() const { return xyz.size() / 3; }
    size_t FaceCount() const { return faces.size() / 3; }
};

MeshData Imported(const Mesh &mesh, const char *name)
{
    const std::vector<uint8_t> bytes = Encode3ds(mesh, name);
    const std::string path = "/tmp/meshes_test_" + std::to_string(getpid()) + ".3ds";
    std::FILE *f = std::fopen(path.c_str(), "wb");
    EXPECT_NE(f, nullptr);
    if (f) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    Object3D obj{};
    Import3D(path.c_str(), &obj);
    std::remove(path.c_str());
    MeshData data;
    data.info = LastImportInfo3D;
    for (long i = 0; i < obj.NumPoints; i++) {
        const Point3D &p = obj.Points[i];
        data.xyz.insert(data.xyz.end(), {p.x, p.y, p.z});
        data.uv.insert(data.uv.end(), {p.u, p.v});
    }
    for (long i = 0; i < obj.NumFaces; i++)
        data.faces.insert(data.faces.end(), {obj.Face[i].p1, obj.Face[i].p2, obj.Face[i].p3});
    FreeObject3D(&obj);
    return data;
}

struct P3 {
    float x, y, z;
};

P3 Vertex(const MeshData &m, size_t i)
{
    return {m.xyz[3 * i], m.xyz[3 * i + 1], m.xyz[3 * i + 2]};
}

// A point turned by the engine's own rotation.
P3 Rotate(P3 p, int angX, int angY, int angZ)
{
    static const bool tables = (FillAngleTables3D(), true);
    (void)tables;
    Point3D q{};
    q.x = p.x, q.y = p.y, q.z = p.z;
    Object3D one{1, 0, &q, nullptr};
    Rotate3D(angX, angY, angZ, &one);
    return {q.x, q.y, q.z};
}

// Lowest z + 256 and the projected extent over every vertex in a pose.
struct PoseCheck {
    float nearest = 1e30f;
    float left = 1e30f, right = -1e30f, top = 1e30f, bottom = -1e30f;
    void Add(P3 q)
    {
        nearest = std::min(nearest, q.z + 256.0f);
        const float sx = std::floor(1024.0f * q.x / (q.z + 256.0f) + 0.5f) + 200.0f;
        const float sy = std::floor(1024.0f * q.y / (q.z + 256.0f) + 0.5f) + 154.0f;
        left = std::min(left, sx);
        right = std::max(right, sx);
        top = std::min(top, sy);
        bottom = std::max(bottom, sy);
    }
};

// Every vertex translated, then turned as the effect turns it (the second
// angle stays at its start value 512). `wobble` covers the ripple's largest
// displacement, added to y and z with either sign.
PoseCheck Pose(const MeshData &m, int angX, float tx, float ty, float wobble)
{
    PoseCheck check;
    for (size_t i = 0; i < m.VertexCount(); ++i)
        for (float w : {-wobble, wobble}) {
            P3 p = Vertex(m, i);
            p.x += tx;
            p.y += ty + w;
            p.z += w;
            check.Add(Rotate(p, angX, 512, 0));
        }
    return check;
}

// The signed volume a face encloses with the origin.
double Volume(const MeshData &m, size_t f)
{
    const P3 a = Vertex(m, size_t(m.faces[3 * f])), b = Vertex(m, size_t(m.faces[3 * f + 1])),
             c = Vertex(m, size_t(m.faces[3 * f + 2]));
    return (a.x * (b.y * c.z - b.z * c.y) - a.y * (b.x * c.z - b.z * c.x) + a.z * (b.x * c.y - b.y * c.x)) / 6;
}

void ExpectClosedAndOutward(const MeshData &m, double awayShare)
{
    // Closed and consistently wound: every directed edge once, its reverse once.
    std::map<std::pair<int, int>, int> directed;
    for (size_t f = 0; f < m.FaceCount(); ++f)
        for (int k = 0; k < 3; ++k)
            directed[{m.faces[3 * f + size_t(k)], m.faces[3 * f + size_t((k + 1) % 3)]}]++;
    for (const auto &e : directed) {
        ASSERT_EQ(e.second, 1) << "edge " << e.first.first << "-" << e.first.second << " used twice the same way";
        ASSERT_EQ(directed.count({e.first.second, e.first.first}), 1u)
            << "edge " << e.first.first << "-" << e.first.second << " is open";
    }
    // Outward: positive enclosed volume, and most face normals (P2 - P1) x
    // (P3 - P1) point away from the centroid.
    double cx = 0, cy = 0, cz = 0;
    for (size_t i = 0; i < m.VertexCount(); ++i) {
        cx += m.xyz[3 * i];
        cy += m.xyz[3 * i + 1];
        cz += m.xyz[3 * i + 2];
    }
    cx /= double(m.VertexCount());
    cy /= double(m.VertexCount());
    cz /= double(m.VertexCount());
    double volume = 0;
    size_t away = 0;
    for (size_t f = 0; f < m.FaceCount(); ++f) {
        const P3 a = Vertex(m, size_t(m.faces[3 * f])), b = Vertex(m, size_t(m.faces[3 * f + 1])),
                 c = Vertex(m, size_t(m.faces[3 * f + 2]));
        const double ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z;
        const double vx = c.x - a.x, vy = c.y - a.y, vz = c.z - a.z;
        const double nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
        volume += Volume(m, f);
        const double mx = (a.x + b.x + c.x) / 3 - cx, my = (a.y + b.y + c.y) / 3 - cy, mz = (a.z + b.z + c.z) / 3 - cz;
        if (nx * mx + ny * my + nz * mz > 0)
            away++;
    }
    EXPECT_GT(volume, 0.0);
    EXPECT_GE(double(away) / double(m.FaceCount()), awayShare);
}

void ExpectNoDuplicateVertices(const MeshData &m)
{
    std::set<std::tuple<float, float, float>> seen;
    for (size_t i = 0; i < m.VertexCount(); ++i)
        EXPECT_TRUE(seen.insert({m.xyz[3 * i], m.xyz[3 * i + 1], m.xyz[3 * i + 2]}).second)
            << "vertex " << i << " repeats another: its faces would shade apart";
}

} // namespace

TEST(Meshes, DolphinImportsClosedOutwardAndMapped)
{
    const Mesh built = BuildDolphin();
    const MeshData m = Imported(built, "Dolphin");
    EXPECT_GT(m.FaceCount(), 1000u);
    EXPECT_EQ(m.VertexCount(), built.vertices.size());
    EXPECT_TRUE(m.info.mapping);
    long grouped = 0;
    for (const MaterialGroup3D &g : m.info.groups)
        grouped += g.faces;
    EXPECT_EQ(size_t(grouped), m.FaceCount());
    // The mapping spreads over the texture, not onto one texel.
    std::set<std::pair<float, float>> texels;
    for (size_t i = 0; i < m.VertexCount(); ++i)
        texels.insert({m.uv[2 * i], m.uv[2 * i + 1]});
    EXPECT_GT(texels.size(), m.VertexCount() / 2);
    ExpectClosedAndOutward(m, 0.9);
    ExpectNoDuplicateVertices(m);
}

TEST(Meshes, ManImportsClosedOutwardUprightWithEnoughVertices)
{
    const Mesh built = BuildMan();
    const MeshData m = Imported(built, "Man");
    EXPECT_GE(m.VertexCount(), 1000u); // the helix needs 1000 points on it
    EXPECT_TRUE(m.info.mapping);
    // Separate closed parts (head, torso, limbs, feet): every edge still has
    // exactly two faces; limbs facing the body lower the share pointing away.
    ExpectClosedAndOutward(m, 0.65);
    ExpectNoDuplicateVertices(m);
    // Each part on its own encloses a positive volume (winds outward).
    std::vector<int> part(m.VertexCount());
    std::iota(part.begin(), part.end(), 0);
    std::function<int(int)> root = [&](int v) { return part[size_t(v)] == v ? v : part[size_t(v)] = root(part[size_t(v)]); };
    for (size_t f = 0; f < m.FaceCount(); ++f)
        for (int k = 1; k < 3; ++k)
            part[size_t(root(m.faces[3 * f + size_t(k)]))] = root(m.faces[3 * f]);
    std::map<int, double> volume;
    for (size_t f = 0; f < m.FaceCount(); ++f)
        volume[root(m.faces[3 * f])] += Volume(m, f);
    EXPECT_EQ(volume.size(), 8u); // head, torso, two arms, two legs, two feet
    for (const auto &v : volume)
        EXPECT_GT(v.second, 0.0) << "part of vertex " << v.first;

    // At angle 0 the head (the top of the figure on screen) is above the
    // feet, and the first thousand vertices (the helix's) reach both ends.
    float topOfFirst = 1e30f, bottomOfFirst = -1e30f, top = 1e30f, bottom = -1e30f;
    for (size_t i = 0; i < m.VertexCount(); ++i) {
        const float y = Rotate(Vertex(m, i), 0, 512, 0).y;
        top = std::min(top, y);
        bottom = std::max(bottom, y);
        if (i < 1000) {
            topOfFirst = std::min(topOfFirst, y);
            bottomOfFirst = std::max(bottomOfFirst, y);
        }
    }
    EXPECT_LT(top, -30.0f);
    EXPECT_GT(bottom, 30.0f);
    EXPECT_LT(topOfFirst, top + 2.0f);
    EXPECT_GT(bottomOfFirst, bottom - 2.0f);
    // The head group is the top of the figure.
    double headY = 0, allY = 0;
    int heads = 0;
    for (const MeshFace &f : built.faces) {
        const double y = built.vertices[size_t(f.a)].p.y;
        allY += y;
        if (built.groups[size_t(f.group)] == "Crystal") {
            headY += y;
            heads++;
        }
    }
    ASSERT_GT(heads, 0);
    EXPECT_LT(headY / heads, allY / double(built.faces.size()) - 20.0);
}

TEST(Meshes, InFrontOfTheCameraAndOnThePageAtEveryTurn)
{
    const MeshData dolphin = Imported(BuildDolphin(), "Dolphin");
    const MeshData man = Imported(BuildMan(), "Man");
    for (int a = 0; a < 1024; ++a) {
        // The dolphin rippling at the largest magnitude the demo reaches.
        const PoseCheck d = Pose(dolphin, a, 0, 0, 3.1f), m = Pose(man, a, 0, 0, 0);
        ASSERT_GT(d.nearest, 150.0f) << "angle " << a;
        ASSERT_GT(m.nearest, 200.0f) << "angle " << a;
        for (const PoseCheck &p : {d, m})
            ASSERT_TRUE(p.left >= 0 && p.right < 400 && p.top >= 0 && p.bottom < 300) << "angle " << a;
        // Rising from 120 units below moves it along y only: the turn is
        // about the vertical axis, so depth is as when standing.
        if (a % 64 == 0) {
            ASSERT_FLOAT_EQ(Pose(man, a, 0, -120.0f, 0).nearest, m.nearest);
        }
    }
}

TEST(Meshes, DolphinStaysInFrontWhileLeaving)
{
    // Leaving: each frame the angle shrinks to 95 % (truncated) and the
    // dolphin moves 3 x F units along x, until 1000; F is the frame time.
    const MeshData dolphin = Imported(BuildDolphin(), "Dolphin");
    for (float f : {1.0f, 2.0f}) {
        for (int start = 0; start < 1024; start += 8) {
            int angle = start;
            float transX = 0;
            while (transX < 1000.0f) {
                angle = int(float(angle) * 0.95f);
                transX += 3.0f * f;
                ASSERT_GT(Pose(dolphin, angle & 1023, transX, 0, 3.1f).nearest, 50.0f)
                    << "start " << start << " F " << f << " x " << transX;
                // Once the turn is below a quarter and the whole dolphin lies
                // at positive x, each further frame only moves it away.
                if (angle < 256 && transX > 60.0f)
                    break;
            }
        }
    }
}
