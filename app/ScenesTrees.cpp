// Scene 14: the trees. Over the last picture, which dims away to black, a
// tree grows branch by branch while it turns; once it is whole it keeps
// turning over a page that dims by 50 a frame, leaving short trails. Then
// the swirl turns the trees into smoke (3).
#include "Scenes.h"

#include "Plants.h"
#include "RandomFire.h"

void SceneTrees(float F)
{
    switch (DemoSubState1) {
    case 0:
        TreeAngle = 0;
        TreeBranch = 0;
        FadeVal = 0;
        SwirlInit = 1;
        DemoSubState1 = 1;
        [[fallthrough]];
    case 1:
        if (TreeBranch < TreeLinesUsed)
            TreeBranch += 40;
        if (TreeBranch >= TreeLinesUsed - 1) {
            DemoSubState1 = 2;
            // Just below the whole tree; never below none (a tree cut short
            // by closing during start-up has fewer than two segments).
            TreeBranch = TreeLinesUsed > 2 ? TreeLinesUsed - 2 : 0;
        }
        if (FadeVal < 50)
            FadeVal += 1;
        {
            const uint32_t v = uint32_t(long(FadeVal));
            DimScreen32(page, v, v, v);
        }
        DoPlantEffect(hMainAppWnd, hDrawWindowDC, long(F), page);
        Present();
        break;
    case 2:
        DimScreen32(page, 50, 50, 50);
        DoPlantEffect(hMainAppWnd, hDrawWindowDC, long(F), page);
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
