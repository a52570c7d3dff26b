// The title: KestrunTitle.pcx (400 x 125: "KESTRUN" in sunlit-sea colours
// with a dark rim and a wave beneath, on the transparent 0xFF00FF; drawn
// over the splot and spiral scenes), TitleMain.raw (320 x 240: a dolphin
// leaping across the setting sun over the sea, the name above) and
// TitleLight.raw (its glow: the bright parts blurred on black, added on top
// as the title flashes).
#include "Datagen.h"
#include "DataFile.h"
#include "Palette.h"
#include "PcxWriter.h"
#include "Quantize.h"
#include "Shapes.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr uint32_t kKey = 0xFF00FF;

// Largest size at which the text fits `width` pixels.
int FitSize(FontFace face, const char *text, int width, int tracking, int largest)
{
    for (int size = largest; size > 8; --size)
        if (TextWidth(face, size, text, tracking) <= width)
            return size;
    return 8;
}

// The largest value of `m` within radius r of each pixel (a round brush).
Mask Dilate(const Mask &m, int r)
{
    Mask out(m.width, m.height);
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x) {
            float best = 0;
            for (int dy = -r; dy <= r; ++dy)
                for (int dx = -r; dx <= r; ++dx)
                    if (dx * dx + dy * dy <= r * r + r)
                        best = std::max(best, m.At(x + dx, y + dy));
            out.Ref(x, y) = best;
        }
    return out;
}

// Sunlit sea down the letters: pale gold at the top, bright cyan, a white
// horizon line, deep blue under it warming to teal at the bottom.
uint32_t LetterFill(double t)
{
    static const std::vector<Key> keys = {
        {0.00, Rgb(255, 248, 220)}, {0.30, Rgb(255, 214, 130)}, {0.50, Rgb(120, 226, 244)},
        {0.545, Rgb(255, 255, 255)}, {0.58, Rgb(30, 110, 190)}, {0.80, Rgb(14, 70, 150)},
        {1.00, Rgb(26, 150, 180)},
    };
    return RampAt(keys, t);
}

} // namespace

bool MakeTitleLogo(IndexedPicture *out)
{
    const int w = 400, h = 125;
    const char *name = "KESTRUN";
    const int tracking = 4;
    const int size = FitSize(FontFace::SansBold, name, 376, tracking, 110);
    Mask text(w, h);
    const int baseline = 86;
    if (!PlaceText(&text, FontFace::SansBold, size, name, w / 2, baseline, tracking))
        return false;
    // Cap height: the rows the letters cover, for the fill gradient.
    int top = h, bottom = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (text.At(x, y) > 0.5f) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    // A wave ribbon under the letters.
    Mask wave(w, h);
    std::vector<Point> ribbon;
    for (int i = 0; i <= 80; ++i) {
        const double x = 14 + 372.0 * i / 80;
        ribbon.push_back(Point{x, 103 + 5 * dg::Sin(x * 0.045) - 2.0 * dg::Sin(i / 80.0 * dg::kPi)});
    }
    for (int i = 80; i >= 0; --i) {
        const double x = 14 + 372.0 * i / 80;
        const double thick = 1.0 + 4.0 * dg::Sin(i / 80.0 * dg::kPi);
        ribbon.push_back(Point{x, 103 + 5 * dg::Sin(x * 0.045) + thick});
    }
    FillPolygon(&wave, ribbon);

    const Mask rim = Dilate(text, 3), waveRim = Dilate(wave, 2);
    Picture p(w, h, kKey);
    const uint32_t rimColour = Rgb(4, 14, 38);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const float shadow = std::max(rim.At(x - 4, y - 4), waveRim.At(x - 3, y - 3));
            const float edge = std::max(rim.At(x, y), waveRim.At(x, y));
            uint32_t c = kKey;
            // Hard outer edges: the transparent colour can't be blended.
            if (shadow >= 0.5f)
                c = Rgb(0, 0, 8);
            if (edge >= 0.5f)
                c = rimColour;
            const double t = (y - top) / double(std::max(1, bottom - top));
            if (text.At(x, y) > 0)
                c = Blend(c == kKey ? rimColour : c, LetterFill(dg::Clamp(t, 0.0, 1.0)), dg::Round(text.At(x, y) * 255));
            if (wave.At(x, y) > 0) {
                const double glow = dg::Sin(x / 400.0 * dg::kPi);
                c = Blend(c == kKey ? rimColour : c, Blend(Rgb(20, 140, 190), Rgb(230, 255, 255), dg::Round(glow * 255)),
                          dg::Round(wave.At(x, y) * 255));
            }
            p.At(x, y) = c;
        }
    *out = Quantize(p, true, kKey);
    return true;
}

bool MakeTitlePicture(Picture *out)
{
    const int w = 320, h = 240, horizon = 156;
    const double sunX = 160, sunY = 150, sunR = 34;
    Picture p(w, h);
    const std::vector<Key> sky = {
        {0.00, Rgb(14, 10, 48)},   {0.35, Rgb(70, 30, 96)},   {0.62, Rgb(200, 80, 70)},
        {0.85, Rgb(250, 150, 60)}, {1.00, Rgb(255, 214, 130)},
    };
    const std::vector<Key> sea = {
        {0.00, Rgb(120, 70, 80)}, {0.10, Rgb(40, 40, 90)}, {0.55, Rgb(12, 22, 60)}, {1.00, Rgb(2, 8, 26)},
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double dx = x + 0.5 - sunX, dy = y + 0.5 - sunY, r = std::sqrt(dx * dx + dy * dy);
            uint32_t c;
            if (y < horizon) {
                c = RampAt(sky, (y + 0.5) / horizon);
                const double glow = 0.75 * dg::Exp(-r / 40.0) + 0.25 * dg::Exp(-r / 120.0);
                c = AddSat(c, Scale(Rgb(255, 190, 110), glow));
                const double disc = dg::Clamp(sunR + 0.5 - r, 0.0, 1.0);
                c = Blend(c, Rgb(255, 246, 214), dg::Round(disc * 255));
            } else {
                const double depth = (y - horizon + 0.5) / double(h - horizon);
                c = RampAt(sea, depth);
                // The sun's path: broken horizontal glints, wider nearer.
                const double spread = 14.0 + 60.0 * depth;
                const double path = dg::Exp(-(dx * dx) / (2 * spread * spread));
                const double glint = dg::Fbm(x / 9.0, y * 1.6, 64, 3, 31);
                const double shine = path * dg::SmoothStep(0.45, 0.75, glint) * (1.0 - 0.6 * depth);
                c = AddSat(c, Scale(Rgb(255, 200, 130), shine * 1.3));
                // Horizon haze.
                c = AddSat(c, Scale(Rgb(120, 70, 50), dg::Exp(-(y - horizon) / 6.0) * 0.8));
            }
            p.At(x, y) = c;
        }
    // The dolphin leaping across the sun, a smaller one behind it.
    Mask dolphins(w, h);
    FillPolygon(&dolphins, PlaceOutline(DolphinOutline(), 168, 128, 168, -0.32, false));
    FillPolygon(&dolphins, PlaceOutline(DolphinOutline(), 92, 146, 84, 0.30, true));
    // Splashes where they leave the water.
    dg::Lcg rng(2024);
    for (int i = 0; i < 26; ++i) {
        const double cx = (i < 16 ? 96 : 40) + rng.Unit() * (i < 16 ? 40 : 24);
        const double cy = horizon - 1 - rng.Unit() * (i < 16 ? 14 : 8), r = 0.8 + rng.Unit() * 1.6;
        std::vector<Point> drop;
        for (int k = 0; k < 8; ++k)
            drop.push_back(Point{cx + r * dg::Cos(k * dg::kPi / 4), cy + r * dg::Sin(k * dg::kPi / 4)});
        FillPolygon(&dolphins, drop);
    }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const float m = dolphins.At(x, y);
            if (m > 0)
                p.At(x, y) = Blend(p.At(x, y), Rgb(18, 10, 30), dg::Round(m * 255));
        }
    // The name across the sky.
    Mask text(w, h), rim;
    const int size = FitSize(FontFace::SerifBold, "KESTRUN", 290, 6, 64);
    if (!PlaceText(&text, FontFace::SerifBold, size, "KESTRUN", w / 2, 62, 6))
        return false;
    rim = text;
    Blur(&rim, 2, 2);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double t = y / 70.0;
            p.At(x, y) = Blend(p.At(x, y), Rgb(10, 4, 24), dg::Round(std::min(1.0f, rim.At(x, y) * 1.6f) * 200));
            p.At(x, y) = Blend(p.At(x, y), Blend(Rgb(255, 250, 230), Rgb(255, 176, 80), dg::Round(dg::Clamp(t, 0, 1) * 255)),
                               dg::Round(text.At(x, y) * 255));
        }
    *out = p;
    return true;
}

Picture MakeTitleGlow(const Picture &title)
{
    Mask r(title.width, title.height), g(title.width, title.height), b(title.width, title.height);
    for (int y = 0; y < title.height; ++y)
        for (int x = 0; x < title.width; ++x) {
            const uint32_t c = title.At(x, y);
            const double lum = (RedOf(c) * 3 + GreenOf(c) * 6 + BlueOf(c)) / 2550.0;
            const double keep = dg::SmoothStep(0.55, 0.9, lum);
            r.Ref(x, y) = float(keep * RedOf(c) / 255.0);
            g.Ref(x, y) = float(keep * GreenOf(c) / 255.0);
            b.Ref(x, y) = float(keep * BlueOf(c) / 255.0);
        }
    for (Mask *m : {&r, &g, &b})
        Blur(m, 5, 3);
    Picture out(title.width, title.height);
    for (size_t i = 0; i < out.px.size(); ++i)
        out.px[i] = Rgb(dg::Round(r.v[i] * 400.0), dg::Round(g.v[i] * 340.0), dg::Round(b.v[i] * 260.0));
    return out;
}

bool GenerateTitle(const std::string &dir)
{
    IndexedPicture logo;
    Picture title;
    if (!MakeTitleLogo(&logo) || !MakeTitlePicture(&title))
        return false;
    return WriteDataFile(dir, "KestrunTitle.pcx", EncodePcx8(logo)) &&
           WriteDataFile(dir, "TitleMain.raw", EncodeRaw24(title)) &&
           WriteDataFile(dir, "TitleLight.raw", EncodeRaw24(MakeTitleGlow(title)));
}
