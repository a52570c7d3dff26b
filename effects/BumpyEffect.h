// Bumpy: three coloured point lights (red, green, blue) chase each other over
// an embossed picture whose slopes bend the light, with a coloured glow or a
// full lens flare on each light. Owns the relief, its slope tables and the
// light spot.
#pragma once

#include "WinTypes.h"
#include "zentrix.h"

#include <atomic>
#include <cstdint>

constexpr int BumpyWidth = 400;
constexpr int BumpyHeight = 308;
constexpr int BumpyPixels = BumpyWidth * BumpyHeight;   // 123200
constexpr int GlowMapSize = 256;                        // the light spot is 256 x 256

// The menu command that switches the lens flare.
constexpr unsigned IDM_BUMPY_LENZFLARE = 40012;

// The relief, one height byte a pixel.
extern uint8_t *BumpyPic;
// Horizontal and vertical slope of each pixel, -127 to 127.
extern int8_t *BumpyDx, *BumpyDy;
// The light spot at v * 256 + u: a cone 255 bright in the middle, 0 from
// radius 128 outwards.
extern uint8_t *GlowMap;
// Entry 0 is the target, 1 to 3 the red, green and blue lights (page pixels);
// the velocities are pixels a frame.
extern long Bumplx[4], Bumply[4], Bumpldx[4], Bumpldy[4];
// Switches written by the window thread and the sequencer, read on the next
// frame: a full lens flare instead of the coloured glows, and the lights
// sent away to the upper left.
extern std::atomic<int> LenzFlare, FinishBumpy;

int AllocateBumpyMemory();
long InitializeBumpy();
void DoBumpyEffect(HWND hWnd, HDC hDrawWindowDC, float FramesMissed, defZENTRIXPAGE *EffectGFXPage);
long FreeBumpyMemory();
void HandleBumpyMessage(HWND hWnd, unsigned uMessage, WPARAM wParam, LPARAM lParam);

// The slope tables from BumpyPic, and the bounds of the lighting pass's
// tiles that go with them. Any change to BumpyPic, BumpyDx or BumpyDy must be
// followed by this (or, for hand-made slopes, by ComputeBumpyTiles).
void ComputeBumpySlopes();
void ComputeBumpyTiles();
// One step of the target and the three lights (done by DoBumpyEffect).
void MoveBumpyLights();
// The lighting pass alone: every pixel of a 400 x 308 32-bit page. The SSE2
// pass skips the tiles a light cannot reach; the scalar pass is the plain
// per-pixel reference, and both give the same pixels.
void DrawBumpyEffect(defZENTRIXPAGE *EffectGFXPage);
void DrawBumpyEffectScalar(defZENTRIXPAGE *EffectGFXPage);
