// Splot: two hundred soft blobs that swell and shrink at random places,
// summed in an 8-bit intensity buffer and shown through a fading palette.
// Owns the blob pictures, the intensity buffer and the two palettes.
#pragma once

#include "WinTypes.h"
#include "zentrix.h"

#include <cstdint>

struct TSplot {
    int32_t State;     // remaining life, 320 down to below 0
    int32_t Speed;     // life lost per frame, 5 to 14
    int32_t Picture;   // unused: the picture follows from State
    int32_t x, y;      // top-left corner of the 64 x 64 square
};

constexpr int kSplotCount = 200;
constexpr int kSplotPictures = 10;
constexpr int kSplotSize = 64;

extern TSplot Splots[kSplotCount];
extern uint8_t *Splot[kSplotPictures];
extern uint8_t *SplotTarget;
extern uint32_t *SplotPalette;
extern uint32_t *SplotTempPalette;
extern defZENTRIXPAGE SplotPage;

int AllocateSplotMemory();
long InitializeSplot(defZENTRIXPAGE *EffectGFXPage);
void SetPalette(long level);
void DoSplotEffect(HWND hWnd, HDC hDrawWindowDC, long FramesMissed, defZENTRIXPAGE *EffectGFXPage);
void Spawn(int n);
void FreeSplotMemory();

// Index (0..9) of the picture a blob shows at the given remaining life:
// it grows for the first half of the life and shrinks for the second.
int SplotPictureIndex(int32_t State);
// Adds a 64 x 64 picture into a buffer whose rows are `stride` bytes apart,
// saturating at 255. The scalar version is the reference for the SIMD one.
void SplotAddBlock(uint8_t *dst, long stride, const uint8_t *picture);
void SplotAddBlockScalar(uint8_t *dst, long stride, const uint8_t *picture);
