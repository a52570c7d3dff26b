// Per-frame cost of the water on a 400 x 308 page: the whole frame, and the
// drawing of the surface alone in the fast and the plain form. Surfaces:
// 0 grown by the effect itself with drops on every frame and the bar, as in
// the water scene; 1 grown with the stirrers, the pressed-in picture and the
// fire, as under the fire curtain; 2 flat. The palette is a synthetic ramp
// (no data files).
#include "WaterEffect.h"
#include "Random.h"

#include <benchmark/benchmark.h>

namespace {

struct WaterFixture {
    defZENTRIXPAGE P{};
    explicit WaterFixture(int surface)
    {
        CreateGFXPage(&P, 400, 308, 32);
        AllocateWaterMemory();
        SeedRand15(1);
        ZentrixSetDataFolder("/nonexistent");
        InitializeWater();
        ZentrixSetDataFolder(nullptr);
        for (int k = 0; k < 256; k++) WaterPalette[k] = uint32_t(k) * 0x010203u;
        CT = 0;
        if (surface == 0) {
            DrawBar = 1;
            for (int f = 0; f < 200; f++) {
                if (f == 11) DrawBar = 0;
                DrawDrop(Rand15() % 98 + 1, Rand15() % 152 + 1, Rand15() % 600);
                DoWaterEffect(nullptr, nullptr, 1, &P);
            }
        } else if (surface == 1) {
            for (int i = 0; i < WaterPicBytes; i++) WaterPic[i] = int8_t((i / 7 + i / 1300) % 5 * 12 - 24);
            RotateEffect = 1;
            bWaterFireEffect = 1;
            for (int f = 0; f < 200; f++) {
                DrawPic = f % 40 < 15 ? 1 : 0;
                DoWaterEffect(nullptr, nullptr, 1, &P);
            }
        }
        RotateEffect = 0;
        DrawPic = 0;
        bWaterFireEffect = 0;
        DrawBar = 0;
    }
    ~WaterFixture()
    {
        FreeWaterMemory();
        DeleteGFXPage(&P);
    }
};

// form 0: the plain loop; 1: the fast drawing with SSE2 alone; 2: with
// AVX2 where the processor has it.
void BM_WaterDrawWide(benchmark::State &state)
{
    WaterFixture f(int(state.range(0)));
    const int avx2 = WaterDrawAvx2;
    WaterDrawAvx2 = state.range(1) == 2 ? avx2 : 0;
    for (auto _ : state) {
        if (state.range(1))
            DrawWide(&f.P);
        else
            DrawWidePlain(&f.P);
        benchmark::ClobberMemory();
    }
    WaterDrawAvx2 = avx2;
}
BENCHMARK(BM_WaterDrawWide)
    ->ArgNames({"surface", "form"})
    ->ArgsProduct({{0, 1, 2}, {0, 1, 2}})
    ->Unit(benchmark::kMicrosecond);

// One whole step: the ripple, the stirrers and the fire, then the drawing.
void BM_WaterFrame(benchmark::State &state)
{
    WaterFixture f(1);
    RotateEffect = 1;
    bWaterFireEffect = 1;
    for (auto _ : state) {
        DoWaterEffect(nullptr, nullptr, 1, &f.P);
        benchmark::ClobberMemory();
    }
    RotateEffect = 0;
    bWaterFireEffect = 0;
}
BENCHMARK(BM_WaterFrame)->Unit(benchmark::kMicrosecond);

} // namespace
