// Shell and sequencer state shared by the window thread, the render thread
// and the effect modules. Values that cross threads are atomics (relaxed):
// one word written at once, read at the next frame.
#pragma once

#include "Platform.h"
#include "zentrix.h"

#include <atomic>
#include <cstdio>

// ---- Shell (start-up, command line, shutdown) ----------------------------
extern const char szAppName[];
extern const char szAppTitle[];              // "General Demo Effects"
extern HWND hMainAppWnd;
extern HDC hDrawWindowDC;
extern long ScreenWidth, ScreenHeight;
extern long bModeChange;                     // 1
extern long UserWidth, UserHeight, UserBPP;  // 0, 0, 0
extern int bTestOnly;
extern std::atomic<int> StretchToScreen;
extern std::atomic<int> ApplicationFin;
extern std::atomic<long> ThreadRunning;

// ---- Shared pages and the title sprite -----------------------------------
extern defZENTRIXPAGE EffectGFXPage32, EffectGFXPage32_2, EffectGFXPage16, ZBuffer, Background;
extern defZENTRIXSPRITE TitlePicture;

// ---- Render thread and presentation --------------------------------------
extern FMUSIC_MODULE *mod;
extern long UseHiResTimer;
extern std::atomic<int> ShowFPS;
extern std::atomic<long> CurrentFPS;
extern std::atomic<int> DoubleSize;
extern std::atomic<int> DecreaseBits;

// ---- Window messages -----------------------------------------------------
extern std::atomic<long> EffectNo;
extern std::atomic<long> _MouseDown;
extern long MusicOrder;

void ProcessCommandLine(const char *szCmdLine);
int InitAppMemory();
void QuitAppMemory();
int GetBackgroundPic();
void ThreadProc(long Argument);
void EffectBlt(HWND hWnd, HDC hDrawWindowDC, defZENTRIXPAGE *EffectGFXPage);
LRESULT WndProc(HWND hWnd, unsigned uMessage, WPARAM wParam, LPARAM lParam);

// ---- Timeline and pacing -------------------------------------------------
extern long DemoState, DemoSubState1, DemoSubState2;
extern float FramesMissed;
void HandleDemo();
float FramesToChange();
void DoAction(float FramesMissed);

// Scene state of the dispatcher (module-level, owned by the sequencer).
extern long LastFrame, CurrentFrame;
extern float FrameChange;
extern float FadeVal;
extern long Brightness, TransVal, LightPos, LastFramesMissed, SpiralSize, PalXFade;
// Light position: written by the sequencer and by the light module's
// message handler on the window thread.
extern std::atomic<long> Lightlx, Lightly;

// ---- Headless hooks: step trace and per-scene timing ---------------------
// bTraceSteps: HandleDemo prints one line per timeline step on stderr:
//   step=N scene=S substate=K start=OO:RR end=OO:RR frames=F
// bBenchScenes: HandleDemo times every DoAction by scene (steady clock, fixed
// tables, nothing allocated per frame); PrintSceneBench prints the median and
// worst frame time of every scene that drew, in milliseconds.
extern int bTraceSteps;
extern int bBenchScenes;
void RecordSceneTime(long Scene, double Milliseconds);
void ResetSceneBench();
void PrintSceneBench(FILE *out);
