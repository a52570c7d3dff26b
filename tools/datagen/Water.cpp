// The water's data: Water.raw (100 x 150 signed heights: a leaping dolphin
// inside a ring, pressed into the surface) and WaterPal.raw (256 shades:
// the flat surface runs from shade 16 far away to 167 near; ripples reach
// the dark and the bright ends, up to white foam).
#include "Datagen.h"
#include "DataFile.h"
#include "Palette.h"
#include "Shapes.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

constexpr double kEdge = 140.0;   // height of the outline pressed in per frame

// Grid cells are 4 screen pixels wide and 2 high: the symbol is drawn on a
// 400 x 300 canvas and averaged down, so it keeps its shape on screen. The
// ripples smear a filled shape within frames, so the symbol is its outline:
// crisp ridges that keep the shape while the waves run off them.
std::vector<uint8_t> MakeWaterSymbol()
{
    Mask canvas(400, 300);
    FillPolygon(&canvas, PlaceOutline(DolphinOutline(), 200, 150, 300, -0.12, false));
    // A ring around it.
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x) {
            const double dx = x + 0.5 - 200, dy = y + 0.5 - 150;
            const double d = std::fabs(std::sqrt(dx * dx + dy * dy) - 138.0);
            canvas.Ref(x, y) = std::max(canvas.Ref(x, y), float(dg::Clamp(5.0 - d, 0.0, 1.0)));
        }
    Mask grid(100, 150);
    for (int gy = 0; gy < 150; ++gy)
        for (int gx = 0; gx < 100; ++gx) {
            double sum = 0;
            for (int y = 0; y < 2; ++y)
                for (int x = 0; x < 4; ++x)
                    sum += canvas.At(gx * 4 + x, gy * 2 + y);
            grid.Ref(gx, gy) = float(sum / 8);
        }
    // Band-pass: the shape minus its blur. Ridges just inside the outline,
    // troughs just outside, zero on the whole, so the surface keeps its level
    // instead of bulging under a filled shape.
    Mask soft = grid;
    Blur(&soft, 1, 2);
    std::vector<uint8_t> out(100 * 150);
    for (int gy = 0; gy < 150; ++gy)
        for (int gx = 0; gx < 100; ++gx) {
            const int v = dg::Round((grid.At(gx, gy) - soft.At(gx, gy)) * kEdge);
            out[size_t(gy * 100 + gx)] = uint8_t(int8_t(dg::ClampInt(v, -127, 127)));
        }
    return out;
}

std::vector<uint32_t> MakeWaterPalette()
{
    const std::vector<Key> keys = {
        {0.00, Rgb(0, 2, 12)},      {0.06, Rgb(2, 12, 38)},    {0.30, Rgb(8, 58, 112)},
        {0.50, Rgb(16, 112, 162)},  {0.66, Rgb(40, 162, 192)}, {0.80, Rgb(96, 206, 218)},
        {0.92, Rgb(180, 236, 240)}, {1.00, Rgb(255, 255, 255)},
    };
    std::vector<uint32_t> colours;
    for (int i = 0; i < 256; ++i)
        colours.push_back(RampAt(keys, i / 255.0));
    return colours;
}

} // namespace

bool GenerateWater(const std::string &dir)
{
    return WriteDataFile(dir, "Water.raw", MakeWaterSymbol()) &&
           WriteDataFile(dir, "WaterPal.raw", PaletteBytes(MakeWaterPalette()));
}
