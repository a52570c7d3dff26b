// The headless backend: no window and no sound device. A virtual screen
// (400 x 300 unless another size is emulated) receives every presented
// frame, composed as the window would show it, and hands it to a frame hook.
#include "PlatformInternal.h"

#include <algorithm>
#include <cstring>

namespace {

long gScreenW = 400, gScreenH = 300;
std::vector<uint32_t> gScreen;
FrameSlot gSlot;
PlatFrameHook gHook = nullptr;
void *gHookUser = nullptr;

} // namespace

bool HeadlessInit()
{
    gScreenW = 400;
    gScreenH = 300;
    VirtualClockSet(1000);
    return true;
}

void HeadlessEmulateDisplayMode(long width, long height)
{
    gScreenW = width;
    gScreenH = height;
}

int HeadlessScreenMetric(int index)
{
    return static_cast<int>(index == SM_CXSCREEN ? gScreenW : index == SM_CYSCREEN ? gScreenH : 0);
}

void PlatSetFrameHook(PlatFrameHook hook, void *user)
{
    gHook = hook;
    gHookUser = user;
}

namespace {

// The usual frame, 32-bit pixels shown at their own size: each row goes
// from the page straight to the screen (one copy), and only the screen
// around them is cleared. The same screen as CopyToSlot and ComposeFrame.
void ComposeUnscaled32(const PlatPresentation &f, uint32_t *screen, int sw, int sh)
{
    const int y0 = std::max(f.DstY, 0), y1 = std::min(f.DstY + f.DstH, sh);
    const int x0 = std::max(f.DstX, 0), x1 = std::min(f.DstX + f.DstW, sw);
    if (y1 <= y0 || x1 <= x0) {
        std::fill(screen, screen + static_cast<size_t>(sw) * sh, 0u);
        return;
    }
    std::fill(screen, screen + static_cast<size_t>(y0) * sw, 0u);
    std::fill(screen + static_cast<size_t>(y1) * sw, screen + static_cast<size_t>(sw) * sh, 0u);
    const uint32_t *pixels = static_cast<const uint32_t *>(f.Pixels);
    for (int y = y0; y < y1; y++) {
        uint32_t *out = screen + static_cast<size_t>(y) * sw;
        const uint32_t *in = pixels + static_cast<size_t>(f.SrcY + y - f.DstY) * f.Width + f.SrcX + (x0 - f.DstX);
        std::fill(out, out + x0, 0u);
        std::memcpy(out + x0, in, static_cast<size_t>(x1 - x0) * sizeof(uint32_t));
        std::fill(out + x1, out + sw, 0u);
    }
}

} // namespace

void HeadlessPresent(const PlatPresentation &frame)
{
    // Frames come from the render thread only; the buffers are its own.
    PlatPresentation f = frame;
    if (!gHook || !ClipPresentation(&f))
        return;
    const size_t screen = static_cast<size_t>(gScreenW) * gScreenH;
    if (gScreen.size() != screen)
        gScreen.resize(screen);
    if (f.BPP == 32 && f.SrcW == f.DstW && f.SrcH == f.DstH) {
        ComposeUnscaled32(f, gScreen.data(), static_cast<int>(gScreenW), static_cast<int>(gScreenH));
    } else {
        CopyToSlot(gSlot, f);
        ComposeFrame(gSlot, gScreen.data(), static_cast<int>(gScreenW), static_cast<int>(gScreenH));
    }
    if (gHook)
        gHook(gScreen.data(), static_cast<int>(gScreenW), static_cast<int>(gScreenH), PlatVirtualTime(), gHookUser);
}
