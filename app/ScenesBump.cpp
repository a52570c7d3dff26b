// Scene 2: bump mapping. Three coloured lights wander over the embossed
// picture with a glow on each; at the end of the scene (FinishBumpy, set by
// the timeline) they leave towards the upper left and the picture goes dark.
#include "Scenes.h"

#include "BumpyEffect.h"

void SceneBumpy(float F)
{
    // Every sub-state draws the same.
    DoBumpyEffect(hMainAppWnd, hDrawWindowDC, F, page);
    Present();
}
