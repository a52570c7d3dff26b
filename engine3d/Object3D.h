// The 3D engine's public interface: the mesh records every 3D module shares,
// the angle tables, the per-object operations (allocate, free, copy,
// translate, rotate, ripple, normals, texture coordinates), the binary object
// file, the renderer (depth sort, projection, one rasterizer per face type,
// three coloured lights) and the mesh importers (3DS chunks, ASE text).
#pragma once

#include "zentrix.h"

#include <cstdint>

// One vertex; 44 bytes, the same layout in memory and in the object file.
struct Point3D {
    float x, y, z;    // position: x right, y down, z into the screen
    float nx, ny, nz; // vertex normal: mean of the unit normals of its faces
    int32_t val1;     // faces using the vertex (left by CalculateNormals)
    int32_t val2, val3;
    float u, v;       // mapping, then texel column and row after CalculateTexture
};
static_assert(sizeof(Point3D) == 44, "Point3D is a 44-byte file record");

// A picture for textured faces: 0x00RRGGBB pixels, row after row.
struct Texture3D {
    uint32_t *Pixels;
    int32_t Width, Height;
};

// One triangle. Its indices are below the object's NumPoints.
struct Face3D {
    int32_t p1, p2, p3;
    int32_t FaceType;   // how the renderer draws it (see Draw3D)
    float nx, ny, nz;   // unit face normal, (P2 - P1) x (P3 - P1) normalised
    Texture3D *Texture; // the picture textured types sample; not owned
    int32_t Width;
};

// A mesh; it owns both arrays (heap, released by FreeObject3D).
struct Object3D {
    long NumPoints;
    long NumFaces;
    Point3D *Points;
    Face3D *Face;
};

// One depth-sort key.
struct Sort3D {
    float ZAvg;
    long FaceNum;
};

// Bytes of one record in the binary object file.
constexpr long kPoint3DFileBytes = 44;
constexpr long kFace3DFileBytes = 36;

// Angles are integers in 1/1024 of a turn; entry i holds sin and cos of
// i * 2 pi / 1024.
constexpr int kAngles3D = 1024;
extern float SinArray[kAngles3D];
extern float CosArray[kAngles3D];
void FillAngleTables3D();

// ---- Objects --------------------------------------------------------------
// Zero-filled arrays of the given counts (faces first). 1, or 0 with both
// counts 0 and both arrays null.
long AllocateObject3D(long NumberOfPoints, long NumberOfFaces, Object3D *ObjectVar);
// Releases both arrays; counts 0, arrays null. Harmless when already free.
long FreeObject3D(Object3D *ObjectVar);
// Counts and contents of the source into the target's existing arrays, which
// must be at least as large.
void Copy3D(Object3D *TargetObj, Object3D *SourceObj);
// The object and working copy the 3D object effect draws.
void SelectObject3D(Object3D *Object, Object3D *ObjectTemp);

void Translate3D(long mx, long my, long mz, Object3D *TheObject);
// Turns positions, vertex normals and face normals: AngX the x-z plane, then
// AngY the x-y plane, then AngZ the z-y plane. Angles are taken modulo 1024.
void Rotate3D(long AngX, long AngY, long AngZ, Object3D *TheObject);
// Moves y and z alike by a sine wave running along x.
void Ripple3D(long Angle, float Magnitude, Object3D *TheObject);
void CalculateNormals(Object3D *TheObject);
// Gives every face the effect's object texture and turns u, v into texel
// positions in it (a planar mapping when the mesh has none).
void CalculateTexture(Object3D *TheObject);

// The binary object file: two 32-bit counts, the points, the faces. 1, or 0
// when the file cannot be opened.
long Write3D(Object3D *TheObject, const char *FileName);
long Read3D(Object3D *TheObject, const char *FileName);

// ---- Renderer ---------------------------------------------------------------
// Three coloured directional lights: red, green, blue (start (0, 5, 10)).
extern double XLR, YLR, ZLR;
extern double XLG, YLG, ZLG;
extern double XLB, YLB, ZLB;

// Face types (Face3D::FaceType).
enum FaceType3D : int32_t {
    kFaceShaded = 0,          // smooth shaded colour
    kFaceFlat = 1,            // flat colour
    kFaceTextureRank = 2,     // texture at a level from the depth rank
    kFaceTextureLit = 3,      // texture, lit
    kFaceCrystal = 4,         // flat refraction of the background
    kFaceCrystalLit = 5,      // the same, lit
    kFaceCrystalSmooth = 6,   // smooth refraction
    kFaceCrystalSmoothLit = 7,
    kFaceCrystalTexture = 8,
    kFaceMetalTexture = 9,    // environment picture plus texture
    kFaceMetal = 10,
    kFaceMetalLit = 11,
    kFaceAddTexture = 12,
    kFaceMetalAddTexture = 13,
    kFaceWireAA = 14,         // antialiased wire frame
    kFaceWireDark = 25,       // wire frames in three colours
    kFaceWireBright = 26,
    kFaceWireDim = 27,
    kFaceStartWire = 100,     // draws nothing; turns every face into wire frame
};

// Draws the faces in array order, then the light markers when the lights turn.
void Draw3D(Object3D *TheObject, defZENTRIXPAGE *EffectGFXPage);
// Reorders the faces far to near.
void zSort(Object3D *TheObject);
// Sorts entries l..r by ZAvg, largest first.
void QSort(Sort3D *SortArray, long l, long r);
// Leaves keys[0..n-1] exactly as QSort(keys, 0, n - 1) would, faster.
void DepthOrder(Sort3D *keys, long n);
// Every face of the effect's current object gets the type.
void Set3DTextureType(long TextureType);

// ---- Importers ----------------------------------------------------------------
// A name ending in "3DS" (any case) is read as a 3DS chunk file, any other as
// ASE text. Arrays the object held before are released.
void Import3D(const char *FileName, Object3D *TheObject);
// -1 when the file cannot be opened (object untouched), else 0.
long Import3DSFile(const char *FileName, Object3D *TheObject);
