// Title: the title picture that shakes into place (four jittering additive
// copies) and then flashes with a growing, fading glow.
// Owns the two 320 x 240 pictures and the quiver and glow counters.
#include "Title.h"

#include "Random.h"

#include <cstdlib>

namespace {

// Resting place of the picture: pixels 40..359 by 34..273, unscaled.
constexpr int32_t kLeft = 40, kTop = 34, kRight = 359, kBottom = 273;
constexpr int32_t kTexRight = kTitleWidth - 1, kTexBottom = kTitleHeight - 1;
constexpr long kPixels = long(kTitleWidth) * kTitleHeight;

} // namespace

uint32_t *TitleTexMain;
uint32_t *TitleTex;
long TitleOfs = 200;
long TitleFade = 0;
long TitleGlow = 0;

int AllocateTitleMemory()
{
    // Zeroed: a missing picture file leaves a black picture.
    TitleTexMain = static_cast<uint32_t *>(std::calloc(kPixels, sizeof(uint32_t)));
    TitleTex = static_cast<uint32_t *>(std::calloc(kPixels, sizeof(uint32_t)));
    return TitleTexMain && TitleTex ? 1 : 0;
}

int InitializeTitle(defZENTRIXPAGE *)
{
    if (TitleTex)
        LoadRaw32("Data\\TitleLight.raw", kTitleWidth, kTitleHeight, TitleTex);
    if (TitleTexMain)
        LoadRaw32("Data\\TitleMain.raw", kTitleWidth, kTitleHeight, TitleTexMain);
    return 1;
}

void DoTitleQuiverEffect(HWND, HDC, long FramesMissed, defZENTRIXPAGE *EffectGFXPage)
{
    if (!EffectGFXPage)
        return;
    Cls32(EffectGFXPage, 0, 0, 0);
    if (TitleOfs < 0) {
        TextureQuad(kLeft, kTop, 0, 0,
                    kRight, kTop, kTexRight, 0,
                    kRight, kBottom, kTexRight, kTexBottom,
                    kLeft, kBottom, 0, kTexBottom,
                    TitleTexMain, kTitleWidth, EffectGFXPage);
        return;
    }
    if (TitleFade < 64)
        TitleFade += FramesMissed;
    // Four copies jittered by up to half the amplitude each way, added onto
    // the black page: as the amplitude shrinks they come together.
    for (int i = 0; i < 4; i++) {
        int32_t dx = 0, dy = 0;
        if (TitleOfs != 0) {
            dx = int32_t(TitleOfs / 2 - (Rand15() % TitleOfs));
            dy = int32_t(TitleOfs / 2 - (Rand15() % TitleOfs));
        }
        AddTextureQuadDimmed(kLeft + dx, kTop + dy, 0, 0,
                             kRight + dx, kTop + dy, kTexRight, 0,
                             kRight + dx, kBottom + dy, kTexRight, kTexBottom,
                             kLeft + dx, kBottom + dy, 0, kTexBottom,
                             TitleTexMain, kTitleWidth, int32_t(TitleFade), EffectGFXPage);
    }
    TitleOfs -= 2 * FramesMissed;
}

// One step of the glow per call: the glow picture grows by 4 pixels a side
// and its level falls from 32; after 33 calls nothing more is drawn. The page
// is not cleared, so the steps add up on the last title frame.
void DoTitleGlowEffect(HWND, HDC, long, defZENTRIXPAGE *EffectGFXPage)
{
    if (!EffectGFXPage || TitleGlow >= kTitleGlowSteps || TitleGlow < 0)
        return;
    const int32_t g = int32_t(TitleGlow);
    AddTextureQuadDimmed(kLeft - 4 * g, kTop - 4 * g, 0, 0,
                         kRight + 4 * g, kTop - 4 * g, kTexRight, 0,
                         kRight + 4 * g, kBottom + 4 * g, kTexRight, kTexBottom,
                         kLeft - 4 * g, kBottom + 4 * g, 0, kTexBottom,
                         TitleTex, kTitleWidth, 32 - g, EffectGFXPage);
    TitleGlow++;
}

void FreeTitleMemory()
{
    std::free(TitleTexMain);
    TitleTexMain = nullptr;
    std::free(TitleTex);
    TitleTex = nullptr;
}
