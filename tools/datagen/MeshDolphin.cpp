// The dolphin: one closed surface swept along its length (beak, melon, body,
// tail stock, flukes), with the dorsal and pectoral fins grown out of the
// rings, mapped from the side so that the skin's back is dark and its belly
// light. Shaped 92 units long, scaled to fit the page at every turn.
#include "MeshBuild.h"

#include "DgMath.h"

#include <cmath>
#include <cstdlib>

namespace {

constexpr int kRings = 46, kSegments = 28;
constexpr double kLength = 92.0;
// The lower-side ring points from which the pectoral fins grow.
constexpr int kPectoralA = kSegments * 3 / 8, kPectoralB = kSegments - kPectoralA;

// Piecewise smooth interpolation through (t, value) keys.
double Profile(const double (*keys)[2], int count, double t)
{
    if (t <= keys[0][0])
        return keys[0][1];
    for (int i = 0; i + 1 < count; ++i)
        if (t <= keys[i + 1][0]) {
            const double s = dg::Smooth((t - keys[i][0]) / (keys[i + 1][0] - keys[i][0]));
            return dg::Mix(keys[i][1], keys[i + 1][1], s);
        }
    return keys[count - 1][1];
}

// Half-height (up) and half-width (side) of the body along t (0 beak tip,
// 1 tail tip), and the height of the body's centre line above the axis.
const double kUp[][2] = {{0.0, 0.9},   {0.05, 1.5},  {0.09, 2.2},  {0.13, 5.2},  {0.2, 7.6},  {0.34, 9.8},
                         {0.48, 9.2},  {0.62, 7.3},  {0.74, 5.4},  {0.83, 3.8},  {0.87, 2.4}, {0.9, 1.2},
                         {0.97, 0.8},  {1.0, 0.5}};
const double kSide[][2] = {{0.0, 0.9},  {0.05, 1.4},  {0.09, 2.0},  {0.13, 4.6},  {0.2, 7.0},   {0.34, 8.8},
                           {0.48, 8.0}, {0.62, 5.6},  {0.74, 3.2},  {0.83, 1.8},  {0.87, 3.0},  {0.92, 12.5},
                           {0.96, 15.0}, {0.985, 9.0}, {1.0, 2.0}};
const double kCentre[][2] = {{0.0, 1.6}, {0.1, 1.2}, {0.2, 0.0}, {0.5, -0.6}, {0.8, 0.4}, {1.0, 0.8}};

// Ring spacing: finer at the beak, the fins and the flukes.
double RingT(int r)
{
    const double s = double(r) / (kRings - 1);
    return s - 0.05 * dg::Sin(dg::kTwoPi * s) / dg::kTwoPi * 2.0;
}

double DorsalHeight(double t)
{
    if (t < 0.40 || t > 0.62)
        return 0.0;
    if (t < 0.55)
        return 11.0 * dg::Smooth((t - 0.40) / 0.15);
    return 11.0 * (1.0 - dg::Smooth((t - 0.55) / 0.07));
}

double PectoralLength(double t)
{
    if (t < 0.21 || t > 0.33)
        return 0.0;
    return 8.5 * dg::Sin(dg::kPi * (t - 0.21) / 0.12);
}

int GroupOf(int ring, int index)
{
    const double t = RingT(ring);
    const bool dorsal = DorsalHeight(t) > 0 && (index == 0 || index == 1 || index == kSegments - 1);
    const bool fluke = t > 0.86;
    const bool pectoral =
        PectoralLength(t) > 0 && (std::abs(index - kPectoralA) <= 1 || std::abs(index - kPectoralB) <= 1);
    return (dorsal || fluke || pectoral) ? 1 : 0;
}

} // namespace

Mesh BuildDolphin()
{
    Mesh mesh;
    mesh.groups = {"Texture", "TexturedMetal"};
    std::vector<std::vector<Vec3>> rings;
    for (int r = 0; r < kRings; ++r) {
        const double t = RingT(r);
        const double x = -kLength / 2 + kLength * t;
        const double up = Profile(kUp, int(sizeof(kUp) / sizeof(kUp[0])), t);
        const double side = Profile(kSide, int(sizeof(kSide) / sizeof(kSide[0])), t);
        const double cy = -Profile(kCentre, int(sizeof(kCentre) / sizeof(kCentre[0])), t);
        std::vector<Vec3> ring;
        for (int i = 0; i < kSegments; ++i) {
            // Angle 0 is the top of the back; it runs down the far side (+z).
            const double a = dg::kTwoPi * i / kSegments;
            const double ca = dg::Cos(a), sa = dg::Sin(a);
            // A slightly flattened belly, a rounder back.
            const double upR = ca > 0 ? up : up * 0.92;
            Vec3 p{x, cy - upR * ca, side * sa};
            // Dorsal fin: the top point rises and sweeps back.
            if (i == 0) {
                const double h = DorsalHeight(t);
                p.y -= h;
                p.x += h * 0.55;
            }
            // Pectoral fins: the lower side points reach out, back and down.
            if (i == kPectoralA || i == kPectoralB) {
                const double l = PectoralLength(t);
                p.z += (i == kPectoralA ? 1.0 : -1.0) * l;
                p.y += l * 0.45;
                p.x += l * 0.7;
            }
            // Flukes: the sides sweep back toward the tips.
            if (t > 0.86)
                p.x += std::fabs(sa) * (side - 1.0) * 0.35;
            ring.push_back(p);
        }
        rings.push_back(ring);
    }
    AddClosedTube(mesh, rings, {-kLength / 2 - 0.8, 1.6 * -1.0 + 0.2, 0}, {kLength / 2 + 0.6, -0.8, 0}, 0, GroupOf);
    for (MeshVertex &v : mesh.vertices)
        v.p = v.p * kDolphinScale;
    MapPlanarFront(mesh);
    return mesh;
}
