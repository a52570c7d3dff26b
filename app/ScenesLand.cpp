// Scene 7: the voxel landscape. It comes up out of a white page (the page
// is brightened by an amount that falls by 3 a frame), flies on, and in its
// last sub-state dissolves in the feedback effect's dimmed trails.
#include "Scenes.h"

#include "Feedback.h"
#include "LandEffect.h"

void SceneLand(float F)
{
    switch (DemoSubState1) {
    case 0:
        ss = 500000.0f;
        FOV = 1.7853981f;   // bits 0x3FE487ED: a wide view that the descent narrows
        sa = 0;
        PalXFade = 255;
        Cls32(page, 255, 255, 255);
        DemoSubState1 = 1;
        SetOffsets(-30, -15);
        [[fallthrough]];
    case 1:
        DoLandEffect(hMainAppWnd, hDrawWindowDC, F, page);
        if (PalXFade > 0) {
            PalXFade = long(float(PalXFade) - 3.0f * F);
            if (PalXFade > 0)
                BrightenScreen32(page, uint32_t(PalXFade), uint32_t(PalXFade), uint32_t(PalXFade));
        }
        Present();
        break;
    case 2:
        DoFeedbackEffectFade(page, 250);
        Present();
        break;
    default:
        break;
    }
}
