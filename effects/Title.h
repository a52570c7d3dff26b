// Title: the title picture that shakes into place (four jittering additive
// copies) and then flashes with a growing, fading glow.
// Owns the two 320 x 240 pictures and the quiver and glow counters.
#pragma once

#include "WinTypes.h"
#include "zentrix.h"

#include <cstdint>

constexpr int kTitleWidth = 320;
constexpr int kTitleHeight = 240;
constexpr long kTitleGlowSteps = 33;

extern uint32_t *TitleTexMain;
extern uint32_t *TitleTex;
extern long TitleOfs;
extern long TitleFade;
extern long TitleGlow;

int AllocateTitleMemory();
int InitializeTitle(defZENTRIXPAGE *EffectGFXPage);
void DoTitleQuiverEffect(HWND hWnd, HDC hDrawWindowDC, long FramesMissed, defZENTRIXPAGE *EffectGFXPage);
void DoTitleGlowEffect(HWND hWnd, HDC hDrawWindowDC, long FramesMissed, defZENTRIXPAGE *EffectGFXPage);
void FreeTitleMemory();
