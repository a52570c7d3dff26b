// Per-frame cost of the bump mapping on a 400 x 308 page: the lighting pass
// alone (tiled SSE2 and the scalar reference) and the whole frame with its
// three coloured glows (synthetic relief and glows; no data files needed).
#include "BumpyEffect.h"
#include "LenzFlare.h"
#include "Random.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

struct Page {
    defZENTRIXPAGE P{};
    Page() { CreateGFXPage(&P, 400, 308, 32); }
    ~Page() { DeleteGFXPage(&P); }
};

// A rippled floor with a raised ellipse, so that the slopes range from
// gentle to the clamp at its rim.
void MakeRelief()
{
    for (int y = 0; y < BumpyHeight; ++y)
        for (int x = 0; x < BumpyWidth; ++x) {
            double h = 64 + 20 * std::sin(x * 0.09 + 5 * std::sin(y * 0.02));
            const double ex = (x - 200) / 120.0, ey = (y - 150) / 60.0;
            if (ex * ex + ey * ey < 1)
                h += 120;
            BumpyPic[y * BumpyWidth + x] = uint8_t(h);
        }
    ComputeBumpySlopes();
}

struct Bumpy {
    Bumpy()
    {
        AllocateBumpyMemory();
        InitializeBumpy();
        MakeRelief();
    }
    ~Bumpy() { FreeBumpyMemory(); }
};

// The three lights spread over the page, as in the middle of the scene.
void PlaceLights()
{
    const long x[4] = {0, 120, 220, 300}, y[4] = {0, 100, 180, 120};
    for (int k = 1; k <= 3; ++k) {
        Bumplx[k] = x[k];
        Bumply[k] = y[k];
    }
}

void BM_BumpyLighting(benchmark::State &state)
{
    Page page;
    Bumpy bumpy;
    PlaceLights();
    for (auto _ : state) {
        DrawBumpyEffect(&page.P);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BumpyLighting)->Unit(benchmark::kMicrosecond);

void BM_BumpyLightingScalar(benchmark::State &state)
{
    Page page;
    Bumpy bumpy;
    PlaceLights();
    for (auto _ : state) {
        DrawBumpyEffectScalar(&page.P);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BumpyLightingScalar)->Unit(benchmark::kMicrosecond);

// Whole frames: the lights move and each gets its 250 x 250 coloured glow.
void BM_BumpyFrame(benchmark::State &state)
{
    Page page;
    Bumpy bumpy;
    AllocateLenzMemory();
    for (TLENZ *glow : {&LenzRed, &LenzGreen, &LenzBlue}) {
        AllocSprite32(&glow->Data);
        auto *px = static_cast<uint32_t *>(glow->Data.pSpriteData);
        for (uint32_t k = 0; k < glow->Data.Width * glow->Data.Height; ++k)
            px[k] = (k * 2654435761u >> 8) & 0x3F3F3F;
    }
    SeedRand15(1);
    PlaceLights();
    FinishBumpy = 0;
    LenzFlare = 0;
    for (auto _ : state) {
        DoBumpyEffect(nullptr, nullptr, 1.0f, &page.P);
        benchmark::ClobberMemory();
    }
    FreeLenzMemory();
}
BENCHMARK(BM_BumpyFrame)->Unit(benchmark::kMicrosecond);

} // namespace
