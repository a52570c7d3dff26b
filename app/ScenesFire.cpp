// Scenes 15 (the particle fire flares up) and 16 (a water curtain falls over
// the fire, ripples, then rises over the warped background).
#include "Scenes.h"

#include "3DStuff.h"
#include "FireEffect.h"
#include "General.h"
#include "WaterEffect.h"

// Scene 15: the fire on a cleared page. FadeVal counts the first 255 frames.
void SceneFire(float F)
{
    switch (DemoSubState1) {
    case 0:
        FadeVal = 0;
        DemoSubState1 = 1;
        Cls32(page, 0, 0, 0);
        [[fallthrough]];
    case 1:
        if (FadeVal < 255) {
            FadeVal += 1;
        } else {
            FadeVal = 255;
            DemoSubState1 = 2;
        }
        DoFireEffect(hMainAppWnd, hDrawWindowDC, long(F), page);
        Present();
        DimScreen32(page, 30, 30, 30);
        break;
    case 2:
    case 3:
        DoFireEffect(hMainAppWnd, hDrawWindowDC, long(F), page);
        Present();
        break;
    default:
        break;
    }
}

namespace {

// The warped background drawn at the 3D angle, which turns a little each
// frame.
void TurnWarpedBackground(float F)
{
    Angle3DX = long(float(Angle3DX) + F) & 1023;
    DrawWarpOfs(long(623.0 - double(Angle3DX) * 0.609), &Background);
}

} // namespace

// Scene 16: the water, drawn into the second page, comes down over the fire
// as a curtain DemoSubState2 rows high (1), fills the screen (2), then rises
// and takes the warped background up with its lower edge (3). The water
// draws 304 rows, so those are stretched to the curtain's height.
void SceneFireCurtain(float F)
{
    long &S = DemoSubState2;
    switch (DemoSubState1) {
    case 0:
        S = 0;
        DemoSubState1 = 1;
        [[fallthrough]];
    case 1:
        DoWaterEffect(hMainAppWnd, hDrawWindowDC, long(F), second);
        if (S < 308) {
            S = long(float(S) + 3.0f * F);
            if (S > 308)
                S = 308;
            // The fire goes on five times as fast under the curtain.
            DoFireEffect(hMainAppWnd, hDrawWindowDC, long(5.0f * F), page);
            StretchBlt(page->hPageDC, 0, 0, 400, S, second->hPageDC, 0, 0, 400, 304);
        } else {
            S = 308;
            DemoSubState1 = 2;
            BitBlt(page->hPageDC, 0, 0, 400, 308, second->hPageDC, 0, 0);
        }
        Present();
        break;
    case 2:
        DoWaterEffect(hMainAppWnd, hDrawWindowDC, long(F), page);
        Present();
        break;
    case 3:
        TurnWarpedBackground(F);
        if (S > 0) {
            S = long(float(S) - 5.0f * F);
            if (S < 0)
                S = 0;
            DoWaterEffect(hMainAppWnd, hDrawWindowDC, long(F), second);
            BitBlt(page->hPageDC, 0, S, 400, 308, Background.hPageDC, 0, 0);
            StretchBlt(page->hPageDC, 0, 0, 400, S, second->hPageDC, 0, 0, 400, 304);
        } else {
            S = 0;
            BitBlt(page->hPageDC, 0, 0, 400, 308, Background.hPageDC, 0, 0);
        }
        Present();
        break;
    default:
        break;
    }
}
