// Fuzzes the raw loader for this pixel size: the first two bytes choose the
// requested width and height, the rest is the file. The destination is
// exactly the requested size plus a guard that must never change.
#include "FuzzInput.h"
#include "zentrix.h"

#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const uint32_t w = data[0] % 64u, h = data[1] % 64u;
    const std::string &path = FuzzFile(".raw");
    if (!WriteFuzzFile(path, data + 2, size - 2))
        return 0;
    const size_t bytes = size_t(w) * h * 2;
    std::vector<uint8_t> dest(bytes + 8, 0x5A);
    LoadRaw24(path.c_str(), w, h, reinterpret_cast<uint16_t *>(dest.data()));
    for (size_t i = bytes; i < bytes + 8; i++)
        if (dest[i] != 0x5A)
            std::abort();
    std::remove(path.c_str());
    return 0;
}
