// Copies between pages and from raw pixel memory onto a page: the plain and
// stretching copies that stood for the device copies, the line-doubling
// blit, and the memory-to-page stretch. All clip to both sides.
#include "zentrix.h"

#include "PageAccess.h"
#include "Pixels.h"

#include <cstring>
#include <vector>

using zentrix::PageHolds;

namespace {

// The line toggle of DblBlt32: starts at 0, inverted at every call.
int gDblBltToggle = 0;

// A page behind a copy handle, if it can be drawn on or read from.
defZENTRIXPAGE *PageOf(void *handle)
{
    auto *page = static_cast<defZENTRIXPAGE *>(handle);
    if (!page || (page->BPP != 16 && page->BPP != 32) || !PageHolds(page, page->BPP / 8))
        return nullptr;
    return page;
}

// Reads a pixel as 0x00RRGGBB from a block of the given format.
struct PixelSource {
    const uint8_t *base;
    size_t stride; // bytes a row
    uint32_t bpp;  // 15, 16 or 32
    uint32_t At(int64_t x, int64_t y) const
    {
        const uint8_t *row = base + size_t(y) * stride;
        if (bpp == 32)
            return reinterpret_cast<const uint32_t *>(row)[x] & 0xFFFFFF;
        uint16_t p;
        std::memcpy(&p, row + size_t(x) * 2, 2);
        if (bpp == 16)
            return zentrix::Rgb16To32(p);
        // 5-5-5: widen green to six bits and go through the 5-6-5 path.
        const uint16_t p565 = uint16_t(((p & 0x7C00) << 1) | ((p & 0x03E0) << 1) | ((p >> 4) & 0x20) | (p & 0x1F));
        return zentrix::Rgb16To32(p565);
    }
};

void StorePixel(defZENTRIXPAGE *page, int64_t x, int64_t y, uint32_t xrgb)
{
    const size_t at = size_t(y) * page->Width + size_t(x);
    if (page->BPP == 16)
        static_cast<uint16_t *>(page->pPageData)[at] = zentrix::Xrgb32To16(xrgb);
    else
        static_cast<uint32_t *>(page->pPageData)[at] = xrgb;
}

// Nearest-neighbour stretch of the source rectangle (sx, sy, sw, sh) of a
// srcW x srcH picture onto the destination rectangle (x, y, w, h). A negative
// w or h mirrors: the rectangle then runs from x + w to x - 1. Each
// destination pixel samples the source pixel under its centre; destination
// pixels off the page and source pixels off the picture are skipped.
void StretchPixels(defZENTRIXPAGE *dst, int32_t x, int32_t y, int32_t w, int32_t h, const PixelSource &src,
                   int64_t srcW, int64_t srcH, int32_t sx, int32_t sy, int32_t sw, int32_t sh)
{
    if (w == 0 || h == 0 || sw <= 0 || sh <= 0)
        return;
    const bool mirrorX = w < 0, mirrorY = h < 0;
    const int64_t aw = mirrorX ? -int64_t(w) : w, ah = mirrorY ? -int64_t(h) : h;
    const int64_t left = mirrorX ? int64_t(x) + w : x, top = mirrorY ? int64_t(y) + h : y;
    const int64_t c0 = std::max<int64_t>(0, -left), c1 = std::min<int64_t>(aw, dst->Width - left);
    const int64_t r0 = std::max<int64_t>(0, -top), r1 = std::min<int64_t>(ah, dst->Height - top);
    for (int64_t j = r0; j < r1; j++) {
        int64_t k = ((2 * j + 1) * sh) / (2 * ah);
        if (mirrorY)
            k = sh - 1 - k;
        const int64_t srow = sy + k;
        if (srow < 0 || srow >= srcH)
            continue;
        for (int64_t i = c0; i < c1; i++) {
            int64_t m = ((2 * i + 1) * sw) / (2 * aw);
            if (mirrorX)
                m = sw - 1 - m;
            const int64_t scol = sx + m;
            if (scol < 0 || scol >= srcW)
                continue;
            StorePixel(dst, left + i, top + j, src.At(scol, srow));
        }
    }
}

PixelSource SourceOfPage(const defZENTRIXPAGE *page)
{
    return PixelSource{static_cast<const uint8_t *>(page->pPageData), size_t(page->Width) * (page->BPP / 8), page->BPP};
}

} // namespace

extern "C" {

int32_t BitBlt(void *hdcDest, int32_t x, int32_t y, int32_t w, int32_t h, void *hdcSrc, int32_t sx, int32_t sy)
{
    defZENTRIXPAGE *dst = PageOf(hdcDest), *src = PageOf(hdcSrc);
    if (!dst || !src || w < 0 || h < 0)
        return 0;
    // Clip the rectangle to the destination, then to the source.
    int64_t dx = x, dy = y, cx = sx, cy = sy, cols = w, rows = h;
    auto clip = [](int64_t &d, int64_t &s, int64_t &n, int64_t dLimit, int64_t sLimit) {
        if (d < 0) { n += d; s -= d; d = 0; }
        if (s < 0) { n += s; d -= s; s = 0; }
        n = std::min({n, dLimit - d, sLimit - s});
    };
    clip(dx, cx, cols, dst->Width, src->Width);
    clip(dy, cy, rows, dst->Height, src->Height);
    if (cols <= 0 || rows <= 0)
        return 1;
    if (dst->BPP == src->BPP) {
        const size_t bpp = dst->BPP / 8;
        auto *d = static_cast<uint8_t *>(dst->pPageData);
        const auto *s = static_cast<const uint8_t *>(src->pPageData);
        const size_t dStride = size_t(dst->Width) * bpp, sStride = size_t(src->Width) * bpp;
        // Within one page the rows may overlap: walk upwards when moving down.
        const bool upwards = dst == src && dy > cy;
        for (int64_t n = 0; n < rows; n++) {
            const int64_t j = upwards ? rows - 1 - n : n;
            std::memmove(d + size_t(dy + j) * dStride + size_t(dx) * bpp,
                         s + size_t(cy + j) * sStride + size_t(cx) * bpp, size_t(cols) * bpp);
        }
        return 1;
    }
    for (int64_t j = 0; j < rows; j++) {
        if (dst->BPP == 16) {
            auto *d = static_cast<uint16_t *>(dst->pPageData) + size_t(dy + j) * dst->Width + dx;
            const auto *s = static_cast<const uint32_t *>(src->pPageData) + size_t(cy + j) * src->Width + cx;
            for (int64_t i = 0; i < cols; i++)
                d[i] = zentrix::Xrgb32To16(s[i]);
        } else {
            auto *d = static_cast<uint32_t *>(dst->pPageData) + size_t(dy + j) * dst->Width + dx;
            const auto *s = static_cast<const uint16_t *>(src->pPageData) + size_t(cy + j) * src->Width + cx;
            for (int64_t i = 0; i < cols; i++)
                d[i] = zentrix::Rgb16To32(s[i]);
        }
    }
    return 1;
}

int32_t StretchBlt(void *hdcDest, int32_t x, int32_t y, int32_t w, int32_t h, void *hdcSrc, int32_t sx, int32_t sy,
                   int32_t sw, int32_t sh)
{
    defZENTRIXPAGE *dst = PageOf(hdcDest), *src = PageOf(hdcSrc);
    if (!dst || !src || sw < 0 || sh < 0)
        return 0;
    if (dst != src) {
        StretchPixels(dst, x, y, w, h, SourceOfPage(src), src->Width, src->Height, sx, sy, sw, sh);
        return 1;
    }
    // Stretching a page onto itself: read from a copy so that no pixel is
    // read after it was written.
    const size_t bytes = size_t(src->Width) * src->Height * (src->BPP / 8);
    std::vector<uint8_t> copy(static_cast<const uint8_t *>(src->pPageData),
                              static_cast<const uint8_t *>(src->pPageData) + bytes);
    PixelSource from{copy.data(), size_t(src->Width) * (src->BPP / 8), src->BPP};
    StretchPixels(dst, x, y, w, h, from, src->Width, src->Height, sx, sy, sw, sh);
    return 1;
}

// Shows a page at twice its size. Where the destination has room and the
// same format, rows are doubled in software, one field a call: odd rows at
// the first call, even rows at the next. Otherwise the page is stretched.
void DblBlt32(defZENTRIXPAGE *SourcePage, defZENTRIXPAGE *DestPage)
{
    gDblBltToggle ^= 1;
    defZENTRIXPAGE *src = PageOf(SourcePage), *dst = PageOf(DestPage);
    if (!src || !dst)
        return;
    if (dst->BPP == src->BPP && dst->Width / 2 >= src->Width && dst->Height / 2 >= src->Height) {
        for (int32_t r = 0; r < src->Height; r++) {
            const size_t drow = size_t(2 * r + gDblBltToggle) * dst->Width;
            const size_t srow = size_t(r) * src->Width;
            if (src->BPP == 16) {
                auto *d = static_cast<uint16_t *>(dst->pPageData) + drow;
                const auto *s = static_cast<const uint16_t *>(src->pPageData) + srow;
                for (int32_t c = 0; c < src->Width; c++)
                    d[2 * c] = d[2 * c + 1] = s[c];
            } else {
                auto *d = static_cast<uint32_t *>(dst->pPageData) + drow;
                const auto *s = static_cast<const uint32_t *>(src->pPageData) + srow;
                for (int32_t c = 0; c < src->Width; c++)
                    d[2 * c] = d[2 * c + 1] = s[c];
            }
        }
        return;
    }
    StretchBlt(dst, 0, 0, 2 * src->Width, 2 * src->Height, src, 0, 0, src->Width, src->Height);
}

// Pixels is a top-down picture of SrcWidth x SrcHeight pixels whose rows are
// padded to four bytes, in 5-5-5, 5-6-5 or 0x00RRGGBB.
void MemStretchBlt(void *hdc, int32_t x, int32_t y, int32_t DestHeight, int32_t DestWidth, const void *Pixels,
                   int32_t SrcX, int32_t SrcY, int32_t SrcHeight, int32_t SrcWidth, uint32_t BitsPerPixel)
{
    defZENTRIXPAGE *dst = PageOf(hdc);
    if (!dst || !Pixels || SrcWidth <= 0 || SrcHeight <= 0)
        return;
    if (BitsPerPixel != 15 && BitsPerPixel != 16 && BitsPerPixel != 32)
        return;
    const size_t bytes = BitsPerPixel == 32 ? 4 : 2;
    const size_t stride = (size_t(SrcWidth) * bytes + 3) & ~size_t(3);
    PixelSource src{static_cast<const uint8_t *>(Pixels), stride, BitsPerPixel};
    StretchPixels(dst, x, y, DestWidth, DestHeight, src, SrcWidth, SrcHeight, SrcX, SrcY, SrcWidth, SrcHeight);
}

} // extern "C"
