// Bumpy: a red, a green and a blue light chase each other over an embossed
// picture; each pixel reads the light spot at a place shifted by its slope.
// Owns BumpyPic, BumpyDx, BumpyDy, GlowMap and the tile bounds of the pass.
#include "BumpyEffect.h"

#include "CommonStuff.h"
#include "LenzFlare.h"
#include "Random.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

uint8_t *BumpyPic = nullptr;
int8_t *BumpyDx = nullptr;
int8_t *BumpyDy = nullptr;
uint8_t *GlowMap = nullptr;
long Bumplx[4], Bumply[4], Bumpldx[4], Bumpldy[4];
std::atomic<int> LenzFlare{0}, FinishBumpy{0};

namespace {

constexpr int W = BumpyWidth, H = BumpyHeight;
constexpr int GlowCells = GlowMapSize * GlowMapSize;

// A light further than this from the page lights nothing whatever the
// slopes (a pixel reads the spot at most 255 + 128 pixels from itself), so
// positions are clamped here before the lookups: the results stay the same
// and the sums stay small (they fit the 16-bit lanes of the SSE2 pass).
constexpr long kLightReach = 1024;

// The lighting pass works in tiles of 16 x 4 pixels. For each tile it keeps
// the range of the spot coordinates its pixels read (tx = x - dx + 128 and
// ty = y - dy + 128); a light at (lx, ly) reaches a pixel only where tx - lx
// and ty - ly both lie in 0..255, so a tile whose ranges miss that square is
// dark in the light's colour and skipped.
constexpr int TileW = 16, TileH = 4;
constexpr int TilesX = W / TileW, TilesY = H / TileH;   // 25 x 77
static_assert(TilesX * TileW == W && TilesY * TileH == H, "the tiles cover the page");

struct TTileBox {
    int16_t TxMin, TxMax, TyMin, TyMax;
};
TTileBox TileBoxes[TilesY][TilesX];

void Release(void *&p)
{
    std::free(p);
    p = nullptr;
}

bool DrawablePage(const defZENTRIXPAGE *page)
{
    return page && page->pPageData && page->BPP == 32 && page->Width > 0 && page->Height > 0 &&
           long(page->Width) * long(page->Height) >= BumpyPixels;
}

bool Allocated() { return BumpyDx && BumpyDy && GlowMap; }

long ClampLight(long p) { return std::clamp(p, -kLightReach, kLightReach); }

// The light spot: 2 * (128 - distance from the centre), truncated, 0..255.
void ComputeGlowMap()
{
    for (int v = 0; v < GlowMapSize; ++v)
        for (int u = 0; u < GlowMapSize; ++u) {
            const float d = std::sqrt(float((u - 128) * (u - 128) + (v - 128) * (v - 128)));
            const int value = int(2.0f * (128.0f - d));
            GlowMap[v * GlowMapSize + u] = uint8_t(std::clamp(value, 0, 255));
        }
}

int8_t Slope(int a, int b) { return int8_t(std::clamp(2 * (a - b), -127, 127)); }

#if defined(__SSE2__)
// Eight signed bytes widened to eight 16-bit lanes.
inline __m128i LoadSlopes(const int8_t *p)
{
    const __m128i b = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(p));
    return _mm_srai_epi16(_mm_unpacklo_epi8(b, b), 8);
}

// One light's channel in row y, for the tiles it reaches. The row has been
// cleared; each light writes its own byte of the pixels (blue is byte 0 of
// 0x00RRGGBB in memory, red byte 2). Out-of-range lookups read index 0, a
// corner of the spot outside the cone, which is 0.
void LightTilesSse2(uint8_t *row, int y, long lx, long ly, int channel, const uint8_t *reach, int bit)
{
    const uint8_t *G = GlowMap;
    const __m128i lanes = _mm_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7);
    const __m128i cv = _mm_set1_epi16(int16_t(y + 128 - ly));
    const __m128i highBits = _mm_set1_epi16(int16_t(0xFF00));
    const __m128i zero = _mm_setzero_si128();
    alignas(16) uint16_t index[8];
    for (int t = 0; t < TilesX; ++t) {
        if (!(reach[t] & bit))
            continue;
        for (int x = t * TileW; x < (t + 1) * TileW; x += 8) {
            const int i = y * W + x;
            const __m128i tx = _mm_add_epi16(_mm_set1_epi16(int16_t(x + 128 - lx)), lanes);
            const __m128i u = _mm_sub_epi16(tx, LoadSlopes(BumpyDx + i));
            const __m128i v = _mm_sub_epi16(cv, LoadSlopes(BumpyDy + i));
            const __m128i inside = _mm_cmpeq_epi16(_mm_and_si128(_mm_or_si128(u, v), highBits), zero);
            const __m128i at = _mm_and_si128(_mm_or_si128(_mm_slli_epi16(v, 8), u), inside);
            _mm_store_si128(reinterpret_cast<__m128i *>(index), at);
            uint8_t *o = row + 4 * x + channel;
            o[0] = G[index[0]];
            o[4] = G[index[1]];
            o[8] = G[index[2]];
            o[12] = G[index[3]];
            o[16] = G[index[4]];
            o[20] = G[index[5]];
            o[24] = G[index[6]];
            o[28] = G[index[7]];
        }
    }
}

void DrawBumpySse2(uint32_t *px)
{
    long lx[3], ly[3];
    for (int k = 0; k < 3; ++k) {
        lx[k] = ClampLight(Bumplx[k + 1]);
        ly[k] = ClampLight(Bumply[k + 1]);
    }
    uint8_t reach[TilesX];
    for (int ty = 0; ty < TilesY; ++ty) {
        // Bit k - 1: light k reaches some pixel of the tile.
        int rowReach = 0;
        for (int t = 0; t < TilesX; ++t) {
            const TTileBox &b = TileBoxes[ty][t];
            int bits = 0;
            for (int k = 0; k < 3; ++k)
                if (b.TxMax >= lx[k] && b.TxMin <= lx[k] + 255 && b.TyMax >= ly[k] && b.TyMin <= ly[k] + 255)
                    bits |= 1 << k;
            reach[t] = uint8_t(bits);
            rowReach |= bits;
        }
        for (int y = ty * TileH; y < (ty + 1) * TileH; ++y) {
            uint32_t *row = px + y * W;
            std::memset(row, 0, W * sizeof(uint32_t));
            uint8_t *bytes = reinterpret_cast<uint8_t *>(row);
            for (int k = 0; k < 3; ++k)
                if (rowReach & (1 << k))
                    LightTilesSse2(bytes, y, lx[k], ly[k], 2 - k, reach, 1 << k);
        }
    }
}
#endif

} // namespace

int AllocateBumpyMemory()
{
    // Zeroed, so that a missing Bumpy.raw leaves a flat relief.
    if (!(BumpyPic = static_cast<uint8_t *>(std::calloc(BumpyPixels, 1))))
        return 0;
    if (!(BumpyDx = static_cast<int8_t *>(std::calloc(BumpyPixels, 1))))
        return 0;
    if (!(BumpyDy = static_cast<int8_t *>(std::calloc(BumpyPixels, 1))))
        return 0;
    if (!(GlowMap = static_cast<uint8_t *>(std::calloc(GlowCells, 1))))
        return 0;
    ComputeBumpyTiles();
    return 1;
}

long InitializeBumpy()
{
    const long startX[4] = {0, 600, -200, 600}, startY[4] = {0, 508, -200, -100};
    for (int k = 1; k <= 3; ++k) {
        Bumplx[k] = startX[k];
        Bumply[k] = startY[k];
        Bumpldx[k] = Bumpldy[k] = 0;
    }
    if (!BumpyPic || !Allocated())
        return 1;
    LoadFileRaw("Bumpy.raw", W, H, BumpyPic);
    ComputeGlowMap();
    ComputeBumpySlopes();
    return 1;
}

long FreeBumpyMemory()
{
    Release(reinterpret_cast<void *&>(BumpyPic));
    Release(reinterpret_cast<void *&>(BumpyDx));
    Release(reinterpret_cast<void *&>(BumpyDy));
    Release(reinterpret_cast<void *&>(GlowMap));
    return 1;
}

void ComputeBumpySlopes()
{
    if (!BumpyPic || !BumpyDx || !BumpyDy)
        return;
    const uint8_t *P = BumpyPic;
    std::memset(BumpyDx, 0, BumpyPixels);
    std::memset(BumpyDy, 0, BumpyPixels);
    // The first and the last 401 pixels keep a zero slope; in between the
    // left and right neighbours of a row's end pixel are in the next and
    // the previous row.
    for (int i = W + 1; i < BumpyPixels - W - 1; ++i) {
        BumpyDx[i] = Slope(P[i + 1], P[i - 1]);
        BumpyDy[i] = Slope(P[i + W], P[i - W]);
    }
    ComputeBumpyTiles();
}

void ComputeBumpyTiles()
{
    for (int ty = 0; ty < TilesY; ++ty)
        for (int t = 0; t < TilesX; ++t) {
            int txMin = 32767, txMax = -32768, tyMin = 32767, tyMax = -32768;
            for (int y = ty * TileH; y < (ty + 1) * TileH; ++y)
                for (int x = t * TileW; x < (t + 1) * TileW; ++x) {
                    const int i = y * W + x;
                    const int dx = BumpyDx ? BumpyDx[i] : 0, dy = BumpyDy ? BumpyDy[i] : 0;
                    txMin = std::min(txMin, x - dx + 128);
                    txMax = std::max(txMax, x - dx + 128);
                    tyMin = std::min(tyMin, y - dy + 128);
                    tyMax = std::max(tyMax, y - dy + 128);
                }
            TileBoxes[ty][t] = {int16_t(txMin), int16_t(txMax), int16_t(tyMin), int16_t(tyMax)};
        }
}

void MoveBumpyLights()
{
    if (FinishBumpy.load(std::memory_order_relaxed)) {
        Bumplx[0] = -300;
        Bumply[0] = -300;
    } else if (Rand15() % 10 == 0) {
        Bumplx[0] = Rand15() % W;
        Bumply[0] = Rand15() % H;
    }
    // Each light steers towards the one before it (red towards the target,
    // green towards red, blue towards green), one pixel a frame faster or
    // slower, at most 13, 11 and 9 pixels a frame.
    for (int k = 1; k <= 3; ++k) {
        const long m = 15 - 2 * k;
        if (Bumplx[k] > Bumplx[k - 1])
            --Bumpldx[k];
        else if (Bumplx[k] < Bumplx[k - 1])
            ++Bumpldx[k];
        if (Bumply[k] > Bumply[k - 1])
            --Bumpldy[k];
        else if (Bumply[k] < Bumply[k - 1])
            ++Bumpldy[k];
        Bumpldx[k] = std::clamp(Bumpldx[k], -m, m);
        Bumpldy[k] = std::clamp(Bumpldy[k], -m, m);
        Bumplx[k] += Bumpldx[k];
        Bumply[k] += Bumpldy[k];
    }
}

void DrawBumpyEffectScalar(defZENTRIXPAGE *EffectGFXPage)
{
    if (!Allocated() || !DrawablePage(EffectGFXPage))
        return;
    uint32_t *px = static_cast<uint32_t *>(EffectGFXPage->pPageData);
    long lx[3], ly[3];
    for (int k = 0; k < 3; ++k) {
        lx[k] = ClampLight(Bumplx[k + 1]);
        ly[k] = ClampLight(Bumply[k + 1]);
    }
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const int i = y * W + x;
            const long tx = x - BumpyDx[i] + 128, ty = y - BumpyDy[i] + 128;
            uint32_t c[3];
            for (int k = 0; k < 3; ++k) {
                const long u = tx - lx[k], v = ty - ly[k];
                c[k] = u >= 0 && u < GlowMapSize && v >= 0 && v < GlowMapSize ? GlowMap[v * GlowMapSize + u] : 0;
            }
            px[i] = c[0] << 16 | c[1] << 8 | c[2];
        }
}

void DrawBumpyEffect(defZENTRIXPAGE *EffectGFXPage)
{
#if defined(__SSE2__)
    // The tiled pass reads index 0 for every lookup off the spot; that is
    // only right while the spot's corner is dark, as the cone makes it.
    if (Allocated() && DrawablePage(EffectGFXPage) && GlowMap[0] == 0) {
        DrawBumpySse2(static_cast<uint32_t *>(EffectGFXPage->pPageData));
        return;
    }
#endif
    DrawBumpyEffectScalar(EffectGFXPage);
}

void DoBumpyEffect(HWND, HDC, float, defZENTRIXPAGE *EffectGFXPage)
{
    MoveBumpyLights();
    DrawBumpyEffect(EffectGFXPage);
    const bool flare = LenzFlare.load(std::memory_order_relaxed) != 0;
    for (int k = 1; k <= 3; ++k) {
        if (flare)
            DrawLenz(Bumplx[k], Bumply[k], EffectGFXPage);
        else
            DrawColorLight(Bumplx[k], Bumply[k], EffectGFXPage, k - 1);
    }
}

void HandleBumpyMessage(HWND, unsigned uMessage, WPARAM wParam, LPARAM)
{
    // The window is created without a menu, so the command only toggles the
    // switch; there is no menu check to update.
    auto toggle = [](std::atomic<int> &flag) {
        flag.store(flag.load(std::memory_order_relaxed) ? 0 : 1, std::memory_order_relaxed);
    };
    if (uMessage == WM_COMMAND && (wParam & 0xFFFF) == IDM_BUMPY_LENZFLARE)
        toggle(LenzFlare);
    else if (uMessage == WM_KEYDOWN && wParam == VK_F1)
        toggle(LenzFlare);
    else if (uMessage == WM_KEYDOWN && wParam == VK_F2)
        toggle(FinishBumpy);
}
