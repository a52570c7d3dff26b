// The cursor position: kept by the window thread from the mouse events it
// translates (headless: set by tests), readable from any thread. A file of
// its own, so that effect code asking for it links without the window.
#include "Platform.h"

#include <atomic>

namespace {
std::atomic<long> gCursorX{0}, gCursorY{0};
} // namespace

int GetCursorPos(POINT *point)
{
    if (!point)
        return 0;
    point->x = gCursorX.load(std::memory_order_relaxed);
    point->y = gCursorY.load(std::memory_order_relaxed);
    return 1;
}

void PlatSetCursorPos(long x, long y)
{
    gCursorX.store(x, std::memory_order_relaxed);
    gCursorY.store(y, std::memory_order_relaxed);
}
