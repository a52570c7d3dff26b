// The bump-mapping relief (Data/Bumpy.raw, 400 x 308, one height byte a
// pixel): a leaping dolphin with a rounded body and a trail of bubbles raised
// from a rippled sea floor, the word KESTRUN embossed below and a rounded
// frame, all with soft bevels so the three coloured lights catch every edge.
#include "Datagen.h"
#include "DataFile.h"
#include "DgMath.h"
#include "Shapes.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kWidth = 400, kHeight = 308;

// A pillow over the mask's inside: distance to the outside (chamfer 3-4,
// in pixels), shaped as a quarter circle of radius r, so the rim rises
// steeply and the middle is flat; that rim is what the lights catch.
Mask Pillow(const Mask &mask, double r)
{
    const int w = mask.width, h = mask.height;
    const float far = 1e9f;
    std::vector<float> d(size_t(w) * h);
    for (size_t i = 0; i < d.size(); ++i)
        d[i] = mask.v[i] >= 0.5f ? far : 0.0f;
    auto at = [&](int x, int y) { return x < 0 || y < 0 || x >= w || y >= h ? 0.0f : d[size_t(y) * w + x]; };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float &v = d[size_t(y) * w + x];
            v = std::min({v, at(x - 1, y) + 3, at(x, y - 1) + 3, at(x - 1, y - 1) + 4, at(x + 1, y - 1) + 4});
        }
    for (int y = h - 1; y >= 0; --y)
        for (int x = w - 1; x >= 0; --x) {
            float &v = d[size_t(y) * w + x];
            v = std::min({v, at(x + 1, y) + 3, at(x, y + 1) + 3, at(x + 1, y + 1) + 4, at(x - 1, y + 1) + 4});
        }
    Mask out(w, h);
    for (size_t i = 0; i < d.size(); ++i) {
        const double t = 1.0 - std::min(1.0, d[i] / 3.0 / r);
        out.v[i] = d[i] > 0 ? float(std::sqrt(1.0 - t * t)) : 0.0f;
    }
    return out;
}

} // namespace

bool MakeBumpy(std::vector<uint8_t> *out)
{
    Mask dolphin(kWidth, kHeight), text(kWidth, kHeight), frame(kWidth, kHeight), bubbles(kWidth, kHeight);
    FillPolygon(&dolphin, PlaceOutline(DolphinOutline(), 196, 128, 300, -0.22, false));
    // A rounded body: a pillow whose rim rises over 14 pixels, softened by
    // a light blur, and a broad swell towards the middle.
    Mask swell = dolphin;
    Blur(&swell, 12, 3);
    Mask body = Pillow(dolphin, 14.0);
    Blur(&body, 1, 3);
    for (size_t i = 0; i < dolphin.v.size(); ++i)
        dolphin.v[i] = 0.75f * body.v[i] + 0.35f * swell.v[i] * body.v[i];
    if (!PlaceText(&text, FontFace::SerifBold, 44, "KESTRUN", 200, 282, 6))
        return false;
    Blur(&text, 1, 2);
    // Frame: a rounded rectangle band 8 pixels wide, 6 pixels in.
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const double qx = std::max(0.0, std::fabs(x + 0.5 - 200.0) - 170.0);
            const double qy = std::max(0.0, std::fabs(y + 0.5 - 154.0) - 124.0);
            const double d = std::sqrt(qx * qx + qy * qy);    // distance outside the inner box
            frame.Ref(x, y) = float(dg::Clamp(1.0 - std::fabs(d - 16.0) / 5.0, 0.0, 1.0));
        }
    Blur(&frame, 2, 2);
    // Bubbles rising from the blowhole towards the top right: domes.
    dg::Lcg rng(4242);
    for (int i = 0; i < 9; ++i) {
        const double t = i / 8.0;
        const double cx = 262 + 70 * t + 10 * dg::Sin(i * 2.1), cy = 84 - 60 * t + 4 * dg::Cos(i * 1.7);
        const double r = 4.0 + 6.0 * t + 2.0 * rng.Unit();
        for (int y = int(cy - r - 1); y <= int(cy + r + 1); ++y)
            for (int x = int(cx - r - 1); x <= int(cx + r + 1); ++x) {
                if (x < 0 || y < 0 || x >= kWidth || y >= kHeight)
                    continue;
                const double dx = (x + 0.5 - cx) / r, dy = (y + 0.5 - cy) / r, d2 = dx * dx + dy * dy;
                if (d2 < 1.0)
                    bubbles.Ref(x, y) = std::max(bubbles.Ref(x, y), float(std::sqrt(1.0 - d2)));
            }
    }
    out->assign(size_t(kWidth) * kHeight, 0);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            // Sea floor: long ripples bending across the picture, fine grain.
            const double ripple = 13.0 * dg::Sin(x * 0.085 + 6.0 * dg::Sin(y * 0.021) + y * 0.03);
            const double grain = 5.0 * dg::Fbm(x / 8.0, y / 8.0, 64, 2, 9) - 2.5;
            double h = 64.0 + ripple + grain;
            h += 130.0 * dolphin.At(x, y) + 52.0 * text.At(x, y) + 40.0 * frame.At(x, y) + 34.0 * bubbles.At(x, y);
            (*out)[size_t(y * kWidth + x)] = dg::ToByte(h);
        }
    return true;
}

bool GenerateBumpy(const std::string &dir)
{
    std::vector<uint8_t> relief;
    return MakeBumpy(&relief) && WriteDataFile(dir, "Bumpy.raw", relief);
}
