// Splot: two hundred soft blobs that swell and shrink at random places,
// summed in an 8-bit intensity buffer and shown through a fading palette.
// Owns the blob pictures, the intensity buffer and the two palettes.
#include "Splot.h"

#include "General.h"
#include "Random.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr int kTargetWidth = 400;
constexpr int kTargetHeight = 308;
constexpr long kTargetPixels = long(kTargetWidth) * kTargetHeight;
constexpr int kPictureBytes = kSplotSize * kSplotSize;
constexpr int kFullLife = 320;

// The page size blobs are placed on. A blob's square must stay inside the
// 400 x 308 intensity buffer, so a larger (or never created) page counts as
// 400 x 308.
int PlacementWidth()
{
    return (SplotPage.Width > 0 && SplotPage.Width <= kTargetWidth) ? SplotPage.Width : kTargetWidth;
}

int PlacementHeight()
{
    return (SplotPage.Height > 0 && SplotPage.Height <= kTargetHeight) ? SplotPage.Height : kTargetHeight;
}

void PlaceSplot(TSplot &s)
{
    s.x = std::abs((Rand15() % PlacementWidth()) - 64);
    s.y = std::abs((Rand15() % PlacementHeight()) - 64);
    s.Speed = (Rand15() % 10) + 5;
}

template <typename T>
void Release(T *&p)
{
    std::free(p);
    p = nullptr;
}

} // namespace

TSplot Splots[kSplotCount];
uint8_t *Splot[kSplotPictures];
uint8_t *SplotTarget;
uint32_t *SplotPalette;
uint32_t *SplotTempPalette;
defZENTRIXPAGE SplotPage;

int AllocateSplotMemory()
{
    // Zeroed, so that a missing palette file leaves a black palette.
    SplotTarget = static_cast<uint8_t *>(std::calloc(kTargetPixels, 1));
    if (!SplotTarget)
        return 0;
    for (auto &picture : Splot) {
        picture = static_cast<uint8_t *>(std::calloc(kPictureBytes, 1));
        if (!picture)
            return 0;
    }
    SplotPalette = static_cast<uint32_t *>(std::calloc(256, sizeof(uint32_t)));
    if (!SplotPalette)
        return 0;
    SplotTempPalette = static_cast<uint32_t *>(std::calloc(256, sizeof(uint32_t)));
    if (!SplotTempPalette)
        return 0;
    return 1;
}

long InitializeSplot(defZENTRIXPAGE *EffectGFXPage)
{
    if (EffectGFXPage)
        SplotPage = *EffectGFXPage;

    // Picture k is a cone of radius 32 whose centre reaches 32 k / 3.
    for (int k = 1; k <= kSplotPictures; k++) {
        uint8_t *picture = Splot[k - 1];
        if (!picture)
            continue;
        for (int y = 0; y < kSplotSize; y++) {
            for (int x = 0; x < kSplotSize; x++) {
                double d = std::sqrt(double((x - 32) * (x - 32) + (y - 32) * (y - 32)));
                double v = (32.0 * k - k * d) * (1.0 / 3.0);
                picture[y * kSplotSize + x] = v > 0 ? uint8_t(int(v)) : 0;
            }
        }
    }

    for (auto &s : Splots) {
        PlaceSplot(s);
        s.State = Rand15() % kFullLife;
    }

    if (SplotPalette) {
        if (SplotPage.BPP == 32) {
            LoadRaw32("Data\\SplotPalette.raw", 256, 1, SplotPalette);
        } else if (SplotPage.BPP == 0 || SplotPage.BPP == 16) {
            for (uint32_t i = 0; i < 256; i++)
                SplotPalette[i] = i >> 4;
        }
    }
    return 1;
}

void Spawn(int n)
{
    if (n < 0 || n >= kSplotCount)
        return;
    PlaceSplot(Splots[n]);
    Splots[n].State = kFullLife;
}

void SetPalette(long level)
{
    if (!SplotPalette || !SplotTempPalette)
        return;
    for (int i = 0; i < 256; i++) {
        uint32_t c = SplotPalette[i];
        uint32_t r = uint32_t((long((c >> 16) & 0xFF) * level) >> 6) & 0xFF;
        uint32_t g = uint32_t((long((c >> 8) & 0xFF) * level) >> 6) & 0xFF;
        uint32_t b = uint32_t((long(c & 0xFF) * level) >> 6) & 0xFF;
        SplotTempPalette[i] = (r << 16) | (g << 8) | b;
    }
}

int SplotPictureIndex(int32_t State)
{
    int p;
    if (State >= 161)
        p = (kFullLife - State) >> 4;
    else if (State >= 1)
        p = State >> 4;
    else
        p = 0;
    return p > 9 ? 9 : p;
}

void SplotAddBlockScalar(uint8_t *dst, long stride, const uint8_t *picture)
{
    for (int y = 0; y < kSplotSize; y++, dst += stride, picture += kSplotSize) {
        for (int x = 0; x < kSplotSize; x++) {
            int v = dst[x] + picture[x];
            dst[x] = uint8_t(v > 255 ? 255 : v);
        }
    }
}

void SplotAddBlock(uint8_t *dst, long stride, const uint8_t *picture)
{
#if defined(__SSE2__)
    for (int y = 0; y < kSplotSize; y++, dst += stride, picture += kSplotSize) {
        for (int x = 0; x < kSplotSize; x += 16) {
            __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i *>(dst + x));
            __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i *>(picture + x));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + x), _mm_adds_epu8(d, s));
        }
    }
#else
    SplotAddBlockScalar(dst, stride, picture);
#endif
}

void DoSplotEffect(HWND, HDC, long, defZENTRIXPAGE *EffectGFXPage)
{
    if (!SplotTarget || !SplotTempPalette)
        return;
    std::memset(SplotTarget, 0, kTargetPixels);

    for (int n = 0; n < kSplotCount; n++) {
        TSplot &s = Splots[n];
        s.State -= s.Speed;
        if (s.State < 0)
            Spawn(n);
        const uint8_t *picture = Splot[SplotPictureIndex(s.State)];
        if (!picture)
            continue;
        long row = YLookup ? YLookup[s.y] : long(s.y) * kTargetWidth;
        SplotAddBlock(SplotTarget + row + s.x, kTargetWidth, picture);
    }

    if (!EffectGFXPage || !EffectGFXPage->pPageData)
        return;
    // Only the part of the page that the 400 x 308 buffer covers is written.
    const int w = EffectGFXPage->Width < kTargetWidth ? EffectGFXPage->Width : kTargetWidth;
    const int h = EffectGFXPage->Height < kTargetHeight ? EffectGFXPage->Height : kTargetHeight;
    const uint8_t *src = SplotTarget;
    if (EffectGFXPage->BPP == 32) {
        uint32_t *dst = static_cast<uint32_t *>(EffectGFXPage->pPageData);
        for (int y = 0; y < h; y++, src += kTargetWidth, dst += EffectGFXPage->Width)
            for (int x = 0; x < w; x++)
                dst[x] = SplotTempPalette[src[x]];
    } else if ((EffectGFXPage->BPP == 0 || EffectGFXPage->BPP == 16) && EffectGFXPage->Width == kTargetWidth) {
        uint16_t *dst = static_cast<uint16_t *>(EffectGFXPage->pPageData);
        for (int y = 0; y < h; y++, src += kTargetWidth, dst += kTargetWidth)
            for (int x = 0; x < kTargetWidth; x++)
                dst[x] = uint16_t(SplotTempPalette[src[x]]);
    }
}

void FreeSplotMemory()
{
    Release(SplotTarget);
    for (auto &picture : Splot)
        Release(picture);
    Release(SplotPalette);
    Release(SplotTempPalette);
}
