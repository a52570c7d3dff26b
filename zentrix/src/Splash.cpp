// Splash: a picture with soft edges mixed through a mask over what lies
// behind it. Owns three 24-bit pages (work, image, mask), B, G, R bytes a
// pixel and rows of exactly Width * 3 bytes.
#include "zentrix.h"

#include "Limits.h"
#include "PageAccess.h"

#include <cstdlib>
#include <cstring>

namespace {

defZENTRIXPAGE gWork{}, gImage{}, gMask{};
defZENTRIXPAGE *gBackground = nullptr; // stands for the desktop; null: the target

// A 24-bit page: pixel block, header block and row table, freed by
// DeleteGFXPage like any page (CreateGFXPage makes only 16 and 32 bits).
bool Create24BitPage(defZENTRIXPAGE *page, int32_t Width, int32_t Height)
{
    std::memset(page, 0, sizeof(*page));
    size_t bytes = 0;
    if (!zentrix::PixelBlockBytes(Width, Height, 3, &bytes))
        return false;
    auto *info = static_cast<ZENTRIXBITMAPINFO *>(std::calloc(1, sizeof(ZENTRIXBITMAPINFO)));
    void *pixels = std::calloc(bytes, 1);
    auto *rows = static_cast<int32_t *>(std::calloc(size_t(Height), sizeof(int32_t)));
    if (!info || !pixels || !rows) {
        std::free(info);
        std::free(pixels);
        std::free(rows);
        return false;
    }
    info->biSize = 40;
    info->biWidth = Width;
    info->biHeight = -Height;
    info->biPlanes = 1;
    info->biBitCount = 24;
    info->biCompression = 3; // no masks are set for 24 bits
    info->biSizeImage = uint32_t(bytes);
    info->biXPelsPerMeter = info->biYPelsPerMeter = 1024;
    for (int32_t y = 0; y < Height; y++)
        rows[y] = y * Width;
    page->hPageBM = pixels;
    page->lpPageBitmapInfo = info;
    page->hPageDC = page;
    page->pPageData = pixels;
    page->Width = Width;
    page->Height = Height;
    page->BPP = 24;
    page->YLookup = rows;
    return true;
}

bool Is24BitPage(const defZENTRIXPAGE *page)
{
    return page && page->BPP == 24 && zentrix::PageHolds(page, 3);
}

// A page behind a copy handle, in any of the three pixel sizes, or null.
const defZENTRIXPAGE *PageOf(const void *handle)
{
    auto *page = static_cast<const defZENTRIXPAGE *>(handle);
    if (!page || (page->BPP != 16 && page->BPP != 24 && page->BPP != 32) || !zentrix::PageHolds(page, page->BPP / 8))
        return nullptr;
    return page;
}

// B, G, R of pixel (x, y) of a 16-, 24- or 32-bit page.
void ReadPixel(const defZENTRIXPAGE *page, int32_t x, int32_t y, uint8_t *bgr)
{
    const size_t at = size_t(y) * size_t(page->Width) + size_t(x);
    if (page->BPP == 24) {
        std::memcpy(bgr, static_cast<const uint8_t *>(page->pPageData) + at * 3, 3);
    } else if (page->BPP == 32) {
        const uint32_t p = static_cast<const uint32_t *>(page->pPageData)[at];
        bgr[0] = uint8_t(p);
        bgr[1] = uint8_t(p >> 8);
        bgr[2] = uint8_t(p >> 16);
    } else {
        const uint16_t p = static_cast<const uint16_t *>(page->pPageData)[at];
        const uint32_t r = p >> 11, g = (p >> 5) & 63, b = p & 31;
        bgr[0] = uint8_t((b << 3) | (b >> 2));
        bgr[1] = uint8_t((g << 2) | (g >> 4));
        bgr[2] = uint8_t((r << 3) | (r >> 2));
    }
}

void WritePixel(defZENTRIXPAGE *page, int32_t x, int32_t y, const uint8_t *bgr)
{
    const size_t at = size_t(y) * size_t(page->Width) + size_t(x);
    if (page->BPP == 24)
        std::memcpy(static_cast<uint8_t *>(page->pPageData) + at * 3, bgr, 3);
    else if (page->BPP == 32)
        static_cast<uint32_t *>(page->pPageData)[at] = uint32_t(bgr[2]) << 16 | uint32_t(bgr[1]) << 8 | bgr[0];
    else
        static_cast<uint16_t *>(page->pPageData)[at] =
            uint16_t((bgr[2] >> 3) << 11 | (bgr[1] >> 2) << 5 | (bgr[0] >> 3));
}

// Copies the w x h rectangle at (sx, sy) of `from` to (dx, dy) of `to`,
// converting pixels; the parts outside either page are skipped.
void CopyRect(defZENTRIXPAGE *to, int32_t dx, int32_t dy, const defZENTRIXPAGE *from, int32_t sx, int32_t sy,
              int32_t w, int32_t h)
{
    for (int32_t y = 0; y < h; y++) {
        const int64_t fy = int64_t(sy) + y, ty = int64_t(dy) + y;
        if (fy < 0 || fy >= from->Height || ty < 0 || ty >= to->Height)
            continue;
        for (int32_t x = 0; x < w; x++) {
            const int64_t fx = int64_t(sx) + x, tx = int64_t(dx) + x;
            if (fx < 0 || fx >= from->Width || tx < 0 || tx >= to->Width)
                continue;
            uint8_t bgr[3];
            ReadPixel(from, int32_t(fx), int32_t(fy), bgr);
            WritePixel(to, int32_t(tx), int32_t(ty), bgr);
        }
    }
}

bool MakePages(int32_t Width, int32_t Height)
{
    DeleteSplash();
    if (Create24BitPage(&gWork, Width, Height) && Create24BitPage(&gImage, Width, Height) &&
        Create24BitPage(&gMask, Width, Height))
        return true;
    DeleteSplash();
    return false;
}

} // namespace

extern "C" {

uint32_t InitSplash(int32_t Width, int32_t Height, void *PictureDC, void *MaskDC)
{
    const defZENTRIXPAGE *picture = PageOf(PictureDC), *mask = PageOf(MaskDC);
    if (!picture || !mask || picture->Width < Width || picture->Height < Height || mask->Width < Width ||
        mask->Height < Height || !MakePages(Width, Height))
        return 0;
    CopyRect(&gImage, 0, 0, picture, 0, 0, Width, Height);
    CopyRect(&gMask, 0, 0, mask, 0, 0, Width, Height);
    return 1;
}

uint32_t InitSplashFromMemory(int32_t Width, int32_t Height, const uint8_t *Picture, const uint8_t *Mask)
{
    if (!Picture || !Mask || !MakePages(Width, Height))
        return 0;
    const size_t bytes = size_t(Width) * size_t(Height) * 3;
    std::memcpy(gImage.pPageData, Picture, bytes);
    std::memcpy(gMask.pPageData, Mask, bytes);
    return 1;
}

void SetSplashBackground(void *BackgroundDC)
{
    gBackground = static_cast<defZENTRIXPAGE *>(BackgroundDC);
}

uint32_t DrawSplashToDC(void *TargetDC, int32_t x, int32_t y)
{
    auto *target = const_cast<defZENTRIXPAGE *>(PageOf(TargetDC));
    if (!Is24BitPage(&gWork))
        return 1;
    const defZENTRIXPAGE *background = gBackground ? PageOf(gBackground) : target;
    std::memset(gWork.pPageData, 0, size_t(gWork.Width) * size_t(gWork.Height) * 3);
    if (background)
        CopyRect(&gWork, 0, 0, background, x, y, gWork.Width, gWork.Height);
    DrawMaskedToGFXPage(&gWork, &gImage, &gMask);
    if (target)
        CopyRect(target, 0, 0, &gWork, 0, 0, gWork.Width, gWork.Height);
    return 1;
}

int32_t DrawMaskedToGFXPage(defZENTRIXPAGE *Work, const defZENTRIXPAGE *Image, const defZENTRIXPAGE *Mask)
{
    if (!Is24BitPage(Work) || !Is24BitPage(Image) || !Is24BitPage(Mask))
        return 1;
    const size_t bytes = size_t(Work->Width) * size_t(Work->Height) * 3;
    if (size_t(Image->Width) * size_t(Image->Height) * 3 < bytes || size_t(Mask->Width) * size_t(Mask->Height) * 3 < bytes)
        return 1;
    uint8_t *work = static_cast<uint8_t *>(Work->pPageData);
    const uint8_t *image = static_cast<const uint8_t *>(Image->pPageData);
    const uint8_t *mask = static_cast<const uint8_t *>(Mask->pPageData);
    for (size_t p = 0; p < bytes; p++)
        work[p] = uint8_t((mask[p] * image[p] + (256 - mask[p]) * work[p]) >> 8);
    return 1;
}

void DeleteSplash(void)
{
    DeleteGFXPage(&gWork);
    DeleteGFXPage(&gImage);
    DeleteGFXPage(&gMask);
}

} // extern "C"
