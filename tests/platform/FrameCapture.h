// A frame hook that keeps the last screen the backend composed, for the
// tests that look at what reached the screen.
#pragma once

#include "Platform.h"

#include <cstdint>
#include <vector>

struct CapturedScreen {
    std::vector<uint32_t> Screen;
    int W = 0, H = 0, Count = 0;
    uint32_t Ms = 0;
};

inline void CaptureScreen(const uint32_t *screen, int w, int h, uint32_t ms, void *user)
{
    CapturedScreen *c = static_cast<CapturedScreen *>(user);
    c->Screen.assign(screen, screen + static_cast<size_t>(w) * h);
    c->W = w;
    c->H = h;
    c->Ms = ms;
    c->Count++;
}
