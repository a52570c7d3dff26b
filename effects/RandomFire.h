// Swirl fire: whatever is on the page turns into glowing smoke that drifts
// along a smooth flow field (two plasma displacement maps) and fades out;
// optional sparks keep feeding it. Owns FirePage2, the displacement maps
// PicArray1 and PicArray2, OffsetTable and the blur buffer.
#pragma once

#include "WinTypes.h"
#include "zentrix.h"

#include <atomic>
#include <cstdint>

constexpr int kSwirlWidth = 400;
constexpr int kSwirlHeight = 308;
constexpr int kSwirlPixels = kSwirlWidth * kSwirlHeight;   // 123200

// Menu commands and keys the swirl reacts to.
constexpr unsigned IDM_RNDFIRE_RANDOM = 40020;      // "&Random Dots", key F2
constexpr unsigned IDM_RNDFIRE_LINE = 40021;        // "&Line of Dots"
constexpr unsigned IDM_RNDFIRE_SWIRL = 40022;       // "&Swirl", key F3
constexpr unsigned IDM_RNDFIRE_DIRECTION = 40023;   // "&New Direction", key F1

// The pixel memory of the page of the current frame.
extern uint32_t *FirePage1;
// The previous frame: the source of each step.
extern uint32_t *FirePage2;
// Horizontal (1) and vertical (2) displacement of each pixel's source, -8..7.
extern int8_t *PicArray1, *PicArray2;
// Source index of each pixel; always a pixel whose four neighbours lie on
// the page.
extern int32_t *OffsetTable;
// When set, the next frame takes over the page's content. The sequencer sets
// it when a swirl scene starts.
extern int SwirlInit;
// Switches written by the window thread, read by the next frame.
extern std::atomic<long> DrawRandom, DrawPixels;
// Toggled by "&Swirl"; the drawing does not read them.
extern std::atomic<int> DrawPicture, DrawFading;

int AllocateRndFireMemory();
long InitializeRndFire();
void DoSwirlFireEffect(HWND hWnd, HDC hDrawWindowDC, long FramesMissed, defZENTRIXPAGE *EffectGFXPage);
long FreeRndFireMemory();
// "&New Direction" is carried out by the render thread at its next frame.
void HandleRndFireMessage(HWND hWnd, unsigned uMessage, WPARAM wParam, LPARAM lParam);

// A new flow field: the maps swap roles (horizontal becomes vertical), the
// vertical one is made anew and the offset table rebuilt. Render thread only.
void ChangeSwirlDirection();
// Fills a map with a plasma turned into displacements -8..7.
void ComputeDisplacementMap(int8_t *Map);
// The offset table from the two displacement maps: a displacement that
// leaves the window 1..398 x 1..306 maps the pixel onto itself.
void BuildOffsetTable();

// The flow and blur from FirePage2 into the page's rows 1..306, columns
// 1..398: each channel the mean of the four neighbours of the pixel's
// source. DoFireWithoutFade blurs the whole picture once (four pixels a
// step) and then only looks each pixel's source up; the scalar loop is the
// plain per-pixel form, kept beside it for the test that both agree.
void DoFireWithoutFade(uint32_t *Page);
void DoFireWithoutFadeScalar(uint32_t *Page);
