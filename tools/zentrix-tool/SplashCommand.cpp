// splash: the library's splash blend on three pictures, written as PNG.
// The background page stands for the desktop behind the splash window.
#include "Commands.h"

#include "PngWrite.h"
#include "zentrix.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// A 32-bit page holding a PCX picture; false when it isn't one.
bool LoadPcxPage(const std::string &path, defZENTRIXPAGE *page)
{
    std::FILE *f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    uint8_t h[128];
    const bool whole = std::fread(h, 1, sizeof(h), f) == sizeof(h);
    std::fclose(f);
    if (!whole || h[0] != 10)
        return false;
    const int w = int(int16_t(h[8] | h[9] << 8)) - int16_t(h[4] | h[5] << 8) + 1;
    const int ht = int(int16_t(h[10] | h[11] << 8)) - int16_t(h[6] | h[7] << 8) + 1;
    if (w <= 0 || ht <= 0 || w > 16384 || ht > 16384 || !CreateGFXPage(page, w, ht, 32))
        return false;
    if (LoadPCX24(path.c_str(), static_cast<uint32_t *>(page->pPageData), uint32_t(w) * uint32_t(ht)) != 1) {
        DeleteGFXPage(page);
        return false;
    }
    return true;
}

} // namespace

int CommandSplash(const Args &args)
{
    const char *usage = "usage: zentrix-tool splash PICTURE MASK BACKGROUND OUT.png [--at X,Y]\n";
    int x = 0, y = 0;
    if (args.size() == 6 && args[4] == "--at") {
        if (std::sscanf(args[5].c_str(), "%d,%d", &x, &y) != 2) {
            std::fputs(usage, stderr);
            return 2;
        }
    } else if (args.size() != 4) {
        std::fputs(usage, stderr);
        return 2;
    }
    defZENTRIXPAGE picture{}, mask{}, background{}, out{};
    const std::string *bad = !LoadPcxPage(args[0], &picture)      ? &args[0]
                             : !LoadPcxPage(args[1], &mask)       ? &args[1]
                             : !LoadPcxPage(args[2], &background) ? &args[2]
                                                                  : nullptr;
    int status = 0;
    if (bad) {
        std::fprintf(stderr, "zentrix-tool splash: '%s' is not a readable .pcx picture\n", bad->c_str());
        status = 1;
    } else if (mask.Width < picture.Width || mask.Height < picture.Height) {
        std::fprintf(stderr, "zentrix-tool splash: the mask (%d x %d) is smaller than the picture (%d x %d)\n",
                     mask.Width, mask.Height, picture.Width, picture.Height);
        status = 1;
    } else if (!CreateGFXPage(&out, picture.Width, picture.Height, 32) ||
               !InitSplash(picture.Width, picture.Height, picture.hPageDC, mask.hPageDC)) {
        std::fprintf(stderr, "zentrix-tool splash: out of memory\n");
        status = 1;
    } else {
        SetSplashBackground(background.hPageDC);
        DrawSplashToDC(out.hPageDC, x, y);
        SetSplashBackground(nullptr);
        if (!WritePngXrgb(args[3], static_cast<const uint32_t *>(out.pPageData), out.Width, out.Height, out.Width)) {
            std::fprintf(stderr, "zentrix-tool splash: can't write '%s'\n", args[3].c_str());
            status = 1;
        } else {
            std::printf("%d x %d at (%d, %d) of the background -> %s\n", out.Width, out.Height, x, y, args[3].c_str());
        }
    }
    DeleteSplash();
    DeleteGFXPage(&out);
    DeleteGFXPage(&background);
    DeleteGFXPage(&mask);
    DeleteGFXPage(&picture);
    return status;
}
