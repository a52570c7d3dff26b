// Light lines: a point light shines past coloured segments read from
// "Data\lines.txt"; behind each segment a shaft of its colour fades to black
// and a lens flare marks the light. Owns Lines, LineCount and Texture.
#include "LightEffect.h"

#include "Gen32.h"
#include "LenzFlare.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

LineStruct *Lines = nullptr;
long LineCount = 0;
uint32_t *Texture = nullptr;

namespace {

constexpr int TextureSide = 100;
// No lines file of this demo comes near this; it bounds what a corrupt or
// hostile file can make the reader hold.
constexpr long MaxLines = 65536;

// The most of the lines file that is read: far more than MaxLines records
// take, so a file that never ends (or a huge one) costs a bounded read.
constexpr size_t MaxFileBytes = size_t(MaxLines) * 128;

// Reads up to `count` numbers from the text at *p, each after any run of
// white space (blanks, tabs, line ends: as the file's scanf patterns match
// them); the first `reals` are fractions, the rest integers. Moves *p past
// what was read and returns how many numbers were read before the first one
// that isn't a number.
int ParseFields(const char **p, int count, int reals, double *fraction, long long *integer)
{
    for (int k = 0; k < count; ++k) {
        char *end = nullptr;
        if (k < reals) {
            // Single precision, as the file's numbers have always been read.
            fraction[k] = std::strtof(*p, &end);
            if (end == *p || std::isnan(fraction[k])) return k;
        } else {
            integer[k - reals] = std::strtoll(*p, &end, 10);
            if (end == *p) return k;
        }
        *p = end;
    }
    return count;
}

// The first MaxFileBytes of a regular file as text; empty when it can't be
// opened (a folder, FIFO or device is refused before opening).
std::string ReadText(const char *file)
{
    std::string text;
    char path[1024];
    if (!file || !ZentrixResolvePath(file, path, sizeof path) || !ZentrixIsRegularFile(path)) return text;
    std::FILE *f = std::fopen(path, "rb");
    if (!f) return text;
    char chunk[16384];
    size_t got;
    while (text.size() < MaxFileBytes &&
           (got = std::fread(chunk, 1, std::min(sizeof chunk, MaxFileBytes - text.size()), f)) > 0)
        text.append(chunk, got);
    std::fclose(f);
    return text;
}

int32_t FractionToPixels(double fraction, double extent)
{
    double v = std::trunc(fraction * extent);
    return int32_t(std::clamp(v, double(-LineCoordLimit), double(LineCoordLimit)));
}

} // namespace

int AllocateLightMemory()
{
    Texture = static_cast<uint32_t *>(std::calloc(TextureSide * TextureSide, sizeof(uint32_t)));
    return Texture ? 1 : 0;
}

long InitializeLight()
{
    if (Texture) LoadRaw32("Data\\LightStream.raw", TextureSide, TextureSide, Texture);
    LoadLines("Data\\lines.txt");
    return 1;
}

long FreeLightMemory()
{
    std::free(Texture);
    Texture = nullptr;
    std::free(Lines);
    Lines = nullptr;
    LineCount = 0;
    return 1;
}

void LoadLines(const char *file)
{
    char path[1024];
    if (!file || !ZentrixResolvePath(file, path, sizeof path) || !ZentrixIsRegularFile(path)) return;
    const std::string text = ReadText(file);
    const char *p = text.c_str();
    long long declared = 0;
    double unused[1];
    ParseFields(&p, 1, 0, unused, &declared);
    const long wanted = long(std::clamp<long long>(declared, 0, MaxLines));

    // Segments are collected as they are read, so a count that promises more
    // than the file holds costs nothing; a record that does not parse ends
    // the list and keeps what came before it.
    std::vector<LineStruct> read;
    read.reserve(size_t(std::min(wanted, 1024L)));
    while (long(read.size()) < wanted) {
        double fx[4];
        long long c[3];
        if (ParseFields(&p, 7, 4, fx, c) < 7) break;
        LineStruct l;
        l.x1 = FractionToPixels(fx[0], 400.0);
        l.y1 = FractionToPixels(fx[1], 308.0);
        l.x2 = FractionToPixels(fx[2], 400.0);
        l.y2 = FractionToPixels(fx[3], 308.0);
        l.r = int32_t(c[0] & 0xFF);
        l.g = int32_t(c[1] & 0xFF);
        l.b = int32_t(c[2] & 0xFF);
        read.push_back(l);
    }

    std::free(Lines);
    Lines = nullptr;
    LineCount = 0;
    if (read.empty()) return;
    Lines = static_cast<LineStruct *>(std::malloc(read.size() * sizeof(LineStruct)));
    if (!Lines) return;
    std::memcpy(Lines, read.data(), read.size() * sizeof(LineStruct));
    LineCount = long(read.size());
}

int LightIntensity(long dx, long dy)
{
    const double d = std::sqrt(double(dx) * double(dx) + double(dy) * double(dy));
    const double i = 31.0 - std::floor(0.5 + 0.4 * d);
    return i >= 1.0 && i <= 31.0 ? int(i) : 0;
}

void DrawLine(long x1, long y1, long x2, long y2, long lx, long ly, unsigned char r, unsigned char g,
              unsigned char b, defZENTRIXPAGE *page)
{
    if (!page) return;
    // End points are held to the range the lines file is read into; with the
    // skip rule below every corner then stays within the rasterizer's
    // fixed-point range (about 10000 pixels from the page).
    auto hold = [](long v) { return int64_t(std::clamp<long>(v, -LineCoordLimit, LineCoordLimit)); };
    const int64_t ax = hold(x1), ay = hold(y1), bx = hold(x2), by = hold(y2);
    // Offsets from the light in quarter pixels, in 64 bits so that a light
    // anywhere cannot overflow them.
    const int64_t dx1 = (int64_t(lx) - ax) >> 2, dy1 = (int64_t(ly) - ay) >> 2;
    if (dx1 <= -80 || dx1 >= 80 || dy1 <= -80 || dy1 >= 80) return;
    const int64_t dx2 = (int64_t(lx) - bx) >> 2, dy2 = (int64_t(ly) - by) >> 2;
    const int i1 = LightIntensity(long(dx1), long(dy1));
    const int i2 = LightIntensity(long(dx2), long(dy2));
    if (i1 == 0 && i2 == 0) return;
    auto channel = [](unsigned char c, int i) { return int32_t(c) * i / 63; };
    ShadeQuadLight(int32_t(ax), int32_t(ay), channel(r, i1), channel(g, i1), channel(b, i1),
                   int32_t(ax - 2 * dx1), int32_t(ay - 2 * dy1), 0, 0, 0,
                   int32_t(bx - 2 * dx2), int32_t(by - 2 * dy2), 0, 0, 0,
                   int32_t(bx), int32_t(by), channel(r, i2), channel(g, i2), channel(b, i2), page);
}

void DoLightEffect(HWND, HDC, long, defZENTRIXPAGE *EffectGFXPage)
{
    const long lx = Lightlx, ly = Lightly;
    if (lx >= -10 && lx < 410 && ly >= -10 && ly < 309) DrawLenz(lx, ly, EffectGFXPage);
    for (long k = 0; k < LineCount; ++k) {
        const LineStruct &l = Lines[k];
        DrawLine(l.x1, l.y1, l.x2, l.y2, lx, ly, (unsigned char)l.r, (unsigned char)l.g, (unsigned char)l.b,
                 EffectGFXPage);
    }
}

void HandleLightMessage(HWND, unsigned uMessage, WPARAM wParam, LPARAM)
{
    if (uMessage == WM_LIGHT_SETX) Lightlx = long(wParam);
    else if (uMessage == WM_LIGHT_SETY) Lightly = long(wParam);
}
