// Water: a rippling surface on a 100 x 154 grid of 16-bit heights, disturbed
// by drops, two stirrers, a bar, a pressed-in bitmap and a fire along the top
// edge, drawn as a tilted surface of vertical colour spans. Owns the two
// height tables, the fire map, the bitmap, the palette and the row buffers.
#pragma once

#include "WinTypes.h"
#include "zentrix.h"

#include <atomic>
#include <cstdint>

constexpr int WaterGridWidth = 100;
constexpr int WaterGridHeight = 154;
constexpr int WaterGridCells = WaterGridWidth * WaterGridHeight;   // 15400
constexpr int WaterPicHeight = 150;
constexpr int WaterPicBytes = WaterGridWidth * WaterPicHeight;      // 15000

// Menu commands and keys the water reacts to.
constexpr unsigned IDM_WATER_DROP = 200;
constexpr unsigned IDM_WATER_STIR = 201;
constexpr unsigned IDM_WATER_BITMAP = 202;
constexpr unsigned IDM_WATER_CLEAR = 203;
constexpr unsigned IDM_WATER_FIRE = 205;
constexpr unsigned IDM_WATER_SYMBOL = 40029;

// The two generations of the height field and the fire map (rows 0 to 8).
extern int16_t *WaterPage1, *WaterPage2, *FirePage;
// The bitmap pressed into the surface: 100 x 150 signed bytes.
extern int8_t *WaterPic;
extern uint32_t WaterPalette[256];
// 1 when WaterPage2 is the newest table, 0 when WaterPage1 is.
extern int CT;
// Entry 0 is the stirrers' target, 1 and 2 the stirrers (eighths of a cell).
extern long StirX[4], StirY[4], StirDX[4], StirDY[4];
// Switches; the window thread and the sequencer write them, the effect reads
// them on its next frame. DrawPic is also used as a countdown.
extern std::atomic<int> RotateEffect, DrawPic, bWaterFireEffect, DrawBar, DrawSymbol;
extern long WaterWidth;
extern long WaterRowShade[2][400];
extern long WaterRowY[2][400];
// 1 when DrawWide works out its rows with AVX2 (set by AllocateWaterMemory
// when the processor has it), 0 for SSE2 alone; the pixels are the same.
extern int WaterDrawAvx2;

int AllocateWaterMemory();
int InitializeWater();
void DoWaterEffect(HWND hWnd, HDC hDrawWindowDC, long FramesMissed, defZENTRIXPAGE *EffectGFXPage);
int FreeWaterMemory();
void HandleWaterMessage(HWND hWnd, unsigned uMessage, WPARAM wParam, LPARAM lParam);

// Adds a drop to the previous table at cell (x, y). Drops whose 3 x 3
// neighbourhood would leave the grid (x outside 1..98, y outside 1..152)
// are ignored.
void DrawDrop(long x, long y, long strength);
// One fire step on the newest table (first when CT is 0, second when 1).
void AddFireEffect(int16_t **first, int16_t **second);
// Draws the newest table into a 400 x 308 32-bit page.
void DrawWide(defZENTRIXPAGE *EffectGFXPage);
// The same drawing as one plain loop over every column of every row, for
// any WaterWidth: DrawWide's reference and its path for other widths.
void DrawWidePlain(defZENTRIXPAGE *EffectGFXPage);
