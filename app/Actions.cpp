// Frame pacing (FramesToChange) and the per-frame scene dispatcher
// (DoAction). Each scene is one function drawing its effects into the page
// and presenting it, in one file per group of scenes (Scenes.h); a scene the
// dispatcher does not know presents nothing.
//
// Adding a scene: its function in a Scenes*.cpp file, its declaration in
// Scenes.h and one case in DoAction.
#include "Scenes.h"

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
    case 2:
        SceneBumpy(FramesMissed);
        break;
    case 6:
        SceneWater(FramesMissed);
        break;
    case 7:
        SceneLand(FramesMissed);
        break;
    case 12:
        SceneDolphin(FramesMissed);
        break;
    case 13:
        SceneTitle(FramesMissed);
        break;
    case 14:
        SceneTrees(FramesMissed);
        break;
    case 15:
        SceneFire(FramesMissed);
        break;
    case 16:
        SceneFireCurtain(FramesMissed);
        break;
    case 17:
        SceneHelixMan(FramesMissed);
        break;
    case 18:
        SceneScroller(FramesMissed);
        break;
    default:
        break;
    }
}
