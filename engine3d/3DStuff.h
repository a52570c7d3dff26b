// The 3D object effect: a rotating mesh (the dolphin or the man) drawn by
// the renderer and lit by three coloured lights. Its angles and translation
// are also driven by the sequencer's scenes.
#pragma once

#include "Object3D.h"
#include "zentrix.h"

#include <atomic>

// Rotation angles in 1/1024 turn; masked into 0..1023 before any table.
extern long Angle3DX, Angle3DY, Angle3DZ;
// Offset added to the working copy after the ripple.
extern long TransX, TransY, TransZ;

// The current mesh and its working copy (SelectObject3D).
extern Object3D *obj3D, *obj3DTemp;
// The picture every face samples (527 x 150) and the metal types'
// environment page (256 x 256, 32 bits).
constexpr int kFlipperWidth = 527, kFlipperHeight = 150;
extern Texture3D FlipperTexture;
extern defZENTRIXPAGE *MetalTexture;

// Values the window thread changes (keys, menu) and the next frame reads.
extern std::atomic<int> RotateLights;   // lights turn and their markers show
extern std::atomic<long> Changing;      // a face-type change is running
extern std::atomic<long> TargetType;    // the type being applied
extern std::atomic<long> GlassOfs;      // crystal refraction strength
extern std::atomic<long> TextureTrans;  // texture blend of the textured offset types
