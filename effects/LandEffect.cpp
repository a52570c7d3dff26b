// Land: a camera flies over an endless 256 x 256 landscape drawn column by
// column with a height-field ray caster, under clouds mirrored above the
// horizon, with water reflecting the clouds and distance fog. Owns HMap,
// CMap, the cloud maps, the palettes and the column buffers.
#include "LandEffect.h"

#include "Plasma.h"
#include "Random.h"

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

uint8_t *HMap = nullptr;
uint8_t *CMap = nullptr;
uint8_t *CloudMap[2] = {nullptr, nullptr};
uint8_t *cl_CMap = nullptr;
uint32_t *EndPalette = nullptr;
uint32_t *LandPalette = nullptr;
uint32_t *CloudPalette = nullptr;
uint32_t *ReflectCloudPalette = nullptr;
int32_t lasty[LandColumns], lasth[LandColumns], lastc[LandColumns];
int32_t cl_lasty[LandColumns], cl_lasth[LandColumns];

long xView0 = 0, yView0 = 0;
float a = 0.0f;
float ss = 0.0f;
float sa = 0.0f;
float LandSpeed = 500.0f;
float FOV = 0.7853981852531433f;
long DistR = 222, DistG = 235, DistB = 255;
long Fade = 0, FadeStep = 2;
long Dr = 0, Dg = 0, Db = 0;
long MidPt = 0;
defZENTRIXPAGE *LandGFXPage = nullptr;
int bLandVector = 1;

namespace {

constexpr int LastRow = LandRows - 1;
constexpr int32_t WaterLevel = LandWaterDepth * 16384;   // in depth units of 1/16384
constexpr double QuarterPi = 0.7853981633974483;

// Keys from the window thread, carried out by the render thread: a single
// producer, single consumer ring; a full ring drops the newest key.
constexpr uint32_t kQueueSize = 64;
WPARAM Queue[kQueueSize];
std::atomic<uint32_t> QueueHead{0};   // next to read (render thread)
std::atomic<uint32_t> QueueTail{0};   // next to write (window thread)

// One ray step's samples for every column: depth, shade and cloud value,
// bilinear in 16.16 (the cloud layer fills only the cloud value).
struct alignas(16) Sample {
    uint32_t Depth, Shade, Cloud, Unused;
};
Sample Samples[LandColumns];

// The three maps packed for the vector sampler: one word per cell, depth in
// byte 0, shade in byte 1, cloud in byte 2, with a copy of column 0 after
// column 255 and of row 0 after row 255, so that a cell and its right
// neighbour are one 8-byte load and the row below is PackedStride further.
constexpr int PackedStride = LandMapSize + 1;
uint32_t PackedCells[PackedStride * PackedStride];

inline uint8_t At(const uint8_t *m, int x, int y) { return m[(y & 255) * LandMapSize + (x & 255)]; }

// The 16.16 bilinear blend of a cell, its right neighbour, the one below
// and the one below-right, with 8-bit fractions.
inline uint32_t Bilinear(const uint8_t *m, uint32_t i00, uint32_t i01, uint32_t i10, uint32_t i11, uint32_t fx,
                         uint32_t fy)
{
    const uint32_t top = m[i00] * (256 - fx) + m[i01] * fx;
    const uint32_t bottom = m[i10] * (256 - fx) + m[i11] * fx;
    return top * (256 - fy) + bottom * fy;
}

// The four cells around 16.16 position (x, y) and its fractions, wrapped.
struct Footprint {
    uint32_t i00, i01, i10, i11, fx, fy;
};

inline Footprint Around(uint32_t x, uint32_t y)
{
    const uint32_t cx = (x >> 16) & 255, cy = (y >> 16) & 255;
    const uint32_t nx = (cx + 1) & 255, ny = (cy + 1) & 255;
    return {cy * 256 + cx, cy * 256 + nx, ny * 256 + cx, ny * 256 + nx, (x >> 8) & 255, (y >> 8) & 255};
}

// A screen row from a map value, its layer's height offset and scale;
// 64-bit so that no argument makes the product overflow.
inline int32_t ScreenRow(int32_t v, long hy, long s, int32_t shift)
{
    const int64_t row = ((int64_t(v) - hy) * s >> 11) + shift;
    return int32_t(row < -(1 << 30) ? -(1 << 30) : row > (1 << 30) ? (1 << 30) : row);
}

void SampleLandScalar(uint32_t x, uint32_t y, int32_t dx, int32_t dy)
{
    for (int i = 0; i < LandColumns; ++i, x += uint32_t(dx), y += uint32_t(dy)) {
        const Footprint f = Around(x, y);
        Samples[i].Depth = Bilinear(HMap, f.i00, f.i01, f.i10, f.i11, f.fx, f.fy);
        Samples[i].Shade = Bilinear(CMap, f.i00, f.i01, f.i10, f.i11, f.fx, f.fy);
        Samples[i].Cloud = Bilinear(cl_CMap, f.i00, f.i01, f.i10, f.i11, f.fx, f.fy);
    }
}

void SampleCloudsScalar(uint32_t x, uint32_t y, int32_t dx, int32_t dy)
{
    for (int i = 0; i < LandColumns; ++i, x += uint32_t(dx), y += uint32_t(dy)) {
        const Footprint f = Around(x, y);
        Samples[i].Cloud = Bilinear(cl_CMap, f.i00, f.i01, f.i10, f.i11, f.fx, f.fy);
    }
}

#if defined(__SSE2__)
// The bilinear blend of all three maps at once: the words of a cell and its
// right neighbour widen to eight 16-bit lanes (depth, shade, cloud, 0 of
// each); each row is weighted across (products and sums stay below 65536),
// then the two rows down, into four 32-bit lanes of 16.16 values, exactly
// the scalar Bilinear's.
void SampleVector(uint32_t x, uint32_t y, int32_t dx, int32_t dy)
{
    const __m128i zero = _mm_setzero_si128();
    // Lanes 0..3 take 256 - f (= (f ^ 0xFFFF) + 257), lanes 4..7 take f.
    const __m128i flip = _mm_set_epi16(0, 0, 0, 0, -1, -1, -1, -1);
    const __m128i base = _mm_set_epi16(0, 0, 0, 0, 257, 257, 257, 257);
    for (int i = 0; i < LandColumns; ++i, x += uint32_t(dx), y += uint32_t(dy)) {
        const uint32_t *cell = PackedCells + ((y >> 16) & 255) * PackedStride + ((x >> 16) & 255);
        const __m128i wx = _mm_add_epi16(_mm_xor_si128(_mm_set1_epi16(short((x >> 8) & 255)), flip), base);
        const __m128i wy = _mm_add_epi16(_mm_xor_si128(_mm_set1_epi16(short((y >> 8) & 255)), flip), base);
        const __m128i rows = _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(cell)),
                                                _mm_loadl_epi64(reinterpret_cast<const __m128i *>(cell + PackedStride)));
        const __m128i top = _mm_mullo_epi16(_mm_unpacklo_epi8(rows, zero), wx);
        const __m128i bottom = _mm_mullo_epi16(_mm_unpackhi_epi8(rows, zero), wx);
        const __m128i across = _mm_add_epi16(_mm_unpacklo_epi64(top, bottom), _mm_unpackhi_epi64(top, bottom));
        const __m128i lo = _mm_mullo_epi16(across, wy), hi = _mm_mulhi_epu16(across, wy);
        _mm_store_si128(reinterpret_cast<__m128i *>(&Samples[i]),
                        _mm_add_epi32(_mm_unpacklo_epi16(lo, hi), _mm_unpackhi_epi16(lo, hi)));
    }
}
#endif

int32_t FogLevel(long d) { return d < 67 ? 0 : d - 67 > LandFogLevels - 1 ? LandFogLevels - 1 : int32_t(d - 67); }

// Draws the sampled step of the land into the columns where it rises above
// what is drawn, front to back: rows lasty up to r + 1, the depth and shade
// running from the previous step's to this step's.
void DrawLandStep(long hy, long s, long d)
{
    uint32_t *px = static_cast<uint32_t *>(LandGFXPage->pPageData);
    const int32_t level = FogLevel(d);
    const uint32_t *land = LandPalette + level * LandPaletteEntries;
    const uint32_t *water = ReflectCloudPalette + level * LandPaletteEntries;
    for (int i = 0; i < LandColumns; ++i) {
        const int32_t h = int32_t(Samples[i].Depth >> 16);
        const int32_t r = ScreenRow(h, hy, s, 40), top = lasty[i];
        const int32_t D1 = h * 16384, S1 = int32_t(Samples[i].Shade);
        if (r < top) {
            int32_t D = D1, Sh = S1, dD = 0, dS = 0;
            if (lastc[i] >= 0) {
                const int32_t n = top - r;
                D = lasth[i];
                Sh = lastc[i];
                dD = (D1 - D) / n;
                dS = (S1 - Sh) / n;
            }
            int32_t row = top;
            if (row > LastRow) {
                D += (row - LastRow) * dD;
                Sh += (row - LastRow) * dS;
                row = LastRow;
            }
            const int32_t end = r + 1 > 0 ? r + 1 : 0;
            const uint32_t reflected = Samples[i].Cloud >> 18;
            uint32_t *p = px + row * LandColumns + i;
            for (; row >= end; --row, p -= LandColumns, D += dD, Sh += dS) {
                const uint32_t shade = uint32_t(Sh) >> 20 << 6;
                *p = D < WaterLevel ? land[shade + (uint32_t(D) >> 16)] : water[shade + reflected];
            }
            lasty[i] = r > 0 ? r : 0;
        }
        lastc[i] = S1;
        lasth[i] = D1;
    }
}

// The cloud layer, mirrored: rows 208 - cl_lasty downwards for cl_lasty - r
// rows, the density running from the previous step's to this step's.
void DrawCloudStep(long hy, long s, long d)
{
    uint32_t *px = static_cast<uint32_t *>(LandGFXPage->pPageData);
    const uint32_t *clouds = CloudPalette + FogLevel(d) * LandPaletteEntries;
    for (int i = 0; i < LandColumns; ++i) {
        const int32_t v = int32_t(Samples[i].Cloud >> 16);
        const int32_t r = ScreenRow(v, hy, s, -40), top = cl_lasty[i], V1 = v * 16384;
        if (r < top) {
            int32_t V = cl_lasth[i];
            const int32_t dV = (V1 - V) / (top - r);
            int32_t row = 208 - top, end = 208 - r;
            if (row < 0) {
                V += -row * dV;
                row = 0;
            }
            if (end > LandRows)
                end = LandRows;
            uint32_t *p = px + row * LandColumns + i;
            for (; row < end; ++row, p += LandColumns, V += dV)
                *p = clouds[uint32_t(V) >> 16];
            cl_lasty[i] = r > 0 ? r : 0;
        }
        cl_lasth[i] = V1;
    }
}

// Start of a step: per-column steps across the page, truncated toward zero.
struct StepStart {
    uint32_t x, y;
    int32_t dx, dy;
};

StepStart Across(long xa, long ya, long xb, long yb)
{
    return {uint32_t(xa), uint32_t(ya), int32_t((xb - xa) / LandColumns), int32_t((yb - ya) / LandColumns)};
}

// New camera coordinate: trunc(v), kept modulo 2^24 (256 cells), which
// draws the same landscape and never overflows. A value that is not a
// number leaves the coordinate where it was.
long MovedPosition(long position, double v)
{
    if (!std::isfinite(v))
        return position;
    double w = std::fmod(std::trunc(v), double(LandPositionWrap));
    if (w < 0)
        w += double(LandPositionWrap);
    return long(w);
}

// floor(v + 0.5); a direction that is not a number (an infinite heading)
// gives 0 rather than an undefined conversion.
long Nearest(double v) { return v > -1e15 && v < 1e15 ? long(std::floor(v + 0.5)) : 0; }

// Screen scale of the clouds and of the land at distance d.
long CloudLineScale(long d) { return 230400 / (8 * d + 1); }
long VoxLineScale(long d) { return 64000 / (2 * d + 1); }

// True when the step after d can't rise above the page's last row even
// where the map holds 0 (the highest value draws highest), so that step d
// draws nothing and its column values are overwritten unread.
bool BelowPage(long (*scale)(long), long hy, int32_t shift, long d)
{
    const long next = d + (d >> 6) + 1;
    return next < 100 && ScreenRow(0, hy, scale(next), shift) >= LastRow;
}

void ApplyKey(WPARAM key)
{
    switch (key) {
    case '1':
        a += 0.01f;
        break;
    case '2':
        a -= 0.01f;
        break;
    case '3':
        ss += LandSpeed;
        LandSpeed += 20;
        FOV = float(ss * 2e-6 + QuarterPi);
        break;
    case '4':
        ss -= LandSpeed;
        LandSpeed -= 20;
        FOV = float(ss * 2e-6 + QuarterPi);
        break;
    case '5':
        ss = 0;
        sa = 0;
        FOV = float(QuarterPi);
        break;
    default:
        break;
    }
}

} // namespace

int AllocateLandMemory()
{
    // Zeroed: a palette picture that is missing leaves black, not garbage.
    LandPalette = static_cast<uint32_t *>(std::calloc(3 * LandSetEntries, sizeof(uint32_t)));
    if (!LandPalette)
        return 0;
    CloudPalette = LandPalette + LandSetEntries;
    ReflectCloudPalette = LandPalette + 2 * LandSetEntries;
    EndPalette = static_cast<uint32_t *>(std::calloc(3 * LandSetEntries, sizeof(uint32_t)));
    HMap = EndPalette ? static_cast<uint8_t *>(std::calloc(LandMapCells, 1)) : nullptr;
    CMap = HMap ? static_cast<uint8_t *>(std::calloc(LandMapCells, 1)) : nullptr;
    cl_CMap = CMap ? static_cast<uint8_t *>(std::calloc(LandMapCells, 1)) : nullptr;
    if (!cl_CMap)
        return 0;
    // The cloud maps are not essential: without them the clouds stand still.
    CloudMap[0] = static_cast<uint8_t *>(std::calloc(LandMapCells, 1));
    CloudMap[1] = static_cast<uint8_t *>(std::calloc(LandMapCells, 1));
    return 1;
}

long InitializeLand()
{
    if (!HMap || !CMap || !EndPalette || !LandPalette)
        return 1;
    ComputeMap();
    a = 0;
    yView0 = 0;
    xView0 = 0;
    ss = 50000.0f;
    sa = 0.0004f;
    LoadRaw32("Data\\Land.raw", 64, 16, EndPalette);
    LoadRaw32("Data\\Clouds.raw", 64, 16, EndPalette + LandSetEntries);
    LoadRaw32("Data\\ReflectClouds.raw", 64, 16, EndPalette + 2 * LandSetEntries);
    CreateFadeShades(DistR, DistG, DistB);
    std::memcpy(LandPalette, EndPalette, 3 * LandSetEntries * sizeof(uint32_t));
    ComputePlasma(CloudMap[0], 256, 256, 1);
    ComputePlasma(CloudMap[1], 256, 256, 1);
    return 1;
}

long FreeLandMemory()
{
    std::free(LandPalette);
    std::free(EndPalette);
    std::free(HMap);
    std::free(CMap);
    std::free(cl_CMap);
    std::free(CloudMap[0]);
    std::free(CloudMap[1]);
    LandPalette = CloudPalette = ReflectCloudPalette = EndPalette = nullptr;
    HMap = CMap = cl_CMap = CloudMap[0] = CloudMap[1] = nullptr;
    return 1;
}

void ComputeMap()
{
    ComputePlasma(HMap, 256, 256, 1);
    // Slopes facing the light (depth falling towards the upper right) are
    // bright; water gets a random shimmer instead.
    for (int y = 0; y < LandMapSize; ++y)
        for (int x = 0; x < LandMapSize; ++x) {
            int v = 4 * (At(HMap, x + 1, y - 1) - At(HMap, x - 1, y + 1)) + 128;
            v = v < 4 ? 4 : v > 251 ? 251 : v;
            if (HMap[y * LandMapSize + x] > LandWaterDepth)
                v = Rand15() % 90;
            CMap[y * LandMapSize + x] = uint8_t(v);
        }
    // Flatten the sea floor towards the surface, with a little swell.
    for (int i = 0; i < LandMapCells; ++i)
        if (HMap[i] > LandWaterDepth)
            HMap[i] = uint8_t(LandWaterDepth + (HMap[i] - LandWaterDepth) / 2 + Rand15() % 5);
}

void CreateFadeShades(long r, long g, long b)
{
    if (!EndPalette)
        return;
    for (int set = 0; set < 3; ++set) {
        uint32_t *base = EndPalette + set * LandSetEntries;
        for (long L = 1; L < LandFogLevels; ++L)
            for (int k = 0; k < LandPaletteEntries; ++k) {
                const uint32_t c = base[k];
                const long cr = (long(c >> 16 & 255) * (32 - L) + r * L) / 32;
                const long cg = (long(c >> 8 & 255) * (32 - L) + g * L) / 32;
                const long cb = (long(c & 255) * (32 - L) + b * L) / 32;
                base[L * LandPaletteEntries + k] = uint32_t(cr & 255) << 16 | uint32_t(cg & 255) << 8 | uint32_t(cb & 255);
            }
    }
}

void DoClouds(defZENTRIXPAGE *)
{
    if (!CloudMap[0] || !CloudMap[1] || !cl_CMap)
        return;
    if (Fade > 127) {
        uint8_t *t = CloudMap[0];
        CloudMap[0] = CloudMap[1];
        CloudMap[1] = t;
        Fade = 0;
    }
    const uint8_t *from = CloudMap[0], *to = CloudMap[1];
    const int f = int(Fade < 0 ? 0 : Fade), keep = 127 - f;
    int i = 0;
#if defined(__SSE2__)
    if (bLandVector) {
        const __m128i zero = _mm_setzero_si128(), wf = _mm_set1_epi16(short(f)), wk = _mm_set1_epi16(short(keep));
        for (; i < LandMapCells; i += 16) {
            const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i *>(from + i));
            const __m128i q = _mm_loadu_si128(reinterpret_cast<const __m128i *>(to + i));
            const __m128i lo = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(p, zero), wk),
                                             _mm_mullo_epi16(_mm_unpacklo_epi8(q, zero), wf));
            const __m128i hi = _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(p, zero), wk),
                                             _mm_mullo_epi16(_mm_unpackhi_epi8(q, zero), wf));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(cl_CMap + i),
                             _mm_packus_epi16(_mm_srli_epi16(lo, 7), _mm_srli_epi16(hi, 7)));
        }
    }
#endif
    for (; i < LandMapCells; ++i)
        cl_CMap[i] = uint8_t((from[i] * keep + to[i] * f) >> 7);
    Fade += FadeStep;
}

void VoxLine(long xa, long ya, long xb, long yb, long hy, long s, long d)
{
    const StepStart st = Across(xa, ya, xb, yb);
#if defined(__SSE2__)
    if (bLandVector)
        SampleVector(st.x, st.y, st.dx, st.dy);
    else
#endif
        SampleLandScalar(st.x, st.y, st.dx, st.dy);
    DrawLandStep(hy, s, d);
}

void CloudLine(long xa, long ya, long xb, long yb, long hy, long s, long d)
{
    const StepStart st = Across(xa, ya, xb, yb);
#if defined(__SSE2__)
    if (bLandVector)
        SampleVector(st.x, st.y, st.dx, st.dy);
    else
#endif
        SampleCloudsScalar(st.x, st.y, st.dx, st.dy);
    DrawCloudStep(hy, s, d);
}

void PackLandMaps()
{
#if defined(__SSE2__)
    if (!HMap || !CMap || !cl_CMap)
        return;
    const __m128i zero = _mm_setzero_si128();
    for (int y = 0; y <= LandMapSize; ++y) {
        const int from = (y & 255) * LandMapSize;
        uint32_t *to = PackedCells + y * PackedStride;
        for (int x = 0; x < LandMapSize; x += 16) {
            const __m128i h = _mm_loadu_si128(reinterpret_cast<const __m128i *>(HMap + from + x));
            const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i *>(CMap + from + x));
            const __m128i k = _mm_loadu_si128(reinterpret_cast<const __m128i *>(cl_CMap + from + x));
            const __m128i hcLo = _mm_unpacklo_epi8(h, c), hcHi = _mm_unpackhi_epi8(h, c);
            const __m128i kLo = _mm_unpacklo_epi8(k, zero), kHi = _mm_unpackhi_epi8(k, zero);
            __m128i *out = reinterpret_cast<__m128i *>(to + x);
            _mm_storeu_si128(out, _mm_unpacklo_epi16(hcLo, kLo));
            _mm_storeu_si128(out + 1, _mm_unpackhi_epi16(hcLo, kLo));
            _mm_storeu_si128(out + 2, _mm_unpacklo_epi16(hcHi, kHi));
            _mm_storeu_si128(out + 3, _mm_unpackhi_epi16(hcHi, kHi));
        }
        to[LandMapSize] = to[0];
    }
#endif
}

void View(long x, long y, float angle)
{
    if (bLandVector)
        PackLandMaps();
    for (int i = 0; i < LandColumns; ++i) {
        cl_lasth[i] = 0;
        cl_lasty[i] = LastRow;
        lastc[i] = -1;
        lasth[i] = 0;
        lasty[i] = LastRow;
    }
    // The position modulo 256 cells: the same picture, and every ray stays
    // well inside 32 bits.
    const double x0 = double(uint64_t(x) & uint64_t(LandPositionWrap - 1));
    const double y0 = double(uint64_t(y) & uint64_t(LandPositionWrap - 1));
    const double c1 = std::cos(double(angle - FOV)), s1 = std::sin(double(angle - FOV));
    const double c2 = std::cos(double(angle + FOV)), s2 = std::sin(double(angle + FOV));
    // Steps of one cell up to 64 cells away, then of two. The nearest steps
    // lie below the page whatever the map holds; one is left out when the
    // step after it can't rise onto the page either, as nothing it leaves
    // in the column buffers is then ever read.
    for (long d = 0; d < 100; d += (d >> 6) + 1) {
        if (BelowPage(CloudLineScale, -800, -40, d))
            continue;
        const double dist = double(d) * 65536.0;
        CloudLine(Nearest(x0 + c1 * dist), Nearest(y0 + s1 * dist), Nearest(x0 + c2 * dist), Nearest(y0 + s2 * dist),
                  -800, CloudLineScale(d), d);
    }
    for (long d = 0; d < 100; d += (d >> 6) + 1) {
        if (BelowPage(VoxLineScale, -300, 40, d))
            continue;
        const double dist = double(d) * 65536.0;
        VoxLine(Nearest(x0 + c1 * dist), Nearest(y0 + s1 * dist), Nearest(x0 + c2 * dist), Nearest(y0 + s2 * dist),
                -300, VoxLineScale(d), d);
    }
}

void DoLandEffect(HWND, HDC, float FramesMissed, defZENTRIXPAGE *EffectGFXPage)
{
    ApplyLandMessages();
    if (!HMap || !CMap || !cl_CMap || !LandPalette || !EffectGFXPage || !EffectGFXPage->pPageData ||
        EffectGFXPage->BPP != 32 || EffectGFXPage->Width != LandColumns || EffectGFXPage->Height < LandRows)
        return;
    const double F = FramesMissed;
    Dr = DistR;
    Dg = DistG;
    Db = DistB;
    LandGFXPage = EffectGFXPage;
    MidPt = EffectGFXPage->Height / 3;

    xView0 = MovedPosition(xView0, double(xView0) + std::cos(double(a)) * F * ss);
    yView0 = MovedPosition(yView0, double(yView0) + std::sin(double(a)) * F * ss);
    a = float(a + F * sa);

    DoClouds(EffectGFXPage);
    ClArea32(EffectGFXPage, uint32_t(MidPt - 10), 50, uint32_t(Dr), uint32_t(Dg), uint32_t(Db));
    View(xView0, yView0, a);

    // The water sparkles: now and then a cell takes a new shimmer.
    for (int i = 0; i < LandMapCells; ++i)
        if (HMap[i] > LandWaterDepth + 2 && Rand15() % 30 == 0)
            CMap[i] = uint8_t(Rand15() % 90);
}

void HandleLandMessage(HWND, unsigned uMessage, WPARAM wParam, LPARAM)
{
    if (uMessage != WM_KEYDOWN || wParam < '1' || wParam > '5')
        return;
    const uint32_t tail = QueueTail.load(std::memory_order_relaxed);
    const uint32_t head = QueueHead.load(std::memory_order_acquire);
    if (tail - head >= kQueueSize)
        return;
    Queue[tail % kQueueSize] = wParam;
    QueueTail.store(tail + 1, std::memory_order_release);
}

void ApplyLandMessages()
{
    uint32_t head = QueueHead.load(std::memory_order_relaxed);
    const uint32_t tail = QueueTail.load(std::memory_order_acquire);
    while (head != tail) {
        const WPARAM key = Queue[head % kQueueSize];
        QueueHead.store(++head, std::memory_order_release);
        ApplyKey(key);
    }
}
