// Frame pacing (FramesToChange) and the per-frame scene dispatcher
// (DoAction): each scene is one function drawing its effects into the page
// and presenting it; a scene the dispatcher does not know presents nothing.
//
// Adding a scene: one function below and one case in DoAction.
#include "Gen32.h"
#include "WaterEffect.h"

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

// Scene 6: the water. Two halves slide together from opposite corners over
// a dimming page (DemoSubState2 is their offset), the surface ripples full
// screen, then it flies apart: stretched away to the lower right, mirrored
// once the offset passes 154, over a page that brightens to white.
void SceneWater(float F)
{
    defZENTRIXPAGE *const second = &EffectGFXPage32_2;
    long &S = DemoSubState2;
    switch (DemoSubState1) {
    case 0:
        Cls32(page, 0, 0, 0);
        S = 308;
        DemoSubState1 = 1;
        [[fallthrough]];
    case 1:
        if (S > 0) {
            S = long(float(S) - 3.0f * F);
            DoWaterEffect(hMainAppWnd, hDrawWindowDC, long(F), second);
            const uint32_t v = uint32_t(long(10.0f * F));
            DimScreen32(page, v, v, v);
            BitBlt(page->hPageDC, S, S, 400, 154, second->hPageDC, 0, 0);
            BitBlt(page->hPageDC, -S, 154 - S, 400, 154, second->hPageDC, 0, 154);
            Present();
        } else {
            S = 0;
            DemoSubState1 = 2;
        }
        break;
    case 2:
        DoWaterEffect(hMainAppWnd, hDrawWindowDC, long(F), page);
        Present();
        break;
    case 3:
        if (S < 400) {
            S = long(float(S) + 4.0f * F);
            DoWaterEffect(hMainAppWnd, hDrawWindowDC, long(F), second);
            const uint32_t v = uint32_t(long(10.0f * F));
            BrightenScreen32(page, v, v, v);
            StretchBlt(page->hPageDC, 2 * S, S, 400 - S, 2 * (154 - S), second->hPageDC, 0, 0, 400, 308);
            Present();
        } else {
            S = 0;
            DemoSubState1 = 4;
        }
        break;
    default:
        break;
    }
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
    case 6:
        SceneWater(FramesMissed);
        break;
    default:
        break;
    }
}
