// The landscape's colour tables, 64 x 16, 24-bit. Land.raw: column = depth
// / 4 (0 the highest peaks, 52 the shore), row = slope shade (8 is flat, 0
// facing away from the light, 15 facing it). Clouds.raw: column = cloud
// density / 4 on row 0 (the other rows repeat it). ReflectClouds.raw:
// column = density of the cloud above, row = the water's shimmer (0..5,
// higher only near the shore).
#include "Datagen.h"
#include "DataFile.h"
#include "PcxWriter.h"
#include "Palette.h"

namespace {

Picture MakeLand()
{
    // Height colours from the peaks (column 0) to the beach (column 52+).
    const std::vector<Key> keys = {
        {0.00, Rgb(250, 250, 255)}, {0.10, Rgb(230, 232, 238)}, {0.22, Rgb(164, 158, 150)},
        {0.32, Rgb(112, 104, 92)},  {0.42, Rgb(70, 96, 48)},    {0.60, Rgb(46, 110, 40)},
        {0.74, Rgb(92, 140, 52)},   {0.80, Rgb(150, 150, 80)},  {0.84, Rgb(220, 200, 140)},
        {0.90, Rgb(236, 218, 166)}, {1.00, Rgb(190, 170, 120)},
    };
    Picture p(64, 16);
    for (int row = 0; row < 16; ++row) {
        // Light from the side: dark slopes keep a blue tint of sky light.
        // Neighbouring rows differ by about 4 %, so that the slopes' shading
        // does not show as steps.
        const double f = 0.42 + 0.66 * row / 15.0;
        for (int col = 0; col < 64; ++col) {
            const uint32_t c = RampAt(keys, col / 63.0);
            const uint32_t lit = Scale(c, f);
            p.At(col, row) = row < 8 ? Blend(Rgb(RedOf(lit), GreenOf(lit), BlueOf(lit) + (8 - row) * 4), lit, 128)
                                     : lit;
        }
    }
    return p;
}

Picture MakeClouds()
{
    // Clear sky at low density, bright cloud tops at high density.
    const std::vector<Key> keys = {
        {0.00, Rgb(60, 120, 210)}, {0.30, Rgb(86, 146, 224)},  {0.50, Rgb(150, 184, 230)},
        {0.68, Rgb(214, 224, 240)}, {0.85, Rgb(244, 246, 252)}, {1.00, Rgb(255, 255, 255)},
    };
    Picture p(64, 16);
    for (int row = 0; row < 16; ++row)
        for (int col = 0; col < 64; ++col)
            p.At(col, row) = RampAt(keys, col / 63.0);
    return p;
}

Picture MakeReflectClouds()
{
    // Deep water darkens the reflected sky; the shimmer lifts it towards
    // white glints.
    const std::vector<Key> keys = {
        {0.00, Rgb(12, 44, 96)}, {0.35, Rgb(24, 70, 124)}, {0.60, Rgb(70, 112, 156)},
        {0.85, Rgb(130, 160, 190)}, {1.00, Rgb(160, 184, 206)},
    };
    Picture p(64, 16);
    for (int row = 0; row < 16; ++row)
        for (int col = 0; col < 64; ++col) {
            const uint32_t c = RampAt(keys, col / 63.0);
            const int glint = row <= 5 ? row * 10 : 50 + (row - 5) * 16;
            p.At(col, row) = Blend(c, Rgb(235, 245, 255), dg::ClampInt(glint, 0, 255));
        }
    return p;
}

} // namespace

bool GenerateLandTables(const std::string &dir)
{
    return WriteDataFile(dir, "Land.raw", EncodeRaw24(MakeLand())) &&
           WriteDataFile(dir, "Clouds.raw", EncodeRaw24(MakeClouds())) &&
           WriteDataFile(dir, "ReflectClouds.raw", EncodeRaw24(MakeReflectClouds()));
}
