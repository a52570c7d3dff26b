// The 3D object model: the angle tables and the per-object operations
// (allocate, free, copy, translate, rotate, ripple, normals, texture
// coordinates) and the binary object file. Objects own their two arrays.
#include "3DStuff.h"
#include "Engine3DPrivate.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <cstdlib>
#include <cstring>

float SinArray[kAngles3D];
float CosArray[kAngles3D];

void FillAngleTables3D()
{
    for (int i = 0; i < kAngles3D; i++) {
        SinArray[i] = float(std::sin(double(i) * 0.006135923151542565));
        CosArray[i] = float(std::cos(double(i) * 0.006135923151542565));
    }
}

namespace engine3d {

namespace {

template <class T>
T *AllocateRecords(long n)
{
    if (n < 0)
        return nullptr;
    // calloc checks n * size for overflow; one record at least, so that an
    // empty list is still a live array.
    return static_cast<T *>(std::calloc(size_t(n) + (n == 0 ? 1 : 0), sizeof(T)));
}

} // namespace

bool ReplacePoints(Object3D *obj, long n)
{
    std::free(obj->Points);
    obj->Points = AllocateRecords<Point3D>(n);
    obj->NumPoints = obj->Points ? n : 0;
    return obj->Points != nullptr;
}

bool ReplaceFaces(Object3D *obj, long n)
{
    std::free(obj->Face);
    obj->Face = AllocateRecords<Face3D>(n);
    obj->NumFaces = obj->Face ? n : 0;
    return obj->Face != nullptr;
}

void DropBadFaces(Object3D *obj)
{
    if (!obj->Face)
        return;
    const uint32_t n = obj->Points ? uint32_t(obj->NumPoints) : 0;
    long kept = 0;
    for (long i = 0; i < obj->NumFaces; i++) {
        const Face3D &f = obj->Face[i];
        if (uint32_t(f.p1) < n && uint32_t(f.p2) < n && uint32_t(f.p3) < n)
            obj->Face[kept++] = f;
    }
    obj->NumFaces = kept;
}

std::FILE *OpenFile(const char *FileName, const char *mode)
{
    char path[4096];
    if (!FileName || !ZentrixResolvePath(FileName, path, sizeof path))
        return nullptr;
    // Reading needs a regular file; writing may also create one.
    std::error_code ec;
    const bool creates = mode[0] == 'w';
    if (!ZentrixIsRegularFile(path) && !(creates && !std::filesystem::exists(path, ec) && !ec))
        return nullptr;
    return std::fopen(path, mode);
}

long long FileSize(std::FILE *f)
{
    if (std::fseek(f, 0, SEEK_END) != 0)
        return -1;
    const long long size = std::ftell(f);
    std::rewind(f);
    return size;
}

} // namespace engine3d

long AllocateObject3D(long NumberOfPoints, long NumberOfFaces, Object3D *ObjectVar)
{
    ObjectVar->Face = engine3d::AllocateRecords<Face3D>(NumberOfFaces);
    ObjectVar->Points = ObjectVar->Face ? engine3d::AllocateRecords<Point3D>(NumberOfPoints) : nullptr;
    if (!ObjectVar->Points) {
        std::free(ObjectVar->Face);
        ObjectVar->Face = nullptr;
        ObjectVar->NumPoints = 0;
        ObjectVar->NumFaces = 0;
        return 0;
    }
    ObjectVar->NumPoints = NumberOfPoints;
    ObjectVar->NumFaces = NumberOfFaces;
    return 1;
}

long FreeObject3D(Object3D *ObjectVar)
{
    if (ObjectVar->Face) {
        std::free(ObjectVar->Face);
        ObjectVar->NumFaces = 0;
        ObjectVar->Face = nullptr;
    }
    if (ObjectVar->Points) {
        std::free(ObjectVar->Points);
        ObjectVar->NumPoints = 0;
        ObjectVar->Points = nullptr;
    }
    return 1;
}

void Copy3D(Object3D *TargetObj, Object3D *SourceObj)
{
    TargetObj->NumPoints = SourceObj->NumPoints;
    TargetObj->NumFaces = SourceObj->NumFaces;
    if (SourceObj->NumFaces > 0)
        std::memcpy(TargetObj->Face, SourceObj->Face, size_t(SourceObj->NumFaces) * sizeof(Face3D));
    if (SourceObj->NumPoints > 0)
        std::memcpy(TargetObj->Points, SourceObj->Points, size_t(SourceObj->NumPoints) * sizeof(Point3D));
}

void SelectObject3D(Object3D *Object, Object3D *ObjectTemp)
{
    obj3D = Object;
    obj3DTemp = ObjectTemp;
}

void Translate3D(long mx, long my, long mz, Object3D *TheObject)
{
    if (mx == 0 && my == 0 && mz == 0)
        return;
    const float fx = float(mx), fy = float(my), fz = float(mz);
    for (long i = 0; i < TheObject->NumPoints; i++) {
        Point3D &p = TheObject->Points[i];
        p.x += fx;
        p.y += fy;
        p.z += fz;
    }
}

namespace {

// The three-step turn; each step uses the results of the one before.
struct Turn3D {
    float sA, cA, sB, cB, sC, cC;
    void Apply(float &x, float &y, float &z) const
    {
        const float x1 = x * cA - z * sA;
        const float z1 = x * sA + z * cA;
        const float y1 = x1 * sB + y * cB;
        const float x2 = x1 * cB - y * sB;
        const float z2 = z1 * cC - y1 * sC;
        const float y2 = z1 * sC + y1 * cC;
        x = x2;
        y = y2;
        z = z2;
    }
};

} // namespace

void Rotate3D(long AngX, long AngY, long AngZ, Object3D *TheObject)
{
    // Masked here as well, so that an angle outside one turn cannot index
    // past the tables.
    const long a = AngX & (kAngles3D - 1), b = AngY & (kAngles3D - 1), c = AngZ & (kAngles3D - 1);
    const Turn3D t{SinArray[a], CosArray[a], SinArray[b], CosArray[b], SinArray[c], CosArray[c]};
    for (long i = 0; i < TheObject->NumPoints; i++) {
        Point3D &p = TheObject->Points[i];
        t.Apply(p.x, p.y, p.z);
        t.Apply(p.nx, p.ny, p.nz);
    }
    for (long i = 0; i < TheObject->NumFaces; i++) {
        Face3D &f = TheObject->Face[i];
        t.Apply(f.nx, f.ny, f.nz);
    }
}

void Ripple3D(long Angle, float Magnitude, Object3D *TheObject)
{
    for (long i = 0; i < TheObject->NumPoints; i++) {
        Point3D &p = TheObject->Points[i];
        double k = std::floor(100.0 + 8.0 * double(p.x) + double(Angle));
        // Only the angle modulo one turn matters; a position too large (or
        // not a number) to convert takes angle 0.
        if (!(std::fabs(k) < 1e15))
            k = 0;
        const float d = SinArray[int64_t(k) & (kAngles3D - 1)] * Magnitude;
        p.y += d;
        p.z += d;
    }
}

void CalculateNormals(Object3D *TheObject)
{
    Point3D *pts = TheObject->Points;
    for (long i = 0; i < TheObject->NumPoints; i++) {
        pts[i].val1 = 0;
        pts[i].nx = pts[i].ny = pts[i].nz = 0.0f;
    }
    const uint32_t n = pts ? uint32_t(TheObject->NumPoints) : 0;
    for (long i = 0; i < TheObject->NumFaces; i++) {
        Face3D &f = TheObject->Face[i];
        if (uint32_t(f.p1) >= n || uint32_t(f.p2) >= n || uint32_t(f.p3) >= n) {
            f.nx = f.ny = f.nz = 0.0f;
            continue;
        }
        const Point3D &P1 = pts[f.p1], &P2 = pts[f.p2], &P3 = pts[f.p3];
        const float ax = P2.x - P1.x, ay = P2.y - P1.y, az = P2.z - P1.z;
        const float bx = P3.x - P1.x, by = P3.y - P1.y, bz = P3.z - P1.z;
        const float nx = ay * bz - az * by, ny = az * bx - ax * bz, nz = ax * by - ay * bx;
        const float len = std::sqrt(nx * nx + ny * ny + nz * nz);
        if (len != 0.0f && std::isfinite(len)) {
            f.nx = nx / len;
            f.ny = ny / len;
            f.nz = nz / len;
        } else {
            f.nx = f.ny = f.nz = 0.0f;
        }
        for (int32_t k : {f.p1, f.p2, f.p3}) {
            pts[k].nx += f.nx;
            pts[k].ny += f.ny;
            pts[k].nz += f.nz;
            pts[k].val1++;
        }
    }
    // A vertex no face uses keeps the normal (0, 0, 0).
    for (long i = 0; i < TheObject->NumPoints; i++) {
        if (pts[i].val1 > 0) {
            const float c = float(pts[i].val1);
            pts[i].nx /= c;
            pts[i].ny /= c;
            pts[i].nz /= c;
        }
    }
}

void CalculateTexture(Object3D *TheObject)
{
    Texture3D *tex = &FlipperTexture;
    for (long i = 0; i < TheObject->NumFaces; i++)
        TheObject->Face[i].Texture = tex;
    const int32_t W = tex->Width > 0 ? tex->Width : 1, H = tex->Height > 0 ? tex->Height : 1;
    using engine3d::ClampToInt;
    bool hasTexture = false;
    for (long i = 0; i < TheObject->NumPoints; i++) {
        Point3D &p = TheObject->Points[i];
        const int32_t tx = ClampToInt(std::floor(double(p.u) * W + 0.5), 0, W - 1);
        const int32_t ty = ClampToInt(std::floor((1.0 - double(p.v)) * H + 0.5), 0, H - 1);
        p.u = float(tx);
        p.v = float(ty);
        if (tx != 0 || ty != 0)
            hasTexture = true;
    }
    if (hasTexture)
        return;
    for (long i = 0; i < TheObject->NumPoints; i++) {
        Point3D &p = TheObject->Points[i];
        const double px = std::floor(double(p.x) + double(p.z) + 0.5) + W / 2;
        const double py = std::floor(double(p.y) + double(p.z) + 0.5) + H / 2;
        p.u = float(ClampToInt(std::floor(px), 0, W - 1));
        p.v = float(ClampToInt(std::floor(py), 0, H - 1));
    }
}

// ---- The binary object file -------------------------------------------------

namespace {

void PutU32(unsigned char *&o, uint32_t v)
{
    o[0] = uint8_t(v);
    o[1] = uint8_t(v >> 8);
    o[2] = uint8_t(v >> 16);
    o[3] = uint8_t(v >> 24);
    o += 4;
}
void PutF32(unsigned char *&o, float f)
{
    uint32_t v;
    std::memcpy(&v, &f, 4);
    PutU32(o, v);
}
uint32_t GetU32(const unsigned char *&i)
{
    const uint32_t v = uint32_t(i[0]) | uint32_t(i[1]) << 8 | uint32_t(i[2]) << 16 | uint32_t(i[3]) << 24;
    i += 4;
    return v;
}
int32_t GetI32(const unsigned char *&i) { return int32_t(GetU32(i)); }
float GetF32(const unsigned char *&i)
{
    const uint32_t v = GetU32(i);
    float f;
    std::memcpy(&f, &v, 4);
    return f;
}

} // namespace

long Write3D(Object3D *TheObject, const char *FileName)
{
    // Written over an existing file from its start, without shortening it.
    std::FILE *f = engine3d::OpenFile(FileName, "r+b");
    if (!f)
        f = engine3d::OpenFile(FileName, "wb");
    if (!f)
        return 0;
    unsigned char buf[kPoint3DFileBytes], *o = buf;
    const long np = TheObject->Points ? TheObject->NumPoints : 0;
    const long nf = TheObject->Face ? TheObject->NumFaces : 0;
    PutU32(o, uint32_t(np));
    PutU32(o, uint32_t(nf));
    std::fwrite(buf, 1, 8, f);
    for (long i = 0; i < np; i++) {
        const Point3D &p = TheObject->Points[i];
        o = buf;
        for (float v : {p.x, p.y, p.z, p.nx, p.ny, p.nz})
            PutF32(o, v);
        PutU32(o, uint32_t(p.val1));
        PutU32(o, uint32_t(p.val2));
        PutU32(o, uint32_t(p.val3));
        PutF32(o, p.u);
        PutF32(o, p.v);
        std::fwrite(buf, 1, kPoint3DFileBytes, f);
    }
    for (long i = 0; i < nf; i++) {
        const Face3D &fc = TheObject->Face[i];
        o = buf;
        PutU32(o, uint32_t(fc.p1));
        PutU32(o, uint32_t(fc.p2));
        PutU32(o, uint32_t(fc.p3));
        PutU32(o, uint32_t(fc.FaceType));
        PutF32(o, fc.nx);
        PutF32(o, fc.ny);
        PutF32(o, fc.nz);
        PutU32(o, 0); // the texture pointer means nothing in a file
        PutU32(o, uint32_t(fc.Width));
        std::fwrite(buf, 1, kFace3DFileBytes, f);
    }
    std::fclose(f);
    return 1;
}

long Read3D(Object3D *TheObject, const char *FileName)
{
    std::FILE *f = engine3d::OpenFile(FileName, "rb");
    if (!f)
        return 0;
    using engine3d::ReplaceFaces;
    using engine3d::ReplacePoints;
    const long long size = engine3d::FileSize(f);
    unsigned char head[8] = {};
    const size_t got = size >= 8 ? std::fread(head, 1, 8, f) : 0;
    const unsigned char *i = head;
    const long long declaredPoints = got == 8 ? GetI32(i) : 0;
    const long long declaredFaces = got == 8 ? GetI32(i) : 0;
    // Counts are cut to the records the file really holds; the faces lie
    // after the declared points.
    const long long rest = size > 8 ? size - 8 : 0;
    long long np = declaredPoints < 0 ? 0 : declaredPoints;
    if (np > rest / kPoint3DFileBytes)
        np = rest / kPoint3DFileBytes;
    const long long faceStart = 8 + (declaredPoints > 0 ? declaredPoints : 0) * kPoint3DFileBytes;
    const long long faceRoom = faceStart < size ? (size - faceStart) / kFace3DFileBytes : 0;
    long long nf = declaredFaces < 0 ? 0 : declaredFaces;
    if (nf > faceRoom)
        nf = faceRoom;
    // Faces first, then points; on failure both counts become 0.
    if (!ReplaceFaces(TheObject, long(nf)) || !ReplacePoints(TheObject, long(np))) {
        FreeObject3D(TheObject);
        std::fclose(f);
        return 1;
    }
    unsigned char buf[kPoint3DFileBytes];
    for (long k = 0; k < np; k++) {
        std::memset(buf, 0, sizeof buf);
        (void)std::fread(buf, 1, kPoint3DFileBytes, f);
        i = buf;
        Point3D &p = TheObject->Points[k];
        p.x = GetF32(i);
        p.y = GetF32(i);
        p.z = GetF32(i);
        p.nx = GetF32(i);
        p.ny = GetF32(i);
        p.nz = GetF32(i);
        p.val1 = GetI32(i);
        p.val2 = GetI32(i);
        p.val3 = GetI32(i);
        p.u = GetF32(i);
        p.v = GetF32(i);
    }
    std::fseek(f, long(faceStart < size ? faceStart : size), SEEK_SET);
    // The stored texel positions belong to the object texture.
    Texture3D *tex = FlipperTexture.Pixels ? &FlipperTexture : nullptr;
    for (long k = 0; k < nf; k++) {
        std::memset(buf, 0, sizeof buf);
        (void)std::fread(buf, 1, kFace3DFileBytes, f);
        i = buf;
        Face3D &fc = TheObject->Face[k];
        fc.p1 = GetI32(i);
        fc.p2 = GetI32(i);
        fc.p3 = GetI32(i);
        fc.FaceType = GetI32(i);
        fc.nx = GetF32(i);
        fc.ny = GetF32(i);
        fc.nz = GetF32(i);
        (void)GetU32(i);
        fc.Width = GetI32(i);
        fc.Texture = tex;
    }
    std::fclose(f);
    engine3d::DropBadFaces(TheObject);
    return 1;
}
