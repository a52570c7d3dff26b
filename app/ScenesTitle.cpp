// Scenes -10 (test card), -1 (black), 13 (title), 0 (splot with light
// beams), 1 (spirals) and 18 (scroller).
#include "Scenes.h"

#include "Feedback.h"
#include "LightEffect.h"
#include "RandomFire.h"
#include "Scroller.h"
#include "Spin.h"
#include "Splot.h"
#include "Title.h"

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

namespace {

// The title sprite over the middle of the page (scenes 0 and 1).
void PutTitle()
{
    MaskPut32(page, 0, 91, 400, 125, &TitlePicture, 0, 0, 0xFF00FF);
}

void PutTitleTrans(long Level)
{
    MaskPutTrans32(page, 0, 91, 400, 125, &TitlePicture, 0, 0, 0xFF00FF, uint32_t(Level));
}

} // namespace

// Scene 13: the title shakes into place (1), then flashes (2), then turns
// into smoke that drifts away (3).
void SceneTitle(float F)
{
    switch (DemoSubState1) {
    case 0:
        TitleFade = 0;
        TitleOfs = 200;
        TitleGlow = 0;
        SwirlInit = 1;
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
    case 3:
        DoSwirlFireEffect(hMainAppWnd, hDrawWindowDC, long(F), page);
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
