// Fuzzes LoadFileRaw and LoadFileRaw24: the first two bytes choose the
// picture's width and height, the rest is the file. Each target is exactly
// the requested size plus a guard that must never change.
#include "CommonStuff.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

void CheckGuard(const std::vector<uint8_t> &buffer, size_t bytes)
{
    for (size_t i = bytes; i < buffer.size(); i++)
        if (buffer[i] != 0x5A)
            std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    static const std::string folder = "/tmp/app_fuzz_" + std::to_string(getpid());
    static const bool made = [] {
        ZentrixSetDataFolder(folder.c_str());
        return std::system(("mkdir -p " + folder).c_str()) == 0;
    }();
    if (!made)
        return 0;
    const int w = data[0] % 64 - 2, h = data[1] % 64 - 2;   // a few sizes are not positive
    FILE *f = std::fopen((folder + "/fuzz.raw").c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data + 2, 1, size - 2, f);
    std::fclose(f);

    const size_t pixels = w > 0 && h > 0 ? size_t(w) * size_t(h) : 0;
    std::vector<uint8_t> bytes(pixels + 8, 0x5A);
    LoadFileRaw("fuzz.raw", w, h, bytes.data());
    CheckGuard(bytes, pixels);
    std::vector<uint8_t> words(pixels * 2 + 8, 0x5A);
    LoadFileRaw24("fuzz.raw", w, h, reinterpret_cast<uint16_t *>(words.data()));
    CheckGuard(words, pixels * 2);
    return 0;
}
