// A small reader for 3DS chunk files and ASE mesh text, for inspecting the
// demo's meshes outside the engine. It applies the same conventions as the
// demo's importer (tenfold shrink, second and third axes swapped, corners
// reversed, material group names to face types) so that what it reports is
// what the demo gets, but it bounds every read by its chunk.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct MeshGroup {
    std::string name;
    int faceType = 0; // the type the importer gives its faces
    int faces = 0;
};

struct MeshData {
    std::string format;                 // "3DS" or "ASE"
    std::vector<std::string> objects;   // object names, file order
    std::vector<float> xyz;             // 3 per vertex, object space
    std::vector<float> uv;              // 2 per vertex when hasMapping
    bool hasMapping = false;
    std::vector<int> faces;             // 3 per face: p1, p2, p3
    std::vector<MeshGroup> groups;
    int meshBlocks = 0;                 // triangle meshes found (the last one is kept)
    size_t VertexCount() const { return xyz.size() / 3; }
    size_t FaceCount() const { return faces.size() / 3; }
};

// The face type a material group name maps to (exact, case-sensitive).
int FaceTypeOfMaterial(const std::string &name);

// Reads the file at `path`, choosing the format by its ending ("3ds" in any
// case is binary, anything else text). False with a reason on failure.
bool ReadMeshFile(const std::string &path, MeshData *out, std::string *error);
bool ReadMesh3ds(const std::vector<uint8_t> &file, MeshData *out, std::string *error);
bool ReadMeshAse(const std::string &text, MeshData *out, std::string *error);
