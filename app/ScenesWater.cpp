// Scene 6: the water. Two halves slide together from opposite corners over
// a dimming page (DemoSubState2 is their offset), the surface ripples full
// screen, then it flies apart: stretched away to the lower right, mirrored
// once the offset passes 154, over a page that brightens to white.
#include "Scenes.h"

#include "WaterEffect.h"

void SceneWater(float F)
{
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
