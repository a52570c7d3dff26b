// The scroller's picture (Data/NewGreetz.pcx, 300 x 800, 256 colours):
// credits and greetings set in DejaVu on black, gold headings, pale cyan
// names, wave rules between the parts and a dolphin at the end.
#include "Datagen.h"
#include "DataFile.h"
#include "Palette.h"
#include "PcxWriter.h"
#include "Quantize.h"
#include "Shapes.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kWidth = 300, kHeight = 800;

enum class Style { Title, Subtitle, Heading, Name, Rule, Dolphin, Gap };

struct Line {
    Style style;
    const char *text;
};

const Line kLines[] = {
    {Style::Gap, ""},
    {Style::Title, "KESTRUN"},
    {Style::Subtitle, "a voyage in light and water"},
    {Style::Rule, ""},
    {Style::Heading, "CODE"},
    {Style::Name, "the veltrane crew"},
    {Style::Name, "zentrix software renderer"},
    {Style::Heading, "GRAPHICS"},
    {Style::Name, "painted by datagen"},
    {Style::Name, "one curve at a time"},
    {Style::Heading, "MUSIC"},
    {Style::Name, "synthesised, every note"},
    {Style::Name, "in impulse tracker form"},
    {Style::Rule, ""},
    {Style::Heading, "GREETINGS TO"},
    {Style::Name, "all sceners, old and new"},
    {Style::Name, "tracker musicians everywhere"},
    {Style::Name, "the pixel pushers"},
    {Style::Name, "everyone still counting cycles"},
    {Style::Name, "the keepers of old machines"},
    {Style::Name, "the deep blue sea"},
    {Style::Name, "every dolphin out there"},
    {Style::Name, "and you, watching this"},
    {Style::Rule, ""},
    {Style::Heading, "THANKS FOR WATCHING"},
    {Style::Dolphin, ""},
};

} // namespace

bool MakeGreetz(IndexedPicture *out)
{
    Picture p(kWidth, kHeight, 0);
    int y = 0;
    auto paint = [&p](const Mask &m, uint32_t top, uint32_t bottom, int y0, int y1) {
        for (int py = std::max(0, y0); py < std::min(kHeight, y1); ++py) {
            const uint32_t c = Blend(top, bottom, dg::ClampInt((py - y0) * 255 / std::max(1, y1 - y0), 0, 255));
            for (int px = 0; px < kWidth; ++px) {
                const float a = m.At(px, py);
                if (a > 0)
                    p.At(px, py) = Blend(p.At(px, py), c, dg::Round(a * 255));
            }
        }
    };
    for (const Line &line : kLines) {
        Mask m(kWidth, kHeight);
        switch (line.style) {
        case Style::Gap:
            y += 16;
            break;
        case Style::Title:
            if (!PlaceText(&m, FontFace::SerifBold, 44, line.text, kWidth / 2, y + 44, 4))
                return false;
            paint(m, Rgb(255, 248, 220), Rgb(255, 170, 70), y + 10, y + 48);
            y += 58;
            break;
        case Style::Subtitle:
            if (!PlaceText(&m, FontFace::Serif, 15, line.text, kWidth / 2, y + 16))
                return false;
            paint(m, Rgb(200, 230, 250), Rgb(150, 200, 240), y, y + 20);
            y += 28;
            break;
        case Style::Heading:
            y += 6;
            if (!PlaceText(&m, FontFace::SansBold, 17, line.text, kWidth / 2, y + 18, 3))
                return false;
            paint(m, Rgb(255, 230, 150), Rgb(255, 160, 60), y + 4, y + 20);
            y += 28;
            break;
        case Style::Name:
            if (!PlaceText(&m, FontFace::Sans, 15, line.text, kWidth / 2, y + 16))
                return false;
            paint(m, Rgb(210, 244, 255), Rgb(120, 200, 235), y + 4, y + 20);
            y += 22;
            break;
        case Style::Rule: {
            std::vector<Point> wave;
            y += 12;
            for (int i = 0; i <= 60; ++i) {
                const double x = 50 + 200.0 * i / 60;
                wave.push_back(Point{x, y + 4 * dg::Sin(i / 60.0 * 3 * dg::kTwoPi)});
            }
            for (int i = 60; i >= 0; --i) {
                const double x = 50 + 200.0 * i / 60;
                const double thick = 0.6 + 1.6 * dg::Sin(i / 60.0 * dg::kPi);
                wave.push_back(Point{x, y + 4 * dg::Sin(i / 60.0 * 3 * dg::kTwoPi) + thick});
            }
            FillPolygon(&m, wave);
            paint(m, Rgb(40, 170, 210), Rgb(40, 170, 210), y - 5, y + 6);
            y += 18;
            break;
        }
        case Style::Dolphin:
            y += 20;
            FillPolygon(&m, PlaceOutline(DolphinOutline(), kWidth / 2, y + 36, 150, -0.2, false));
            paint(m, Rgb(170, 230, 255), Rgb(30, 110, 190), y, y + 80);
            y += 90;
            break;
        }
    }
    if (y > kHeight) {
        std::fprintf(stderr, "datagen: the scroller text needs %d rows, the picture has %d\n", y, kHeight);
        return false;
    }
    *out = Quantize(p, true, 0);    // the background stays exactly black
    return true;
}

bool GenerateGreetz(const std::string &dir)
{
    IndexedPicture p;
    return MakeGreetz(&p) && WriteDataFile(dir, "NewGreetz.pcx", EncodePcx8(p));
}
