// Checks shared by every drawing routine: is a page drawable in a given pixel
// size, and the clipping of a sprite blit rectangle to page and sprite.
// Library-internal.
#pragma once

#include "zentrix.h"

#include <algorithm>
#include <cstdint>

namespace zentrix {

// True when the page has pixels for Width x Height pixels of the given byte
// size. A page made by CreateGFXPage records its block size in the header
// block; a record filled in by hand (no header block) is taken at its word.
inline bool PageHolds(const defZENTRIXPAGE *page, uint32_t bytesPerPixel)
{
    if (!page || !page->pPageData || page->Width <= 0 || page->Height <= 0)
        return false;
    const uint64_t need = uint64_t(page->Width) * uint64_t(page->Height) * bytesPerPixel;
    return !page->lpPageBitmapInfo || page->lpPageBitmapInfo->biSizeImage >= need;
}

// Pixel size in bytes of a sprite's format: BPP 0 counts as 16. 0 for an
// unsupported format.
inline uint32_t SpriteBytes(const defZENTRIXSPRITE *sprite)
{
    if (!sprite)
        return 0;
    if (sprite->BPP == 0 || sprite->BPP == 16)
        return 2;
    return sprite->BPP == 32 ? 4 : 0;
}

// The part of a blit that lands on the page and comes from inside the sprite.
struct BlitRect {
    int32_t dx, dy; // first page column and row
    int32_t sx, sy; // first sprite column and row
    int32_t cols, rows;
};

// Clips a blit of nWidth x nHeight pixels from sprite (nXSrc, nYSrc) to page
// (nXDest, nYDest): first to the page, as the blits always did, then to the
// sprite, so that a source rectangle reaching past the sprite reads nothing
// outside it. False when nothing is left.
inline bool ClipBlit(const defZENTRIXPAGE *page, int32_t nXDest, int32_t nYDest, int32_t nWidth, int32_t nHeight,
                     const defZENTRIXSPRITE *sprite, int32_t nXSrc, int32_t nYSrc, BlitRect *r)
{
    if (!sprite || !sprite->pSpriteData || sprite->Width == 0 || sprite->Height == 0)
        return false;
    const int64_t xd = nXDest, yd = nYDest;
    if (xd + nWidth < 0 || yd + nHeight < 0 || xd >= page->Width || yd >= page->Height)
        return false;
    int64_t dx = xd, sx = nXSrc, dy = yd, sy = nYSrc;
    if (xd < 0) {
        dx = 0;
        sx = int64_t(nXSrc) - xd;
    }
    if (yd < 0) {
        dy = 0;
        sy = int64_t(nYSrc) - yd;
    }
    int64_t cols = std::min<int64_t>(xd + nWidth, page->Width) - dx;
    int64_t rows = std::min<int64_t>(yd + nHeight, page->Height) - dy;
    if (sx < 0) {
        cols += sx;
        dx -= sx;
        sx = 0;
    }
    if (sy < 0) {
        rows += sy;
        dy -= sy;
        sy = 0;
    }
    cols = std::min<int64_t>(cols, int64_t(sprite->Width) - sx);
    rows = std::min<int64_t>(rows, int64_t(sprite->Height) - sy);
    if (cols <= 0 || rows <= 0)
        return false;
    *r = BlitRect{int32_t(dx), int32_t(dy), int32_t(sx), int32_t(sy), int32_t(cols), int32_t(rows)};
    return true;
}

} // namespace zentrix
