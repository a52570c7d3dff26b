// Swirl fire: the page's picture drifts along a flow field taken from two
// plasma maps, blurs and fades, fed by optional sparks. Owns FirePage2, the
// displacement maps, OffsetTable and the blur buffer SwirlBlur.
#include "RandomFire.h"

#include "Plasma.h"
#include "Random.h"

#include <cstdlib>
#include <cstring>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

uint32_t *FirePage1 = nullptr;
uint32_t *FirePage2 = nullptr;
int8_t *PicArray1 = nullptr;
int8_t *PicArray2 = nullptr;
int32_t *OffsetTable = nullptr;
int SwirlInit = 1;
std::atomic<long> DrawRandom{0}, DrawPixels{0};
std::atomic<int> DrawPicture{1}, DrawFading{0};

namespace {

constexpr int W = kSwirlWidth, H = kSwirlHeight;

// The previous frame blurred: each pixel the four-neighbour mean of
// FirePage2, for rows 1..306 and columns 1..398 (the only sources the offset
// table names).
uint32_t *SwirlBlur = nullptr;

// "&New Direction" from the window thread, carried out at the next frame.
std::atomic<int> pendingDirection{0};

inline uint32_t MeanOfFour(uint32_t a, uint32_t b, uint32_t c, uint32_t d)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t s = ((a >> shift) & 0xFF) + ((b >> shift) & 0xFF) + ((c >> shift) & 0xFF) + ((d >> shift) & 0xFF);
        out |= (s >> 2) << shift;
    }
    return out;
}

// One row of the blur, columns 1..398 of row y.
void BlurRow(const uint32_t *src, uint32_t *dst, int y)
{
    const int row = y * W;
    int x = 1;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i rgb = _mm_set1_epi32(0x00FFFFFF);
    for (; x + 4 <= W - 1; x += 4) {
        const uint32_t *s = src + row + x;
        const __m128i up = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s - W));
        const __m128i down = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + W));
        const __m128i left = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s - 1));
        const __m128i right = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + 1));
        // Each byte widened to 16 bits: the sums of four reach 1020.
        __m128i lo = _mm_add_epi16(_mm_add_epi16(_mm_unpacklo_epi8(up, zero), _mm_unpacklo_epi8(down, zero)),
                                   _mm_add_epi16(_mm_unpacklo_epi8(left, zero), _mm_unpacklo_epi8(right, zero)));
        __m128i hi = _mm_add_epi16(_mm_add_epi16(_mm_unpackhi_epi8(up, zero), _mm_unpackhi_epi8(down, zero)),
                                   _mm_add_epi16(_mm_unpackhi_epi8(left, zero), _mm_unpackhi_epi8(right, zero)));
        lo = _mm_srli_epi16(lo, 2);
        hi = _mm_srli_epi16(hi, 2);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + row + x), _mm_and_si128(_mm_packus_epi16(lo, hi), rgb));
    }
#endif
    for (; x < W - 1; x++) {
        const int q = row + x;
        dst[q] = MeanOfFour(src[q - W], src[q + W], src[q - 1], src[q + 1]);
    }
}

// Row 154, columns 2..397: each pixel with a chance of 1 in 2 becomes a blue
// spark of 128 to 254.
void DrawLineOfDots()
{
    for (int c = 2; c <= 397; c++)
        if (Rand15() & 1)
            FirePage2[154 * W + c] = uint32_t(Rand15() % 127 + 128);
}

// One small coloured X in every column 3..396, at a random row 1..306.
void DrawRandomDots()
{
    for (int c = 3; c <= 396; c++) {
        const uint32_t r = uint32_t(Rand15() & 255);
        const uint32_t g = uint32_t(Rand15() & 255);
        const uint32_t b = uint32_t(Rand15() & 255);
        const uint32_t colour = r << 16 | g << 8 | b;
        const int row = std::abs(Rand15() % H - 2) + 1;
        const int i = row * W + c;
        FirePage2[i] = colour;
        FirePage2[i - 401] = colour;
        FirePage2[i - 399] = colour;
        FirePage2[i + 399] = colour;
        FirePage2[i + 401] = colour;
    }
}

bool Allocated() { return FirePage2 && PicArray1 && PicArray2 && OffsetTable && SwirlBlur; }

} // namespace

int AllocateRndFireMemory()
{
    FirePage2 = static_cast<uint32_t *>(std::calloc(kSwirlPixels, sizeof(uint32_t)));
    PicArray1 = static_cast<int8_t *>(std::calloc(kSwirlPixels, 1));
    PicArray2 = static_cast<int8_t *>(std::calloc(kSwirlPixels, 1));
    OffsetTable = static_cast<int32_t *>(std::calloc(kSwirlPixels, sizeof(int32_t)));
    SwirlBlur = static_cast<uint32_t *>(std::calloc(kSwirlPixels, sizeof(uint32_t)));
    if (!Allocated()) {
        FreeRndFireMemory();
        return 0;
    }
    // Every pixel its own source until the maps are made: a frame drawn
    // before the initialiser stays on the page.
    for (int i = 0; i < kSwirlPixels; i++)
        OffsetTable[i] = i;
    return 1;
}

long InitializeRndFire()
{
    if (!Allocated())
        return 1;
    std::memset(FirePage2, 0, kSwirlPixels * sizeof(uint32_t));
    std::memset(PicArray1, 0, kSwirlPixels);
    std::memset(PicArray2, 0, kSwirlPixels);
    ComputeDisplacementMap(PicArray1);
    ComputeDisplacementMap(PicArray2);
    BuildOffsetTable();
    return 1;
}

long FreeRndFireMemory()
{
    std::free(FirePage2);
    std::free(PicArray1);
    std::free(PicArray2);
    std::free(OffsetTable);
    std::free(SwirlBlur);
    FirePage2 = nullptr;
    PicArray1 = PicArray2 = nullptr;
    OffsetTable = nullptr;
    SwirlBlur = nullptr;
    FirePage1 = nullptr;
    return 1;
}

void ComputeDisplacementMap(int8_t *Map)
{
    if (!Map)
        return;
    ComputePlasma(reinterpret_cast<unsigned char *>(Map), W, H, 4);
    // A plasma byte of 0..255 less 28..228 is shifted down to -8..7: the
    // noise keeps neighbouring displacements from all pointing alike.
    for (int i = 0; i < kSwirlPixels; i++) {
        const int b = static_cast<unsigned char>(Map[i]);
        Map[i] = int8_t((b - Rand15() % 201 - 28) >> 5);
    }
}

void BuildOffsetTable()
{
    if (!Allocated())
        return;
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++) {
            const int i = y * W + x;
            const int nx = x + PicArray1[i], ny = y + PicArray2[i];
            OffsetTable[i] = nx >= 1 && nx < W - 1 && ny >= 1 && ny < H - 1 ? ny * W + nx : i;
        }
}

void ChangeSwirlDirection()
{
    if (!Allocated())
        return;
    std::swap(PicArray1, PicArray2);
    ComputeDisplacementMap(PicArray2);
    BuildOffsetTable();
}

void DoFireWithoutFadeScalar(uint32_t *Page)
{
    for (int y = 1; y < H - 1; y++)
        for (int x = 1; x < W - 1; x++) {
            const int i = y * W + x, p = OffsetTable[i];
            Page[i] = MeanOfFour(FirePage2[p - W], FirePage2[p + W], FirePage2[p - 1], FirePage2[p + 1]);
        }
}

void DoFireWithoutFade(uint32_t *Page)
{
    for (int y = 1; y < H - 1; y++)
        BlurRow(FirePage2, SwirlBlur, y);
    for (int y = 1; y < H - 1; y++) {
        const int row = y * W;
        for (int x = 1; x < W - 1; x++)
            Page[row + x] = SwirlBlur[OffsetTable[row + x]];
    }
}

void DoSwirlFireEffect(HWND, HDC, long FramesMissed, defZENTRIXPAGE *EffectGFXPage)
{
    if (!Allocated() || !EffectGFXPage || !EffectGFXPage->pPageData || EffectGFXPage->BPP != 32 ||
        EffectGFXPage->Width != W || EffectGFXPage->Height != H)
        return;
    if (pendingDirection.exchange(0, std::memory_order_relaxed))
        ChangeSwirlDirection();
    FirePage1 = static_cast<uint32_t *>(EffectGFXPage->pPageData);
    if (SwirlInit) {
        // Take over the picture (without its outer frame) and start black.
        SwirlInit = 0;
        for (int y = 1; y < H - 1; y++)
            std::memcpy(FirePage2 + y * W + 1, FirePage1 + y * W + 1, (W - 2) * sizeof(uint32_t));
        std::memset(FirePage1, 0, kSwirlPixels * sizeof(uint32_t));
    }
    if (DrawPixels.load(std::memory_order_relaxed))
        DrawLineOfDots();
    if (DrawRandom.load(std::memory_order_relaxed))
        DrawRandomDots();
    DoFireWithoutFade(FirePage1);
    // At least one a frame, so that the smoke dies without sparks; a long
    // stall subtracts at most 255, which blacks every channel out.
    long k = FramesMissed + 1;
    k = k < 0 ? 0 : k > 255 ? 255 : k;
    DimScreen32(EffectGFXPage, uint32_t(k), uint32_t(k), uint32_t(k));
    std::memcpy(FirePage2, FirePage1, kSwirlPixels * sizeof(uint32_t));
}

void HandleRndFireMessage(HWND, unsigned uMessage, WPARAM wParam, LPARAM)
{
    // The window is created without a menu, so there are no check marks to
    // update; the commands only switch.
    unsigned command = 0;
    if (uMessage == WM_COMMAND) {
        command = static_cast<unsigned>(wParam & 0xFFFF);
    } else if (uMessage == WM_KEYDOWN) {
        switch (wParam) {
        case VK_F1: command = IDM_RNDFIRE_DIRECTION; break;
        case VK_F2: command = IDM_RNDFIRE_RANDOM; break;
        case VK_F3: command = IDM_RNDFIRE_SWIRL; break;
        default: return;
        }
    } else {
        return;
    }
    switch (command) {
    case IDM_RNDFIRE_RANDOM:
        DrawRandom.store(DrawRandom.load(std::memory_order_relaxed) == 0 ? 1 : 0, std::memory_order_relaxed);
        break;
    case IDM_RNDFIRE_LINE:
        DrawPixels.store(DrawPixels.load(std::memory_order_relaxed) == 0 ? 1 : 0, std::memory_order_relaxed);
        break;
    case IDM_RNDFIRE_SWIRL: {
        const int picture = DrawPicture.load(std::memory_order_relaxed) == 0 ? 1 : 0;
        DrawPicture.store(picture, std::memory_order_relaxed);
        DrawFading.store(picture == 0 ? 1 : 0, std::memory_order_relaxed);
        break;
    }
    case IDM_RNDFIRE_DIRECTION:
        pendingDirection.store(1, std::memory_order_relaxed);
        break;
    default:
        break;
    }
}
