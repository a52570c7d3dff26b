// File and text helpers shared by the shell and the effect modules (see
// CommonStuff.h). Data file names go through the library's path resolver, so
// "Data\..." is found in the data folder from any working directory.
#include "CommonStuff.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

char szBuffer[256];

namespace {

// Pixels of a W x H picture, 0 when either side is not positive.
size_t PixelCount(int W, int H)
{
    if (W <= 0 || H <= 0)
        return 0;
    return static_cast<size_t>(W) * static_cast<size_t>(H);
}

// Opens "Data\FileName" for reading; the joined name is left in szBuffer.
FILE *OpenDataFile(const char *FileName)
{
    AddStr("Data\\", FileName ? FileName : "");
    char path[4096];
    if (!ZentrixResolvePath(szBuffer, path, sizeof(path)) || !ZentrixIsRegularFile(path))
        return nullptr;
    return std::fopen(path, "rb");
}

// Pixels the page can hold at `bytes` bytes a pixel (0 for an empty page or
// one whose pixels are smaller than that).
size_t PagePixels(const defZENTRIXPAGE *page, unsigned bytes)
{
    if (!page || !page->pPageData || page->BPP < bytes * 8)
        return 0;
    return PixelCount(page->Width, page->Height);
}

} // namespace

void FreeUp(void *Ptr)
{
    if (Ptr)
        std::free(Ptr);
}

void UpCase(char *Str)
{
    if (!Str)
        return;
    for (; *Str; Str++)
        *Str = static_cast<char>(std::toupper(static_cast<unsigned char>(*Str)));
}

char *AddStr(const char *Str1, const char *Str2)
{
    size_t used = 0;
    for (const char *s : {Str1, Str2}) {
        for (; s && *s && used + 1 < sizeof(szBuffer); s++)
            szBuffer[used++] = *s;
    }
    szBuffer[used] = '\0';
    return szBuffer;
}

void LoadFileRaw(const char *FileName, int W, int H, void *Target)
{
    const size_t count = PixelCount(W, H);
    if (!Target || count == 0)
        return;
    FILE *f = OpenDataFile(FileName);
    if (!f)
        return;
    std::fread(Target, 1, count, f);
    std::fclose(f);
}

void LoadFileRaw24(const char *FileName, int W, int H, uint16_t *Target)
{
    const size_t count = PixelCount(W, H);
    if (!Target || count == 0)
        return;
    // Zeroed, so the pixels a short file lacks convert as black.
    auto *block = static_cast<uint8_t *>(std::calloc(count, 3));
    if (!block)
        return;
    FILE *f = OpenDataFile(FileName);
    if (!f) {
        std::free(block);
        return;
    }
    std::fread(block, 3, count, f);
    std::fclose(f);
    for (size_t i = 0; i < count; i++) {
        const uint8_t *p = block + i * 3;
        // The middle field is divided by 7, not shifted: it reaches only 36.
        Target[i] = static_cast<uint16_t>(((p[0] >> 3) << 11) + ((p[1] / 7) << 5) + (p[2] >> 3));
    }
    std::free(block);
}

void Flip(const uint8_t *VPage, const uint16_t *Palette, defZENTRIXPAGE *EffectGFXPage)
{
    const size_t count = PagePixels(EffectGFXPage, 2);
    if (!VPage || !Palette)
        return;
    auto *out = static_cast<uint16_t *>(EffectGFXPage ? EffectGFXPage->pPageData : nullptr);
    for (size_t i = 0; i < count; i++)
        out[i] = Palette[VPage[i]];
}

void FlipW(const int16_t *VPage, const uint16_t *Palette, defZENTRIXPAGE *EffectGFXPage)
{
    const size_t count = PagePixels(EffectGFXPage, 2);
    if (!VPage || !Palette)
        return;
    auto *out = static_cast<uint16_t *>(EffectGFXPage ? EffectGFXPage->pPageData : nullptr);
    for (size_t i = 0; i < count; i++)
        out[i] = Palette[static_cast<uint16_t>(VPage[i])];
}

void FlipD(const int16_t *VPage, const uint32_t *Palette, defZENTRIXPAGE *EffectGFXPage)
{
    const size_t count = PagePixels(EffectGFXPage, 4);
    if (!VPage || !Palette)
        return;
    auto *out = static_cast<uint32_t *>(EffectGFXPage ? EffectGFXPage->pPageData : nullptr);
    for (size_t i = 0; i < count; i++)
        out[i] = Palette[static_cast<uint16_t>(VPage[i])];
}
