// The demo timeline (HandleDemo): plays the 41-step script against the music
// position, draws paced frames through DoAction, runs the test mode, and
// keeps the step trace and the per-scene frame timing of headless runs.
//
// Adding a module's part of the script: its settings go into BeginStep and
// its per-frame work into StepFrameWork, under the step's case.
#include "Gen32.h"
#include "Timeline.h"

#include "3DStuff.h"
#include "BumpyEffect.h"
#include "LandEffect.h"
#include "Random.h"
#include "RandomFire.h"
#include "Spin.h"
#include "WaterEffect.h"

#include <chrono>
#include <climits>
#include <cmath>
#include <cstdlib>

// Ends are order:row written as order * 100 + row.
const TimelineStep TimelineScript[kTimelineSteps] = {
    {-1, 0, 100},              //  1 black
    {13, 0, 200},              //  2 title
    {13, 2, 230},              //  3
    {13, 3, 300},              //  4
    {0, 0, 450},               //  5 splot and light beams
    {0, 2, 630},               //  6
    {1, 0, 800},               //  7 spirals
    {1, 3, 900},               //  8
    {1, 3, 1140},              //  9
    {1, 5, 1200},              // 10
    {2, 0, 1420},              // 11 bump mapping
    {2, 2, 1500},              // 12
    {6, 0, 1510},              // 13 water
    {6, 1, 1600},              // 14
    {6, 2, 1800},              // 15
    {6, 2, 1900},              // 16
    {6, 3, 2000},              // 17
    {7, 0, 2020},              // 18 landscape
    {7, 1, 2330},              // 19
    {7, kKeepSubState, 2430},  // 20
    {7, 2, 2500},              // 21
    {14, 0, 2700},             // 22 trees
    {14, 3, 2732},             // 23
    {15, 0, 2932},             // 24 particle fire
    {15, 2, 2820},             // 25 ends before it starts: no frame
    {15, 3, 3000},             // 26
    {16, 0, 3100},             // 27 water curtain over fire
    {16, 1, 3200},             // 28
    {16, 2, 3410},             // 29
    {16, 3, 3430},             // 30
    {12, 0, 3500},             // 31 dolphin
    {12, 2, 3700},             // 32
    {12, 2, 3800},             // 33
    {12, 3, 3900},             // 34
    {12, 4, 3940},             // 35
    {17, 0, 4100},             // 36 helix and man
    {17, 2, 4230},             // 37
    {17, 4, 4620},             // 38
    {17, 6, 4900},             // 39
    {18, 0, 5350},             // 40 scroller
    {18, 2, 5360},             // 41
};

long MusicTime = 0;
long DropDivisor = 200;

// ---- Random drops ----------------------------------------------------------

void NextDropPlace(long *x, long *y, long *s)
{
    *s = Rand15() % 600;
    *y = std::labs(Rand15() % 150 - 8) + 4;
    *x = std::labs(Rand15() % 100 - 8) + 4;
}

int NextRandomDrop(long *Divisor, long *x, long *y, long *s)
{
    const long D = *Divisor > 0 ? *Divisor : 1;
    const int drop = (Rand15() % D) >> 4 == 0;
    if (drop)
        NextDropPlace(x, y, s);
    if (*Divisor > 8)
        (*Divisor)--;
    return drop;
}

// ---- Per-scene frame timing (headless bench) -------------------------------

namespace {

// Scenes -10, -1 and 0 to 18, one slot each.
constexpr int kSceneSlots = 21;
// Frame times are counted in bins of 10 microseconds up to 200 ms; longer
// frames land in the last bin (their worst time is kept exactly).
constexpr int kBenchBins = 20000;
constexpr double kBinMs = 0.01;

uint32_t BenchBins[kSceneSlots][kBenchBins];
uint32_t BenchCount[kSceneSlots];
double BenchWorst[kSceneSlots];
double BenchTotalMs = 0;  // every recorded frame, all scenes
uint32_t BenchFrames = 0;

int SceneSlot(long Scene)
{
    if (Scene == -10)
        return 0;
    if (Scene == -1)
        return 1;
    if (Scene >= 0 && Scene <= 18)
        return int(Scene) + 2;
    return -1;
}

long SlotScene(int Slot)
{
    return Slot == 0 ? -10 : Slot == 1 ? -1 : Slot - 2;
}

} // namespace

void RecordSceneTime(long Scene, double Milliseconds)
{
    const int slot = SceneSlot(Scene);
    if (slot < 0 || !(Milliseconds >= 0))
        return;
    const double bin = Milliseconds / kBinMs;
    BenchBins[slot][bin < kBenchBins - 1 ? int(bin) : kBenchBins - 1]++;
    BenchCount[slot]++;
    if (Milliseconds > BenchWorst[slot])
        BenchWorst[slot] = Milliseconds;
    BenchTotalMs += Milliseconds;
    BenchFrames++;
}

void ResetSceneBench()
{
    for (int s = 0; s < kSceneSlots; s++) {
        for (uint32_t &b : BenchBins[s])
            b = 0;
        BenchCount[s] = 0;
        BenchWorst[s] = 0;
    }
    BenchTotalMs = 0;
    BenchFrames = 0;
}

void PrintSceneBench(FILE *out)
{
    std::fprintf(out, "%6s %8s %10s %10s\n", "scene", "frames", "median ms", "worst ms");
    for (int s = 0; s < kSceneSlots; s++) {
        if (!BenchCount[s])
            continue;
        // The median is the middle bin's centre, capped by the worst time;
        // past the table it is given as the worst time (an upper bound).
        const uint32_t half = (BenchCount[s] + 1) / 2;
        uint32_t seen = 0;
        int bin = 0;
        while (bin < kBenchBins - 1 && (seen += BenchBins[s][bin]) < half)
            bin++;
        double median = (bin + 0.5) * kBinMs;
        if (bin == kBenchBins - 1 || median > BenchWorst[s])
            median = BenchWorst[s];
        std::fprintf(out, "%6ld %8u %10.3f %10.3f\n", SlotScene(s), unsigned(BenchCount[s]), median,
                     BenchWorst[s]);
    }
    // The whole demo: the drawing time of every frame added up, and the
    // frames per second that this drawing alone would allow.
    if (BenchFrames)
        std::fprintf(out, "%6s %8u %10s %10s  drawing %.1f ms in all, %.0f frames/s\n", "all", unsigned(BenchFrames),
                     "-", "-", BenchTotalMs, BenchTotalMs > 0 ? BenchFrames * 1000.0 / BenchTotalMs : 0.0);
}

// ---- The script -------------------------------------------------------------

namespace {

// The settings a step makes when it begins, after DemoState and
// DemoSubState1. Settings of modules are added here with the modules.
void BeginStep(int step)
{
    switch (step) {
    case 5:
        ChangeSwirlDirection();
        break;
    case 8:
        DoSpinRandom = 0;
        break;
    case 9:
    case 10:
        DoSpinRandom = 1;   // the feedback's zoom and turn wander
        break;
    case 11:
    case 12:
        FinishBumpy = step == 12 ? 1 : 0;   // step 12 sends the bump lights away
        break;
    case 13:
        bWaterFireEffect = 0;
        DropDivisor = 200;
        break;
    case 14:
    case 17:
        bWaterFireEffect = 0;
        break;
    case 15:
    case 16:
        DemoSubState2 = 10;   // bar countdown
        DrawBar = 1;
        bWaterFireEffect = step == 15 ? 1 : 0;
        break;
    case 19:
        LandSpeed = 0;
        break;
    case 20:
        sa = 0;   // the landscape settles: no more turning or moving
        ss = 0;
        break;
    case 27:
        RotateEffect = 1;   // the stirrers churn the curtain
        break;
    case 28:
        DrawPic = 15;       // the picture is pressed in for 15 frames
        break;
    case 29:
        DrawPic = 3;
        bWaterFireEffect = 1;
        break;
    case 31:
        Set3DTextureType(kFaceCrystalSmooth);
        GlassOfs = 0;
        Ripple = 0;
        break;
    case 32:
        Set3DTextureType(kFaceCrystalSmooth);
        Ripple = 1;
        break;
    case 33:
        Set3DTextureType(kFaceCrystalTexture);
        break;
    case 34:
        Set3DTextureType(kFaceMetalTexture);
        Ripple = 1;
        break;
    case 36:
        SelectObject3D(&objMan, &objManTemp);
        TransY = -120;
        break;
    case 37:
    case 38:
    case 39:
        Set3DTextureType(kFaceCrystalSmoothLit);
        Ripple = 0;
        GlassOfs = 100;
        if (step == 37) {
            RotateLights = 1;   // the lights turn from here on
            TransY = -120;
        }
        break;
    default:
        break;
    }
}

// A step's own work on every paced frame, before DoAction.
void StepFrameWork(int step, float F)
{
    long x, y, s;
    switch (step) {
    case 10:
        // Hold the feedback zoom and turn still against the wander.
        Radius = 1.2f;
        AngleFeedBack = 0;
        break;
    case 14:
        if (NextRandomDrop(&DropDivisor, &x, &y, &s))
            DrawDrop(x, y, s);
        break;
    case 15:
    case 16:
        // The bar is pressed in for the step's first 11 frames.
        if (DrawBar == 1) {
            if (DemoSubState2 != 0)
                DemoSubState2--;
            else
                DrawBar = 0;
        }
        // Step 15 also drops on every frame.
        if (step == 15) {
            NextDropPlace(&x, &y, &s);
            DrawDrop(x, y, s);
        }
        break;
    case 19:
        // The camera slows from the scene's fast, wide-angle start while it
        // turns; then it turns faster at a steady speed.
        if (ss > 20000) {
            LandSpeed = F * 10000;
            ss = ss - LandSpeed;
            a = float(a + 0.02 * F);
            FOV = float(ss * 0.000002 + 0.7853981633974483);
        } else {
            a = float(a + 0.04 * F);
            ss = 20000;
        }
        break;
    case 20: {
        // Heading and position ease back to the map's origin.
        const double f = 1 - 0.04 * F;
        a = float(a * f);
        xView0 = long(double(xView0 % 2048) * f);
        yView0 = long(double(yView0 % 2048) * f);
        break;
    }
    case 28:
    case 29:
        // The picture countdown.
        if (DrawPic != 0)
            DrawPic--;
        break;
    case 32:
    case 33: {
        // The glass and then the texture blend grow by half a frame a frame;
        // the ripple swells.
        const long half = long((double(F) + 1.0) * 0.5);
        if (step == 32 && GlassOfs < 100)
            GlassOfs += half;
        if (step == 33 && TextureTrans < 64)
            TextureTrans += half;
        if (RippleMagnitude < 3.0f)
            RippleMagnitude += 0.03f;
        break;
    }
    case 34:
        // The texture blend eases back.
        if (TextureTrans > 42)
            TextureTrans -= long((double(F) + 1.0) * 0.5);
        break;
    default:
        break;
    }
}

void TimedDoAction(float F)
{
    if (!bBenchScenes) {
        DoAction(F);
        return;
    }
    const long scene = DemoState;
    const auto t0 = std::chrono::steady_clock::now();
    DoAction(F);
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - t0;
    RecordSceneTime(scene, took.count());
}

// The frame loop shared by every step: paced frames until the music reaches
// EndPos or the program closes. Between frames the processor is given back
// until the next frame is due (a frame is due once the clock is 34 ms past
// the last one, the first whole millisecond of 1/30 s). Returns the frames
// drawn.
long RunFrames(int step, long EndPos)
{
    long frames = 0;
    while (!ApplicationFin && MusicTime < EndPos) {
        FramesMissed = FramesToChange();
        if (FramesMissed > 0) {
            MusicTime = FMUSIC_GetOrder(mod) * 100L + FMUSIC_GetRow(mod);
            // Hundredths of a frame in float, as the frame time itself is kept.
            CurrentFPS = long(std::floor(FramesMissed * 100.0f)) * 10000 + MusicTime;
            StepFrameWork(step, FramesMissed);
            TimedDoAction(FramesMissed);
            frames++;
        } else {
            WaitForClock(uint32_t(LastFrame + 34));
        }
    }
    return frames;
}

// One trace line: the step, the scene and sub-state it began with, the music
// position when it began and ended, and the frames it drew.
void TraceStep(int step, long SubState, long StartPos, long frames)
{
    if (!bTraceSteps)
        return;
    std::fprintf(stderr, "step=%d scene=%ld substate=%ld start=%02ld:%02ld end=%02ld:%02ld frames=%ld\n", step,
                 DemoState, SubState, StartPos / 100, StartPos % 100, MusicTime / 100, MusicTime % 100, frames);
}

} // namespace

void HandleDemo()
{
    MusicTime = 0;
    if (bTestOnly) {
        // The test card instead of the script, until the program closes.
        uint32_t *pixels = static_cast<uint32_t *>(EffectGFXPage32.pPageData);
        if (pixels)
            LoadPCX24("Data\\Testing.pcx", pixels, uint32_t(EffectGFXPage32.Width * EffectGFXPage32.Height));
        DemoState = -10;
        DemoSubState1 = 0;
        const long frames = RunFrames(0, LONG_MAX);
        TraceStep(0, 0, 0, frames);
        return;
    }
    for (int i = 0; i < kTimelineSteps; i++) {
        const TimelineStep &step = TimelineScript[i];
        DemoState = step.State;
        if (step.SubState != kKeepSubState)
            DemoSubState1 = step.SubState;
        const long subState = DemoSubState1;
        BeginStep(i + 1);
        const long start = MusicTime;
        const long frames = RunFrames(i + 1, step.EndPos);
        TraceStep(i + 1, subState, start, frames);
    }
}
