// Scroller: the greetings picture rolling up the page.
// Owns the 300 x 800 greetings page and the scroll position.
#pragma once

#include "WinTypes.h"
#include "zentrix.h"

extern defZENTRIXPAGE TheScroller;
extern float ScrollerPos;

// The scroll stops (and the sequencer moves on) below this position.
constexpr float kScrollerEnd = -2032.0f;

int AllocateScrollerMemory();
int InitializeScroller(defZENTRIXPAGE *EffectGFXPage);
void DoScrollerEffect(HWND hWnd, HDC hDrawWindowDC, long FramesMissed, defZENTRIXPAGE *EffectGFXPage);
int FreeScrollerMemory();
