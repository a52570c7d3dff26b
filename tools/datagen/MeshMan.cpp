// The man: head, torso with neck, arms, legs and feet, each a closed surface
// of its own, about 71 units tall, standing and facing the viewer. Over 1000
// vertices, ordered so that any leading run of them covers the whole figure
// (the helix flies its 1000 points onto the first 1000).
#include "MeshBuild.h"

#include "DgMath.h"

#include <algorithm>
#include <numeric>

namespace {

enum Group { kBody = 0, kHead = 1 };

// A limb along a polyline of joints, with a radius at each joint; rings are
// spaced evenly along each segment, their planes square to the limb.
void AddLimb(Mesh &mesh, const std::vector<Vec3> &joints, const std::vector<double> &radii, int ringsPerSegment,
             int segments, double flatten)
{
    std::vector<std::vector<Vec3>> rings;
    for (size_t j = 0; j + 1 < joints.size(); ++j) {
        const Vec3 dir = Normalised(joints[j + 1] - joints[j]);
        // A side vector square to the limb, kept close to the view's z axis.
        Vec3 side = Normalised(Cross(dir, {1, 0, 0}));
        if (Dot(side, side) < 0.5)
            side = Normalised(Cross(dir, {0, 1, 0}));
        const Vec3 other = Normalised(Cross(dir, side));
        const int count = ringsPerSegment + (j + 2 == joints.size() ? 1 : 0);
        for (int k = 0; k < count; ++k) {
            const double s = double(k) / ringsPerSegment;
            const Vec3 c = joints[j] + (joints[j + 1] - joints[j]) * s;
            const double r = dg::Mix(radii[j], radii[j + 1], dg::Smooth(s) * 0.5 + s * 0.5);
            rings.push_back(EllipseRing(c, other * r, side * (r * flatten), segments));
        }
    }
    const Vec3 d0 = Normalised(joints[1] - joints[0]);
    const Vec3 d1 = Normalised(joints.back() - joints[joints.size() - 2]);
    AddClosedTube(mesh, rings, joints.front() - d0 * (radii.front() * 0.8), joints.back() + d1 * (radii.back() * 0.9),
                  kBody);
}

void AddTorso(Mesh &mesh)
{
    // (y, half width, half depth) from the hips up to the top of the neck.
    const double keys[][3] = {{1.5, 6.6, 4.3},   {0.0, 8.5, 5.1},   {-3.0, 8.7, 5.2},  {-6.5, 7.9, 4.8},
                              {-9.5, 7.6, 4.7},  {-12.5, 8.6, 5.3}, {-15.5, 9.9, 5.8}, {-18.0, 10.7, 5.6},
                              {-20.0, 10.4, 4.9}, {-21.5, 7.5, 3.9}, {-22.6, 3.6, 3.1}, {-24.0, 2.6, 2.6},
                              {-25.2, 2.5, 2.5}};
    std::vector<std::vector<Vec3>> rings;
    for (const auto &k : keys)
        rings.push_back(EllipseRing({0, k[0], 0}, {k[1], 0, 0}, {0, 0, k[2]}, 20));
    AddClosedTube(mesh, rings, {0, 2.6, 0}, {0, -25.9, 0}, kBody);
}

} // namespace

Mesh BuildMan()
{
    Mesh mesh;
    mesh.groups = {"Metal", "Crystal"};
    AddEllipsoid(mesh, {0, -29.0, -0.3}, {5.0, 6.6, 5.6}, 13, 18, kHead);
    AddTorso(mesh);
    for (double s : {-1.0, 1.0}) {
        // Arms hang a little away from the body, elbows slightly bent.
        AddLimb(mesh, {{s * 10.4, -19.2, 0.0}, {s * 13.4, -7.6, 0.8}, {s * 14.6, 3.2, -1.2}, {s * 14.9, 7.6, -1.6}},
                {2.9, 2.2, 1.6, 1.4}, 4, 12, 1.0);
        // Legs from the hips to the ankles, then the feet pointing forward.
        AddLimb(mesh, {{s * 4.6, -0.5, 0.0}, {s * 5.0, 15.5, 0.4}, {s * 5.2, 31.0, 0.6}}, {4.5, 2.9, 1.9}, 8, 12, 1.0);
        AddEllipsoid(mesh, {s * 5.3, 33.4, -2.0}, {2.3, 1.7, 4.6}, 7, 12, kBody);
    }
    MapPlanarFront(mesh);

    // Reorder the vertices by a golden-ratio sequence, so that every leading
    // run of them is spread over the whole figure rather than being one part.
    const size_t n = mesh.vertices.size();
    std::vector<size_t> order(n);
    std::iota(order.begin(), order.end(), size_t(0));
    std::vector<double> key(n);
    for (size_t i = 0; i < n; ++i) {
        const double g = double(i) * 0.6180339887498949;
        key[i] = g - double(int64_t(g));
    }
    std::stable_sort(order.begin(), order.end(), [&key](size_t a, size_t b) { return key[a] < key[b]; });
    std::vector<int> newIndex(n);
    std::vector<MeshVertex> vertices(n);
    for (size_t k = 0; k < n; ++k) {
        newIndex[order[k]] = int(k);
        vertices[k] = mesh.vertices[order[k]];
    }
    mesh.vertices = vertices;
    for (MeshFace &f : mesh.faces) {
        f.a = newIndex[size_t(f.a)];
        f.b = newIndex[size_t(f.b)];
        f.c = newIndex[size_t(f.c)];
    }
    return mesh;
}
