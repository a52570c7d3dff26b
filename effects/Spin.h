// Spin: six additive pinwheels bouncing around the page, and the zoom and
// rotation offsets that steer the feedback effect's trails.
// Owns the pinwheels, their sine tables and the feedback wander state.
#pragma once

#include "WinTypes.h"
#include "zentrix.h"

#include <cstdint>

struct tdefSpiral {
    int32_t x, y;      // centre relative to the page centre, -200..200
    int32_t dx, dy;    // pixels per frame
    int32_t Angle;     // 1/256 of a turn
    int32_t DAngle;    // 1 or 2 per frame
    int32_t r, g, b;
    int32_t Shrink;    // outer radius in pixels; also scales the colour
};

constexpr int kSpiralCount = 6;

extern tdefSpiral Spirals[kSpiralCount];
extern float *SpiralSinTable;
extern float *SpiralCosTable;
extern int bPlainColor;
extern int DoSpinRandom;
extern float AngleFeedBack, AngleChange, AngleAccel;
extern float Radius, RadiusChange, RadiusAccel;
extern long FeedBackAngle;
extern float GenTempX, GenTempY;

// The message that sets the size of every pinwheel to wParam.
constexpr unsigned kSpinSizeMessage = 45004;

int AllocateSpinMemory();
long InitializeSpin();
void DoSpinEffect(HWND hWnd, HDC hDrawWindowDC, float FramesMissed, defZENTRIXPAGE *EffectGFXPage);
void SetSpinSize(long size);
void SetSpiralColor(long n);
long FreeSpinMemory();
// Runs on the window thread: the message is queued and carried out by the
// render thread at the start of the next DoSpinEffect (ApplySpinMessages).
void HandleSpinMessage(HWND hWnd, unsigned uMessage, WPARAM wParam, LPARAM lParam);
// Carries out the queued messages; render thread only.
void ApplySpinMessages();
// Feedback offsets from Radius and FeedBackAngle (passed to SetOffsets).
void ComputeSpinOffsets();
