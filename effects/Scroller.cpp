// Scroller: the greetings picture rolling up the page.
// Owns the 300 x 800 greetings page and the scroll position.
#include "Scroller.h"

namespace {

constexpr int kWidth = 300;
constexpr int kHeight = 800;
constexpr int kColumn = 50;   // left column of the picture on the page

} // namespace

defZENTRIXPAGE TheScroller;
float ScrollerPos = 0.0f;

int AllocateScrollerMemory()
{
    return CreateGFXPage(&TheScroller, kWidth, kHeight, 32) ? 1 : 0;
}

int InitializeScroller(defZENTRIXPAGE *)
{
    if (TheScroller.pPageData)
        LoadPCX24("Data\\NewGreetz.pcx", static_cast<uint32_t *>(TheScroller.pPageData), uint32_t(kWidth) * kHeight);
    return 1;
}

// The picture's top row is drawn at ScrollerPos + 400, so it enters from
// below the page and rolls up until the position passes the end.
void DoScrollerEffect(HWND, HDC, long FramesMissed, defZENTRIXPAGE *EffectGFXPage)
{
    if (ScrollerPos > kScrollerEnd)
        ScrollerPos -= float(FramesMissed);
    if (!EffectGFXPage || !EffectGFXPage->hPageDC || !TheScroller.hPageDC)
        return;
    BitBlt(EffectGFXPage->hPageDC, kColumn, int32_t(ScrollerPos + 400.0f), kWidth, kHeight, TheScroller.hPageDC, 0, 0);
}

int FreeScrollerMemory()
{
    if (TheScroller.hPageBM || TheScroller.pPageData || TheScroller.BothScans)
        DeleteGFXPage(&TheScroller);
    TheScroller = defZENTRIXPAGE{};
    return 1;
}
