// Light lines: a point light shines past coloured segments read from
// "Data\lines.txt"; behind each segment a shaft of its colour fades out to
// black, and a lens flare marks the light. Owns the segments and Texture.
#pragma once

#include "WinTypes.h"
#include "zentrix.h"

#include <cstdint>

// One segment in page pixels; only the low byte of r, g and b is used.
struct LineStruct {
    int32_t x1, y1, x2, y2;
    int32_t r, g, b;
};

// Message numbers that move the light (wParam is the new coordinate).
constexpr unsigned WM_LIGHT_SETX = 45002;
constexpr unsigned WM_LIGHT_SETY = 45003;

// Segment end points are kept within this many pixels of the page origin,
// so that shafts stay inside the rasterizer's fixed-point range.
constexpr int32_t LineCoordLimit = 4000;

extern LineStruct *Lines;
extern long LineCount;
// 100 x 100 picture from "Data\LightStream.raw" (not used by the drawing).
extern uint32_t *Texture;

int AllocateLightMemory();
long InitializeLight();
void DoLightEffect(HWND hWnd, HDC hDrawWindowDC, long FramesMissed, defZENTRIXPAGE *EffectGFXPage);
long FreeLightMemory();
void HandleLightMessage(HWND hWnd, unsigned uMessage, WPARAM wParam, LPARAM lParam);

// Replaces the segments by those of a lines file; an unreadable file
// changes nothing.
void LoadLines(const char *file);
// One light shaft behind the segment (x1, y1)-(x2, y2) for a light at (lx, ly).
void DrawLine(long x1, long y1, long x2, long y2, long lx, long ly, unsigned char r, unsigned char g,
              unsigned char b, defZENTRIXPAGE *page);
// Brightness 1 to 31 of a segment end at an offset (in quarter pixels) from
// the light, or 0 when that end is black.
int LightIntensity(long dx, long dy);
