// Feedback: redraws the page onto itself slightly zoomed and turned, so that
// whatever was drawn leaves trails. Owns its 400 x 308 work page.
#include "Feedback.h"

namespace {

constexpr int kWidth = 400;
constexpr int kHeight = 308;

long ClampOffset(long v)
{
    return v > kFeedbackOffsetLimit ? kFeedbackOffsetLimit : v < -kFeedbackOffsetLimit ? -kFeedbackOffsetLimit : v;
}

// The page is its own texture, read at texels up to (399, 307): it must be a
// 32-bit page at least that large, and the work page must exist.
bool CanFeed(const defZENTRIXPAGE *page)
{
    return page && page->pPageData && page->BPP == 32 && page->Width >= kWidth && page->Height >= kHeight &&
           FeedBack.pPageData && FeedBack.hPageDC;
}

void CopyBack(defZENTRIXPAGE *page)
{
    BitBlt(page->hPageDC, 0, 0, page->Width, page->Height, FeedBack.hPageDC, 0, 0);
}

} // namespace

defZENTRIXPAGE FeedBack;
long MoveOfs1 = -10, MoveOfs2 = -20;

int AllocateFeedbackMemory()
{
    if (!CreateGFXPage(&FeedBack, kWidth, kHeight, 32))
        return 0;
    return AllocateScanLines(&FeedBack) ? 1 : 0;
}

int InitializeFeedback(defZENTRIXPAGE *)
{
    return 1;
}

void SetOffsets(long a, long b)
{
    MoveOfs1 = ClampOffset(a);
    MoveOfs2 = ClampOffset(b);
}

// Corners (a, b), (399 - b, a), (399 - a, 307 - b), (b, 307 - a) take the
// page's corners: positive offsets pull them in (the old picture shrinks),
// unequal ones turn it.
int DoFeedbackEffect(defZENTRIXPAGE *EffectGFXPage)
{
    if (!CanFeed(EffectGFXPage))
        return 1;
    const int32_t a = int32_t(MoveOfs1), b = int32_t(MoveOfs2);
    TextureQuad(a, b, 0, 0,
                399 - b, a, 399, 0,
                399 - a, 307 - b, 399, 307,
                b, 307 - a, 0, 307,
                EffectGFXPage->pPageData, EffectGFXPage->Width, &FeedBack);
    CopyBack(EffectGFXPage);
    return 1;
}

int DoFeedbackEffectFade(defZENTRIXPAGE *EffectGFXPage, long level)
{
    if (!CanFeed(EffectGFXPage))
        return 1;
    const int32_t a = int32_t(MoveOfs1), b = int32_t(MoveOfs2);
    TextureQuadDimmed(a, b, 0, 0,
                      399 - b, a, 399, 0,
                      399 - a, 307 - b, 399, 307,
                      b, 307 - a, 0, 307,
                      EffectGFXPage->pPageData, EffectGFXPage->Width, int32_t(level), &FeedBack);
    CopyBack(EffectGFXPage);
    return 1;
}

void FreeFeedbackMemory()
{
    if (FeedBack.hPageBM || FeedBack.pPageData || FeedBack.BothScans)
        DeleteGFXPage(&FeedBack);
    FeedBack = defZENTRIXPAGE{};
}
