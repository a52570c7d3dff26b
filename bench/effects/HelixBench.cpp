// Per-frame cost of the helix: 1000 points turned, moved and added to the
// page as 10 x 10 sprites, once they have settled on the helix.
#include "General.h"
#include "Helix.h"
#include "Random.h"

#include <benchmark/benchmark.h>

namespace {

void BM_HelixFrame(benchmark::State &state)
{
    defZENTRIXPAGE page{};
    CreateGFXPage(&page, 400, 308, 32);
    AllocateGeneralMemory();
    InitializeGeneral(&page);
    AllocateHelixMemory();
    SeedRand15(1);
    InitializeHelix(&page);
    FreeSprite32(&HelixSprite);
    HelixSprite.BPP = 32;
    HelixSprite.Width = HelixSprite.Height = 10;
    AllocSprite32(&HelixSprite);
    for (int k = 0; k < 100; k++)
        static_cast<uint32_t *>(HelixSprite.pSpriteData)[k] = 0x080808;
    for (auto _ : state) {
        DimScreen32(&page, 20, 20, 20);
        DoHelixEffect(nullptr, nullptr, 1, &page);
        benchmark::ClobberMemory();
    }
    FreeHelixMemory();
    FreeGeneralMemory();
    DeleteGFXPage(&page);
}
BENCHMARK(BM_HelixFrame)->Unit(benchmark::kMicrosecond);

} // namespace
