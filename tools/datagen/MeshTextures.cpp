// The 3D effect's pictures: Flipper.pcx (527 x 150), the dolphin's skin laid
// out for its side mapping (dark back, cape line, pale belly, eye), and
// MetalTexture.pcx (256 x 256), a sky-over-sea environment for the metal faces.
#include "Datagen.h"
#include "DataFile.h"
#include "DgMath.h"
#include "MeshBuild.h"
#include "MeshPreview.h"
#include "Quantize.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kSkinW = 527, kSkinH = 150, kMetal = 256;

uint32_t Lerp(uint32_t a, uint32_t b, double t)
{
    return Blend(a, b, dg::ClampInt(dg::Round(t * 255.0), 0, 255));
}

// The skin texel for a point (x, y) of the dolphin's side view (view space:
// x from beak to tail, y down).
uint32_t SkinAt(double x, double y)
{
    const double back = std::max(0.0, std::min(1.0, (x + 46.0) / 92.0));
    // The cape: where the dark back meets the pale flank, waving down behind
    // the eye and rising again at the tail stock.
    const double cape = -1.5 + 3.0 * dg::Sin(back * dg::kPi * 1.6 + 0.4) - 2.0 * dg::Smooth((back - 0.7) / 0.2);
    const double belly = cape + 4.5 + 1.5 * dg::Sin(back * dg::kPi * 2.3);
    const double grain = dg::Fbm(x * 0.35, y * 0.9, 64, 4, 7u) - 0.5;
    const uint32_t dark = Rgb(34, 54, 80), mid = Rgb(86, 108, 132), pale = Rgb(232, 230, 228);
    uint32_t c;
    if (y < cape)
        c = Lerp(dark, Rgb(52, 74, 100), dg::Smooth((y - (cape - 14.0)) / 14.0));
    else if (y < belly)
        c = Lerp(mid, Lerp(mid, pale, 0.5), dg::Smooth((y - cape) / (belly - cape)));
    else
        c = Lerp(Lerp(mid, pale, 0.5), pale, dg::Smooth((y - belly) / 3.0));
    // Skin grain: mottled on the back, faint on the smooth belly.
    const double grainWeight = 3.0 * (1.0 - 0.8 * dg::Smooth((y - cape) / (belly - cape + 2.0)));
    c = Lerp(c, Rgb(RedOf(c) + 12, GreenOf(c) + 12, BlueOf(c) + 14), std::max(0.0, grain * grainWeight));
    c = Lerp(c, Rgb(RedOf(c) - 14, GreenOf(c) - 12, BlueOf(c) - 8), std::max(0.0, -grain * grainWeight));
    // Thin pale scratches on the back, as on a real animal's skin.
    const double scratch = dg::Fbm(x * 0.08 + y * 0.3, y * 2.5, 32, 3, 21u);
    if (y < cape && scratch > 0.72)
        c = Lerp(c, Rgb(120, 140, 160), (scratch - 0.72) * 2.5);
    // The mouth line along the beak and the eye behind it.
    if (x < -36.0 && std::fabs(y - (0.6 + (x + 46.0) * 0.08)) < 0.18)
        c = Lerp(c, Rgb(40, 44, 52), 0.8);
    const double ex = (x + 32.8) / 1.25, ey = (y + 0.4) / 0.95;
    const double e = ex * ex + ey * ey;
    if (e < 1.0) {
        c = Lerp(Rgb(16, 18, 24), c, dg::Smooth((e - 0.55) / 0.45));
        const double hx = (x + 33.1) / 0.35, hy = (y + 0.75) / 0.3;
        if (hx * hx + hy * hy < 1.0)
            c = Rgb(225, 232, 240);
    }
    return c;
}

} // namespace

Picture MakeDolphinSkin()
{
    // Lay the skin out exactly as the mesh's mapping reads it.
    const Mesh dolphin = BuildDolphin();
    double x0 = 1e9, x1 = -1e9, y0 = 1e9, y1 = -1e9;
    for (const MeshVertex &v : dolphin.vertices) {
        x0 = std::min(x0, v.p.x);
        x1 = std::max(x1, v.p.x);
        y0 = std::min(y0, v.p.y);
        y1 = std::max(y1, v.p.y);
    }
    Picture p(kSkinW, kSkinH);
    for (int row = 0; row < kSkinH; ++row)
        for (int col = 0; col < kSkinW; ++col) {
            const double x = x0 + (col + 0.5) / kSkinW * (x1 - x0);
            const double y = y0 + (row + 0.5) / kSkinH * (y1 - y0);
            p.At(col, row) = SkinAt(x / kDolphinScale, y / kDolphinScale);
        }
    return p;
}

Picture MakeMetalEnvironment()
{
    Picture p(kMetal, kMetal);
    const double horizon = 132.0;
    for (int y = 0; y < kMetal; ++y)
        for (int x = 0; x < kMetal; ++x) {
            uint32_t c;
            if (y < horizon) {
                const double t = y / horizon;
                c = Lerp(Rgb(18, 36, 104), Rgb(150, 196, 236), t * t);
                const double cloud = dg::Fbm(x / 48.0, y / 20.0, 8, 5, 31u);
                c = Lerp(c, Rgb(246, 248, 252), dg::SmoothStep(0.52, 0.78, cloud) * (0.35 + 0.6 * t));
            } else {
                const double t = (y - horizon) / (kMetal - horizon);
                c = Lerp(Rgb(36, 92, 118), Rgb(4, 16, 34), std::sqrt(t));
                // Glints on the waves, denser toward the horizon.
                const double wave = dg::Fbm(x / 22.0, (y - horizon) / 3.0 + t * 9.0, 16, 4, 57u);
                c = Lerp(c, Rgb(170, 210, 230), dg::SmoothStep(0.62, 0.8, wave) * (1.0 - t) * 0.9);
            }
            // A bright band at the horizon and a soft sun high on the left.
            const double band = dg::Exp(-(y - horizon) * (y - horizon) / 18.0);
            c = AddSat(c, Rgb(dg::Round(120 * band), dg::Round(110 * band), dg::Round(90 * band)));
            const double dx = x - 84.0, dy = y - 58.0;
            const double sun = dg::Exp(-(dx * dx + dy * dy) / 420.0);
            c = AddSat(c, Rgb(dg::Round(255 * sun), dg::Round(236 * sun), dg::Round(190 * sun)));
            p.At(x, y) = c;
        }
    return p;
}

bool GenerateMeshTextures(const std::string &dir)
{
    return WriteDataFile(dir, "Flipper.pcx", EncodePcx8(Quantize(MakeDolphinSkin()))) &&
           WriteDataFile(dir, "MetalTexture.pcx", EncodePcx8(Quantize(MakeMetalEnvironment())));
}

bool GenerateMeshes(const std::string &dir)
{
    return WriteDataFile(dir, "objDolphin.3DS", Encode3ds(BuildDolphin(), "Dolphin")) &&
           WriteDataFile(dir, "objMan.3DS", Encode3ds(BuildMan(), "Man"));
}
