// The shell's and sequencer's global state: one definition of every variable
// declared in Gen32.h, with its start-up value. The code that uses them lives
// in the other app/ modules (command line, memory, timeline, actions, ...).
#include "Gen32.h"

// ---- Shell ---------------------------------------------------------------
const char szAppName[] = "Veltrane";
const char szAppTitle[] = "General Demo Effects";
HWND hMainAppWnd = nullptr;
HDC hDrawWindowDC = nullptr;
long ScreenWidth = 0, ScreenHeight = 0;
long bModeChange = 1;
long UserWidth = 0, UserHeight = 0, UserBPP = 0;
int bTestOnly = 0;
std::atomic<int> StretchToScreen{0};
std::atomic<int> ApplicationFin{0};
std::atomic<long> ThreadRunning{0};

// ---- Shared pages and the title sprite -----------------------------------
defZENTRIXPAGE EffectGFXPage32{}, EffectGFXPage32_2{}, EffectGFXPage16{}, ZBuffer{}, Background{};
defZENTRIXSPRITE TitlePicture{};

// ---- Render thread and presentation --------------------------------------
FMUSIC_MODULE *mod = nullptr;
long UseHiResTimer = 0;
std::atomic<int> ShowFPS{0};
std::atomic<long> CurrentFPS{0};
std::atomic<int> DoubleSize{0};
std::atomic<int> DecreaseBits{0};

// ---- Window messages -----------------------------------------------------
std::atomic<long> EffectNo{0};
std::atomic<long> _MouseDown{0};
long MusicOrder = 0;

// ---- Timeline, pacing and scene state ------------------------------------
long DemoState = -1, DemoSubState1 = 0, DemoSubState2 = 0;
float FramesMissed = 0.0f;
long LastFrame = 0, CurrentFrame = 0;
float FrameChange = 0.0f;
float FadeVal = 0.0f;
long Brightness = 0, TransVal = 0, LightPos = 0, LastFramesMissed = 1, SpiralSize = 0, PalXFade = 0;
std::atomic<long> Lightlx{0}, Lightly{0};

// ---- Headless hooks ------------------------------------------------------
int bTraceSteps = 0;
int bBenchScenes = 0;
