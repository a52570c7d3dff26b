// Lens flare: fourteen pre-drawn glow sprites added to a page with
// saturation, either strung along the line from a light through the page
// centre (a full flare) or as one coloured glow on the light.
#pragma once

#include "zentrix.h"

// A glow sprite and its place along the flare line, in tenths: its centre
// goes to centre - offset * Size / 10.
struct TLENZ {
    defZENTRIXSPRITE Data;
    long Size;
};

constexpr int LenzFlareCount = 11;
extern TLENZ LenzPic[LenzFlareCount];
extern TLENZ LenzRed, LenzGreen, LenzBlue;

int AllocLenz(TLENZ *lenz, long width, long height, long size, long bpp);
int AllocateLenzMemory();
long InitializeLenz();
long FreeLenzMemory();

// Full flare for a light at (x, y).
void DrawLenz(long x, long y, defZENTRIXPAGE *page);
// One glow centred at (x, y): colour 0 red, 1 green, 2 blue; others nothing.
void DrawColorLight(long x, long y, defZENTRIXPAGE *page, long colour);
// The flare's main glow alone, centred on a light at (x, y).
void DrawLight(long x, long y, defZENTRIXPAGE *page);
