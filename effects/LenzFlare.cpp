// Lens flare: fourteen pre-drawn glow sprites added to a page with
// saturation, strung along the line from a light through the page centre,
// or one coloured glow on the light. Owns the sprites LenzPic, LenzRed/Green/Blue.
#include "LenzFlare.h"

#include "General.h"

#include <algorithm>
#include <cstdint>

TLENZ LenzPic[LenzFlareCount];
TLENZ LenzRed, LenzGreen, LenzBlue;

namespace {

struct LenzFile {
    TLENZ *lenz;
    const char *file;
    long size;
    long extent;   // width = height
};

// The fourteen sprites in loading order.
const LenzFile lenzFiles[] = {
    {&LenzPic[0], "Data\\Lenz-1.raw", -13, 70},     {&LenzPic[1], "Data\\LenzMain.pcx", -10, 250},
    {&LenzPic[2], "Data\\Lenz1.raw", -6, 15},       {&LenzPic[3], "Data\\Lenz2.raw", -5, 67},
    {&LenzPic[4], "Data\\Lenz3.raw", -4, 48},       {&LenzPic[5], "Data\\Lenz4.raw", -3, 23},
    {&LenzPic[6], "Data\\Lenz5.raw", -1, 21},       {&LenzPic[7], "Data\\Lenz6.raw", 2, 13},
    {&LenzPic[8], "Data\\Lenz7.raw", 4, 59},        {&LenzPic[9], "Data\\Lenz8.raw", 7, 79},
    {&LenzPic[10], "Data\\Lenz9.raw", 10, 159},     {&LenzRed, "Data\\LenzRed.pcx", -10, 250},
    {&LenzGreen, "Data\\LenzGreen.pcx", -10, 250},  {&LenzBlue, "Data\\LenzBlue.pcx", -10, 250},
};

bool DrawablePage(const defZENTRIXPAGE *page)
{
    return page && page->pPageData && page->BPP == 32 && page->Width > 0 && page->Height > 0;
}

// Adds one sprite for a light at (x, y): its centre goes to
// centre - (light - centre) * Size / 10. Positions are worked out in 64 bits
// so that a light however far away cannot overflow; a sprite that lands
// wholly off the page, or has no pixels, is skipped.
void PlaceLenz(long x, long y, defZENTRIXPAGE *page, TLENZ &lenz)
{
    defZENTRIXSPRITE &s = lenz.Data;
    if (!s.pSpriteData || s.BPP != 32) return;
    const int64_t cx = page->Width / 2, cy = page->Height / 2;
    // Beyond 2^40 every sprite lies far off the page anyway; the clamp keeps
    // the products below from overflowing.
    const int64_t far = int64_t(1) << 40;
    const int64_t dx = std::clamp<int64_t>(x, -far, far) - cx, dy = std::clamp<int64_t>(y, -far, far) - cy;
    const int64_t w = s.Width, h = s.Height;
    const int64_t left = cx - (dx * lenz.Size) / 10 - w / 2;
    const int64_t top = cy - (dy * lenz.Size) / 10 - h / 2;
    if (left + w < 0 || top + h < 0 || left >= page->Width || top >= page->Height) return;
    AddPut32_Work(page, int(left), int(top), int(w), int(h), &s, 0, 0);
}

} // namespace

int AllocLenz(TLENZ *lenz, long width, long height, long size, long bpp)
{
    lenz->Data.Width = uint32_t(width);
    lenz->Data.Height = uint32_t(height);
    lenz->Size = size;
    if (bpp == 0 || bpp == 16) lenz->Data.BPP = 16;
    else if (bpp == 32) lenz->Data.BPP = 32;
    return 0;
}

int AllocateLenzMemory()
{
    for (const LenzFile &f : lenzFiles) AllocLenz(f.lenz, f.extent, f.extent, f.size, 32);
    return 1;
}

long InitializeLenz()
{
    for (const LenzFile &f : lenzFiles) {
        // A second initialisation must not leak the previous pixels.
        if (f.lenz->Data.pSpriteData) {
            FreeSprite32(&f.lenz->Data);
            AllocLenz(f.lenz, f.extent, f.extent, f.size, 32);
        }
        LoadSprite32(f.file, int32_t(f.lenz->Data.Width), int32_t(f.lenz->Data.Height), &f.lenz->Data);
    }
    return 1;
}

long FreeLenzMemory()
{
    for (const LenzFile &f : lenzFiles) FreeSprite32(&f.lenz->Data);
    return 1;
}

void DrawLenz(long x, long y, defZENTRIXPAGE *page)
{
    if (!DrawablePage(page)) return;
    for (TLENZ &lenz : LenzPic) PlaceLenz(x, y, page, lenz);
}

void DrawLight(long x, long y, defZENTRIXPAGE *page)
{
    if (!DrawablePage(page)) return;
    PlaceLenz(x, y, page, LenzPic[1]);
}

void DrawColorLight(long x, long y, defZENTRIXPAGE *page, long colour)
{
    if (!DrawablePage(page)) return;
    TLENZ *glow[] = {&LenzRed, &LenzGreen, &LenzBlue};
    if (colour < 0 || colour > 2) return;
    PlaceLenz(x, y, page, *glow[colour]);
}
