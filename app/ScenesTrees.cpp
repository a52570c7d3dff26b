// Scene 14: the trees, then the swirl turns them into smoke (3).
#include "Scenes.h"

#include "RandomFire.h"

void SceneTrees(float F)
{
    switch (DemoSubState1) {
    // Sub-states 0 to 2 (the trees growing and standing) come with the
    // plants module; its sub-state 0 sets SwirlInit so that 3 takes the
    // trees over.
    case 3:
        DoSwirlFireEffect(hMainAppWnd, hDrawWindowDC, long(F), page);
        Present();
        break;
    default:
        break;
    }
}
