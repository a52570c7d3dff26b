// Pixel packing for the two page formats (16-bit 5-6-5, 32-bit 0x00RRGGBB)
// and the saturating 5-6-5 add shared by the additive blit and span routines.
// Library-internal: header-only, no state.
#pragma once

#include <cstdint>

namespace zentrix {

// 5-6-5 channel masks and 32-bit channel masks.
constexpr uint32_t kRed16 = 0xF800, kGreen16 = 0x07E0, kBlue16 = 0x001F;
constexpr uint32_t kRed32 = 0xFF0000, kGreen32 = 0x00FF00, kBlue32 = 0x0000FF;

// Components are packed as given, without masking: an out-of-range value
// spills into the neighbouring channel, which callers rely on.
inline uint16_t Pack16(uint32_t r, uint32_t g, uint32_t b)
{
    return static_cast<uint16_t>((r << 11) + (g << 5) + b);
}

inline uint32_t Pack32(uint32_t r, uint32_t g, uint32_t b)
{
    return (r << 16) + (g << 8) + b;
}

// A 24-bit colour (R, G, B bytes) reduced to 5-6-5.
inline uint16_t Rgb24To16(uint8_t r, uint8_t g, uint8_t b)
{
    return static_cast<uint16_t>(((r >> 3) << 11) + ((g >> 2) << 5) + (b >> 3));
}

// A 24-bit colour widened to 0x00RRGGBB.
inline uint32_t Rgb24To32(uint8_t r, uint8_t g, uint8_t b)
{
    return (uint32_t(r) << 16) + (uint32_t(g) << 8) + b;
}

// 0x00RRGGBB reduced to 5-6-5 (the low bits of each channel are dropped).
inline uint16_t Xrgb32To16(uint32_t p)
{
    return static_cast<uint16_t>(((p >> 8) & kRed16) | ((p >> 5) & kGreen16) | ((p >> 3) & kBlue16));
}

// 5-6-5 widened to 0x00RRGGBB, the top bits repeated into the low ones so
// that full intensity stays 255.
inline uint32_t Rgb16To32(uint16_t p)
{
    const uint32_t r = (p >> 11) & 31, g = (p >> 5) & 63, b = p & 31;
    return (((r << 3) | (r >> 2)) << 16) | (((g << 2) | (g >> 4)) << 8) | ((b << 3) | (b >> 2));
}

// Saturating add of two 5-6-5 pixels. When neither pixel has the top bit of
// any channel set, no channel can carry into the next: add them as numbers.
inline uint16_t AddColor16(uint32_t a, uint32_t b)
{
    if ((a & 0x7BEF) == a && (b & 0x7BEF) == b)
        return static_cast<uint16_t>(a + b);
    uint32_t red = (a & kRed16) + (b & kRed16);
    uint32_t green = (a & kGreen16) + (b & kGreen16);
    uint32_t blue = (a & kBlue16) + (b & kBlue16);
    if (red > kRed16) red = kRed16;
    if (green > kGreen16) green = kGreen16;
    if (blue > kBlue16) blue = kBlue16;
    return static_cast<uint16_t>(red + green + blue);
}

// Saturating per-byte add and subtract of two 32-bit words (all four bytes).
inline uint32_t AddBytes32(uint32_t a, uint32_t b)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        uint32_t s = ((a >> shift) & 0xFF) + ((b >> shift) & 0xFF);
        out |= (s > 255 ? 255u : s) << shift;
    }
    return out;
}

inline uint32_t SubBytes32(uint32_t a, uint32_t b)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        int32_t s = int32_t((a >> shift) & 0xFF) - int32_t((b >> shift) & 0xFF);
        out |= uint32_t(s < 0 ? 0 : s) << shift;
    }
    return out;
}

} // namespace zentrix
