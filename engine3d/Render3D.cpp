// The 3D renderer: depth sort far to near, projection, back-face test and one
// library rasterizer per face type, lit by three coloured lights; the light
// markers when the lights turn. Owns one scratch list of projected vertices,
// grown to the largest object drawn (the sort makes its arrays anew each
// frame).
#include "3DStuff.h"
#include "Engine3DPrivate.h"
#include "General.h"
#include "Gen32.h"
#include "LenzFlare.h"

#include <cmath>
#include <cstdlib>
#include <vector>

double XLR = 0.0, YLR = 5.0, ZLR = 10.0;
double XLG = 0.0, YLG = 5.0, ZLG = 10.0;
double XLB = 0.0, YLB = 5.0, ZLB = 10.0;

namespace {

using engine3d::ClampToInt;

// Projected positions beyond this many pixels are not handed to the
// rasterizers (their 16.16 edge steps would overflow); such a face lies
// across the camera plane and is not drawn.
constexpr double kMaxScreen = 16000.0;
constexpr int32_t kMaxLevel = 1 << 20;

struct Light {
    double x, y, z;
};

// The light term of one light for a unit normal.
inline double Term(const Light &c, float nx, float ny, float nz)
{
    return c.y * double(ny) - c.x * double(nx) - c.z * double(nz);
}

inline int32_t Level(double v) { return ClampToInt(std::floor(v), -kMaxLevel, kMaxLevel); }
inline int32_t NonNegative(int32_t v) { return v < 0 ? 0 : v; }

struct Rgb {
    int32_t r, g, b;
};

struct Lights {
    Light c[3];
    Rgb Bright(float nx, float ny, float nz) const
    {
        return {Level(0.5 + 11.9 * Term(c[0], nx, ny, nz)) + 100, Level(0.5 + 11.9 * Term(c[1], nx, ny, nz)) + 100,
                Level(0.5 + 11.9 * Term(c[2], nx, ny, nz)) + 100};
    }
    Rgb BrightClamped(float nx, float ny, float nz) const
    {
        const Rgb l = Bright(nx, ny, nz);
        return {NonNegative(l.r), NonNegative(l.g), NonNegative(l.b)};
    }
    Rgb Scaled(double k, float nx, float ny, float nz) const
    {
        return {NonNegative(Level(0.5 + k * Term(c[0], nx, ny, nz))), NonNegative(Level(0.5 + k * Term(c[1], nx, ny, nz))),
                NonNegative(Level(0.5 + k * Term(c[2], nx, ny, nz)))};
    }
    Rgb Soft(float nx, float ny, float nz) const { return Scaled(8.0, nx, ny, nz); }
    Rgb Strong(float nx, float ny, float nz) const { return Scaled(11.9, nx, ny, nz); }
};

// One projected vertex: px, py before the page centre is added, sx, sy on
// the page.
struct Screen {
    int32_t px, py, sx, sy;
};

inline bool Project(const Point3D &p, int32_t cx, int32_t cy, Screen &s)
{
    const double d = double(p.z) + 256.0;
    if (!(d > 0.0))
        return false; // at or behind the camera plane
    const double fx = std::floor(1024.0 * double(p.x) / d + 0.5);
    const double fy = std::floor(1024.0 * double(p.y) / d + 0.5);
    if (!(std::fabs(fx) < kMaxScreen && std::fabs(fy) < kMaxScreen))
        return false;
    s.px = int32_t(fx);
    s.py = int32_t(fy);
    s.sx = s.px + cx;
    s.sy = s.py + cy;
    return true;
}

// Every vertex projected once a frame; faces read their corners here.
std::vector<Screen> ProjectedPoints;
std::vector<uint8_t> ProjectedOk;

inline int32_t FloorDiv8(int32_t v) { return v >= 0 ? v / 8 : -((-v + 7) / 8); }

inline bool Usable(const Texture3D *t) { return t && t->Pixels && t->Width > 0 && t->Height > 0; }

// Texel position of a vertex, kept inside the texture.
struct Texel {
    int32_t u, v;
};
inline Texel TexelOf(const Point3D &p, const Texture3D *t)
{
    return {ClampToInt(std::floor(double(p.u)), 0, t->Width - 1), ClampToInt(std::floor(double(p.v)), 0, t->Height - 1)};
}

inline void Edges(const Screen *s, defZENTRIXPAGE *page, bool aa, uint32_t r, uint32_t g, uint32_t b)
{
    for (int k = 0; k < 3; k++) {
        const Screen &a = s[k], &c = s[(k + 1) % 3];
        if (aa)
            LineAA32(a.sx, a.sy, c.sx, c.sy, r, g, b, page);
        else
            Line32(a.sx, a.sy, c.sx, c.sy, r, g, b, page);
    }
}

// A light marker: the light's direction projected like a vertex and
// magnified ten times.
void DrawLightMarker(const Light &c, long colour, int32_t cx, int32_t cy, defZENTRIXPAGE *page)
{
    const double d = c.z + 256.0;
    if (!(d > 0.0))
        return;
    const int32_t x = ClampToInt(std::floor((-1024.0 * c.x / d + 0.5) * 10.0), -kMaxLevel, kMaxLevel) + cx;
    const int32_t y = ClampToInt(std::floor((1024.0 * c.y / d + 0.5) * 10.0), -kMaxLevel, kMaxLevel) + cy;
    DrawColorLight(x, y, page, colour);
}

} // namespace

void Draw3D(Object3D *TheObject, defZENTRIXPAGE *EffectGFXPage)
{
    if (!TheObject || !EffectGFXPage || !TheObject->Points || !TheObject->Face)
        return;
    defZENTRIXPAGE *page = EffectGFXPage;
    const int32_t cx = page->Width >> 1, cy = page->Height >> 1;
    const Lights L{{{XLR, YLR, ZLR}, {XLG, YLG, ZLG}, {XLB, YLB, ZLB}}};
    const int32_t glass = int32_t(GlassOfs.load(std::memory_order_relaxed));
    const int32_t trans = int32_t(TextureTrans.load(std::memory_order_relaxed));
    defZENTRIXPAGE *metal = MetalTexture;
    const int32_t mcx = metal ? metal->Width / 2 : 0, mcy = metal ? metal->Height / 2 : 0;
    const Point3D *pts = TheObject->Points;
    const uint32_t numPoints = uint32_t(TheObject->NumPoints);
    const long numFaces = TheObject->NumFaces;

    if (ProjectedPoints.size() < numPoints) {
        ProjectedPoints.resize(numPoints);
        ProjectedOk.resize(numPoints);
    }
    for (uint32_t k = 0; k < numPoints; k++)
        ProjectedOk[k] = Project(pts[k], cx, cy, ProjectedPoints[k]);

    for (long i = 0; i < numFaces; i++) {
        const Face3D &f = TheObject->Face[i];
        if (uint32_t(f.p1) >= numPoints || uint32_t(f.p2) >= numPoints || uint32_t(f.p3) >= numPoints)
            continue;
        if (!(ProjectedOk[f.p1] & ProjectedOk[f.p2] & ProjectedOk[f.p3]))
            continue;
        const Point3D *P[3] = {&pts[f.p1], &pts[f.p2], &pts[f.p3]};
        const Screen s[3] = {ProjectedPoints[f.p1], ProjectedPoints[f.p2], ProjectedPoints[f.p3]};
        const int64_t facing = int64_t(s[2].px - s[0].px) * (s[1].py - s[0].py) -
                               int64_t(s[2].py - s[0].py) * (s[1].px - s[0].px);
        if (facing <= 0)
            continue;

        int32_t type = f.FaceType;
        const Texture3D *T = f.Texture;
        const bool samplesTexture = !(type == kFaceShaded || type == kFaceFlat || type == kFaceCrystal ||
                                      type == kFaceCrystalLit || type == kFaceCrystalSmooth ||
                                      type == kFaceCrystalSmoothLit || type == kFaceMetal || type == kFaceMetalLit ||
                                      type == kFaceWireAA || type == kFaceWireDark || type == kFaceWireBright ||
                                      type == kFaceWireDim || type == kFaceStartWire);
        // A textured face without a picture is drawn in flat colour.
        if (samplesTexture && !Usable(T))
            type = kFaceFlat;
        Texel t[3] = {};
        if (samplesTexture && type != kFaceFlat)
            for (int k = 0; k < 3; k++)
                t[k] = TexelOf(*P[k], T);

        switch (type) {
        case kFaceShaded: {
            Rgb l[3];
            for (int k = 0; k < 3; k++)
                l[k] = L.Bright(P[k]->nx, P[k]->ny, P[k]->nz);
            ShadeTri(s[0].sx, s[0].sy, l[0].r, l[0].g, l[0].b, s[1].sx, s[1].sy, l[1].r, l[1].g, l[1].b, s[2].sx,
                     s[2].sy, l[2].r, l[2].g, l[2].b, page);
            break;
        }
        case kFaceFlat: {
            const Rgb l = L.BrightClamped(f.nx, f.ny, f.nz);
            SolidTri(s[0].sx, s[0].sy, s[1].sx, s[1].sy, s[2].sx, s[2].sy,
                     uint32_t(l.r) * 65536u + uint32_t(l.g) * 256u + uint32_t(l.b), page);
            break;
        }
        case kFaceTextureRank: {
            const int32_t rank = int32_t(int64_t(i) * 90 / numFaces);
            TextureTriTrans(s[0].sx, s[0].sy, t[0].u, t[0].v, s[1].sx, s[1].sy, t[1].u, t[1].v, s[2].sx, s[2].sy,
                            t[2].u, t[2].v, T->Pixels, T->Width, rank, page);
            break;
        }
        case kFaceTextureLit: {
            const Rgb l = L.Soft(f.nx, f.ny, f.nz);
            TextureTriLS(s[0].sx, s[0].sy, t[0].u, t[0].v, s[1].sx, s[1].sy, t[1].u, t[1].v, s[2].sx, s[2].sy, t[2].u,
                         t[2].v, l.r, l.g, l.b, T->Pixels, T->Width, page);
            break;
        }
        case kFaceCrystal:
        case kFaceCrystalLit: {
            const int32_t ox = -ClampToInt(std::floor(0.5 - 60.0 * double(f.nx)), -kMaxLevel, kMaxLevel);
            const int32_t oy = -ClampToInt(std::floor(0.5 + 60.0 * double(f.ny)), -kMaxLevel, kMaxLevel);
            if (type == kFaceCrystal) {
                OfsTri(s[0].sx, s[0].sy, s[1].sx, s[1].sy, s[2].sx, s[2].sy, ox, oy, &Background, page);
            } else {
                const Rgb l = L.Soft(f.nx, f.ny, f.nz);
                OfsTriLS(s[0].sx, s[0].sy, s[1].sx, s[1].sy, s[2].sx, s[2].sy, ox, oy, l.r, l.g, l.b, &Background,
                         page);
            }
            break;
        }
        case kFaceCrystalSmooth:
        case kFaceCrystalSmoothLit:
        case kFaceCrystalTexture:
        case kFaceMetalTexture:
        case kFaceMetal:
        case kFaceMetalLit:
        case kFaceMetalAddTexture: {
            // Per-vertex source positions: refraction of the background by
            // the normal, or the environment picture looked up by the normal
            // and the screen position.
            const bool isMetal = type == kFaceMetalTexture || type == kFaceMetal || type == kFaceMetalLit ||
                                 type == kFaceMetalAddTexture;
            const defZENTRIXPAGE *src = isMetal ? metal : &Background;
            int32_t bx[3], by[3];
            for (int k = 0; k < 3; k++) {
                if (isMetal) {
                    bx[k] = ClampToInt(std::floor(100.0 * double(P[k]->nx) + 0.5), -kMaxLevel, kMaxLevel) +
                            FloorDiv8(s[k].px) + mcx;
                    by[k] = ClampToInt(std::floor(100.0 * double(P[k]->ny) + 0.5), -kMaxLevel, kMaxLevel) +
                            FloorDiv8(s[k].py) + mcy;
                } else {
                    bx[k] = s[k].sx - ClampToInt(std::floor(double(glass) * double(P[k]->nx) + 0.5), -kMaxLevel,
                                                 kMaxLevel);
                    by[k] = s[k].sy - ClampToInt(std::floor(double(glass) * double(P[k]->ny) + 0.5), -kMaxLevel,
                                                 kMaxLevel);
                }
            }
            if (type == kFaceCrystalSmooth || type == kFaceMetal) {
                OfsTriSmooth(s[0].sx, s[0].sy, bx[0], by[0], s[1].sx, s[1].sy, bx[1], by[1], s[2].sx, s[2].sy, bx[2],
                             by[2], src, page);
            } else if (type == kFaceCrystalSmoothLit || type == kFaceMetalLit) {
                Rgb l[3];
                for (int k = 0; k < 3; k++)
                    l[k] = type == kFaceMetalLit ? L.Strong(P[k]->nx, P[k]->ny, P[k]->nz)
                                                 : L.Soft(P[k]->nx, P[k]->ny, P[k]->nz);
                OfsTriSmoothLS(s[0].sx, s[0].sy, bx[0], by[0], l[0].r, l[0].g, l[0].b, s[1].sx, s[1].sy, bx[1], by[1],
                               l[1].r, l[1].g, l[1].b, s[2].sx, s[2].sy, bx[2], by[2], l[2].r, l[2].g, l[2].b, src,
                               page);
            } else if (type == kFaceMetalAddTexture) {
                OfsTriSmoothAddTexture(s[0].sx, s[0].sy, bx[0], by[0], t[0].u, t[0].v, s[1].sx, s[1].sy, bx[1], by[1],
                                       t[1].u, t[1].v, s[2].sx, s[2].sy, bx[2], by[2], t[2].u, t[2].v, src, T->Pixels,
                                       T->Width, page);
            } else {
                OfsTriSmoothTexture(s[0].sx, s[0].sy, bx[0], by[0], t[0].u, t[0].v, s[1].sx, s[1].sy, bx[1], by[1],
                                    t[1].u, t[1].v, s[2].sx, s[2].sy, bx[2], by[2], t[2].u, t[2].v, src, T->Pixels,
                                    trans, T->Width, page);
            }
            break;
        }
        case kFaceAddTexture:
            // The triangle as a quad whose second and third corners are both
            // vertex 2.
            AddTextureQuad(s[0].sx, s[0].sy, t[0].u, t[0].v, s[1].sx, s[1].sy, t[1].u, t[1].v, s[1].sx, s[1].sy,
                           t[1].u, t[1].v, s[2].sx, s[2].sy, t[2].u, t[2].v, T->Pixels, T->Width, page);
            break;
        case kFaceWireAA:
            Edges(s, page, true, 255, 255, 255);
            break;
        case kFaceWireDark:
            Edges(s, page, false, 0, 63, 0);
            break;
        case kFaceWireBright:
            Edges(s, page, false, 128, 255, 50);
            break;
        case kFaceWireDim:
            Edges(s, page, false, 20, 63, 10);
            break;
        case kFaceStartWire:
            Changing.store(1, std::memory_order_relaxed);
            TargetType.store(kFaceWireDim, std::memory_order_relaxed);
            break;
        default:
            TextureTri(s[0].sx, s[0].sy, t[0].u, t[0].v, s[1].sx, s[1].sy, t[1].u, t[1].v, s[2].sx, s[2].sy, t[2].u,
                       t[2].v, T->Pixels, T->Width, page);
            break;
        }
    }

    if (RotateLights.load(std::memory_order_relaxed))
        for (long c = 0; c < 3; c++)
            DrawLightMarker(L.c[c], c, cx, cy, page);
}

void QSort(Sort3D *SortArray, long l, long r)
{
    for (;;) {
        const float pivot = SortArray[(l + r) / 2].ZAvg;
        long i = l, j = r;
        do {
            while (SortArray[i].ZAvg > pivot)
                i++;
            while (SortArray[j].ZAvg < pivot)
                j--;
            if (i <= j) {
                const Sort3D t = SortArray[i];
                SortArray[i] = SortArray[j];
                SortArray[j] = t;
                i++;
                j--;
            }
        } while (i <= j);
        if (l < j)
            QSort(SortArray, l, j);
        if (i >= r)
            return;
        l = i;
    }
}

void zSort(Object3D *TheObject)
{
    const long n = TheObject->NumFaces;
    if (n <= 0 || !TheObject->Face)
        return;
    auto *keys = static_cast<Sort3D *>(std::malloc(size_t(n) * sizeof(Sort3D)));
    auto *sorted = static_cast<Face3D *>(std::malloc(size_t(n) * sizeof(Face3D)));
    if (!keys || !sorted) {
        std::free(keys);
        std::free(sorted);
        return; // drawn unsorted
    }
    const Point3D *pts = TheObject->Points;
    const uint32_t np = pts ? uint32_t(TheObject->NumPoints) : 0;
    for (long i = 0; i < n; i++) {
        const Face3D &f = TheObject->Face[i];
        float z = f.nz;
        if (uint32_t(f.p1) < np && uint32_t(f.p2) < np && uint32_t(f.p3) < np)
            z = pts[f.p1].z + pts[f.p2].z + pts[f.p3].z + f.nz;
        keys[i].ZAvg = z;
        keys[i].FaceNum = i;
    }
    DepthOrder(keys, n);
    for (long i = 0; i < n; i++)
        sorted[i] = TheObject->Face[keys[i].FaceNum];
    std::free(TheObject->Face);
    TheObject->Face = sorted;
    std::free(keys);
}

void Set3DTextureType(long TextureType)
{
    Object3D *obj = obj3D;
    if (!obj || !obj->Face)
        return;
    for (long i = 0; i < obj->NumFaces; i++)
        obj->Face[i].FaceType = int32_t(TextureType);
}
