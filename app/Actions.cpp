// Frame pacing (FramesToChange) and the per-frame scene dispatcher
// (DoAction): each scene is one function drawing its effects into the page
// and presenting it; a scene the dispatcher does not know presents nothing.
//
// Adding a scene: one function below and one case in DoAction.
#include "Gen32.h"

#include "Feedback.h"
#include "LightEffect.h"
#include "Scroller.h"
#include "Spin.h"
#include "Splot.h"
#include "Title.h"
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

// The title sprite over the middle of the page (scenes 0 and 1).
void PutTitle()
{
    MaskPut32(page, 0, 91, 400, 125, &TitlePicture, 0, 0, 0xFF00FF);
}

void PutTitleTrans(long Level)
{
    MaskPutTrans32(page, 0, 91, 400, 125, &TitlePicture, 0, 0, 0xFF00FF, uint32_t(Level));
}

// Scene 13: the title shakes into place (1), then flashes (2).
void SceneTitle(float F)
{
    switch (DemoSubState1) {
    case 0:
        TitleFade = 0;
        TitleOfs = 200;
        TitleGlow = 0;
        DemoSubState1 = 1;
        [[fallthrough]];
    case 1:
        DoTitleQuiverEffect(hMainAppWnd, hDrawWindowDC, long(F), page);
        Present();
        break;
    case 2:
        DoTitleGlowEffect(hMainAppWnd, hDrawWindowDC, long(F), page);
        Present();
        break;
    default:
        break;
    }
}

// Scene 0: the splot pulses in and out through its palette (1, 2); in 2 the
// title blends in while the light beams sweep from left to right; then the
// splot fades out (3) and the title stays (4).
void SceneSplot(float F)
{
    switch (DemoSubState1) {
    case 0:
        FadeVal = 0;
        SetPalette(0);
        DemoSubState1 = 1;
        LightPos = 0;
        [[fallthrough]];
    case 1:
    case 2:
        FadeVal += F;
        if (FadeVal <= 64)
            SetPalette(long(FadeVal));
        else if (FadeVal <= 128)
            SetPalette(long(128 - FadeVal));
        else
            FadeVal = 0;
        DoSplotEffect(hMainAppWnd, hDrawWindowDC, long(F), page);
        if (DemoSubState1 == 2) {
            TransVal = (LightPos - 500) / 14;
            TransVal = TransVal < 0 ? 0 : TransVal > 31 ? 31 : TransVal;
            PutTitleTrans(TransVal);
            LightPos = long(float(LightPos) + 2 * (float(LastFramesMissed) + F));
            LastFramesMissed = long(F);
            Lightlx = LightPos - 500;
            Lightly = LightPos / 8;
            if (LightPos > 1500)
                DemoSubState1 = 3;
            else
                DoLightEffect(hMainAppWnd, hDrawWindowDC, long(F), page);
        }
        Present();
        break;
    case 3: {
        const float x = FadeVal <= 64 ? FadeVal : 128 - FadeVal;
        FadeVal = x - 2 * F;
        if (FadeVal < 0) {
            FadeVal = 0;
            DemoSubState1 = 4;
        } else {
            SetPalette(long(FadeVal));
            DoSplotEffect(hMainAppWnd, hDrawWindowDC, long(F), page);
        }
    }
        [[fallthrough]];
    case 4:
        PutTitle();
        Present();
        break;
    default:
        break;
    }
}

// Scene 1: the spirals grow under the title (1, 2); then the feedback smears
// them into trails while they shrink to 80 and the title fades (3, 4); then
// they shrink away (5) and the page dims to black (6).
void SceneSpirals(float F)
{
    switch (DemoSubState1) {
    case 0:
        SpiralSize = 0;
        DemoSubState1 = 1;
        [[fallthrough]];
    case 1:
        if (SpiralSize < 200) {
            SpiralSize++;
            SetSpinSize(SpiralSize);
        } else {
            FadeVal = 0;
            TransVal = 64;
            DemoSubState1 = 2;
        }
        Cls32(page, 0, 0, 0);
        DoSpinEffect(hMainAppWnd, hDrawWindowDC, F, page);
        PutTitle();
        Present();
        break;
    case 2:
        Cls32(page, 0, 0, 0);
        DoSpinEffect(hMainAppWnd, hDrawWindowDC, F, page);
        PutTitle();
        Present();
        break;
    case 3:
        if (SpiralSize > 80) {
            SpiralSize--;
            SetSpinSize(SpiralSize);
        } else {
            DemoSubState1 = 4;
        }
        if (FadeVal < 240)
            FadeVal += 4 * F;
        DoFeedbackEffectFade(page, long(FadeVal));
        DoSpinEffect(hMainAppWnd, hDrawWindowDC, F, page);
        if (TransVal > 0) {
            PutTitleTrans(TransVal);
            TransVal--;
        }
        Present();
        break;
    case 4:
        if (FadeVal < 240)
            FadeVal += 4;
        DoFeedbackEffectFade(page, long(FadeVal));
        DoSpinEffect(hMainAppWnd, hDrawWindowDC, F, page);
        Present();
        break;
    case 5:
        if (SpiralSize > 0) {
            SpiralSize--;
            SetSpinSize(SpiralSize);
            DoFeedbackEffectFade(page, long(255 - 15 * F));
            DoSpinEffect(hMainAppWnd, hDrawWindowDC, F, page);
            Present();
        } else {
            DemoSubState1 = 6;
        }
        break;
    case 6:
        DimScreen32(page, 5, 5, 5);
        Present();
        break;
    default:
        break;
    }
}

// Scene 18: the greetings roll up, then the page goes black. The scroller
// stops at its end position, so reaching it (not only passing it) ends the
// roll.
void SceneScroller(float F)
{
    switch (DemoSubState1) {
    case 0:
        Cls32(page, 0, 0, 0);
        DemoSubState1 = 1;
        ScrollerPos = 0;
        [[fallthrough]];
    case 1:
        DoScrollerEffect(hMainAppWnd, hDrawWindowDC, long(F), page);
        Present();
        if (ScrollerPos <= kScrollerEnd)
            DemoSubState1 = 2;
        break;
    case 2:
        Cls32(page, 0, 0, 0);
        Present();
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

void DoAction(float FramesMissed)
{
    switch (DemoState) {
    case -10:
        SceneTestPicture();
        break;
    case -1:
        SceneBlack();
        break;
    case 0:
        SceneSplot(FramesMissed);
        break;
    case 1:
        SceneSpirals(FramesMissed);
        break;
    case 6:
        SceneWater(FramesMissed);
        break;
    case 13:
        SceneTitle(FramesMissed);
        break;
    case 18:
        SceneScroller(FramesMissed);
        break;
    default:
        break;
    }
}
