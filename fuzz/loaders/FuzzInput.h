// Writes a fuzzer input to a scratch file the loaders can open (they read
// files by name), one file per process.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

inline const std::string &FuzzFile(const char *ext)
{
    static const std::string path = "/tmp/zentrix_fuzz_" + std::to_string(getpid()) + ext;
    return path;
}

inline bool WriteFuzzFile(const std::string &path, const uint8_t *data, size_t size)
{
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

// One raw-loader run: the first two bytes choose the requested width and
// height, the rest is the file. The destination is exactly the requested
// size (one Pixel a pixel) plus a guard that must never change.
template <typename Pixel, typename Loader>
int FuzzRawLoader(const uint8_t *data, size_t size, Loader load)
{
    if (size < 2)
        return 0;
    const uint32_t w = data[0] % 64u, h = data[1] % 64u;
    const std::string &path = FuzzFile(".raw");
    if (!WriteFuzzFile(path, data + 2, size - 2))
        return 0;
    const size_t bytes = size_t(w) * h * sizeof(Pixel);
    std::vector<uint8_t> dest(bytes + 8, 0x5A);
    load(path.c_str(), w, h, reinterpret_cast<Pixel *>(dest.data()));
    for (size_t i = bytes; i < bytes + 8; i++)
        if (dest[i] != 0x5A)
            std::abort();
    std::remove(path.c_str());
    return 0;
}
