// Helix: 1000 glowing sprites added to the page, each flying from where it
// is toward its place on a turning helix, or on a mesh's vertices when the
// sequencer asks. Owns the point array and the 10 x 10 glow sprite.
#pragma once

#include "Object3D.h"
#include "WinTypes.h"
#include "zentrix.h"

#include <cstdint>

// One sprite; 40 bytes.
struct TDHelixPoint {
    float x, y, z;              // current position
    float tx, ty, tz;           // target in rest pose
    float tempx, tempy, tempz;  // target after this frame's turn
    int32_t StepNum;            // progress of the flight, 0 to 1200
};
static_assert(sizeof(TDHelixPoint) == 40, "TDHelixPoint is 40 bytes");

constexpr int kHelixPoints = 1000;
constexpr int32_t kHelixFlightSteps = 1200;

extern TDHelixPoint *HelixPoints;     // kHelixPoints entries
extern long HelixAngle;               // turn of the targets, 0..5759 (5760 a turn)
extern defZENTRIXSPRITE HelixSprite;  // 10 x 10, 32-bit

int AllocateHelixMemory();
int InitializeHelix(defZENTRIXPAGE *EffectGFXPage);
int FreeHelixMemory();
void DoHelixEffect(HWND hWnd, HDC hDrawWindowDC, long FramesMissed, defZENTRIXPAGE *EffectGFXPage);

// Every point starts a new flight toward its target.
void ResetHelixPoints();
// The targets of the first points (at most 1000) become the positions of the
// object's first points; the other points keep their targets.
void InitPointsFrom3D(Object3D *TheObject);

// The three steps of one frame, f frames long.
void RotateHelixPoints(float f);
void MoveHelixPoints(float f);
void DrawHelixPoints(defZENTRIXPAGE *EffectGFXPage);
