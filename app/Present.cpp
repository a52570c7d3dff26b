// Presentation of a finished page: the counter, then the page centred on the
// screen, stretched over it, or reduced to 16 bits a pixel first, handed to
// the platform (the window thread shows it; headless, the frame sinks).
#include "CommonStuff.h"
#include "Gen32.h"
#include "General.h"

#include <cmath>
#include <cstdio>

extern std::atomic<int> SaveRequested;

namespace {

char szFPS[255];

PlatPresentation PageRect(const defZENTRIXPAGE &page, int sx, int sy, int sw, int sh, int dx, int dy, int dw, int dh)
{
    return PlatPresentation{page.pPageData, page.Width, page.Height, static_cast<int>(page.BPP),
                            sx, sy, sw, sh, dx, dy, dw, dh};
}

} // namespace

void EffectBlt(HWND hWnd, HDC, defZENTRIXPAGE *EffectGFXPage)
{
    if (!EffectGFXPage || !EffectGFXPage->pPageData)
        return;
    defZENTRIXPAGE &page = *EffectGFXPage;

    // The screenshot asked for on the window thread: the frame is finished.
    if (SaveRequested.exchange(0)) {
        if (SaveBitmap(&EffectGFXPage32, ""))
            MessageBeep(0);
        else
            std::fputs("veltrane: could not write Saved.bmp\n", stderr);
    }

    RECT rect{};
    GetClientRect(hWnd, &rect);
    if (ShowFPS.load()) {
        std::snprintf(szFPS, sizeof(szFPS), "%9ld", static_cast<long>(std::floor(CurrentFPS.load() + 0.5)));
        DrawNumbers(szFPS, &page);
    }
    if (StretchToScreen.load()) {
        // Columns 0 to Width-5 and rows 4 to the last one over the whole
        // client area (the original's source rectangle ran 4 rows past the
        // page; it is kept inside it here). The window shows it over its
        // whole area, as the original's full-screen window did.
        PlatPresentation whole = PageRect(page, 0, 4, page.Width - 4, page.Height - 4, 0, 0,
                                          static_cast<int>(rect.right - rect.left),
                                          static_cast<int>(rect.bottom - rect.top));
        whole.WholeWindow = true;
        PlatPresent(whole);
        return;
    }
    if (DoubleSize.load() && page.Width <= 400)
        return;
    long x = 0, y = 0;
    if (bModeChange != 0 && ScreenWidth != 400) {
        x = (ScreenWidth - 400) / 2;
        y = (ScreenHeight - 308) / 2;
    }
    const int rows = page.Height - 8;
    if (page.BPP == 32 && DecreaseBits.load() && EffectGFXPage16.hPageDC &&
        BitBlt(EffectGFXPage16.hPageDC, 0, 0, page.Width, rows, page.hPageDC, 0, 0)) {
        const defZENTRIXPAGE &low = EffectGFXPage16;
        PlatPresent(PageRect(low, 0, 0, low.Width, low.Height - 8, static_cast<int>(x), static_cast<int>(y), low.Width,
                             low.Height - 8));
        return;
    }
    PlatPresent(PageRect(page, 0, 0, page.Width, rows, static_cast<int>(x), static_cast<int>(y), page.Width, rows));
}
