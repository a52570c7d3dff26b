// General drawing helpers: owns the sine and row tables, the digit sprite,
// the warp table and its background picture, and draws the counter digits,
// the warped background, additive sprites and plain lines.
#include "General.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

float *GeneralSinTable = nullptr;
float *GeneralCosTable = nullptr;
int32_t *YLookup = nullptr;
defZENTRIXSPRITE Numbers{};
int32_t *WarpOfsTable = nullptr;
uint32_t *WarpBackground = nullptr;

namespace {

constexpr int kRows = 308;
constexpr int kRowStride = 400;
constexpr double kSinStep = 0.001090830782496456;   // 2 pi / 5760

// Smallest and largest warp table entry after validation (a zeroed table,
// as allocated, has both at 0).
int32_t WarpMin = 0;
int32_t WarpMax = 0;

// d[i] = min(d[i] + s[i], 255) for n bytes: SSE2 sixteen bytes at a time,
// the plain loop for the rest (and where SSE2 is missing).
void AddSaturateBytes(uint8_t *d, const uint8_t *s, size_t n)
{
    size_t i = 0;
#if defined(__SSE2__)
    for (; i + 16 <= n; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(d + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + i));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(d + i), _mm_adds_epu8(a, b));
    }
#endif
    for (; i < n; i++) {
        const unsigned sum = unsigned(d[i]) + s[i];
        d[i] = uint8_t(sum > 255 ? 255 : sum);
    }
}

template <typename T> T *AllocateZeroed(size_t count)
{
    return static_cast<T *>(std::calloc(count, sizeof(T)));
}

} // namespace

int AllocateGeneralMemory()
{
    if (!(GeneralSinTable = AllocateZeroed<float>(kGeneralSinEntries)))
        return 0;
    if (!(YLookup = AllocateZeroed<int32_t>(kRows)))
        return 0;
    if (!(WarpOfsTable = AllocateZeroed<int32_t>(kWarpPixels)))
        return 0;
    if (!(WarpBackground = AllocateZeroed<uint32_t>(kWarpBackgroundPixels)))
        return 0;
    WarpMin = WarpMax = 0;
    return 1;
}

int InitializeGeneral(defZENTRIXPAGE * /*EffectGFXPage*/)
{
    Numbers.BPP = 32;
    LoadSprite32("Data\\Numbers.raw", 90, 12, &Numbers);
    if (WarpOfsTable) {
        // 123200 little-endian 32-bit entries, read as 1600 x 308 bytes.
        LoadRaw("Data\\OfsTable.pts", 1600, 308, WarpOfsTable);
        ValidateWarpTable();
    }
    if (WarpBackground)
        LoadPCX24("Data\\WaterBackground.pcx", WarpBackground, kWarpBackgroundPixels);
    if (GeneralSinTable) {
        for (int i = 0; i < kGeneralSinEntries; i++)
            GeneralSinTable[i] = float(std::sin(i * kSinStep));
        GeneralCosTable = GeneralSinTable + 1440;
    }
    if (YLookup)
        for (int y = 0; y < kRows; y++)
            YLookup[y] = y * kRowStride;
    return 1;
}

void FreeGeneralMemory()
{
    FreeSprite32(&Numbers);
    std::free(GeneralSinTable);
    std::free(YLookup);
    std::free(WarpOfsTable);
    std::free(WarpBackground);
    GeneralSinTable = GeneralCosTable = nullptr;
    YLookup = nullptr;
    WarpOfsTable = nullptr;
    WarpBackground = nullptr;
    WarpMin = WarpMax = 0;
}

void ValidateWarpTable()
{
    WarpMin = WarpMax = 0;
    if (!WarpOfsTable)
        return;
    int32_t lo = kWarpBackgroundPixels - 1, hi = 0;
    for (int k = 0; k < kWarpPixels; k++) {
        int32_t &e = WarpOfsTable[k];
        e = std::clamp<int32_t>(e, 0, kWarpBackgroundPixels - 1);
        lo = std::min(lo, e);
        hi = std::max(hi, e);
    }
    WarpMin = lo;
    WarpMax = hi;
}

void DrawNumbers(const char *text, defZENTRIXPAGE *EffectGFXPage)
{
    if (!text || !EffectGFXPage)
        return;
    for (int x = 0; *text && x < EffectGFXPage->Width; text++, x += 9) {
        int column;
        if (*text == ' ')
            column = 0;
        else if (*text >= '0' && *text <= '9')
            column = (*text - '0') * 9;
        else
            continue;   // no glyph: leave its place as it is
        MaskPut32(EffectGFXPage, x, 0, 9, 12, &Numbers, column, 0, 0xFF00FF);
    }
}

void DrawWarpOfs(long offset, defZENTRIXPAGE *EffectGFXPage)
{
    if (!WarpOfsTable || !WarpBackground || !EffectGFXPage || !EffectGFXPage->pPageData ||
        EffectGFXPage->BPP != 32 || EffectGFXPage->Width <= 0 || EffectGFXPage->Height <= 0)
        return;
    // Every entry lies in [WarpMin, WarpMax] inside the background, so an
    // offset in this range keeps every read inside it too.
    offset = std::clamp<long>(offset, -long(WarpMin), long(kWarpBackgroundPixels - 1) - WarpMax);
    const long pixels = std::min<long>(kWarpPixels, long(EffectGFXPage->Width) * EffectGFXPage->Height);
    auto *out = static_cast<uint32_t *>(EffectGFXPage->pPageData);
    const uint32_t *src = WarpBackground + offset;
    for (long k = 0; k < pixels; k++)
        out[k] = src[WarpOfsTable[k]];
}

void AddPut32_Work(defZENTRIXPAGE *EffectGFXPage, int x, int y, int w, int h, defZENTRIXSPRITE *sprite, int sx,
                   int sy)
{
    if (!EffectGFXPage || !EffectGFXPage->pPageData || EffectGFXPage->BPP != 32 || !sprite ||
        !sprite->pSpriteData || sprite->BPP != 32)
        return;
    // The destination block is clipped to the page and, so that no read
    // leaves the sprite, to the part that maps onto the sprite.
    const long long x0 = std::max<long long>({x, 0, (long long)x - sx});
    const long long y0 = std::max<long long>({y, 0, (long long)y - sy});
    const long long x1 = std::min<long long>({(long long)x + w, EffectGFXPage->Width, (long long)x - sx + sprite->Width});
    const long long y1 = std::min<long long>({(long long)y + h, EffectGFXPage->Height, (long long)y - sy + sprite->Height});
    if (x1 <= x0 || y1 <= y0)
        return;
    auto *dst = static_cast<uint8_t *>(EffectGFXPage->pPageData);
    const auto *src = static_cast<const uint8_t *>(sprite->pSpriteData);
    const size_t rowBytes = size_t(x1 - x0) * 4;
    for (long long row = y0; row < y1; row++) {
        uint8_t *d = dst + (size_t(row) * EffectGFXPage->Width + size_t(x0)) * 4;
        const uint8_t *s = src + (size_t(row - y + sy) * sprite->Width + size_t(x0 - x + sx)) * 4;
        AddSaturateBytes(d, s, rowBytes);
    }
}

void LineAA32(int x1, int y1, int x2, int y2, unsigned /*r*/, unsigned /*g*/, unsigned /*b*/,
              defZENTRIXPAGE *EffectGFXPage)
{
    if (!EffectGFXPage || !EffectGFXPage->pPageData || EffectGFXPage->BPP != 32)
        return;
    auto *pixels = static_cast<uint32_t *>(EffectGFXPage->pPageData);
    const int W = EffectGFXPage->Width, H = EffectGFXPage->Height;
    auto set = [&](long px, long py) {
        if (px >= 0 && px < W && py >= 0 && py < H)
            pixels[size_t(py) * W + size_t(px)] = 0x0000FF;
    };
    if (x2 < x1)
        std::swap(x1, x2);
    if (y2 < y1) {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    const long dx = long(x2) - x1, dy = long(y2) - y1;
    long x = x1, y = y1;
    set(x, y);
    long d = 2 * dy - dx;
    while (x < x2) {
        if (d >= 1) {
            y++;
            d += 2 * (dy - dx);
        } else {
            d += 2 * dy;
        }
        x++;
        set(x, y);
    }
}
