// Drawing state of the whole program: the effect modules' buffers, the
// shared pages and the title sprite, made once on the render thread
// (InitAppMemory) and released once at shutdown (QuitAppMemory).
//
// Each module's calls go into the three lists below, in the fixed orders
// given beside them.
#include "Gen32.h"
#include "3DStuff.h"
#include "BumpyEffect.h"
#include "Feedback.h"
#include "FireEffect.h"
#include "General.h"
#include "Helix.h"
#include "LandEffect.h"
#include "LenzFlare.h"
#include "LightEffect.h"
#include "Plants.h"
#include "RandomFire.h"
#include "Scroller.h"
#include "Spin.h"
#include "Splot.h"
#include "Title.h"
#include "WaterEffect.h"

int GetBackgroundPic()
{
    return CreateGFXPage(&Background, 400, 308, 32);
}

int InitAppMemory()
{
    // 1. Allocation, stopping at the first failure, in this order: Water,
    //    Bumpy, Lenz, 3D, RndFire, Fire, Land, Spin, Splot, Feedback,
    //    General, Title, Plant, Helix, Scroller, Light.
    if (!AllocateWaterMemory())
        return 0;
    if (!AllocateBumpyMemory())
        return 0;
    if (!AllocateLenzMemory())
        return 0;
    if (!Allocate3DMemory())
        return 0;
    if (!AllocateRndFireMemory())
        return 0;
    if (!AllocateFireMemory())
        return 0;
    if (!AllocateLandMemory())
        return 0;
    if (!AllocateSpinMemory())
        return 0;
    if (!AllocateSplotMemory())
        return 0;
    if (!AllocateFeedbackMemory())
        return 0;
    if (!AllocateGeneralMemory())
        return 0;
    if (!AllocateTitleMemory())
        return 0;
    if (!AllocatePlantMemory())
        return 0;
    if (!AllocateHelixMemory())
        return 0;
    if (!AllocateScrollerMemory())
        return 0;
    if (!AllocateLightMemory())
        return 0;

    // 2. The shared pages. A page that can't be made is an allocation
    //    failure too: every scene draws into them.
    if (!CreateGFXPage(&EffectGFXPage16, 400, 308, 16))
        return 0;
    if (!CreateGFXPage(&EffectGFXPage32_2, 400, 308, 32))
        return 0;
    if (!CreateGFXPage(&EffectGFXPage32, 400, 308, 32))
        return 0;
    if (!AllocateScanLines(&EffectGFXPage32))
        return 0;
    if (!CreateGFXPage(&ZBuffer, 400, 308, 32))
        return 0;

    // 3. The title sprite.
    TitlePicture.BPP = 32;
    LoadSprite32("Data\\KestrunTitle.pcx", 400, 125, &TitlePicture);

    // 4. Initialisers, in this order: Water, Bumpy, Lenz, 3D, RndFire, Fire,
    //    Land, Light, Spin, then with EffectGFXPage32: Title, Feedback,
    //    General, Splot, Plant, Helix, Scroller.
    InitializeWater();
    InitializeBumpy();
    InitializeLenz();
    Initialize3D();
    InitializeRndFire();
    InitializeFire();
    InitializeLand();
    InitializeLight();
    InitializeSpin();
    InitializeTitle(&EffectGFXPage32);
    InitializeFeedback(&EffectGFXPage32);
    InitializeGeneral(&EffectGFXPage32);
    InitializeSplot(&EffectGFXPage32);
    InitializePlant(&EffectGFXPage32);
    InitializeHelix(&EffectGFXPage32);
    InitializeScroller(&EffectGFXPage32);
    return 1;
}

void QuitAppMemory()
{
    // Free functions in this order: Water, Bumpy, Lenz, 3D, RndFire, Fire,
    // Land, Light, Spin, Title, Plant, Splot, Feedback, Helix, Scroller,
    // General. Each tolerates buffers that were never allocated.
    FreeWaterMemory();
    FreeBumpyMemory();
    FreeLenzMemory();
    Free3DMemory();
    FreeRndFireMemory();
    FreeFireMemory();
    FreeLandMemory();
    FreeLightMemory();
    FreeSpinMemory();
    FreeTitleMemory();
    FreePlantMemory();
    FreeSplotMemory();
    FreeFeedbackMemory();
    FreeHelixMemory();
    FreeScrollerMemory();
    FreeGeneralMemory();

    FreeSprite32(&TitlePicture);
    DeleteGFXPage(&EffectGFXPage16);
    DeleteGFXPage(&EffectGFXPage32_2);
    DeleteGFXPage(&EffectGFXPage32);
    DeleteGFXPage(&ZBuffer);
    DeleteGFXPage(&Background);
}
