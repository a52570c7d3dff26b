// A 32-bit picture (0x00RRGGBB words) for the generators to paint into, and
// the few painting helpers they share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> px;

    Picture() = default;
    Picture(int w, int h, uint32_t fill = 0) : width(w), height(h), px(size_t(w) * size_t(h), fill) {}
    uint32_t &At(int x, int y) { return px[size_t(y) * size_t(width) + size_t(x)]; }
    uint32_t At(int x, int y) const { return px[size_t(y) * size_t(width) + size_t(x)]; }
    bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
};

inline uint32_t Rgb(int r, int g, int b)
{
    auto c = [](int v) { return uint32_t(v < 0 ? 0 : (v > 255 ? 255 : v)); };
    return (c(r) << 16) | (c(g) << 8) | c(b);
}
inline int RedOf(uint32_t c) { return int((c >> 16) & 255); }
inline int GreenOf(uint32_t c) { return int((c >> 8) & 255); }
inline int BlueOf(uint32_t c) { return int(c & 255); }

// a + (b - a) * t / 255 per channel, t in 0..255, rounded.
inline uint32_t Blend(uint32_t a, uint32_t b, int t)
{
    auto ch = [t](int x, int y) { return x + ((y - x) * t + (y >= x ? 127 : -127)) / 255; };
    return Rgb(ch(RedOf(a), RedOf(b)), ch(GreenOf(a), GreenOf(b)), ch(BlueOf(a), BlueOf(b)));
}

// Channel-wise saturating sum.
inline uint32_t AddSat(uint32_t a, uint32_t b)
{
    return Rgb(RedOf(a) + RedOf(b), GreenOf(a) + GreenOf(b), BlueOf(a) + BlueOf(b));
}

inline void FillRect(Picture &p, int x0, int y0, int w, int h, uint32_t c)
{
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x)
            if (p.Inside(x, y))
                p.At(x, y) = c;
}
