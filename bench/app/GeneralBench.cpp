// Per-frame cost of the General helpers and the palette flip on a
// 400 x 308 page.
#include "CommonStuff.h"
#include "General.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {

struct Page {
    defZENTRIXPAGE P{};
    Page() { CreateGFXPage(&P, 400, 308, 32); }
    ~Page() { DeleteGFXPage(&P); }
};

void BM_DrawWarpOfs(benchmark::State &state)
{
    Page page;
    AllocateGeneralMemory();
    for (int k = 0; k < kWarpPixels; k++)
        WarpOfsTable[k] = (k * 7) % (kWarpBackgroundPixels - 1000);
    ValidateWarpTable();
    long offset = 0;
    for (auto _ : state) {
        DrawWarpOfs(offset, &page.P);
        offset = (offset + 1) % 624;
        benchmark::ClobberMemory();
    }
    FreeGeneralMemory();
}
BENCHMARK(BM_DrawWarpOfs)->Unit(benchmark::kMicrosecond);

void BM_AddPut32_WorkFullPage(benchmark::State &state)
{
    Page page;
    defZENTRIXSPRITE sprite{nullptr, 400, 308, 32};
    AllocSprite32(&sprite);
    std::memset(sprite.pSpriteData, 0x11, 400 * 308 * 4);
    for (auto _ : state) {
        std::memset(page.P.pPageData, 0x40, 400 * 308 * 4);
        AddPut32_Work(&page.P, 0, 0, 400, 308, &sprite, 0, 0);
        benchmark::ClobberMemory();
    }
    FreeSprite32(&sprite);
}
BENCHMARK(BM_AddPut32_WorkFullPage)->Unit(benchmark::kMicrosecond);

void BM_FlipD(benchmark::State &state)
{
    Page page;
    std::vector<int16_t> indices(400 * 308);
    for (size_t i = 0; i < indices.size(); i++)
        indices[i] = int16_t(i & 1023);
    std::vector<uint32_t> palette(65536, 0x123456);
    for (auto _ : state) {
        FlipD(indices.data(), palette.data(), &page.P);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FlipD)->Unit(benchmark::kMicrosecond);

} // namespace
