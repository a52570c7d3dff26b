// General drawing helpers shared by the effects and the shell: a fine sine
// table, a row-offset table, the counter digits, the warped background, an
// additive sprite blit with clipping and a simple line.
#pragma once

#include "zentrix.h"

#include <cstdint>

constexpr int kGeneralSinEntries = 7200;   // 5760 steps a turn plus a quarter
constexpr int kGeneralTurn = 5760;
constexpr int kWarpPixels = 400 * 308;     // one page
constexpr int kWarpBackgroundPixels = 307200;

extern float *GeneralSinTable;   // sin(i * 0.001090830782496456)
extern float *GeneralCosTable;   // GeneralSinTable + 1440
extern int32_t *YLookup;         // 308 row offsets: y * 400
extern defZENTRIXSPRITE Numbers; // ten 9 x 12 digit glyphs, 32-bit
extern int32_t *WarpOfsTable;    // per page pixel: index into WarpBackground
extern uint32_t *WarpBackground; // the warped picture, 307200 pixels

int AllocateGeneralMemory();
int InitializeGeneral(defZENTRIXPAGE *EffectGFXPage);
void FreeGeneralMemory();

// Checks the warp table: entries outside the background are clamped into it,
// and the table's smallest and largest entry are kept so that DrawWarpOfs can
// keep every offset + entry inside the background. Called after loading.
void ValidateWarpTable();

// The text in the top-left corner, one 9-pixel glyph a character (a space
// shows the glyph of column 0).
void DrawNumbers(const char *text, defZENTRIXPAGE *EffectGFXPage);
// Page pixel k = WarpBackground[offset + WarpOfsTable[k]]. An offset that
// would take a table entry outside the background is clamped to the nearest
// one that does not.
void DrawWarpOfs(long offset, defZENTRIXPAGE *EffectGFXPage);
// Adds a 32-bit sprite's w x h block at (sx, sy) to the page at (x, y), byte
// by byte, saturating at 255; clipped to the page and the sprite.
void AddPut32_Work(defZENTRIXPAGE *EffectGFXPage, int x, int y, int w, int h, defZENTRIXSPRITE *sprite, int sx,
                   int sy);
// A one-pixel line in pure blue (the colour arguments are not used). Pixels
// off the page are skipped.
void LineAA32(int x1, int y1, int x2, int y2, unsigned r, unsigned g, unsigned b, defZENTRIXPAGE *EffectGFXPage);
