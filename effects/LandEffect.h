// Land: a camera flies over an endless (wrapping) 256 x 256 landscape drawn
// column by column with a height-field ray caster, under drifting clouds
// mirrored above the horizon, with water reflecting the clouds and distance
// fog. Owns the depth, shade and cloud maps, the three fogged palette sets
// and the per-column buffers.
#pragma once

#include "WinTypes.h"
#include "zentrix.h"

#include <cstdint>

constexpr int LandMapSize = 256;
constexpr int LandMapCells = LandMapSize * LandMapSize;   // 65536
constexpr int LandColumns = 400;
constexpr int LandRows = 308;
constexpr int LandFogLevels = 32;
constexpr int LandPaletteEntries = 1024;                       // 16 shades x 64 depth bands
constexpr int LandSetEntries = LandFogLevels * LandPaletteEntries;   // 32768
// Depths above this are water.
constexpr int LandWaterDepth = 210;
// Camera positions are kept modulo 256 cells (2^24 in 16.16): the
// landscape repeats every 256 cells, so every drawn pixel stays the same.
constexpr long LandPositionWrap = 1L << 24;

// Maps, 256 x 256 bytes, index = row * 256 + column.
extern uint8_t *HMap;           // depth: larger is lower on the screen; > 210 water
extern uint8_t *CMap;           // shade: slope light, or the water's shimmer 0..89
extern uint8_t *CloudMap[2];    // the two cloud maps the clouds cross-fade between
extern uint8_t *cl_CMap;        // the current cloud density
// Three sets (land, clouds, reflected clouds) of 32 fog levels x 1024
// colours, 0x00RRGGBB. EndPalette holds the targets, LandPalette the colours
// in use; CloudPalette and ReflectCloudPalette point into LandPalette.
extern uint32_t *EndPalette;
extern uint32_t *LandPalette;
extern uint32_t *CloudPalette;
extern uint32_t *ReflectCloudPalette;
// Per screen column: the row up to which the layer is drawn, and the depth
// (1/16384) and shade (16.16) of the previous ray step; lastc < 0 before the
// first step.
extern int32_t lasty[LandColumns], lasth[LandColumns], lastc[LandColumns];
extern int32_t cl_lasty[LandColumns], cl_lasth[LandColumns];

// Camera position (16.16 map units; each frame leaves it in 0 .. 2^24 - 1),
// heading (radians), speed (16.16 units a frame), turn rate (radians a
// frame), the speed step of keys 3 and 4, and half the horizontal field of
// view. The sequencer sets them directly on the render thread.
extern long xView0, yView0;
extern float a, ss, sa, LandSpeed, FOV;
extern long DistR, DistG, DistB;   // fog colour 222, 235, 255
extern long Fade, FadeStep;        // cloud cross-fade position 0..127, step 2
extern long Dr, Dg, Db;            // horizon band colour (the fog colour)
extern long MidPt;                 // page height / 3
extern defZENTRIXPAGE *LandGFXPage;

int AllocateLandMemory();
long InitializeLand();
void DoLandEffect(HWND hWnd, HDC hDrawWindowDC, float FramesMissed, defZENTRIXPAGE *EffectGFXPage);
long FreeLandMemory();
// Runs on the window thread: keys 1 to 5 are queued and carried out by the
// render thread at the start of the next DoLandEffect (ApplyLandMessages).
void HandleLandMessage(HWND hWnd, unsigned uMessage, WPARAM wParam, LPARAM lParam);
void ApplyLandMessages();

// Depth map from the plasma, slope shades, water levelled and shimmering.
void ComputeMap();
// Fog levels 1 to 31 of the three sets of EndPalette, blended from level 0
// towards (r, g, b).
void CreateFadeShades(long r, long g, long b);
// Advances the cross-fade between the two cloud maps into cl_CMap.
void DoClouds(defZENTRIXPAGE *EffectGFXPage);
// Clouds, then land, seen from (x, y) looking along angle, into LandGFXPage.
void View(long x, long y, float angle);
// One distance step of the land (VoxLine) or the clouds (CloudLine) across
// the 400 columns, from map position (xa, ya) on the left to (xb, yb).
// With bLandVector they sample the maps as PackLandMaps last packed them
// (View packs them before its steps).
void VoxLine(long xa, long ya, long xb, long yb, long hy, long s, long d);
void CloudLine(long xa, long ya, long xb, long yb, long hy, long s, long d);
// Packs HMap, CMap and cl_CMap for the vector sampling.
void PackLandMaps();
// 1 (the default): the ray steps sample a packed copy of the maps, and the
// cloud blend runs, with vector instructions where the processor has them;
// 0: the plain scalar loops, which give the same pixels.
extern int bLandVector;
