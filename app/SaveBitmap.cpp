// The screenshot writer: a 32-bit page as an uncompressed 24-bit bitmap,
// "Saved.bmp" in the working directory, top row first. The file is written
// under a temporary name and renamed only when every byte reached the disk,
// so a failed save never leaves a half-written picture behind.
#include "CommonStuff.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <vector>

namespace {

const char kSavedName[] = "Saved.bmp";
const char kTempName[] = "Saved.bmp.part";
constexpr size_t kHeaderBytes = 54;   // 14-byte file header + 40-byte info header

void Put16(uint8_t *p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

void Put32(uint8_t *p, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        p[i] = uint8_t(v >> (8 * i));
}

// True when the whole block went to the file and the file closed cleanly;
// a file that was opened but not completely written is removed again.
bool WriteWhole(const char *path, const std::vector<uint8_t> &bytes)
{
    FILE *f = std::fopen(path, "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fflush(f) == 0 && ok;
    ok = std::fclose(f) == 0 && ok;
    if (!ok)
        std::remove(path);
    return ok;
}

} // namespace

long SaveBitmap(defZENTRIXPAGE *EffectPage, const char * /*Filename: always Saved.bmp*/)
{
    if (!EffectPage || !EffectPage->pPageData || EffectPage->BPP != 32 || EffectPage->Width <= 0 ||
        EffectPage->Height <= 0)
        return 0;
    const size_t width = size_t(EffectPage->Width);
    const size_t height = size_t(EffectPage->Height);
    // Rows are padded to a multiple of 4 bytes as the format asks (none for
    // the 400-pixel pages the program saves).
    const size_t rowBytes = (width * 3 + 3) & ~size_t(3);
    const size_t fileBytes = kHeaderBytes + rowBytes * height;
    if (fileBytes > 0xFFFFFFFFu)
        return 0;

    std::vector<uint8_t> file;
    try {
        file.assign(fileBytes, 0);
    } catch (const std::bad_alloc &) {
        return 0;
    }
    uint8_t *h = file.data();
    // File header.
    Put16(h + 0, 0x4D42);                         // "BM"
    Put32(h + 2, uint32_t(fileBytes));
    Put32(h + 10, uint32_t(kHeaderBytes));
    // Information header; a negative height stores the top row first.
    Put32(h + 14, 40);
    Put32(h + 18, uint32_t(EffectPage->Width));
    Put32(h + 22, uint32_t(-EffectPage->Height));
    Put16(h + 26, 1);
    Put16(h + 28, 24);
    Put32(h + 38, 1024);
    Put32(h + 42, 1024);

    const auto *pixels = static_cast<const uint32_t *>(EffectPage->pPageData);
    for (size_t y = 0; y < height; y++) {
        uint8_t *out = h + kHeaderBytes + y * rowBytes;
        const uint32_t *row = pixels + y * width;
        for (size_t x = 0; x < width; x++) {
            const uint32_t c = row[x];           // 0x00RRGGBB
            *out++ = uint8_t(c);                 // blue
            *out++ = uint8_t(c >> 8);            // green
            *out++ = uint8_t(c >> 16);           // red
        }
    }

    if (!WriteWhole(kTempName, file))
        return 0;
    std::error_code ec;
    std::filesystem::rename(kTempName, kSavedName, ec); // replaces an older picture
    if (ec) {
        std::remove(kTempName);
        return 0;
    }
    return 1;
}
