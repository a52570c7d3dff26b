// The lens flare's sprites, all added to the page, black where they add
// nothing: LenzMain.pcx (250 x 250: the sun's glow with a star of rays and
// a blue horizontal streak), LenzRed/Green/Blue.pcx (250 x 250 coloured
// glows for the bump-mapping lights), and the ghosts Lenz-1.raw and
// Lenz1.raw .. Lenz9.raw (24-bit) strung along the flare's line: faint
// tinted discs, hexagonal aperture ghosts, rings and a rainbow halo.
#include "Datagen.h"
#include "DataFile.h"
#include "DgMath.h"
#include "PcxWriter.h"
#include "Quantize.h"

#include <cmath>

namespace {

// Fades a glow to exactly nothing at radius `edge` (pixels).
double Window(double r, double edge) { return 1.0 - dg::SmoothStep(edge * 0.8, edge, r); }

uint32_t Light(double r, double g, double b)
{
    return Rgb(dg::Round(dg::Clamp(r, 0, 1) * 255), dg::Round(dg::Clamp(g, 0, 1) * 255),
               dg::Round(dg::Clamp(b, 0, 1) * 255));
}

Picture MakeMainGlow()
{
    const int size = 250;
    const double c = (size - 1) / 2.0;
    // Rays: angle, length and width of each spike of the star.
    struct Ray {
        double angle, length, width;
    };
    Ray rays[14];
    dg::Lcg rng(77);
    for (int i = 0; i < 14; ++i)
        rays[i] = Ray{dg::kTwoPi * (i + 0.35 * rng.Unit()) / 14.0, 40.0 + 60.0 * rng.Unit(), 0.012 + 0.02 * rng.Unit()};
    Picture p(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double dx = x - c, dy = y - c, r = std::sqrt(dx * dx + dy * dy);
            const double w = Window(r, 124.0);
            const double core = dg::Exp(-r * r / (2 * 7.0 * 7.0));
            const double halo = 0.42 * dg::Exp(-r / 26.0) + 0.10 * dg::Exp(-r / 70.0);
            double star = 0;
            const double a = dg::Atan2(dy, dx);
            for (const Ray &ray : rays) {
                double d = a - ray.angle;
                d -= dg::kTwoPi * std::floor(d / dg::kTwoPi + 0.5);
                star += dg::Exp(-(d * d) / (ray.width * ray.width)) * dg::Exp(-r / ray.length);
            }
            star *= 0.35 * dg::SmoothStep(2.0, 10.0, r);
            const double streak = 0.38 * dg::Exp(-std::fabs(dy) / 1.6) * dg::Exp(-std::fabs(dx) / 70.0);
            // A faint ring with a touch of colour.
            const double ring = 0.06 * dg::Exp(-(r - 92) * (r - 92) / 18.0);
            const double i = (core + halo + star) * w;
            const double s = streak * w, o = ring * w;
            p.At(x, y) = Light(i * 1.05 + o * 0.6, i * 0.92 + s * 0.55 + o * 0.9, i * 0.70 + s * 1.0 + o);
        }
    return p;
}

Picture MakeColourGlow(double red, double green, double blue)
{
    const int size = 250;
    const double c = (size - 1) / 2.0;
    Picture p(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double dx = x - c, dy = y - c, r = std::sqrt(dx * dx + dy * dy);
            const double i = (0.95 * dg::Exp(-r * r / (2 * 9.0 * 9.0)) + 0.65 * dg::Exp(-r / 36.0)) * Window(r, 124.0);
            // The glow's own colour first; other channels only in the hot middle.
            auto channel = [i](double weight) { return weight > 0.5 ? i : dg::Pow(i, 2.6) * 0.9; };
            p.At(x, y) = Light(channel(red), channel(green), channel(blue));
        }
    return p;
}

enum class Shape { Disc, Hexagon, Ring, Rainbow, Dot };

// One ghost: a faint tinted shape of the given size, black at its edge.
Picture MakeGhost(int size, Shape shape, double r, double g, double b, double strength)
{
    Picture p(size, size);
    const double c = (size - 1) / 2.0, radius = size / 2.0 - 1.0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double dx = (x - c) / radius, dy = (y - c) / radius;
            double d = std::sqrt(dx * dx + dy * dy);
            if (shape == Shape::Hexagon) {
                // Distance in a hexagon's metric: the largest of three projections.
                d = 0;
                for (int k = 0; k < 3; ++k) {
                    const double a = 0.26 + k * dg::kPi / 3;
                    d = std::max(d, std::fabs(dx * dg::Cos(a) + dy * dg::Sin(a)) / 0.866);
                }
            }
            double i = 0, cr = r, cg = g, cb = b;
            switch (shape) {
            case Shape::Disc:
            case Shape::Hexagon:
                // Even fill with a brighter rim, soft outer edge.
                i = (0.55 + 0.45 * dg::SmoothStep(0.55, 0.9, d)) * (1.0 - dg::SmoothStep(0.86, 1.0, d));
                break;
            case Shape::Ring:
                i = dg::Exp(-(d - 0.78) * (d - 0.78) / 0.006) + 0.15 * (1.0 - dg::SmoothStep(0.0, 0.8, d));
                i *= 1.0 - dg::SmoothStep(0.9, 1.0, d);
                break;
            case Shape::Rainbow: {
                // Red outside, violet inside, across a thin band.
                i = dg::Exp(-(d - 0.8) * (d - 0.8) / 0.004) * (1.0 - dg::SmoothStep(0.9, 1.0, d));
                const double t = dg::Clamp((d - 0.7) / 0.2, 0.0, 1.0);
                cr = 0.5 + 0.5 * dg::Cos(dg::kTwoPi * (t - 1.0) * 0.8);
                cg = 0.5 + 0.5 * dg::Cos(dg::kTwoPi * (t - 0.62) * 0.8);
                cb = 0.5 + 0.5 * dg::Cos(dg::kTwoPi * (t - 0.25) * 0.8);
                break;
            }
            case Shape::Dot:
                i = dg::Exp(-d * d * 6.0) * (1.0 - dg::SmoothStep(0.8, 1.0, d));
                break;
            }
            i *= strength;
            p.At(x, y) = Light(i * cr, i * cg, i * cb);
        }
    return p;
}

struct GhostFile {
    const char *name;
    int size;
    Shape shape;
    double r, g, b, strength;
};

const GhostFile kGhosts[] = {
    {"Lenz-1.raw", 70, Shape::Ring, 0.55, 0.45, 1.00, 0.32},
    {"Lenz1.raw", 15, Shape::Dot, 1.00, 0.90, 0.70, 0.75},
    {"Lenz2.raw", 67, Shape::Hexagon, 0.35, 1.00, 0.70, 0.17},
    {"Lenz3.raw", 48, Shape::Disc, 1.00, 0.65, 0.25, 0.20},
    {"Lenz4.raw", 23, Shape::Disc, 0.40, 0.60, 1.00, 0.32},
    {"Lenz5.raw", 21, Shape::Ring, 1.00, 0.50, 0.60, 0.45},
    {"Lenz6.raw", 13, Shape::Dot, 0.60, 1.00, 1.00, 0.70},
    {"Lenz7.raw", 59, Shape::Hexagon, 0.55, 0.45, 1.00, 0.16},
    {"Lenz8.raw", 79, Shape::Disc, 0.30, 0.85, 0.75, 0.12},
    {"Lenz9.raw", 159, Shape::Rainbow, 1.0, 1.0, 1.0, 0.30},
};

} // namespace

bool GenerateLenz(const std::string &dir)
{
    for (const GhostFile &g : kGhosts)
        if (!WriteDataFile(dir, g.name, EncodeRaw24(MakeGhost(g.size, g.shape, g.r, g.g, g.b, g.strength))))
            return false;
    // Black stays exactly black: it must add nothing.
    return WriteDataFile(dir, "LenzMain.pcx", EncodePcx8(Quantize(MakeMainGlow(), true, 0))) &&
           WriteDataFile(dir, "LenzRed.pcx", EncodePcx8(Quantize(MakeColourGlow(1, 0, 0), true, 0))) &&
           WriteDataFile(dir, "LenzGreen.pcx", EncodePcx8(Quantize(MakeColourGlow(0, 1, 0), true, 0))) &&
           WriteDataFile(dir, "LenzBlue.pcx", EncodePcx8(Quantize(MakeColourGlow(0, 0, 1), true, 0)));
}
