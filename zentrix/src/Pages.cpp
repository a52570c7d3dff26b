// Pages and sprites: making and releasing the pixel blocks, row tables,
// header blocks and edge buffers that page and sprite records point to.
// Every block is zero-initialised; sizes that don't fit in memory are refused.
#include "zentrix.h"

#include "Limits.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace {

// Fills the 52-byte header block for a top-down page of the given format.
void FillBitmapInfo(ZENTRIXBITMAPINFO *info, int32_t Width, int32_t Height, int32_t BPP)
{
    std::memset(info, 0, sizeof(*info));
    info->biSize = 40;
    info->biWidth = Width;
    info->biHeight = -Height;
    info->biPlanes = 1;
    info->biBitCount = static_cast<uint16_t>(BPP);
    info->biCompression = 3;
    info->biXPelsPerMeter = 1024;
    info->biYPelsPerMeter = 1024;
    if (BPP == 16) {
        info->bmiColors[0] = 0xF800;
        info->bmiColors[1] = 0x07E0;
        info->bmiColors[2] = 0x001F;
    } else if (BPP == 32) {
        info->bmiColors[0] = 0xFF0000;
        info->bmiColors[1] = 0x00FF00;
        info->bmiColors[2] = 0x0000FF;
    }
}

// Makes the header block and the pixel block of a page (the part that stood
// for the bitmap section). On failure nothing is left allocated.
bool MakeSurface(defZENTRIXPAGE *page, int32_t Width, int32_t Height, int32_t BPP)
{
    if (BPP != 16 && BPP != 32)
        return false;
    size_t bytes = 0;
    if (!zentrix::PixelBlockBytes(Width, Height, static_cast<uint32_t>(BPP / 8), &bytes))
        return false;
    auto *info = static_cast<ZENTRIXBITMAPINFO *>(std::calloc(1, sizeof(ZENTRIXBITMAPINFO)));
    if (!info)
        return false;
    FillBitmapInfo(info, Width, Height, BPP);
    info->biSizeImage = static_cast<uint32_t>(bytes);
    void *pixels = std::calloc(bytes, 1);
    if (!pixels) {
        std::free(info);
        return false;
    }
    page->hPageBM = pixels;
    page->lpPageBitmapInfo = info;
    page->hPageDC = page;
    page->pPageData = pixels;
    page->Width = Width;
    page->Height = Height;
    page->BPP = static_cast<uint32_t>(BPP);
    return true;
}

} // namespace

extern "C" {

int32_t CreateGFXPage(defZENTRIXPAGE *page, int32_t Width, int32_t Height, int32_t BPP)
{
    if (!page)
        return 0;
    page->BothScans = page->LeftScans = page->RightScans = nullptr;
    page->hPageBM = nullptr;
    page->lpPageBitmapInfo = nullptr;
    page->hPageDC = nullptr;
    page->YLookup = nullptr;
    if (MakeSurface(page, Width, Height, BPP)) {
        auto *rows = static_cast<int32_t *>(std::calloc(static_cast<size_t>(Height), sizeof(int32_t)));
        if (rows) {
            for (int32_t y = 0; y < Height; y++)
                rows[y] = y * Width;
            page->YLookup = rows;
            return 1;
        }
        std::free(page->hPageBM);
        std::free(page->lpPageBitmapInfo);
        page->hPageBM = nullptr;
        page->lpPageBitmapInfo = nullptr;
        page->hPageDC = nullptr;
    }
    page->pPageData = nullptr;
    page->Width = 0;
    page->Height = 0;
    page->BPP = 0;
    return 0;
}

void DeleteGFXPage(defZENTRIXPAGE *page)
{
    if (!page || !page->hPageBM)
        return;
    std::free(page->hPageBM);
    std::free(page->lpPageBitmapInfo);
    page->hPageBM = nullptr;
    page->lpPageBitmapInfo = nullptr;
    page->hPageDC = nullptr;
    std::free(page->YLookup);
    page->pPageData = nullptr;
    page->Width = 0;
    page->Height = 0;
    page->BPP = 0;
    page->YLookup = nullptr;
    std::free(page->BothScans);
    page->BothScans = page->LeftScans = page->RightScans = nullptr;
}

uint32_t AllocateScanLines(defZENTRIXPAGE *page)
{
    if (!page)
        return 0;
    // A page whose creation failed has Height 0: no buffers to make.
    if (page->Height <= 0 || page->Height > zentrix::kMaxPixels / 30) {
        page->BothScans = nullptr;
        return 0;
    }
    auto *block = static_cast<int32_t *>(std::calloc(static_cast<size_t>(page->Height) * 30, sizeof(int32_t)));
    page->BothScans = block;
    if (!block)
        return 0;
    page->LeftScans = block;
    page->RightScans = block + static_cast<size_t>(page->Height) * 15;
    return 1;
}

defZENTRIXPAGE *AllocateGFXPage(int32_t Width, int32_t Height, int32_t BPP)
{
    auto *page = static_cast<defZENTRIXPAGE *>(std::calloc(1, sizeof(defZENTRIXPAGE)));
    if (!page)
        return nullptr;
    if (!MakeSurface(page, Width, Height, BPP)) {
        std::free(page);
        return nullptr;
    }
    return page;
}

// Releases everything the record points to and, unlike a page the caller
// declared, the record itself: it was made by AllocateGFXPage.
void FreeGFXPage(defZENTRIXPAGE *page)
{
    if (!page)
        return;
    std::free(page->hPageBM);
    std::free(page->lpPageBitmapInfo);
    std::free(page->YLookup);
    std::free(page->BothScans);
    std::free(page);
}

uint32_t AllocSprite32(defZENTRIXSPRITE *sprite)
{
    if (!sprite)
        return 0;
    if (sprite->BPP == 0)
        sprite->BPP = 16;
    if (sprite->BPP == 16 || sprite->BPP == 32) {
        size_t bytes = 0;
        if (sprite->Width <= uint32_t(INT32_MAX) && sprite->Height <= uint32_t(INT32_MAX) &&
            zentrix::PixelBlockBytes(int32_t(sprite->Width), int32_t(sprite->Height), sprite->BPP / 8, &bytes))
            sprite->pSpriteData = std::calloc(bytes, 1);
        else
            sprite->pSpriteData = nullptr;
    }
    if (!sprite->pSpriteData) {
        sprite->Width = sprite->Height = sprite->BPP = 0;
        return 0;
    }
    return 1;
}

void FreeSprite32(defZENTRIXSPRITE *sprite)
{
    if (!sprite)
        return;
    std::free(sprite->pSpriteData);
    sprite->pSpriteData = nullptr;
    sprite->Width = sprite->Height = sprite->BPP = 0;
}

void LoadSprite32(const char *FileName, int32_t Width, int32_t Height, defZENTRIXSPRITE *sprite)
{
    if (!sprite)
        return;
    if (Width <= 0 || Height <= 0) {
        sprite->Width = sprite->Height = sprite->BPP = 0;
        return;
    }
    sprite->Width = static_cast<uint32_t>(Width);
    sprite->Height = static_cast<uint32_t>(Height);
    sprite->pSpriteData = nullptr;
    if (!AllocSprite32(sprite) || !FileName)
        return;
    if (sprite->BPP == 16) {
        LoadRaw24(FileName, sprite->Width, sprite->Height, static_cast<uint16_t *>(sprite->pSpriteData));
    } else if (sprite->BPP == 32) {
        const size_t len = std::strlen(FileName);
        bool pcx = len >= 4;
        for (size_t i = 0; pcx && i < 4; i++)
            pcx = std::tolower(static_cast<unsigned char>(FileName[len - 4 + i])) == ".pcx"[i];
        if (pcx)
            LoadPCX24(FileName, static_cast<uint32_t *>(sprite->pSpriteData), sprite->Width * sprite->Height);
        else
            LoadRaw32(FileName, sprite->Width, sprite->Height, static_cast<uint32_t *>(sprite->pSpriteData));
    }
}

} // extern "C"
