// Small light data: SplotPalette.raw (256 x 1: blob intensity to colour,
// black through deep sea blue and turquoise to a warm white), lines.txt
// (three rows of wave crests that cast coloured shafts as the light
// passes above them), LightStream.raw (100 x 100, a stream of light rays)
// and Sprite.raw (10 x 10, the helix's soft glow dot).
#include "Datagen.h"
#include "DataFile.h"
#include "DgMath.h"
#include "Palette.h"
#include "PcxWriter.h"

#include <cstdio>

namespace {

std::vector<uint32_t> MakeSplotPalette()
{
    const std::vector<Key> keys = {
        {0.00, Rgb(0, 0, 0)},       {0.10, Rgb(2, 8, 30)},      {0.32, Rgb(8, 40, 100)},
        {0.52, Rgb(16, 100, 160)},  {0.70, Rgb(40, 176, 196)},  {0.84, Rgb(150, 226, 214)},
        {0.94, Rgb(250, 236, 190)}, {1.00, Rgb(255, 255, 255)},
    };
    std::vector<uint32_t> colours;
    for (int i = 0; i < 256; ++i)
        colours.push_back(RampAt(keys, i / 255.0));
    return colours;
}

// Wave crests as chains of short segments (page fractions), deeper rows
// further down and in darker blues. The light sweeps left to right above
// them, from row 0 down to about row 190.
std::string MakeLines()
{
    struct Row {
        double y, amplitude, waves, phase;
        int r, g, b;
    };
    const Row rows[] = {
        {0.60, 0.030, 3.0, 0.0, 120, 255, 255},
        {0.74, 0.035, 2.5, 1.7, 60, 170, 255},
        {0.88, 0.040, 2.0, 3.4, 40, 100, 255},
    };
    const int perRow = 20;
    std::string out = std::to_string(perRow * 3) + "\n";
    char line[128];
    for (const Row &row : rows)
        for (int i = 0; i < perRow; ++i) {
            const double x1 = 0.02 + 0.96 * i / perRow, x2 = 0.02 + 0.96 * (i + 1) / perRow;
            const double y1 = row.y - row.amplitude * dg::Sin(x1 * row.waves * dg::kTwoPi + row.phase);
            const double y2 = row.y - row.amplitude * dg::Sin(x2 * row.waves * dg::kTwoPi + row.phase);
            std::snprintf(line, sizeof line, "%.4f\t%.4f\t%.4f\t%.4f\t%d\t%d\t%d\n", x1, y1, x2, y2, row.r, row.g,
                          row.b);
            out += line;
        }
    return out;
}

Picture MakeLightStream()
{
    // Rays fanning down from the top edge, brightest in the middle.
    Picture p(100, 100);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) {
            const double u = (x + 0.5 - 50) / 50.0, v = (y + 0.5) / 100.0;
            const double angle = u / (0.35 + v);    // the rays spread downwards
            double rays = 0.55 + 0.25 * dg::Sin(angle * 13.0) + 0.2 * dg::Sin(angle * 29.0 + 1.3);
            rays *= dg::Exp(-u * u * 2.2) * (1.0 - 0.85 * v);
            const double i = dg::Clamp(rays, 0.0, 1.0);
            p.At(x, y) = Rgb(dg::Round(170 * i * i), dg::Round(235 * i), dg::Round(255 * dg::Pow(i, 0.8)));
        }
    return p;
}

Picture MakeSprite()
{
    // Radial falloff to black at the edge, a white-hot middle, cyan halo.
    Picture p(10, 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            const double dx = x - 4.5, dy = y - 4.5;
            const double r = std::sqrt(dx * dx + dy * dy) / 4.6;
            const double i = dg::Pow(dg::Clamp(1.0 - r, 0.0, 1.0), 1.3);
            const double core = i * i;
            p.At(x, y) = Rgb(dg::Round(40 * i + 150 * core * core), dg::Round(120 * i + 100 * core),
                             dg::Round(150 * i + 80 * core));
        }
    return p;
}

} // namespace

bool GenerateLights(const std::string &dir)
{
    const std::string lines = MakeLines();
    return WriteDataFile(dir, "SplotPalette.raw", PaletteBytes(MakeSplotPalette())) &&
           WriteDataFile(dir, "lines.txt", std::vector<uint8_t>(lines.begin(), lines.end())) &&
           WriteDataFile(dir, "LightStream.raw", EncodeRaw24(MakeLightStream())) &&
           WriteDataFile(dir, "Sprite.raw", EncodeRaw24(MakeSprite()));
}
