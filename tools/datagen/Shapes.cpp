#include "Shapes.h"

#include "DgMath.h"

#include <algorithm>
#include <cmath>

void FillPolygon(Mask *mask, const std::vector<Point> &polygon)
{
    constexpr int kSub = 4;
    const size_t n = polygon.size();
    if (n < 3)
        return;
    double minY = polygon[0].y, maxY = polygon[0].y;
    for (const Point &p : polygon) {
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    const int y0 = std::max(0, int(std::floor(minY))), y1 = std::min(mask->height - 1, int(std::ceil(maxY)));
    std::vector<float> row(size_t(mask->width), 0.0f);
    struct Cross {
        double x;
        int dir;
    };
    std::vector<Cross> crossings;
    for (int y = y0; y <= y1; ++y) {
        std::fill(row.begin(), row.end(), 0.0f);
        for (int s = 0; s < kSub; ++s) {
            const double sy = y + (s + 0.5) / kSub;
            crossings.clear();
            for (size_t i = 0; i < n; ++i) {
                const Point &a = polygon[i], &b = polygon[(i + 1) % n];
                if ((a.y <= sy) == (b.y <= sy))
                    continue;
                const double t = (sy - a.y) / (b.y - a.y);
                crossings.push_back(Cross{a.x + (b.x - a.x) * t, b.y > a.y ? 1 : -1});
            }
            std::sort(crossings.begin(), crossings.end(),
                      [](const Cross &p, const Cross &q) { return p.x < q.x || (p.x == q.x && p.dir < q.dir); });
            int winding = 0;
            for (size_t i = 0; i + 1 < crossings.size(); ++i) {
                winding += crossings[i].dir;
                if (winding == 0)
                    continue;
                // Sub-sample columns from crossings[i].x to crossings[i + 1].x.
                const double xa = crossings[i].x * kSub, xb = crossings[i + 1].x * kSub;
                const int sa = std::max(0, int(std::ceil(xa - 0.5))), sb = std::min(mask->width * kSub - 1, int(std::ceil(xb - 0.5)) - 1);
                for (int sx = sa; sx <= sb; ++sx)
                    row[size_t(sx / kSub)] += 1.0f / float(kSub * kSub);
            }
        }
        for (int x = 0; x < mask->width; ++x)
            mask->Ref(x, y) = std::min(1.0f, mask->Ref(x, y) + row[size_t(x)]);
    }
}

namespace {

Point Spine(double t)
{
    // Quadratic arch from the tail (t = 0) to the nose (t = 1).
    const Point a{0.0, 0.10}, c{0.50, -0.20}, b{1.0, 0.06};
    const double u = 1 - t;
    return Point{u * u * a.x + 2 * u * t * c.x + t * t * b.x, u * u * a.y + 2 * u * t * c.y + t * t * b.y};
}

Point Normal(double t)
{
    // Upward normal of the spine (towards the back).
    const Point p = Spine(t - 0.001), q = Spine(t + 0.001);
    const double dx = q.x - p.x, dy = q.y - p.y, len = std::sqrt(dx * dx + dy * dy);
    return Point{dy / len, -dx / len};
}

// Half thickness above (back) and below (belly) the spine.
double Back(double t)
{
    if (t > 0.955)   // beak
        return 0.016 - (t - 0.955) * 0.2;
    if (t > 0.86)    // melon bulging over the beak
        return 0.016 + 0.07 * dg::Smooth((0.955 - t) / 0.095);
    const double body = dg::Smooth(t / 0.62);
    return 0.012 + 0.084 * body;
}

double Belly(double t)
{
    if (t > 0.93)
        return 0.012 - (t - 0.93) * 0.12;
    if (t > 0.62)
        return 0.012 + 0.086 * dg::Smooth((0.93 - t) / 0.31);
    return 0.012 + 0.086 * dg::Smooth(t / 0.62);
}

Point Along(double t, double offset)
{
    const Point s = Spine(t), n = Normal(t);
    return Point{s.x + n.x * offset, s.y + n.y * offset};
}

} // namespace

std::vector<Point> DolphinOutline()
{
    std::vector<Point> out;
    const int steps = 60;
    // Back, tail to nose, with the dorsal fin.
    for (int i = 0; i <= steps; ++i) {
        const double t = 0.02 + 0.98 * i / steps;
        out.push_back(Along(t, Back(t)));
        if (i == steps * 40 / 100) {
            // Dorsal fin: rises from t = 0.41 to a tip swept back, down to 0.55.
            const Point tip = Along(0.40, Back(0.40) + 0.15);
            const Point mid = Along(0.46, Back(0.46) + 0.09);
            out.push_back(Point{(out.back().x + tip.x) / 2 + 0.01, (out.back().y + tip.y) / 2});
            out.push_back(tip);
            out.push_back(Point{tip.x + 0.035, tip.y + 0.03});
            out.push_back(mid);
            out.push_back(Along(0.54, Back(0.54) + 0.01));
        }
    }
    // Round the tip of the beak.
    const Point nose = Spine(1.0);
    out.push_back(Point{nose.x + 0.012, nose.y + 0.002});
    // Belly, nose to tail, with the flipper.
    for (int i = steps; i >= 0; --i) {
        const double t = 0.02 + 0.98 * i / steps;
        out.push_back(Along(t, -Belly(t)));
        if (i == steps * 72 / 100) {
            const Point root = Along(0.72, -Belly(0.72));
            out.push_back(Point{root.x - 0.05, root.y + 0.09});
            out.push_back(Point{root.x - 0.075, root.y + 0.10});
            out.push_back(Along(0.66, -Belly(0.66)));
        }
    }
    // Tail flukes, spreading across the spine at the tail end.
    const Point tail = Spine(0.0), n = Normal(0.0);
    const Point back{-n.y, n.x};   // along the spine, towards the tail
    auto at = [&](double across, double along) {
        return Point{tail.x + n.x * across - back.x * along, tail.y + n.y * across - back.y * along};
    };
    out.push_back(at(-0.03, -0.01));
    out.push_back(at(-0.10, 0.02));
    out.push_back(at(-0.15, 0.07));
    out.push_back(at(-0.10, 0.055));
    out.push_back(at(-0.03, 0.045));
    out.push_back(at(0.0, 0.06));
    out.push_back(at(0.03, 0.045));
    out.push_back(at(0.10, 0.055));
    out.push_back(at(0.15, 0.07));
    out.push_back(at(0.10, 0.02));
    out.push_back(at(0.03, -0.01));
    return out;
}

std::vector<Point> PlaceOutline(const std::vector<Point> &outline, double cx, double cy, double length, double angle,
                                bool mirror)
{
    const double c = dg::Cos(angle), s = dg::Sin(angle);
    std::vector<Point> out;
    out.reserve(outline.size());
    for (const Point &p : outline) {
        double x = (p.x - 0.5) * length, y = (p.y + 0.02) * length;
        if (mirror)
            x = -x;
        out.push_back(Point{cx + x * c - y * s, cy + x * s + y * c});
    }
    return out;
}

bool PlaceText(Mask *mask, FontFace face, int size, const char *text, int cx, int baseline, int tracking)
{
    TextMask m;
    if (!RenderText(face, size, text, &m, tracking))
        return false;
    const int left = cx - m.width / 2, top = baseline - m.baseline;
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x) {
            const int px = left + x, py = top + y;
            if (px >= 0 && py >= 0 && px < mask->width && py < mask->height)
                mask->Ref(px, py) = std::max(mask->Ref(px, py), m.At(x, y) / 255.0f);
        }
    return true;
}

int TextWidth(FontFace face, int size, const char *text, int tracking)
{
    TextMask m;
    return RenderText(face, size, text, &m, tracking) ? m.width : 0;
}

void Blur(Mask *mask, int r, int passes)
{
    if (r <= 0)
        return;
    const int w = mask->width, h = mask->height;
    std::vector<float> line;
    for (int pass = 0; pass < passes; ++pass) {
        for (int y = 0; y < h; ++y) {
            line.assign(mask->v.begin() + long(y) * w, mask->v.begin() + long(y + 1) * w);
            for (int x = 0; x < w; ++x) {
                float sum = 0;
                for (int k = -r; k <= r; ++k)
                    sum += line[size_t(std::clamp(x + k, 0, w - 1))];
                mask->Ref(x, y) = sum / float(2 * r + 1);
            }
        }
        for (int x = 0; x < w; ++x) {
            line.resize(size_t(h));
            for (int y = 0; y < h; ++y)
                line[size_t(y)] = mask->At(x, y);
            for (int y = 0; y < h; ++y) {
                float sum = 0;
                for (int k = -r; k <= r; ++k)
                    sum += line[size_t(std::clamp(y + k, 0, h - 1))];
                mask->Ref(x, y) = sum / float(2 * r + 1);
            }
        }
    }
}
