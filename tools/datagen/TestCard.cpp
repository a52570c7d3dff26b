// The test card (Data/Testing.pcx, 400 x 308, 256 colours): grid, circle,
// colour bars, grey steps and ramps, resolution gratings, and a green frame
// on exactly the rows 0..299 and columns 0..399 that the window shows; rows
// 300..307, which it never shows, are striped yellow and black.
#include "Datagen.h"
#include "DataFile.h"
#include "DgMath.h"
#include "Font.h"
#include "PcxWriter.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr int kWidth = 400, kHeight = 308, kVisible = 300;

// Palette layout: a 128-step grey ramp, three 40-step colour ramps, and a
// few plain colours.
constexpr int kGrey = 0;        // 0..127: black to white
constexpr int kRedRamp = 128;   // 128..167
constexpr int kGreenRamp = 168; // 168..207
constexpr int kBlueRamp = 208;  // 208..247
constexpr int kHazard = 248, kFrame = 249, kMarker = 250, kYellow75 = 251, kCyan75 = 252, kMagenta75 = 253,
              kOrange = 254, kCyan = 255;

int GreyIndex(int level255) { return kGrey + dg::Round(level255 * 127.0 / 255.0); }

IndexedPicture MakeCanvas()
{
    IndexedPicture p;
    p.width = kWidth;
    p.height = kHeight;
    p.index.assign(size_t(kWidth) * kHeight, uint8_t(GreyIndex(72)));
    for (int i = 0; i < 128; ++i) {
        const int v = dg::Round(i * 255.0 / 127.0);
        p.SetColour(kGrey + i, Rgb(v, v, v));
    }
    for (int i = 0; i < 40; ++i) {
        const int v = dg::Round(i * 255.0 / 39.0);
        p.SetColour(kRedRamp + i, Rgb(v, 0, 0));
        p.SetColour(kGreenRamp + i, Rgb(0, v, 0));
        p.SetColour(kBlueRamp + i, Rgb(0, 0, v));
    }
    p.SetColour(kHazard, Rgb(255, 210, 0));
    p.SetColour(kFrame, Rgb(0, 255, 0));
    p.SetColour(kMarker, Rgb(255, 0, 0));
    p.SetColour(kYellow75, Rgb(191, 191, 0));
    p.SetColour(kCyan75, Rgb(0, 191, 191));
    p.SetColour(kMagenta75, Rgb(191, 0, 191));
    p.SetColour(kOrange, Rgb(255, 128, 0));
    p.SetColour(kCyan, Rgb(0, 255, 255));
    return p;
}

void Set(IndexedPicture &p, int x, int y, int index)
{
    if (x >= 0 && y >= 0 && x < p.width && y < p.height)
        p.index[size_t(y) * size_t(p.width) + size_t(x)] = uint8_t(index);
}

void Box(IndexedPicture &p, int x0, int y0, int w, int h, int index)
{
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x)
            Set(p, x, y, index);
}

// Mixes white (or black) into a grey pixel along the grey ramp; other
// colours take the ink where coverage is at least half.
void Ink(IndexedPicture &p, int x, int y, int coverage, bool white)
{
    if (x < 0 || y < 0 || x >= p.width || y >= p.height || coverage <= 0)
        return;
    uint8_t &dst = p.index[size_t(y) * size_t(p.width) + size_t(x)];
    const int target = white ? 127 : 0;
    if (dst < 128)
        dst = uint8_t(dst + ((target - int(dst)) * coverage + 127) / 255);
    else if (coverage >= 128)
        dst = uint8_t(target);
}

// Text centred on (cx, baseline y); returns false when the font is missing.
bool Text(IndexedPicture &p, FontFace face, int size, const char *text, int cx, int baseline, bool white)
{
    TextMask m;
    if (!RenderText(face, size, text, &m))
        return false;
    const int left = cx - m.width / 2, top = baseline - m.baseline;
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x)
            Ink(p, left + x, top + y, m.At(x, y), white);
    return true;
}

bool TextLeft(IndexedPicture &p, int size, const char *text, int left, int baseline)
{
    TextMask m;
    if (!RenderText(FontFace::SansBold, size, text, &m))
        return false;
    const int margin = 2 + size / 8;
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x)
            Ink(p, left - margin + x, baseline - m.baseline + y, m.At(x, y), true);
    return true;
}

void Circle(IndexedPicture &p, double cx, double cy, double radius, double thickness)
{
    for (int y = 0; y < kVisible; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
            const double d = std::fabs(std::sqrt(dx * dx + dy * dy) - radius);
            const double c = dg::Clamp(thickness / 2 + 0.5 - d, 0.0, 1.0);
            Ink(p, x, y, dg::Round(c * 255.0), true);
        }
}

} // namespace

IndexedPicture MakeTestCard(bool *fontOk)
{
    IndexedPicture p = MakeCanvas();
    bool ok = true;

    // Grid of 25-pixel squares over the visible area.
    for (int y = 0; y < kVisible; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (x % 25 == 0 || y % 25 == 0)
                Set(p, x, y, GreyIndex(170));
    // Corner squares in the four primaries, to tell mirrored output at once.
    Box(p, 1, 1, 24, 24, kMarker);
    Box(p, 376, 1, 23, 24, kGreenRamp + 39);
    Box(p, 1, 275, 24, 24, kBlueRamp + 39);
    Box(p, 376, 275, 23, 24, kHazard);

    Circle(p, 200.0, 150.0, 137.0, 2.5);

    // Content block, x 75..324.
    Box(p, 75, 50, 250, 25, GreyIndex(0));
    ok &= Text(p, FontFace::SansBold, 17, "VELTRANE  TEST  CARD", 200, 68, true);
    const int bars[8] = {GreyIndex(191), kYellow75, kCyan75, kGreenRamp + 29,
                         kMagenta75, kRedRamp + 29, kBlueRamp + 29, GreyIndex(0)};
    for (int i = 0; i < 8; ++i) {
        const int x0 = 75 + (i * 250) / 8, x1 = 75 + ((i + 1) * 250) / 8;
        Box(p, x0, 75, x1 - x0, 50, bars[i]);
    }
    for (int i = 0; i < 11; ++i) {     // grey steps 0%, 10% ... 100%
        const int x0 = 75 + (i * 250) / 11, x1 = 75 + ((i + 1) * 250) / 11;
        Box(p, x0, 125, x1 - x0, 25, GreyIndex(dg::Round(i * 25.5)));
    }
    for (int x = 0; x < 250; ++x) {    // smooth ramps
        Box(p, 75 + x, 150, 1, 16, kGrey + (x * 128) / 250);
        Box(p, 75 + x, 166, 1, 8, kRedRamp + (x * 40) / 250);
        Box(p, 75 + x, 174, 1, 8, kGreenRamp + (x * 40) / 250);
        Box(p, 75 + x, 182, 1, 8, kBlueRamp + (x * 40) / 250);
    }
    Box(p, 75, 190, 250, 35, GreyIndex(0));
    ok &= Text(p, FontFace::Sans, 13, "400 x 308 page, rows 0 - 299 shown", 200, 205, true);
    ok &= Text(p, FontFace::Sans, 11, "green frame = visible edge", 200, 220, true);
    // Gratings: 1, 2, 3 and 4 pixel stripes.
    for (int g = 0; g < 4; ++g)
        for (int x = 0; x < 62; ++x)
            Box(p, 75 + g * 62 + x, 225, 1, 25, ((x / (g + 1)) & 1) ? GreyIndex(255) : GreyIndex(0));
    Box(p, 323, 225, 2, 25, GreyIndex(0));

    // Centre marks on the edges: triangles pointing at row 150 and column 200.
    for (int i = 0; i < 8; ++i) {
        Box(p, 200 - i, 1 + i, 2 * i + 1, 1, kOrange);
        Box(p, 200 - i, 298 - i, 2 * i + 1, 1, kOrange);
        Box(p, 1 + i, 150 - i, 1, 2 * i + 1, kOrange);
        Box(p, 398 - i, 150 - i, 1, 2 * i + 1, kOrange);
    }
    // Row ticks on the left every 25 rows, labels every 50.
    for (int y = 0; y < kVisible; y += 25)
        Box(p, 1, y, 6, 1, kCyan);
    static const char *kRowLabels[] = {"50", "100", "150", "200", "250"};
    for (int i = 0; i < 5; ++i)
        ok &= TextLeft(p, 9, kRowLabels[i], 30, 50 * (i + 1) + 4);
    ok &= TextLeft(p, 9, "row 0", 30, 10);
    ok &= TextLeft(p, 9, "row 299", 30, 296);

    // The frame on the outermost visible rows and columns.
    Box(p, 0, 0, kWidth, 1, kFrame);
    Box(p, 0, kVisible - 1, kWidth, 1, kFrame);
    Box(p, 0, 0, 1, kVisible, kFrame);
    Box(p, kWidth - 1, 0, 1, kVisible, kFrame);
    // Rows the window never shows.
    for (int y = kVisible; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            Set(p, x, y, ((x + y) / 6) & 1 ? kHazard : GreyIndex(0));

    if (fontOk)
        *fontOk = ok;
    return p;
}

bool GenerateTestCard(const std::string &dir)
{
    bool fontOk = true;
    const IndexedPicture card = MakeTestCard(&fontOk);
    if (!fontOk)
        return false;
    return WriteDataFile(dir, "Testing.pcx", EncodePcx8(card));
}
