// Shapes the pictures share: anti-aliased polygon coverage, the dolphin's
// silhouette, text placed into a coverage mask, and a box blur.
#pragma once

#include "Font.h"

#include <cstdint>
#include <vector>

struct Point {
    double x, y;
};

// A coverage mask, 0.0 (outside) to 1.0 (inside), row-major.
struct Mask {
    int width = 0;
    int height = 0;
    std::vector<float> v;

    Mask() = default;
    Mask(int w, int h) : width(w), height(h), v(size_t(w) * size_t(h), 0.0f) {}
    float At(int x, int y) const
    {
        return (x < 0 || y < 0 || x >= width || y >= height) ? 0.0f : v[size_t(y) * size_t(width) + size_t(x)];
    }
    float &Ref(int x, int y) { return v[size_t(y) * size_t(width) + size_t(x)]; }
};

// Adds the polygon's coverage (nonzero winding, 4 x 4 samples a pixel) to
// the mask, clamped to 1.
void FillPolygon(Mask *mask, const std::vector<Point> &polygon);

// The dolphin's outline in its own units: nose at x = 1, tail at x = 0,
// back up (negative y), body about 0.3 high, a leaping arch.
std::vector<Point> DolphinOutline();

// The outline scaled by `length` pixels, turned by `angle` radians
// (positive turns the nose down) and moved so its middle is at (cx, cy);
// `mirror` makes it face left.
std::vector<Point> PlaceOutline(const std::vector<Point> &outline, double cx, double cy, double length, double angle,
                                bool mirror);

// Text centred on column cx with its baseline on row `baseline`; coverage
// is added (max) into the mask. False when the font is missing.
bool PlaceText(Mask *mask, FontFace face, int size, const char *text, int cx, int baseline, int tracking = 0);

// Box blur of radius r (a (2r + 1)-wide average), `passes` times each way:
// three passes approach a Gaussian.
void Blur(Mask *mask, int r, int passes);

// Width of a text line in pixels at this size (ink and margins).
int TextWidth(FontFace face, int size, const char *text, int tracking = 0);
