// The water's data: Water.raw (100 x 150 signed heights: a leaping dolphin
// inside a ring, pressed into the surface) and WaterPal.raw (256 shades:
// the flat surface runs from shade 16 far away to 167 near; ripples reach
// the dark and the bright ends, up to white foam).
#include "Datagen.h"
#include "DataFile.h"
#include "Palette.h"
#include "Shapes.h"

namespace {

// Grid cells are 4 screen pixels wide and 2 high: the symbol is drawn on a
// 400 x 300 canvas and averaged down, so it keeps its shape on screen.
std::vector<uint8_t> MakeWaterSymbol()
{
    Mask canvas(400, 300);
    FillPolygon(&canvas, PlaceOutline(DolphinOutline(), 200, 150, 300, -0.12, false));
    // A ring around it, open where the dolphin leaps out.
    Mask ring(400, 300);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x) {
            const double dx = x + 0.5 - 200, dy = (y + 0.5 - 150) * 1.0;
            const double d = std::fabs(std::sqrt(dx * dx + dy * dy) - 135.0);
            ring.Ref(x, y) = float(dg::Clamp(7.0 - d, 0.0, 1.0));
        }
    Blur(&canvas, 2, 2);
    Blur(&ring, 2, 2);
    std::vector<uint8_t> out(100 * 150);
    for (int gy = 0; gy < 150; ++gy)
        for (int gx = 0; gx < 100; ++gx) {
            double body = 0, rim = 0;
            for (int y = 0; y < 2; ++y)
                for (int x = 0; x < 4; ++x) {
                    body += canvas.At(gx * 4 + x, gy * 2 + y);
                    rim += ring.At(gx * 4 + x, gy * 2 + y);
                }
            body /= 8;
            rim /= 8;
            // The dolphin pushes the surface down, the ring lifts it.
            const int v = dg::Round(body * 48.0 - rim * (1.0 - body) * 32.0);
            out[size_t(gy * 100 + gx)] = uint8_t(int8_t(dg::ClampInt(v, -127, 127)));
        }
    return out;
}

std::vector<uint32_t> MakeWaterPalette()
{
    const std::vector<Key> keys = {
        {0.00, Rgb(0, 2, 12)},      {0.06, Rgb(2, 10, 34)},    {0.30, Rgb(6, 44, 92)},
        {0.50, Rgb(10, 86, 134)},   {0.66, Rgb(26, 132, 166)}, {0.80, Rgb(80, 192, 206)},
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
