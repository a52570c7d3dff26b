// Frame pacing (FramesToChange) and the per-frame scene dispatcher
// (DoAction): each scene is one function drawing its effects into the page
// and presenting it; a scene the dispatcher does not know presents nothing.
//
// Adding a scene: one function below and one case in DoAction.
#include "Gen32.h"

namespace {

// The page most scenes draw into and present.
defZENTRIXPAGE *const page = &EffectGFXPage32;

void Present()
{
    EffectBlt(hMainAppWnd, hDrawWindowDC, page);
}

// Scene -10: the test card (loaded into the page by the timeline). The music
// jumps once to order 60 so that it plays on quietly.
void SceneTestPicture()
{
    switch (DemoSubState1) {
    case 0:
        FMUSIC_SetOrder(mod, 60);
        DemoSubState1 = 1;
        Present();
        break;
    case 1:
        Present();
        break;
    default:
        break;
    }
}

// Scene -1: a black screen.
void SceneBlack()
{
    Cls32(page, 0, 0, 0);
    Present();
}

} // namespace

float FramesToChange()
{
    const long now = UseHiResTimer ? long(timeGetTime()) : ClockMilliseconds();
    CurrentFrame = now;
    // The first call starts one frame back, so that it yields about 1.0.
    if (LastFrame == 0)
        LastFrame = long(double(CurrentFrame) - 33.333333333333336);
    FrameChange = float(now - LastFrame);
    if (FrameChange != 0) {
        // The fraction of a frame is not carried over: a paced frame restarts
        // the measurement at its own time stamp.
        const float F = float(double(FrameChange) * 0.03);
        if (F >= 1.0f) {
            LastFrame = now;
            return F;
        }
    }
    return 0.0f;
}

void DoAction([[maybe_unused]] float FramesMissed)
{
    switch (DemoState) {
    case -10:
        SceneTestPicture();
        break;
    case -1:
        SceneBlack();
        break;
    default:
        break;
    }
}
