// Screen operations on a page: fills, whole-page tints, pixels, lines, and the
// sprite blits (transparent, blended, additive, masked). The per-pixel rules
// are those the effects were tuned with; keep their masks and shifts.
#include "zentrix.h"

#include "PageAccess.h"
#include "Pixels.h"
#include "Saturate.h"

#include <algorithm>
#include <cstring>

using zentrix::BlitRect;
using zentrix::PageHolds;

namespace {

// Fills `count` pixels starting at element `first` with the packed colour.
void FillPixels(defZENTRIXPAGE *page, size_t first, size_t count, uint32_t r, uint32_t g, uint32_t b)
{
    if (page->BPP == 16) {
        uint16_t *p = static_cast<uint16_t *>(page->pPageData) + first;
        std::fill(p, p + count, zentrix::Pack16(r, g, b));
    } else if (page->BPP == 32) {
        uint32_t *p = static_cast<uint32_t *>(page->pPageData) + first;
        zentrix::FillU32(p, count, zentrix::Pack32(r, g, b));
    } else if (page->BPP == 24) {
        uint8_t *p = static_cast<uint8_t *>(page->pPageData) + first * 3;
        for (size_t i = 0; i < count; i++, p += 3) {
            p[0] = static_cast<uint8_t>(r);
            p[1] = static_cast<uint8_t>(g);
            p[2] = static_cast<uint8_t>(b);
        }
    }
}

bool FillablePage(const defZENTRIXPAGE *page)
{
    return page && (page->BPP == 16 || page->BPP == 24 || page->BPP == 32) && PageHolds(page, page->BPP / 8);
}

// Runs `pixel(d, s, m)` over the clipped blit rectangle; T is the pixel type.
// `mask` (may be null) is read at the same sprite position as the source.
template <typename T, typename Pixel>
void BlitRows(defZENTRIXPAGE *page, const defZENTRIXSPRITE *sprite, const defZENTRIXSPRITE *mask, const BlitRect &r,
              Pixel pixel)
{
    T *dst = static_cast<T *>(page->pPageData) + size_t(r.dy) * page->Width + r.dx;
    const T *src = static_cast<const T *>(sprite->pSpriteData) + size_t(r.sy) * sprite->Width + r.sx;
    const T *msk = mask ? static_cast<const T *>(mask->pSpriteData) + size_t(r.sy) * sprite->Width + r.sx : nullptr;
    for (int32_t y = 0; y < r.rows; y++) {
        for (int32_t x = 0; x < r.cols; x++)
            pixel(dst[x], src[x], msk ? msk[x] : T(0));
        dst += page->Width;
        src += sprite->Width;
        if (msk)
            msk += sprite->Width;
    }
}

// Clips the blit and checks that page and sprite share a pixel format; the
// page must hold pixels of the sprite's size, or nothing is drawn.
bool PrepareBlit(defZENTRIXPAGE *page, int32_t nXDest, int32_t nYDest, int32_t nWidth, int32_t nHeight,
                 const defZENTRIXSPRITE *sprite, int32_t nXSrc, int32_t nYSrc, BlitRect *r, uint32_t *bytes)
{
    *bytes = zentrix::SpriteBytes(sprite);
    if (*bytes == 0 || !PageHolds(page, *bytes) || page->BPP != *bytes * 8)
        return false;
    return zentrix::ClipBlit(page, nXDest, nYDest, nWidth, nHeight, sprite, nXSrc, nYSrc, r);
}

// Mixes s into d by L/32 per channel (1 <= L <= 30), on the masked fields in
// place: each product is masked back to the channel's position shifted by 5.
inline uint16_t Blend16(uint32_t d, uint32_t s, uint32_t L)
{
    const uint32_t M = 32 - L;
    const uint32_t green = ((d & 0x07E0) * M + (s & 0x07E0) * L) & 0xFC00;
    const uint32_t blue = ((d & 0x001F) * M + (s & 0x001F) * L) & 0x03E0;
    const uint32_t red = ((d & 0xF800) * M + (s & 0xF800) * L) & 0x1F0000;
    return static_cast<uint16_t>((green + blue + red) >> 5);
}

inline uint32_t Blend32(uint32_t d, uint32_t s, uint32_t L)
{
    const uint32_t M = 32 - L;
    const uint32_t green = ((d & 0xFF00) * M + (s & 0xFF00) * L) & 0x1FE000;
    const uint32_t blue = ((d & 0xFF) * M + (s & 0xFF) * L) & 0x1FE0;
    const uint32_t red = ((d & 0xFF0000) * M + (s & 0xFF0000) * L) & 0x1FE00000;
    return (green + blue + red) >> 5;
}

// Weighted mix with a in 1..254 out of 256 (not 255: full weight is
// special-cased by the caller), used by the 32-bit masked merge.
inline uint32_t Merge32(uint32_t d, uint32_t s, uint32_t a)
{
    const uint32_t na = 255 - a;
    const uint32_t green = ((s & 0xFF00) * a + (d & 0xFF00) * na) & 0xFF0000;
    const uint32_t blue = ((d & 0xFF) * na + (s & 0xFF) * a) & 0xFF00;
    const uint32_t red = ((d & 0xFF0000) * na + (s & 0xFF0000) * a) & 0xFF000000;
    return (green + blue + red) >> 8;
}

} // namespace

extern "C" {

void Cls32(defZENTRIXPAGE *page, uint32_t r, uint32_t g, uint32_t b)
{
    if (!FillablePage(page))
        return;
    FillPixels(page, 0, size_t(page->Width) * page->Height, r, g, b);
}

// Fills whole rows. Rows past the bottom of the page are not written (the
// rows asked for are clipped to the page).
void ClArea32(defZENTRIXPAGE *page, uint32_t FirstRow, uint32_t Rows, uint32_t r, uint32_t g, uint32_t b)
{
    if (!FillablePage(page) || FirstRow >= uint32_t(page->Height))
        return;
    const uint32_t rows = std::min(Rows, uint32_t(page->Height) - FirstRow);
    FillPixels(page, size_t(FirstRow) * page->Width, size_t(rows) * page->Width, r, g, b);
}

void DimScreen32(defZENTRIXPAGE *page, uint32_t r, uint32_t g, uint32_t b)
{
    if (!page || page->BPP != 32 || !PageHolds(page, 4))
        return;
    zentrix::SubConst(static_cast<uint32_t *>(page->pPageData), size_t(page->Width) * page->Height,
                      zentrix::Pack32(r, g, b));
}

void BrightenScreen32(defZENTRIXPAGE *page, uint32_t r, uint32_t g, uint32_t b)
{
    if (!page || page->BPP != 32 || !PageHolds(page, 4))
        return;
    zentrix::AddConst(static_cast<uint32_t *>(page->pPageData), size_t(page->Width) * page->Height,
                      zentrix::Pack32(r, g, b));
}

void PutPixel32(defZENTRIXPAGE *page, uint32_t x, uint32_t y, uint32_t r, uint32_t g, uint32_t b)
{
    if (!page || (page->BPP != 16 && page->BPP != 32) || !PageHolds(page, page->BPP / 8))
        return;
    if (x >= uint32_t(page->Width) || y >= uint32_t(page->Height))
        return;
    const size_t i = size_t(y) * page->Width + x;
    if (page->BPP == 16)
        static_cast<uint16_t *>(page->pPageData)[i] = zentrix::Pack16(r, g, b);
    else
        static_cast<uint32_t *>(page->pPageData)[i] = zentrix::Pack32(r, g, b);
}

// Integer stepping between the two end points, both drawn; points off the
// page are skipped. The major coordinate moves by one every step, so only the
// steps whose major coordinate lies on the page are walked: the minor
// coordinate and numerator at the first of them follow in closed form. This
// draws the same pixels as walking the whole line, without spending billions
// of steps on a line whose ends lie far off the page.
void Line32(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t r, uint32_t g, uint32_t b, defZENTRIXPAGE *page)
{
    if (!page || (page->BPP != 16 && page->BPP != 32) || !PageHolds(page, page->BPP / 8))
        return;
    const int64_t dx = int64_t(x2) - x1, dy = int64_t(y2) - y1;
    const int64_t sx = (dx > 0) - (dx < 0), sy = (dy > 0) - (dy < 0);
    const int64_t adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
    const bool xMajor = adx > ady;
    const int64_t longest = xMajor ? adx : ady, shortest = xMajor ? ady : adx;
    const int64_t majorStart = xMajor ? x1 : y1, minorStart = xMajor ? y1 : x1;
    const int64_t majorStep = xMajor ? sx : sy, minorStep = xMajor ? sy : sx;
    const int64_t majorSize = xMajor ? page->Width : page->Height;

    // Steps k in [k0, k1] put the major coordinate on the page.
    int64_t k0 = 0, k1 = longest;
    if (majorStep > 0) {
        k0 = std::max<int64_t>(0, -majorStart);
        k1 = std::min<int64_t>(longest, majorSize - 1 - majorStart);
    } else if (majorStep < 0) {
        k0 = std::max<int64_t>(0, majorStart - (majorSize - 1));
        k1 = std::min<int64_t>(longest, majorStart);
    } else if (majorStart < 0 || majorStart >= majorSize) {
        return; // a single point off the page
    }
    if (k0 > k1)
        return;
    int64_t numerator = longest >> 1, minor = minorStart;
    if (k0 > 0) {
        const unsigned __int128 sum = (unsigned __int128)(longest >> 1) + (unsigned __int128)k0 * uint64_t(shortest);
        numerator = int64_t(sum % uint64_t(longest));
        minor += int64_t(sum / uint64_t(longest)) * minorStep;
    }
    int64_t major = majorStart + k0 * majorStep;
    const uint16_t c16 = zentrix::Pack16(r, g, b);
    const uint32_t c32 = zentrix::Pack32(r, g, b);
    const int64_t minorSize = xMajor ? page->Height : page->Width;
    for (int64_t k = k0; k <= k1; k++) {
        if (minor >= 0 && minor < minorSize) {
            const int64_t x = xMajor ? major : minor, y = xMajor ? minor : major;
            const size_t at = size_t(y) * page->Width + size_t(x);
            if (page->BPP == 16)
                static_cast<uint16_t *>(page->pPageData)[at] = c16;
            else
                static_cast<uint32_t *>(page->pPageData)[at] = c32;
        }
        numerator += shortest;
        if (numerator >= longest) {
            numerator -= longest;
            minor += minorStep;
        }
        major += majorStep;
    }
}

void MaskPut32(defZENTRIXPAGE *DestGfxPage, int32_t nXDest, int32_t nYDest, int32_t nWidth, int32_t nHeight,
               defZENTRIXSPRITE *SourceGfxSprite, int32_t nXSrc, int32_t nYSrc, uint32_t MaskColor)
{
    BlitRect r;
    uint32_t bytes;
    if (!PrepareBlit(DestGfxPage, nXDest, nYDest, nWidth, nHeight, SourceGfxSprite, nXSrc, nYSrc, &r, &bytes))
        return;
    if (bytes == 2)
        BlitRows<uint16_t>(DestGfxPage, SourceGfxSprite, nullptr, r, [MaskColor](uint16_t &d, uint16_t s, uint16_t) {
            if (s != MaskColor)
                d = s;
        });
    else
        BlitRows<uint32_t>(DestGfxPage, SourceGfxSprite, nullptr, r, [MaskColor](uint32_t &d, uint32_t s, uint32_t) {
            if (s != MaskColor)
                d = s;
        });
}

void MaskPutTrans32(defZENTRIXPAGE *DestGfxPage, int32_t nXDest, int32_t nYDest, int32_t nWidth, int32_t nHeight,
                    defZENTRIXSPRITE *SourceGfxSprite, int32_t nXSrc, int32_t nYSrc, uint32_t MaskColor, uint32_t Level)
{
    const uint32_t L = Level & 0xFFFF; // the level is a 16-bit number
    if (L == 0)
        return;
    if (L >= 31) {
        MaskPut32(DestGfxPage, nXDest, nYDest, nWidth, nHeight, SourceGfxSprite, nXSrc, nYSrc, MaskColor);
        return;
    }
    BlitRect r;
    uint32_t bytes;
    if (!PrepareBlit(DestGfxPage, nXDest, nYDest, nWidth, nHeight, SourceGfxSprite, nXSrc, nYSrc, &r, &bytes))
        return;
    if (bytes == 2)
        BlitRows<uint16_t>(DestGfxPage, SourceGfxSprite, nullptr, r, [MaskColor, L](uint16_t &d, uint16_t s, uint16_t) {
            if (s != MaskColor)
                d = Blend16(d, s, L);
        });
    else
        BlitRows<uint32_t>(DestGfxPage, SourceGfxSprite, nullptr, r, [MaskColor, L](uint32_t &d, uint32_t s, uint32_t) {
            if (s != MaskColor)
                d = Blend32(d, s, L);
        });
}

void AddPut32(defZENTRIXPAGE *DestGfxPage, int32_t nXDest, int32_t nYDest, int32_t nWidth, int32_t nHeight,
              defZENTRIXSPRITE *SourceGfxSprite, int32_t nXSrc, int32_t nYSrc)
{
    BlitRect r;
    uint32_t bytes;
    if (!PrepareBlit(DestGfxPage, nXDest, nYDest, nWidth, nHeight, SourceGfxSprite, nXSrc, nYSrc, &r, &bytes))
        return;
    if (bytes == 2) {
        BlitRows<uint16_t>(DestGfxPage, SourceGfxSprite, nullptr, r, [](uint16_t &d, uint16_t s, uint16_t) {
            if (s != 0)
                d = zentrix::AddColor16(d, s);
        });
        return;
    }
    // 32-bit: every byte (all four) adds with saturation, no pixel skipped.
    uint32_t *dst = static_cast<uint32_t *>(DestGfxPage->pPageData) + size_t(r.dy) * DestGfxPage->Width + r.dx;
    const uint32_t *src =
        static_cast<const uint32_t *>(SourceGfxSprite->pSpriteData) + size_t(r.sy) * SourceGfxSprite->Width + r.sx;
    for (int32_t y = 0; y < r.rows; y++, dst += DestGfxPage->Width, src += SourceGfxSprite->Width)
        zentrix::AddRow(dst, src, size_t(r.cols));
}

// The mask sprite must have the source sprite's width, height (at least) and
// format: it is read at the same positions as the source.
void MaskPutMerge32(defZENTRIXPAGE *DestGfxPage, int32_t nXDest, int32_t nYDest, int32_t nWidth, int32_t nHeight,
                    defZENTRIXSPRITE *SourceGfxSprite, int32_t nXSrc, int32_t nYSrc, defZENTRIXSPRITE *MaskSprite)
{
    BlitRect r;
    uint32_t bytes;
    if (!PrepareBlit(DestGfxPage, nXDest, nYDest, nWidth, nHeight, SourceGfxSprite, nXSrc, nYSrc, &r, &bytes))
        return;
    if (!MaskSprite || !MaskSprite->pSpriteData || zentrix::SpriteBytes(MaskSprite) != bytes ||
        MaskSprite->Width != SourceGfxSprite->Width || MaskSprite->Height < SourceGfxSprite->Height)
        return;
    if (bytes == 2)
        BlitRows<uint16_t>(DestGfxPage, SourceGfxSprite, MaskSprite, r, [](uint16_t &d, uint16_t s, uint16_t m) {
            const uint32_t a = m & 31u;
            if (a == 0)
                return;
            d = a >= 31 ? s : Blend16(d, s, a);
        });
    else
        BlitRows<uint32_t>(DestGfxPage, SourceGfxSprite, MaskSprite, r, [](uint32_t &d, uint32_t s, uint32_t m) {
            const uint32_t a = m & 0xFFu;
            if (a == 0)
                return;
            d = a == 255 ? s : Merge32(d, s, a);
        });
}

} // extern "C"
