// The headless backend: no window and no sound device. A virtual screen
// (400 x 300 unless another size is emulated) receives every presented
// frame, composed as the window would show it, and hands it to a frame hook.
#include "PlatformInternal.h"


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

void HeadlessPresent(const PlatPresentation &frame)
{
    // Frames come from the render thread only; the buffers are its own.
    PlatPresentation f = frame;
    if (!gHook || !ClipPresentation(&f))
        return;
    CopyToSlot(gSlot, f);
    const size_t screen = static_cast<size_t>(gScreenW) * gScreenH;
    if (gScreen.size() != screen)
        gScreen.resize(screen);
    ComposeFrame(gSlot, gScreen.data(), static_cast<int>(gScreenW), static_cast<int>(gScreenH));
    if (gHook)
        gHook(gScreen.data(), static_cast<int>(gScreenW), static_cast<int>(gScreenH), PlatVirtualTime(), gHookUser);
}
