// Preview pictures of the two meshes: each drawn at four turns with the
// demo's projection on a 400 x 308 frame, depth-buffered, the dolphin in its
// skin and the man in the metal environment, lit from the demo's start light.
#include "MeshBuild.h"
#include "MeshPreview.h"

#include "DgMath.h"
#include "PcxWriter.h"

#include <cstdio>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr int kW = 400, kH = 308;

struct Projected {
    double sx, sy, z;
    Vec3 n;
    double u, v;
};

// Object space is view space turned half a turn; the effect turns it back
// with its fixed second angle and then by `turn` (1/1024 of a turn) about
// the vertical axis.
Vec3 Turn(Vec3 p, int turn)
{
    const double a = turn * dg::kTwoPi / 1024.0;
    const double s = dg::Sin(a), c = dg::Cos(a);
    // In view space the turn about the vertical axis mirrors the object's:
    // x2 = -(x_o c - z_o s) with x_o = -x.
    return {p.x * c + p.z * s, p.y, -p.x * s + p.z * c};
}

void DrawFrame(Picture &sheet, int ox, int oy, const Mesh &mesh, int turn, const Picture &texture, bool environment)
{
    std::vector<Vec3> normals(mesh.vertices.size());
    for (const MeshFace &f : mesh.faces) {
        const Vec3 n = Cross(mesh.vertices[size_t(f.b)].p - mesh.vertices[size_t(f.a)].p,
                             mesh.vertices[size_t(f.c)].p - mesh.vertices[size_t(f.a)].p);
        for (int i : {f.a, f.b, f.c})
            normals[size_t(i)] = normals[size_t(i)] + Normalised(n);
    }
    std::vector<Projected> pts(mesh.vertices.size());
    for (size_t i = 0; i < mesh.vertices.size(); ++i) {
        const Vec3 q = Turn(mesh.vertices[i].p, turn);
        const double w = q.z + 256.0;
        pts[i] = {1024.0 * q.x / w + kW / 2, 1024.0 * q.y / w + kH / 2, q.z, Normalised(Turn(normals[i], turn)),
                  mesh.vertices[i].u, mesh.vertices[i].v};
    }
    std::vector<double> depth(size_t(kW) * kH, 1e30);
    const Vec3 light = Normalised({0.0, -5.0, -10.0}); // towards the viewer and up
    for (const MeshFace &f : mesh.faces) {
        const Projected &a = pts[size_t(f.a)], &b = pts[size_t(f.b)], &c = pts[size_t(f.c)];
        const double area = (b.sx - a.sx) * (c.sy - a.sy) - (b.sy - a.sy) * (c.sx - a.sx);
        if (area >= 0) // facing away (screen y runs down)
            continue;
        const int x0 = std::max(0, int(std::floor(std::min({a.sx, b.sx, c.sx}))));
        const int x1 = std::min(kW - 1, int(std::ceil(std::max({a.sx, b.sx, c.sx}))));
        const int y0 = std::max(0, int(std::floor(std::min({a.sy, b.sy, c.sy}))));
        const int y1 = std::min(kH - 1, int(std::ceil(std::max({a.sy, b.sy, c.sy}))));
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                const double px = x + 0.5, py = y + 0.5;
                const double wa = ((b.sx - px) * (c.sy - py) - (b.sy - py) * (c.sx - px)) / area;
                const double wb = ((c.sx - px) * (a.sy - py) - (c.sy - py) * (a.sx - px)) / area;
                const double wc = 1.0 - wa - wb;
                if (wa < 0 || wb < 0 || wc < 0)
                    continue;
                const double z = wa * a.z + wb * b.z + wc * c.z;
                double &d = depth[size_t(y) * kW + size_t(x)];
                if (z >= d)
                    continue;
                d = z;
                const Vec3 n = Normalised(a.n * wa + b.n * wb + c.n * wc);
                uint32_t base;
                if (environment) {
                    const int tx = dg::ClampInt(int(100 * n.x) + texture.width / 2, 0, texture.width - 1);
                    const int ty = dg::ClampInt(int(100 * n.y) + texture.height / 2, 0, texture.height - 1);
                    base = texture.At(tx, ty);
                } else {
                    const double u = wa * a.u + wb * b.u + wc * c.u, v = wa * a.v + wb * b.v + wc * c.v;
                    base = texture.At(dg::ClampInt(int(u * texture.width), 0, texture.width - 1),
                                      dg::ClampInt(int((1.0 - v) * texture.height), 0, texture.height - 1));
                }
                const double lit = 0.3 + 0.8 * std::max(0.0, Dot(n, light));
                sheet.At(ox + x, oy + y) =
                    Rgb(dg::Round(RedOf(base) * lit), dg::Round(GreenOf(base) * lit), dg::Round(BlueOf(base) * lit));
            }
    }
}

} // namespace

Picture MeshPreviewSheet(const Mesh &mesh, const Picture &texture, bool environment)
{
    Picture sheet(2 * kW, 2 * kH, Rgb(24, 30, 42));
    const int turns[4] = {0, 128, 256, 896};
    for (int k = 0; k < 4; ++k) {
        const int ox = (k % 2) * kW, oy = (k / 2) * kH;
        for (int x = 0; x < kW; ++x) // frame edges: the page the demo draws on
            sheet.At(ox + x, oy) = sheet.At(ox + x, oy + kH - 1) = Rgb(70, 80, 100);
        for (int y = 0; y < kH; ++y)
            sheet.At(ox, oy + y) = sheet.At(ox + kW - 1, oy + y) = Rgb(70, 80, 100);
        DrawFrame(sheet, ox, oy, mesh, turns[k], texture, environment);
    }
    return sheet;
}

bool MeshPreviewOfFile(const std::string &dataDir, const std::string &file, Picture *out)
{
    const bool dolphin = file == "objDolphin.3DS";
    if (!dolphin && file != "objMan.3DS")
        return false;
    std::vector<uint8_t> bytes;
    IndexedPicture picture;
    {
        const std::string path = dataDir + (dolphin ? "/Flipper.pcx" : "/MetalTexture.pcx");
        std::FILE *f = std::fopen(path.c_str(), "rb");
        if (!f)
            return false;
        uint8_t chunk[4096];
        size_t got;
        while ((got = std::fread(chunk, 1, sizeof(chunk), f)) > 0)
            bytes.insert(bytes.end(), chunk, chunk + got);
        std::fclose(f);
    }
    if (!DecodePcx8(bytes, &picture))
        return false;
    *out = MeshPreviewSheet(dolphin ? BuildDolphin() : BuildMan(), Expand(picture), !dolphin);
    return true;
}
