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

// ---- The effect module: meshes, animation and controls ------------------

#include "WinTypes.h"

// The two meshes in rest pose (read at allocation; only their face types
// change afterwards) and their working copies, rebuilt every frame.
extern Object3D objDolphin, objMan, objDolphinTemp, objManTemp;

extern std::atomic<int> Ripple;   // the working copy ripples (key F4, sequencer)
extern long RippleAngle;          // ripple phase, 1/1024 turn
extern float RippleMagnitude;     // ripple amplitude
extern std::atomic<long> CurrentFace;   // next face of a running change

// Menu state (window thread): 0 plain, 1 crystal, 2 metal, 3 lines, and the
// three toggles.
extern long ObjectType;
extern int Lighted, Smoothed, Textured;
// Cursor position when the left button went down; a drag turns the mesh one
// angle unit per pixel away from it.
extern std::atomic<long> CurrentX, CurrentY;
extern POINT DropPt;   // the cursor as read by the last dragged frame

// Menu commands and messages of the "&3D Stuff" menu.
constexpr WPARAM IDM_3D_LIGHTS = 40032, IDM_3D_TEXTURED = 40033, IDM_3D_SMOOTHED = 40034;
constexpr WPARAM IDM_3D_PLAIN = 40036, IDM_3D_CRYSTAL = 40037, IDM_3D_METAL = 40038, IDM_3D_LINES = 40039;
constexpr unsigned WM_3D_ANGLEX = 45007, WM_3D_ANGLEY = 45008;

int Allocate3DMemory();
long Initialize3D();
void Do3DEffect(HWND hWnd, HDC hDrawWindowDC, float FramesMissed, defZENTRIXPAGE *EffectGFXPage);
long Free3DMemory();
void Handle3DMessage(HWND hWnd, unsigned uMessage, WPARAM wParam, LPARAM lParam);

// The face type the menu state asks for.
long TargetTypeFromMenu(long Type, int Light, int Smooth, int Texture);
// One frame of a running face-type change on the object (1/32 of its faces).
void StepFaceTypeChange(Object3D *TheObject);
// Turns the three light vectors by their per-frame steps.
void TurnLights();
