// Where the screen goes in the SDL window: the aspect-kept or whole-multiple
// fit, centred; the stretched picture; and when nearest-neighbour filtering
// is the right one. Plain arithmetic, so the tests can check every case.
#include "PlatformInternal.h"

#include <algorithm>

namespace {

// Height of a title bar and frame kept free when sizing the desktop window.
constexpr int kWindowFrame = 48;

PlaceRect Centred(int w, int h, int ow, int oh)
{
    return PlaceRect{(ow - w) / 2, (oh - h) / 2, w, h};
}

} // namespace

PlaceRect PlaceScreen(int sw, int sh, int ow, int oh, bool integer)
{
    if (sw <= 0 || sh <= 0 || ow <= 0 || oh <= 0)
        return PlaceRect{0, 0, std::max(ow, 0), std::max(oh, 0)};
    if (integer) {
        const int k = std::min(ow / sw, oh / sh);
        if (k >= 1)
            return Centred(sw * k, sh * k, ow, oh);
    }
    // Width-limited when ow/sw <= oh/sh; sizes rounded to the nearest pixel.
    const int64_t lw = int64_t(ow) * sh, lh = int64_t(oh) * sw;
    if (lw <= lh)
        return Centred(ow, int((int64_t(sh) * ow * 2 + sw) / (2 * sw)), ow, oh);
    return Centred(int((int64_t(sw) * oh * 2 + sh) / (2 * sh)), oh, ow, oh);
}

PlaceRect PlaceStretched(int pw, int ph, int ow, int oh, bool integer)
{
    if (!integer || pw <= 0 || ph <= 0)
        return PlaceRect{0, 0, std::max(ow, 0), std::max(oh, 0)};
    const int w = ow / pw >= 1 ? pw * (ow / pw) : ow;
    const int h = oh / ph >= 1 ? ph * (oh / ph) : oh;
    return Centred(w, h, ow, oh);
}

PlaceRect MapToPlacement(const PlaceRect &screen, int sw, int sh, int x, int y, int w, int h)
{
    if (sw <= 0 || sh <= 0)
        return screen;
    auto mapX = [&](int v) { return screen.X + int(int64_t(v) * screen.W / sw); };
    auto mapY = [&](int v) { return screen.Y + int(int64_t(v) * screen.H / sh); };
    const int x0 = mapX(x), y0 = mapY(y);
    return PlaceRect{x0, y0, mapX(x + w) - x0, mapY(y + h) - y0};
}

bool UseNearestFilter(PlatScaleFilter filter, int srcW, int srcH, int dstW, int dstH)
{
    if (filter != PLAT_FILTER_AUTO)
        return filter == PLAT_FILTER_NEAREST;
    return srcW > 0 && srcH > 0 && dstW > 0 && dstH > 0 && dstW % srcW == 0 && dstH % srcH == 0;
}

void DefaultWindowSize(int uw, int uh, int *w, int *h)
{
    const int k = std::max(1, std::min(uw / 400, (uh - kWindowFrame) / 300));
    *w = 400 * k;
    *h = 300 * k;
}
