// Fuzzes the warp table check: the input (repeated to fill the table) is
// taken as the table's little-endian entries, its first eight bytes also
// give two offsets; after ValidateWarpTable, DrawWarpOfs must read only
// inside the background whatever the offset.
#include "General.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 8)
        return 0;
    static defZENTRIXPAGE page{};
    static const bool ready = AllocateGeneralMemory() && CreateGFXPage(&page, 400, 308, 32);
    if (!ready)
        return 0;
    auto *table = reinterpret_cast<uint8_t *>(WarpOfsTable);
    for (size_t i = 0; i < size_t(kWarpPixels) * 4; i++)
        table[i] = data[i % size];
    int32_t offsets[2];
    std::memcpy(offsets, data, sizeof(offsets));
    ValidateWarpTable();
    for (int k = 0; k < kWarpPixels; k++)
        if (WarpOfsTable[k] < 0 || WarpOfsTable[k] >= kWarpBackgroundPixels)
            std::abort();
    DrawWarpOfs(offsets[0], &page);
    DrawWarpOfs(offsets[1] % 1024, &page);
    return 0;
}
