// Size checks shared by the page, sprite and loader code: a block of
// Width x Height pixels is made only when its byte count fits comfortably.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zentrix {

// Largest pixel count of one page or sprite: element indices stay in a
// signed 32-bit number (the row table holds y * Width as int32).
constexpr int32_t kMaxPixels = INT32_MAX / 4;

// Byte size of Width x Height pixels of `bytesPerPixel` bytes, or false for
// non-positive sizes and sizes past kMaxPixels.
inline bool PixelBlockBytes(int64_t Width, int64_t Height, uint32_t bytesPerPixel, size_t *bytes)
{
    if (Width <= 0 || Height <= 0 || bytesPerPixel == 0)
        return false;
    const int64_t count = Width * Height;
    if (Width > kMaxPixels || Height > kMaxPixels || count > kMaxPixels)
        return false;
    *bytes = static_cast<size_t>(count) * bytesPerPixel;
    return true;
}

} // namespace zentrix
