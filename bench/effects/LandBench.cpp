// Per-frame cost of the voxel landscape on a 400 x 308 page: the whole
// frame (camera move, cloud cross-fade, horizon band, clouds, land, water
// sparkle), and the ray caster alone with and without its vector sampling.
// Maps from the plasma; the palettes are synthetic ramps (no data files).
#include "LandEffect.h"
#include "Random.h"

#include <benchmark/benchmark.h>

namespace {

struct LandFixture {
    defZENTRIXPAGE P{};
    LandFixture()
    {
        CreateGFXPage(&P, 400, 308, 32);
        AllocateLandMemory();
        SeedRand15(1);
        ZentrixSetDataFolder("/nonexistent");
        InitializeLand();
        ZentrixSetDataFolder(nullptr);
        for (int k = 0; k < 3 * LandSetEntries; k++)
            LandPalette[k] = uint32_t(k) * 0x010203u;
        // The timeline's cruising state: moving and turning.
        ss = 20000.0f;
        sa = 0.01f;
        FOV = 0.8253981f;
    }
    ~LandFixture()
    {
        FreeLandMemory();
        DeleteGFXPage(&P);
    }
};

void BM_LandFrame(benchmark::State &state)
{
    LandFixture f;
    for (auto _ : state) {
        DoLandEffect(nullptr, nullptr, 1.0f, &f.P);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_LandFrame)->Unit(benchmark::kMicrosecond);

// Every step of the clouds and the land of one view (arg 1: vector
// sampling, 0: scalar).
void BM_LandView(benchmark::State &state)
{
    LandFixture f;
    DoLandEffect(nullptr, nullptr, 1.0f, &f.P);
    bLandVector = int(state.range(0));
    for (auto _ : state) {
        for (int i = 0; i < LandColumns; i++) {
            cl_lasth[i] = 0;
            cl_lasty[i] = LandRows - 1;
            lastc[i] = -1;
            lasth[i] = 0;
            lasty[i] = LandRows - 1;
        }
        for (long d = 0; d < 100; d += (d >> 6) + 1) {
            const long w = d * 65536;
            CloudLine(-w, w, w, w, -800, 230400 / (8 * d + 1), d);
        }
        for (long d = 0; d < 100; d += (d >> 6) + 1) {
            const long w = d * 65536;
            VoxLine(-w, w, w, w, -300, 64000 / (2 * d + 1), d);
        }
        benchmark::ClobberMemory();
    }
    bLandVector = 1;
}
BENCHMARK(BM_LandView)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace
