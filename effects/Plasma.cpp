// Plasma: midpoint displacement over squares of 256 (512 for maps wider than
// 256) down to 2, wrapping at the map's edges so that it tiles, then a
// four-neighbour blur.
#include "Plasma.h"

#include "Random.h"

namespace {

// The size of the current call.
long Width, Height;

// A coordinate at or beyond the size wraps; -1 (only the blur asks for it)
// reads 1, the mirror of 0.
inline long Wrap(long v, long size)
{
    if (v < 0)
        v = 1;
    return v % size;
}

inline unsigned char Clamp255(long v)
{
    return static_cast<unsigned char>(v < 0 ? 0 : v > 255 ? 255 : v);
}

// The three new cells of one square at (x, y) with side S: the middle of
// its top edge, its centre and the middle of its left edge, each the mean of
// its corners plus noise in -m + 1 .. m. Wrapping goes through Wrap, or
// through masks where both sides are 256.
template <bool Masked>
void Subdivide(unsigned char *M, long S)
{
    const long h = S / 2;
    const long r = 6 * S + 10;
    const long m = r / 2;
    auto at = [M](long x, long y) -> unsigned char & {
        if (Masked)
            return M[((y & 255) << 8) + (x & 255)];
        return M[Wrap(y, Height) * Width + Wrap(x, Width)];
    };
    for (long y = 0; y < Height; y += S) {
        for (long x = 0; x < Width; x += S) {
            const long a = at(x, y), b = at(x + S, y), c = at(x, y + S), d = at(x + S, y + S);
            at(x + h, y) = Clamp255(((a + b) >> 1) + m - Rand15() % r);
            at(x + h, y + h) = Clamp255(((a + b + c + d) >> 2) + m - Rand15() % r);
            at(x, y + h) = Clamp255(((a + c) >> 1) + m - Rand15() % r);
        }
    }
}

// One in-place pass of the blur, row by row: each cell becomes the mean of
// its four neighbours, already-blurred ones above and to the left.
void Smooth(unsigned char *M)
{
    for (long y = 0; y < Height; y++) {
        const unsigned char *up = M + Wrap(y - 1, Height) * Width;
        const unsigned char *down = M + Wrap(y + 1, Height) * Width;
        unsigned char *row = M + y * Width;
        for (long x = 0; x < Width; x++) {
            const long left = Wrap(x - 1, Width), right = Wrap(x + 1, Width);
            row[x] = static_cast<unsigned char>((up[x] + row[left] + down[x] + row[right]) >> 2);
        }
    }
}

} // namespace

void ComputePlasma(unsigned char *HMap, long PicWidth, long PicHeight, long Smoothness)
{
    if (!HMap || PicWidth < 1 || PicHeight < 1)
        return;
    Width = PicWidth;
    Height = PicHeight;
    const bool masked = PicWidth == 256 && PicHeight == 256;

    HMap[0] = 128;
    for (long S = PicWidth > 256 ? 512 : 256; S > 1; S /= 2) {
        if (masked)
            Subdivide<true>(HMap, S);
        else
            Subdivide<false>(HMap, S);
    }
    for (long pass = 0; pass < Smoothness; pass++)
        Smooth(HMap);
}
