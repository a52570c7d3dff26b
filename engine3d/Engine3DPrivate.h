// State and helpers shared by the 3D engine's files (model, renderer, 3DS
// and ASE readers); not for other modules.
#pragma once

#include "Object3D.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace engine3d {

// A float (or double) to an int, saturated into [lo, hi]; NaN gives lo.
// Keeps conversions of values from files and projections defined.
inline int32_t ClampToInt(double v, int32_t lo, int32_t hi)
{
    if (!(v >= double(lo)))
        return lo;
    if (v > double(hi))
        return hi;
    return int32_t(v);
}

// Replaces the object's point or face array with a zero-filled one of n
// records, releasing the one it held. False (count 0, array null) when it
// cannot be had.
bool ReplacePoints(Object3D *obj, long n);
bool ReplaceFaces(Object3D *obj, long n);

// Drops faces that name a vertex at or above NumPoints (or below 0), keeping
// the others in order.
void DropBadFaces(Object3D *obj);

// Opens a file named as the program names it ("Data\\objMan.3DS"): through
// the library's path rules, so that Data files are found in the data folder.
std::FILE *OpenFile(const char *FileName, const char *mode);

// Size of an open file in bytes (its position is left at the start); -1 when
// it cannot be told.
long long FileSize(std::FILE *f);

} // namespace engine3d

// The last name the 3DS reader read (object or material group name).
const char *Last3DSName();

// What the last import found, for inspection tools and tests: the named
// objects, the mesh blocks read (the last one is kept), whether a mapping
// list was applied, and the material groups with the faces they name.
struct MaterialGroup3D {
    std::string name;
    int32_t faceType;
    long faces;
};
struct ImportInfo3D {
    std::vector<std::string> objects;
    int meshes = 0;
    bool mapping = false;
    std::vector<MaterialGroup3D> groups;
};
extern ImportInfo3D LastImportInfo3D;
