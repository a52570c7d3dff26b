// info and decode for the library's image files: PCX (header and a trial
// decode through the library's loader) and headerless raw files.
#include "Commands.h"

#include "PngWrite.h"
#include "zentrix.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// The whole of a regular file (at most 256 MiB); false with the reason
// printed as "zentrix-tool: FILE: reason".
bool ReadWhole(const std::string &path, std::vector<uint8_t> *bytes)
{
    if (!CheckInputFile(path))
        return false;
    std::FILE *f = std::fopen(path.c_str(), "rb");
    if (!f) {
        std::fprintf(stderr, "zentrix-tool: %s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    constexpr size_t kMax = size_t(256) << 20;
    uint8_t chunk[65536];
    size_t got;
    while (bytes->size() < kMax && (got = std::fread(chunk, 1, sizeof(chunk), f)) > 0)
        bytes->insert(bytes->end(), chunk, chunk + got);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed)
        std::fprintf(stderr, "zentrix-tool: %s: read error\n", path.c_str());
    else if (bytes->size() >= kMax)
        std::fprintf(stderr, "zentrix-tool: %s: larger than 256 MiB\n", path.c_str());
    return !failed && bytes->size() < kMax;
}

// A 24-bit bottom-up BMP of 0x00RRGGBB pixels.
std::vector<uint8_t> EncodeBmp(const uint32_t *pixels, int width, int height)
{
    const size_t row = (size_t(width) * 3 + 3) & ~size_t(3);
    const uint32_t size = uint32_t(54 + row * size_t(height));
    std::vector<uint8_t> out(size, 0);
    auto put = [&](size_t at, uint32_t v, int n) {
        for (int i = 0; i < n; i++)
            out[at + i] = uint8_t(v >> (8 * i));
    };
    out[0] = 'B';
    out[1] = 'M';
    put(2, size, 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, uint32_t(width), 4);
    put(22, uint32_t(height), 4);
    put(26, 1, 2);
    put(28, 24, 2);
    put(34, uint32_t(row * size_t(height)), 4);
    for (int y = 0; y < height; y++) {
        uint8_t *o = out.data() + 54 + size_t(height - 1 - y) * row;
        for (int x = 0; x < width; x++) {
            const uint32_t p = pixels[size_t(y) * width + x];
            *o++ = uint8_t(p);
            *o++ = uint8_t(p >> 8);
            *o++ = uint8_t(p >> 16);
        }
    }
    return out;
}

int16_t I16(const std::vector<uint8_t> &f, size_t at)
{
    return int16_t(f[at] | (f[at + 1] << 8));
}

struct PcxHeader {
    int width, height, bytesPerLine, planes, bitsPerPixel, version, encoding;
};

bool ParsePcxHeader(const std::vector<uint8_t> &f, PcxHeader *h)
{
    if (f.size() < 128 || f[0] != 10)
        return false;
    h->version = f[1];
    h->encoding = f[2];
    h->bitsPerPixel = f[3];
    h->width = int(I16(f, 8)) - I16(f, 4) + 1;
    h->height = int(I16(f, 10)) - I16(f, 6) + 1;
    h->planes = f[65];
    h->bytesPerLine = I16(f, 66);
    return true;
}

// Decodes a PCX through the library; false (with a reason) when it refuses.
bool DecodePcx(const std::string &path, const PcxHeader &h, std::vector<uint32_t> *pixels)
{
    if (h.width <= 0 || h.height <= 0 || int64_t(h.width) * h.height > (int64_t(1) << 28))
        return false;
    pixels->assign(size_t(h.width) * h.height, 0);
    return LoadPCX24(path.c_str(), pixels->data(), uint32_t(pixels->size())) == 1;
}

// Width x height pairs for `pixels` pixels, the squarest first (aspect at
// most 8:1), at most `limit` of them.
std::vector<std::pair<uint64_t, uint64_t>> SizesFor(uint64_t pixels, size_t limit)
{
    std::vector<std::pair<uint64_t, uint64_t>> out;
    for (uint64_t h = 1; h * h <= pixels; h++) {
        if (pixels % h)
            continue;
        const uint64_t w = pixels / h;
        if (w <= 8 * h) {
            out.push_back({w, h});
            if (w != h)
                out.push_back({h, w});
        }
    }
    std::sort(out.begin(), out.end(), [](auto a, auto b) {
        const auto da = a.first > a.second ? a.first - a.second : a.second - a.first;
        const auto db = b.first > b.second ? b.first - b.second : b.second - b.first;
        return da != db ? da < db : a.first > b.first;
    });
    if (out.size() > limit)
        out.resize(limit);
    return out;
}

bool ParseSize(const std::string &s, uint32_t *w, uint32_t *h)
{
    unsigned long a = 0, b = 0;
    char x = 0, extra = 0;
    if (std::sscanf(s.c_str(), "%lu%c%lu%c", &a, &x, &b, &extra) != 3 || (x != 'x' && x != 'X'))
        return false;
    if (a == 0 || b == 0 || a > 65535 || b > 65535)
        return false;
    *w = uint32_t(a);
    *h = uint32_t(b);
    return true;
}

} // namespace

std::string ExtensionOf(const std::string &path)
{
    const size_t dot = path.find_last_of('.');
    const size_t slash = path.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return "";
    std::string ext = path.substr(dot);
    for (char &c : ext)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

int CommandInfo(const Args &args)
{
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: zentrix-tool info FILE\n");
        return 2;
    }
    const std::string &path = args[0];
    std::vector<uint8_t> file;
    if (!ReadWhole(path, &file))
        return 1;
    const std::string ext = ExtensionOf(path);
    PcxHeader h{};
    if (ext == ".pcx" || (ext != ".raw" && ParsePcxHeader(file, &h))) {
        if (!ParsePcxHeader(file, &h)) {
            std::fprintf(stderr, "zentrix-tool: %s is not a PCX file (%zu bytes, no PCX header)\n", path.c_str(),
                         file.size());
            return 1;
        }
        std::printf("%s: PCX version %d, %d x %d, %d bit(s) per pixel, %d plane(s), %d bytes per line, %s\n",
                    path.c_str(), h.version, h.width, h.height, h.bitsPerPixel, h.planes, h.bytesPerLine,
                    h.encoding == 1 ? "run-length coded" : "unknown encoding");
        std::vector<uint32_t> pixels;
        if (!DecodePcx(path, h, &pixels)) {
            std::printf("  the library's loader refuses it (not an 8-bit single-stream image with a palette, "
                        "or truncated)\n");
            return 1;
        }
        std::printf("  decodes to %d x %d 32-bit pixels\n", h.width, h.height);
        return 0;
    }
    if (ext != ".raw") {
        std::fprintf(stderr, "zentrix-tool: %s: unknown format (expected .pcx or .raw)\n", path.c_str());
        return 1;
    }
    std::printf("%s: raw image, %zu bytes (no header: the reader gives the size)\n", path.c_str(), file.size());
    if (file.empty())
        return 0;
    for (int bpp : {8, 24}) {
        const uint64_t bytesPerPixel = uint64_t(bpp / 8);
        if (file.size() % bytesPerPixel) {
            std::printf("  %2d bpp: not a whole number of pixels\n", bpp);
            continue;
        }
        const uint64_t pixels = file.size() / bytesPerPixel;
        std::printf("  %2d bpp: %llu pixels, e.g.", bpp, static_cast<unsigned long long>(pixels));
        const auto sizes = SizesFor(pixels, 6);
        if (sizes.empty())
            std::printf(" no size within 8:1");
        for (const auto &s : sizes)
            std::printf(" %llux%llu", static_cast<unsigned long long>(s.first),
                        static_cast<unsigned long long>(s.second));
        std::printf("\n");
    }
    return 0;
}

int CommandDecode(const Args &args)
{
    std::vector<std::string> positional;
    uint32_t w = 0, h = 0;
    int bpp = 0;
    for (size_t i = 0; i < args.size(); i++) {
        if (args[i] == "--size" || args[i] == "--bpp") {
            if (i + 1 >= args.size()) {
                std::fprintf(stderr, "zentrix-tool: %s needs a value\n", args[i].c_str());
                return 2;
            }
            const std::string &v = args[++i];
            if (args[i - 1] == "--size" && !ParseSize(v, &w, &h)) {
                std::fprintf(stderr, "zentrix-tool: --size wants WxH with 1..65535 each, not '%s'\n", v.c_str());
                return 2;
            }
            if (args[i - 1] == "--bpp") {
                if (v != "8" && v != "24") {
                    std::fprintf(stderr, "zentrix-tool: --bpp is 8 or 24, not '%s'\n", v.c_str());
                    return 2;
                }
                bpp = std::stoi(v);
            }
        } else if (args[i].size() > 1 && args[i][0] == '-') {
            std::fprintf(stderr, "zentrix-tool: unknown option '%s'\n", args[i].c_str());
            return 2;
        } else {
            positional.push_back(args[i]);
        }
    }
    if (positional.size() != 2) {
        std::fprintf(stderr, "usage: zentrix-tool decode FILE OUT.png|OUT.bmp [--size WxH] [--bpp 8|24]\n");
        return 2;
    }
    const std::string &path = positional[0], &out = positional[1];
    // The output's name says its format.
    const std::string outExt = ExtensionOf(out);
    if (outExt != ".png" && outExt != ".bmp") {
        std::fprintf(stderr, "zentrix-tool: %s: the output name must end in .png or .bmp\n", out.c_str());
        return 2;
    }
    std::vector<uint8_t> file;
    if (!ReadWhole(path, &file))
        return 1;
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
    if (ExtensionOf(path) == ".raw" || bpp != 0) {
        if (w == 0 || bpp == 0) {
            std::fprintf(stderr, "zentrix-tool: a raw image needs --size WxH and --bpp 8|24 "
                                 "(try: zentrix-tool info %s)\n", path.c_str());
            return 2;
        }
        const uint64_t need = uint64_t(w) * h * uint64_t(bpp / 8);
        if (file.size() < need) {
            std::fprintf(stderr, "zentrix-tool: %s is %zu bytes; %ux%u at %d bpp needs %llu\n", path.c_str(),
                         file.size(), w, h, bpp, static_cast<unsigned long long>(need));
            return 1;
        }
        if (file.size() > need)
            std::fprintf(stderr, "zentrix-tool: warning: %s is %zu bytes, %llu more than %ux%u at %d bpp\n",
                         path.c_str(), file.size(), static_cast<unsigned long long>(file.size() - need), w, h, bpp);
        width = int(w);
        height = int(h);
        pixels.assign(size_t(w) * h, 0);
        if (bpp == 24) {
            LoadRaw32(path.c_str(), w, h, pixels.data());
        } else {
            std::vector<uint8_t> grey(size_t(w) * h);
            LoadRaw(path.c_str(), w, h, grey.data());
            for (size_t i = 0; i < grey.size(); i++)
                pixels[i] = uint32_t(grey[i]) * 0x010101u;
        }
    } else {
        PcxHeader hd{};
        if (!ParsePcxHeader(file, &hd)) {
            std::fprintf(stderr, "zentrix-tool: %s is neither a PCX file nor named .raw\n", path.c_str());
            return 1;
        }
        if (!DecodePcx(path, hd, &pixels)) {
            std::fprintf(stderr, "zentrix-tool: %s: the library's PCX loader refuses this file\n", path.c_str());
            return 1;
        }
        width = hd.width;
        height = hd.height;
    }
    const bool written = outExt == ".bmp"
                             ? WriteFileAtomically(out, EncodeBmp(pixels.data(), width, height))
                             : WritePngXrgb(out, pixels.data(), width, height, width);
    if (!written) {
        std::fprintf(stderr, "zentrix-tool: %s: cannot write (%s)\n", out.c_str(),
                     errno ? std::strerror(errno) : "write error");
        return 1;
    }
    std::printf("%s: %d x %d -> %s\n", path.c_str(), width, height, out.c_str());
    return 0;
}
