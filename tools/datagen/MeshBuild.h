// Building the demo's two meshes: closed tubes and ellipsoids from rings of
// points, outward winding, planar mapping, and the 3DS chunk file writer.
// Meshes are built in view space: x right, y down, z into the screen, as the
// mesh appears at angle 0 once the effect's fixed half-turn is applied.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Vec3 {
    double x = 0, y = 0, z = 0;
};
inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
Vec3 Normalised(Vec3 a);

struct MeshVertex {
    Vec3 p;
    double u = 0, v = 0; // mapping: u across the texture, v = 0 at its bottom row
};

struct MeshFace {
    int a = 0, b = 0, c = 0; // (b - a) x (c - a) points outward
    int group = 0;            // index into Mesh::groups
};

struct Mesh {
    std::vector<MeshVertex> vertices;
    std::vector<MeshFace> faces;
    std::vector<std::string> groups; // material group names, as the importer maps them
};

// A closed tube: rings of equal size (at least two rings of three points),
// closed by a pole vertex at each end. Faces get `group`, or `groupOf(ring,
// index)` of the ring below them when given. The winding is made outward by
// the sign of the part's enclosed volume. Returns the first vertex index.
int AddClosedTube(Mesh &mesh, const std::vector<std::vector<Vec3>> &rings, Vec3 startPole, Vec3 endPole,
                  int group, int (*groupOf)(int ring, int index) = nullptr);

// A ring of `count` points around `centre`: centre + a cos(t) + b sin(t),
// starting at t = 0.
std::vector<Vec3> EllipseRing(Vec3 centre, Vec3 a, Vec3 b, int count);

// An ellipsoid as a closed tube along its y axis with `rings` rings.
void AddEllipsoid(Mesh &mesh, Vec3 centre, Vec3 radii, int rings, int segments, int group);

// Planar mapping of the vertices from `first` on: u from x (left 0, right 1)
// and v from y (top 1, bottom 0) over the mesh's own bounds.
void MapPlanarFront(Mesh &mesh);

// The 3DS chunk file of one named triangle mesh. The writer turns view space
// into the file's axes (10 file units a unit, the file's second and third
// axes swapped and the half-turn undone) and writes each face's corners in
// the reverse order, as the importer expects to receive them.
std::vector<uint8_t> Encode3ds(const Mesh &mesh, const std::string &objectName);

// Signed volume enclosed by the faces (positive when they wind outward).
double SignedVolume(const Mesh &mesh, int firstFace = 0, int endFace = -1);

// The two meshes. The dolphin is shaped in units of its own and scaled by
// kDolphinScale to fit the page at every turn.
constexpr double kDolphinScale = 0.9;
Mesh BuildDolphin();
Mesh BuildMan();
