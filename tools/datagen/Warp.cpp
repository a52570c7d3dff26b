// The warped background: WaterBackground.pcx (640 x 480, 256 colours) and
// OfsTable.pts (one little-endian 32-bit background index per page pixel).
// The warp draws page pixel k from background pixel offset + table[k] while
// the offset sweeps from 623 down to 0 and jumps back. To make that sweep
// seamless, the background is painted as rows of 623 pixels laid end to end
// (pixel n is column n mod 623 of row n / 623) and tiles across those
// columns: a shift by the whole sweep is then one row down, which the
// smooth picture hides. Stored as a 640-wide image it therefore looks
// sheared; the preview shows it as the warp reads it.
#include "Datagen.h"
#include "DataFile.h"
#include "Palette.h"
#include "PcxWriter.h"
#include "Shapes.h"

#include <cstdio>

namespace {

constexpr int kPeriod = 623;          // columns of one background row as the warp reads it
constexpr int kPixels = 640 * 480;    // the background's pixel count
constexpr int kPage = 400 * 308;
constexpr int kTopRow = 92;           // background row seen at the page's top

// Light at a background point (column u, row v): deep-water gradient,
// caustic network brightest near the surface, and slanted light rays.
double LightAt(int u, int v)
{
    const double depth = dg::SmoothStep(40.0, 460.0, v);
    const double base = 0.58 - 0.48 * depth;
    // Ridged noise: bright thin lines where the noise crosses its middle.
    auto ridges = [u, v](int period, uint32_t seed) {
        const double n = dg::Fbm(u * double(period) / kPeriod, v * double(period) / kPeriod, period, 3, seed);
        const double r = 1.0 - std::fabs(2.0 * n - 1.0);
        return r * r * r * r * r * r;
    };
    const double caustic = 0.65 * ridges(7, 11) + 0.45 * ridges(11, 23);
    const double strength = 0.50 - 0.38 * depth;
    // Rays: noise along a slanted column coordinate, tiling every 623.
    const double slant = (u + 0.22 * v) * 18.0 / kPeriod;
    const double ray = dg::ValueNoise(slant, 0.0, 18, 5);
    const double rays = ray * ray * ray * 0.22 * (1.0 - dg::SmoothStep(80.0, 420.0, v));
    return dg::Clamp(base + caustic * strength + rays, 0.0, 1.0);
}

IndexedPicture MakeBackground()
{
    IndexedPicture p;
    p.width = 640;
    p.height = 480;
    p.index.resize(size_t(kPixels));
    const std::vector<Key> keys = {
        {0.00, Rgb(1, 4, 16)},      {0.15, Rgb(3, 16, 44)},    {0.35, Rgb(6, 48, 94)},
        {0.55, Rgb(14, 96, 140)},   {0.72, Rgb(30, 150, 176)}, {0.86, Rgb(110, 214, 220)},
        {1.00, Rgb(236, 255, 250)},
    };
    for (int i = 0; i < 256; ++i)
        p.SetColour(i, RampAt(keys, i / 255.0));
    for (int n = 0; n < kPixels; ++n)
        p.index[size_t(n)] = uint8_t(dg::Round(LightAt(n % kPeriod, n / kPeriod) * 255.0));
    return p;
}

// Each page pixel looks through a rippled lens: a smooth displacement of
// up to about 14 pixels, made of a few crossing waves.
std::vector<int32_t> MakeOffsetTable()
{
    std::vector<int32_t> table(static_cast<size_t>(kPage));
    for (int y = 0; y < 308; ++y)
        for (int x = 0; x < 400; ++x) {
            const double dx = 8.0 * dg::Sin(dg::kTwoPi * y / 77.0 + 1.3 * dg::Sin(dg::kTwoPi * x / 191.0)) +
                              4.0 * dg::Sin(dg::kTwoPi * (x + y) / 53.0);
            const double dy = 6.0 * dg::Sin(dg::kTwoPi * x / 101.0 + 0.8 * dg::Sin(dg::kTwoPi * y / 67.0)) +
                              3.0 * dg::Sin(dg::kTwoPi * (x - y) / 41.0);
            int u = (x + 111 + dg::Round(dx)) % kPeriod;
            if (u < 0)
                u += kPeriod;
            const int v = y + kTopRow + dg::Round(dy);
            table[size_t(y * 400 + x)] = v * kPeriod + u;
        }
    return table;
}

} // namespace

bool OffsetTableInRange(const std::vector<int32_t> &table, int maxOffset)
{
    for (int32_t e : table)
        if (e < 0 || int64_t(e) + maxOffset >= kPixels)
            return false;
    return table.size() == size_t(kPage);
}

bool GenerateWarp(const std::string &dir)
{
    const std::vector<int32_t> table = MakeOffsetTable();
    if (!OffsetTableInRange(table, 623)) {
        std::fprintf(stderr, "datagen: the warp table leaves the background\n");
        return false;
    }
    std::vector<uint8_t> bytes;
    bytes.reserve(table.size() * 4);
    for (int32_t e : table)
        for (int b = 0; b < 4; ++b)
            bytes.push_back(uint8_t((uint32_t(e) >> (8 * b)) & 255));
    return WriteDataFile(dir, "WaterBackground.pcx", EncodePcx8(MakeBackground())) &&
           WriteDataFile(dir, "OfsTable.pts", bytes);
}
