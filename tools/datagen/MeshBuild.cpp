// Ring-based construction of closed meshes, planar mapping and the 3DS chunk
// writer for the demo's dolphin and man.
#include "MeshBuild.h"

#include "DgMath.h"

#include <algorithm>
#include <cmath>
#include <cstring>

Vec3 Normalised(Vec3 a)
{
    const double len = std::sqrt(Dot(a, a));
    return len > 0 ? a * (1.0 / len) : a;
}

std::vector<Vec3> EllipseRing(Vec3 centre, Vec3 a, Vec3 b, int count)
{
    std::vector<Vec3> ring;
    for (int i = 0; i < count; ++i) {
        const double t = dg::kTwoPi * i / count;
        ring.push_back(centre + a * dg::Cos(t) + b * dg::Sin(t));
    }
    return ring;
}

double SignedVolume(const Mesh &mesh, int firstFace, int endFace)
{
    if (endFace < 0)
        endFace = int(mesh.faces.size());
    double volume = 0;
    for (int i = firstFace; i < endFace; ++i) {
        const MeshFace &f = mesh.faces[size_t(i)];
        volume += Dot(mesh.vertices[size_t(f.a)].p,
                      Cross(mesh.vertices[size_t(f.b)].p, mesh.vertices[size_t(f.c)].p)) / 6.0;
    }
    return volume;
}

int AddClosedTube(Mesh &mesh, const std::vector<std::vector<Vec3>> &rings, Vec3 startPole, Vec3 endPole, int group,
                  int (*groupOf)(int ring, int index))
{
    const int base = int(mesh.vertices.size());
    const int firstFace = int(mesh.faces.size());
    const int n = int(rings.size()), m = int(rings[0].size());
    for (const auto &ring : rings)
        for (const Vec3 &p : ring)
            mesh.vertices.push_back({p, 0, 0});
    const int start = int(mesh.vertices.size());
    mesh.vertices.push_back({startPole, 0, 0});
    const int end = int(mesh.vertices.size());
    mesh.vertices.push_back({endPole, 0, 0});
    auto at = [base, m](int r, int i) { return base + r * m + (i % m); };
    auto groupFor = [&](int r, int i) { return groupOf ? groupOf(r, i) : group; };
    for (int i = 0; i < m; ++i)
        mesh.faces.push_back({start, at(0, i + 1), at(0, i), groupFor(0, i)});
    for (int r = 0; r + 1 < n; ++r)
        for (int i = 0; i < m; ++i) {
            mesh.faces.push_back({at(r, i), at(r, i + 1), at(r + 1, i + 1), groupFor(r, i)});
            mesh.faces.push_back({at(r, i), at(r + 1, i + 1), at(r + 1, i), groupFor(r, i)});
        }
    for (int i = 0; i < m; ++i)
        mesh.faces.push_back({end, at(n - 1, i), at(n - 1, i + 1), groupFor(n - 1, i)});
    // Which way the rings turn depends on the caller's axes: wind the part
    // so that it encloses a positive volume (faces point outward).
    if (SignedVolume(mesh, firstFace) < 0)
        for (size_t f = size_t(firstFace); f < mesh.faces.size(); ++f)
            std::swap(mesh.faces[f].b, mesh.faces[f].c);
    return base;
}

void AddEllipsoid(Mesh &mesh, Vec3 centre, Vec3 radii, int rings, int segments, int group)
{
    std::vector<std::vector<Vec3>> list;
    for (int r = 1; r <= rings; ++r) {
        const double t = dg::kPi * r / (rings + 1);
        const double y = -dg::Cos(t) * radii.y, s = dg::Sin(t);
        list.push_back(EllipseRing(centre + Vec3{0, y, 0}, {radii.x * s, 0, 0}, {0, 0, radii.z * s}, segments));
    }
    AddClosedTube(mesh, list, centre - Vec3{0, radii.y, 0}, centre + Vec3{0, radii.y, 0}, group);
}

void MapPlanarFront(Mesh &mesh)
{
    double x0 = 1e9, x1 = -1e9, y0 = 1e9, y1 = -1e9;
    for (const MeshVertex &v : mesh.vertices) {
        x0 = std::min(x0, v.p.x);
        x1 = std::max(x1, v.p.x);
        y0 = std::min(y0, v.p.y);
        y1 = std::max(y1, v.p.y);
    }
    for (MeshVertex &v : mesh.vertices) {
        v.u = (v.p.x - x0) / (x1 - x0);
        v.v = 1.0 - (v.p.y - y0) / (y1 - y0);
    }
}

namespace {

// Appends chunks: id, then a length patched when the chunk closes.
struct ChunkWriter {
    std::vector<uint8_t> out;
    std::vector<size_t> open;
    void U8(uint8_t v) { out.push_back(v); }
    void U16(uint32_t v)
    {
        U8(uint8_t(v & 0xFF));
        U8(uint8_t((v >> 8) & 0xFF));
    }
    void U32(uint32_t v)
    {
        U16(v & 0xFFFF);
        U16(v >> 16);
    }
    void F32(double v)
    {
        const float f = float(v);
        uint32_t bits;
        std::memcpy(&bits, &f, 4);
        U32(bits);
    }
    void Name(const std::string &s)
    {
        for (char c : s)
            U8(uint8_t(c));
        U8(0);
    }
    void Begin(uint16_t id)
    {
        open.push_back(out.size());
        U16(id);
        U32(0);
    }
    void End()
    {
        const size_t start = open.back();
        open.pop_back();
        const uint32_t len = uint32_t(out.size() - start);
        for (int i = 0; i < 4; ++i)
            out[start + 2 + size_t(i)] = uint8_t((len >> (8 * i)) & 0xFF);
    }
};

} // namespace

std::vector<uint8_t> Encode3ds(const Mesh &mesh, const std::string &objectName)
{
    ChunkWriter w;
    w.Begin(0x4D4D);
    w.Begin(0x0002); // file version
    w.U32(3);
    w.End();
    w.Begin(0x3D3D); // editor data
    w.Begin(0x3D3E); // mesh version: its low byte lands at offset 28
    w.U32(3);
    w.End();
    w.Begin(0x0100); // master scale
    w.F32(1.0);
    w.End();
    // The named object comes last in the file, and the face list last in it:
    // readers that scan a little past a face list or object name meet the
    // end of the file, not another chunk's bytes.
    w.Begin(0x4000);
    w.Name(objectName);
    w.Begin(0x4100);
    w.Begin(0x4110);
    w.U16(uint32_t(mesh.vertices.size()));
    // View space to object space is the half-turn (x, y) -> (-x, -y); the
    // file holds object (x, y, z) as (10 x, 10 z, 10 y).
    for (const MeshVertex &v : mesh.vertices) {
        w.F32(-v.p.x * 10.0);
        w.F32(v.p.z * 10.0);
        w.F32(-v.p.y * 10.0);
    }
    w.End();
    w.Begin(0x4140); // mapping coordinates
    w.U16(uint32_t(mesh.vertices.size()));
    for (const MeshVertex &v : mesh.vertices) {
        w.F32(v.u);
        w.F32(v.v);
    }
    w.End();
    w.Begin(0x4160); // local axes: identity at the origin
    const double axes[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
    for (double a : axes)
        w.F32(a);
    w.End();
    w.Begin(0x4120);
    w.U16(uint32_t(mesh.faces.size()));
    for (const MeshFace &f : mesh.faces) {
        // The importer reverses the corners: store (c, b, a).
        w.U16(uint32_t(f.c));
        w.U16(uint32_t(f.b));
        w.U16(uint32_t(f.a));
        w.U16(7); // edge visibility flags
    }
    for (size_t g = 0; g < mesh.groups.size(); ++g) {
        std::vector<uint32_t> members;
        for (size_t i = 0; i < mesh.faces.size(); ++i)
            if (mesh.faces[i].group == int(g))
                members.push_back(uint32_t(i));
        if (members.empty())
            continue;
        w.Begin(0x4130);
        w.Name(mesh.groups[g]);
        w.U16(uint32_t(members.size()));
        for (uint32_t i : members)
            w.U16(i);
        w.End();
    }
    w.Begin(0x4150); // smoothing groups: one for the whole surface
    for (size_t i = 0; i < mesh.faces.size(); ++i)
        w.U32(1);
    w.End();
    w.End(); // 4120
    w.End(); // 4100
    w.End(); // 4000
    w.End(); // 3D3D
    w.End(); // 4D4D
    return w.out;
}
