#include "Preview.h"

#include "Font.h"
#include "MeshPreview.h"
#include "PcxWriter.h"
#include "PngWrite.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

enum class Kind { Pcx, Raw24, Raw8, Raw8Signed, Palette, Table, Warp, Lines, Relief, Mesh };

struct Entry {
    const char *file;
    Kind kind;
    int width, height;   // what the reader takes (raw kinds)
};

// Every picture of Data/ that has a preview. Other generators add their
// files here.
const Entry kEntries[] = {
    {"Testing.pcx", Kind::Pcx, 400, 308},
    {"KestrunTitle.pcx", Kind::Pcx, 400, 125},
    {"TitleMain.raw", Kind::Raw24, 320, 240},
    {"TitleLight.raw", Kind::Raw24, 320, 240},
    {"Water.raw", Kind::Raw8Signed, 100, 150},
    {"WaterPal.raw", Kind::Palette, 256, 1},
    {"Land.raw", Kind::Table, 64, 16},
    {"Clouds.raw", Kind::Table, 64, 16},
    {"ReflectClouds.raw", Kind::Table, 64, 16},
    {"Bumpy.raw", Kind::Relief, 400, 308},
    {"Lenz-1.raw", Kind::Raw24, 70, 70},
    {"LenzMain.pcx", Kind::Pcx, 250, 250},
    {"Lenz1.raw", Kind::Raw24, 15, 15},
    {"Lenz2.raw", Kind::Raw24, 67, 67},
    {"Lenz3.raw", Kind::Raw24, 48, 48},
    {"Lenz4.raw", Kind::Raw24, 23, 23},
    {"Lenz5.raw", Kind::Raw24, 21, 21},
    {"Lenz6.raw", Kind::Raw24, 13, 13},
    {"Lenz7.raw", Kind::Raw24, 59, 59},
    {"Lenz8.raw", Kind::Raw24, 79, 79},
    {"Lenz9.raw", Kind::Raw24, 159, 159},
    {"LenzRed.pcx", Kind::Pcx, 250, 250},
    {"LenzGreen.pcx", Kind::Pcx, 250, 250},
    {"LenzBlue.pcx", Kind::Pcx, 250, 250},
    {"SplotPalette.raw", Kind::Palette, 256, 1},
    {"lines.txt", Kind::Lines, 400, 308},
    {"LightStream.raw", Kind::Raw24, 100, 100},
    {"Numbers.raw", Kind::Raw24, 90, 12},
    {"WaterBackground.pcx", Kind::Pcx, 640, 480},
    {"OfsTable.pts", Kind::Warp, 400, 308},
    {"NewGreetz.pcx", Kind::Pcx, 300, 800},
    {"Sprite.raw", Kind::Raw24, 10, 10},
    {"Flipper.pcx", Kind::Pcx, 527, 150},
    {"MetalTexture.pcx", Kind::Pcx, 256, 256},
    {"objDolphin.3DS", Kind::Mesh, 800, 616},
    {"objMan.3DS", Kind::Mesh, 800, 616},
};

bool ReadAll(const std::string &path, std::vector<uint8_t> *out)
{
    std::ifstream f(path, std::ios::binary);
    if (!f)
        return false;
    out->assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    return true;
}

Picture Scaled(const Picture &p, int factor)
{
    Picture out(p.width * factor, p.height * factor);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
            out.At(x, y) = p.At(x / factor, y / factor);
    return out;
}

// Small pictures are enlarged so that a viewer can judge them.
int Enlargement(const Picture &p)
{
    const int side = std::max(p.width, p.height);
    return side <= 20 ? 12 : side <= 80 ? 4 : side < 200 ? 2 : 1;
}

Picture Raw24Picture(const std::vector<uint8_t> &bytes, int w, int h)
{
    Picture p(w, h);
    for (size_t i = 0; i < p.px.size() && 3 * i + 2 < bytes.size(); ++i)
        p.px[i] = Rgb(bytes[3 * i], bytes[3 * i + 1], bytes[3 * i + 2]);
    return p;
}

// A page pixel = background pixel at offset + table entry, as the warp
// draws it; several offsets side by side show the flow.
Picture WarpFrames(const std::string &dataDir, const std::vector<uint8_t> &table, bool *ok)
{
    std::vector<uint8_t> file;
    IndexedPicture back;
    *ok = ReadAll(dataDir + "/WaterBackground.pcx", &file) && DecodePcx8(file, &back) &&
          back.width * back.height == 307200 && table.size() == 123200 * 4;
    if (!*ok)
        return Picture();
    const Picture bg = Expand(back);
    const int offsets[2] = {623, 311};
    Picture out(808, 308, 0);
    for (int f = 0; f < 2; ++f)
        for (int k = 0; k < 123200; ++k) {
            const int32_t entry = int32_t(uint32_t(table[4 * size_t(k)]) | uint32_t(table[4 * size_t(k) + 1]) << 8 |
                                          uint32_t(table[4 * size_t(k) + 2]) << 16 |
                                          uint32_t(table[4 * size_t(k) + 3]) << 24);
            const int64_t at = int64_t(entry) + offsets[f];
            out.At(f * 408 + k % 400, k / 400) = (at >= 0 && at < 307200) ? bg.px[size_t(at)] : 0xFF0000;
        }
    return out;
}

// The relief lit as the bump mapping lights it: the slopes shift where each
// pixel reads a cone-shaped light spot; red, green and blue lights.
Picture LitRelief(const std::vector<uint8_t> &height)
{
    Picture out(808, 308, 0);
    if (height.size() < 400 * 308)
        return out;
    auto at = [&](int i) { return int(height[size_t(i)]); };
    const int lights[3][2] = {{120, 90}, {280, 120}, {200, 240}};
    for (int y = 0; y < 308; ++y)
        for (int x = 0; x < 400; ++x) {
            const int i = y * 400 + x;
            const int v = at(i);
            out.At(x, y) = Rgb(v, v, v);
            int dx = 0, dy = 0;
            if (i > 400 && i < 122799) {
                dx = std::clamp(2 * (at(i + 1) - at(i - 1)), -127, 127);
                dy = std::clamp(2 * (at(i + 400) - at(i - 400)), -127, 127);
            }
            int c[3];
            for (int k = 0; k < 3; ++k) {
                const int u = x - dx - lights[k][0], w = y - dy - lights[k][1];
                const double r = std::sqrt(double(u * u + w * w));
                c[k] = std::clamp(int(2 * (128 - r)), 0, 255);
            }
            out.At(408 + x, y) = Rgb(c[0], c[1], c[2]);
        }
    return out;
}

// Two hundred cone-shaped blobs summed with saturation and shown through
// the palette, as the splot effect shows them.
Picture SplotFrame(const std::vector<uint8_t> &palette)
{
    std::vector<uint8_t> sum(400 * 308, 0);
    uint32_t seed = 12345;
    auto next = [&seed](int n) {
        seed = seed * 214013u + 2531011u;
        return int(((seed >> 16) & 0x7FFF) % uint32_t(n));
    };
    for (int n = 0; n < 200; ++n) {
        const int bx = std::abs(next(400) - 64), by = std::abs(next(308) - 64), k = 1 + next(10);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                const double r = std::sqrt(double((x - 32) * (x - 32) + (y - 32) * (y - 32)));
                const int v = std::max(0, int((32 * k - k * r) / 3));
                uint8_t &d = sum[size_t((by + y) * 400 + bx + x)];
                d = uint8_t(std::min(255, d + v));
            }
    }
    Picture p(400, 308);
    for (size_t i = 0; i < sum.size(); ++i) {
        const size_t j = size_t(sum[i]) * 3;
        p.px[i] = j + 2 < palette.size() ? Rgb(palette[j], palette[j + 1], palette[j + 2]) : 0;
    }
    return p;
}

// Adds a triangle with colours interpolated across it (barycentric).
void AddTriangle(Picture &p, const double (*v)[2], const double (*c)[3])
{
    const double area = (v[1][0] - v[0][0]) * (v[2][1] - v[0][1]) - (v[2][0] - v[0][0]) * (v[1][1] - v[0][1]);
    if (area == 0)
        return;
    const int x0 = std::max(0, int(std::floor(std::min({v[0][0], v[1][0], v[2][0]}))));
    const int x1 = std::min(p.width - 1, int(std::ceil(std::max({v[0][0], v[1][0], v[2][0]}))));
    const int y0 = std::max(0, int(std::floor(std::min({v[0][1], v[1][1], v[2][1]}))));
    const int y1 = std::min(p.height - 1, int(std::ceil(std::max({v[0][1], v[1][1], v[2][1]}))));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const double px = x + 0.5, py = y + 0.5;
            const double w0 = ((v[1][0] - px) * (v[2][1] - py) - (v[2][0] - px) * (v[1][1] - py)) / area;
            const double w1 = ((v[2][0] - px) * (v[0][1] - py) - (v[0][0] - px) * (v[2][1] - py)) / area;
            const double w2 = 1 - w0 - w1;
            if (w0 < 0 || w1 < 0 || w2 < 0)
                continue;
            const int r = int(w0 * c[0][0] + w1 * c[1][0] + w2 * c[2][0]);
            const int g = int(w0 * c[0][1] + w1 * c[1][1] + w2 * c[2][1]);
            const int b = int(w0 * c[0][2] + w1 * c[1][2] + w2 * c[2][2]);
            p.At(x, y) = AddSat(p.At(x, y), Rgb(r, g, b));
        }
}

// The segments of lines.txt with the shafts they cast from a light at
// (lx, ly), as the light-lines effect draws them (the light drawn as a dot).
Picture LinesPicture(const std::vector<uint8_t> &text, int lx, int ly)
{
    Picture p(400, 308, 0);
    std::istringstream in(std::string(text.begin(), text.end()));
    int count = 0;
    in >> count;
    for (int i = 0; i < count && in; ++i) {
        double fx1, fy1, fx2, fy2;
        int r, g, b;
        in >> fx1 >> fy1 >> fx2 >> fy2 >> r >> g >> b;
        const int x1 = int(fx1 * 400.0), y1 = int(fy1 * 308.0), x2 = int(fx2 * 400.0), y2 = int(fy2 * 308.0);
        const int dx1 = (lx - x1) >> 2, dy1 = (ly - y1) >> 2, dx2 = (lx - x2) >> 2, dy2 = (ly - y2) >> 2;
        if (dx1 <= -80 || dx1 >= 80 || dy1 <= -80 || dy1 >= 80)
            continue;
        auto intensity = [](int dx, int dy) {
            const int v = 31 - int(std::floor(0.5 + 0.4 * std::sqrt(double(dx * dx + dy * dy))));
            return v >= 1 && v <= 31 ? v : 0;
        };
        const int i1 = intensity(dx1, dy1), i2 = intensity(dx2, dy2);
        if (i1 == 0 && i2 == 0)
            continue;
        const double v[4][2] = {{double(x1), double(y1)}, {double(x1 - 2 * dx1), double(y1 - 2 * dy1)},
                                {double(x2 - 2 * dx2), double(y2 - 2 * dy2)}, {double(x2), double(y2)}};
        const double c[4][3] = {{r * i1 / 63.0, g * i1 / 63.0, b * i1 / 63.0}, {0, 0, 0}, {0, 0, 0},
                                {r * i2 / 63.0, g * i2 / 63.0, b * i2 / 63.0}};
        const double ta[3][2] = {{v[0][0], v[0][1]}, {v[1][0], v[1][1]}, {v[2][0], v[2][1]}};
        const double ca[3][3] = {{c[0][0], c[0][1], c[0][2]}, {0, 0, 0}, {0, 0, 0}};
        const double tb[3][2] = {{v[0][0], v[0][1]}, {v[2][0], v[2][1]}, {v[3][0], v[3][1]}};
        const double cb[3][3] = {{c[0][0], c[0][1], c[0][2]}, {0, 0, 0}, {c[3][0], c[3][1], c[3][2]}};
        AddTriangle(p, ta, ca);
        AddTriangle(p, tb, cb);
    }
    for (int y = ly - 3; y <= ly + 3; ++y)
        for (int x = lx - 3; x <= lx + 3; ++x)
            if (p.Inside(x, y) && (x - lx) * (x - lx) + (y - ly) * (y - ly) <= 9)
                p.At(x, y) = 0xFFFFFF;
    return p;
}

Picture Swatch(const Picture &strip, int cellW, int cellH)
{
    Picture out(strip.width * cellW, strip.height * cellH);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
            out.At(x, y) = strip.At(x / cellW, y / cellH);
    return out;
}

bool Save(const std::string &path, const Picture &p)
{
    if (!WritePngXrgb(path, p.px.data(), p.width, p.height, p.width)) {
        std::fprintf(stderr, "datagen: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

void Label(Picture &sheet, int x, int y, const std::string &text)
{
    TextMask m;
    if (!RenderText(FontFace::Sans, 11, text, &m))
        return;
    for (int j = 0; j < m.height; ++j)
        for (int i = 0; i < m.width; ++i)
            if (sheet.Inside(x + i, y + j) && m.At(i, j) > 0)
                sheet.At(x + i, y + j) = Blend(sheet.At(x + i, y + j), 0xFFFFFF, m.At(i, j));
}

} // namespace

bool WritePreviews(const std::string &dataDir, const std::string &previewDir)
{
    struct Shown {
        std::string name;
        Picture picture;
    };
    std::vector<Shown> shown;
    for (const Entry &e : kEntries) {
        std::vector<uint8_t> bytes;
        if (!ReadAll(dataDir + "/" + e.file, &bytes)) {
            std::printf("preview: %s is missing\n", e.file);
            continue;
        }
        Picture p;
        IndexedPicture indexed;
        bool ok = true;
        switch (e.kind) {
        case Kind::Pcx:
            ok = DecodePcx8(bytes, &indexed);
            if (ok)
                p = Expand(indexed);
            break;
        case Kind::Raw24:
            p = Raw24Picture(bytes, e.width, e.height);
            break;
        case Kind::Raw8:
        case Kind::Raw8Signed:
            p = Picture(e.width, e.height);
            for (size_t i = 0; i < p.px.size() && i < bytes.size(); ++i) {
                const int v = e.kind == Kind::Raw8 ? bytes[i] : int(int8_t(bytes[i])) + 128;
                p.px[i] = Rgb(v, v, v);
            }
            break;
        case Kind::Palette:
            p = Swatch(Raw24Picture(bytes, 256, 1), 3, 48);
            if (std::string(e.file) == "SplotPalette.raw") {
                const Picture frame = SplotFrame(bytes);
                Picture both(768, 48 + 8 + 308, Rgb(40, 44, 52));
                for (int y = 0; y < 48; ++y)
                    for (int x = 0; x < 768; ++x)
                        both.At(x, y) = p.At(x, y);
                for (int y = 0; y < 308; ++y)
                    for (int x = 0; x < 400; ++x)
                        both.At(x, 56 + y) = frame.At(x, y);
                p = both;
            }
            break;
        case Kind::Table:
            p = Swatch(Raw24Picture(bytes, 64, 16), 8, 8);
            break;
        case Kind::Warp:
            p = WarpFrames(dataDir, bytes, &ok);
            break;
        case Kind::Lines: {
            // The light early, midway and late in its sweep.
            const int at[3][2] = {{60, 70}, {200, 130}, {340, 180}};
            p = Picture(1216, 308, Rgb(40, 44, 52));
            for (int f = 0; f < 3; ++f) {
                const Picture one = LinesPicture(bytes, at[f][0], at[f][1]);
                for (int y = 0; y < 308; ++y)
                    for (int x = 0; x < 400; ++x)
                        p.At(f * 408 + x, y) = one.At(x, y);
            }
            break;
        }
        case Kind::Relief:
            p = LitRelief(bytes);
            break;
        case Kind::Mesh:
            ok = MeshPreviewOfFile(dataDir, e.file, &p);
            break;
        }
        if (ok && std::string(e.file) == "WaterBackground.pcx") {
            // The warp reads it as rows of 623 pixels end to end.
            Picture asRead(623, 480);
            for (int n = 0; n < 623 * 480 && n < int(p.px.size()); ++n)
                asRead.px[size_t(n)] = p.px[size_t(n)];
            p = asRead;
        }
        if (!ok) {
            std::printf("preview: %s could not be shown\n", e.file);
            continue;
        }
        if (e.kind == Kind::Raw8Signed) {
            // Water grid cells are 4 pixels wide and 2 high on screen.
            Picture wide(p.width * 4, p.height * 2);
            for (int y = 0; y < wide.height; ++y)
                for (int x = 0; x < wide.width; ++x)
                    wide.At(x, y) = p.At(x / 4, y / 2);
            p = wide;
        } else if (e.kind == Kind::Raw24 || e.kind == Kind::Pcx) {
            p = Scaled(p, Enlargement(p));
        }
        std::string name = e.file;
        name = name.substr(0, name.find('.'));
        if (e.kind == Kind::Warp)
            name += "-frames";
        if (!Save(previewDir + "/" + name + ".png", p))
            return false;
        shown.push_back(Shown{e.file, p});
    }
    if (shown.empty()) {
        std::fprintf(stderr, "datagen: no pictures found in %s\n", dataDir.c_str());
        return false;
    }

    // Contact sheet: thumbnails fitted into 220 x 200 cells, five a row.
    const int cellW = 220, cellH = 200, thumb = 180, perRow = 5;
    const int rows = int((shown.size() + perRow - 1) / perRow);
    Picture sheet(cellW * perRow, cellH * rows, Rgb(40, 44, 52));
    for (size_t n = 0; n < shown.size(); ++n) {
        const Picture &p = shown[n].picture;
        const int side = std::max(p.width, p.height);
        const int num = std::min(thumb, side), den = side;   // shrink only
        const int w = p.width * num / den, h = p.height * num / den;
        const int x0 = int(n % perRow) * cellW + (cellW - w) / 2, y0 = int(n / perRow) * cellH + 4;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                sheet.At(x0 + x, y0 + y) = p.At(x * den / num, y * den / num);
        Label(sheet, int(n % perRow) * cellW + 6, int(n / perRow) * cellH + thumb + 4, shown[n].name);
    }
    return Save(previewDir + "/contact-sheet.png", sheet);
}
