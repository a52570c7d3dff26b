// Per-frame cost of the swirl fire and the particle fire on a 400 x 308
// page, and of their inner passes in the fast and the plain form.
#include "FireEffect.h"
#include "RandomFire.h"
#include "Random.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

struct Page {
    defZENTRIXPAGE P{};
    Page() { CreateGFXPage(&P, 400, 308, 32); }
    ~Page() { DeleteGFXPage(&P); }
    uint32_t *Pixels() { return static_cast<uint32_t *>(P.pPageData); }
};

struct Swirl {
    Swirl()
    {
        AllocateRndFireMemory();
        SeedRand15(1);
        InitializeRndFire();
        for (int i = 0; i < kSwirlPixels; i++)
            FirePage2[i] = uint32_t(Rand15()) * 0x10203u & 0xFFFFFF;
    }
    ~Swirl()
    {
        DrawRandom = 0;
        FreeRndFireMemory();
    }
};

// One whole frame with the random dots feeding it (the most work a frame).
void BM_SwirlFrame(benchmark::State &state)
{
    Page page;
    Swirl swirl;
    DrawRandom = 1;
    SwirlInit = 0;
    for (auto _ : state) {
        DoSwirlFireEffect(nullptr, nullptr, 1, &page.P);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SwirlFrame)->Unit(benchmark::kMicrosecond);

void BM_SwirlFlow(benchmark::State &state)
{
    Page page;
    Swirl swirl;
    for (auto _ : state) {
        if (state.range(0))
            DoFireWithoutFade(page.Pixels());
        else
            DoFireWithoutFadeScalar(page.Pixels());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SwirlFlow)->ArgName("fast")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_ChangeSwirlDirection(benchmark::State &state)
{
    Swirl swirl;
    for (auto _ : state) {
        ChangeSwirlDirection();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ChangeSwirlDirection)->Unit(benchmark::kMillisecond);

struct Fire {
    Fire()
    {
        AllocateFireMemory();
        SeedRand15(1);
        InitializeFire();
    }
    ~Fire() { FreeFireMemory(); }
};

// Frames of the particle fire of the given length: 1 in scene 15, 5 under
// the curtain of scene 16.
void BM_ParticleFireFrame(benchmark::State &state)
{
    Page page;
    Fire fire;
    for (auto _ : state) {
        DoFireEffect(nullptr, nullptr, long(state.range(0)), &page.P);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ParticleFireFrame)->ArgName("frames")->Arg(1)->Arg(5)->Unit(benchmark::kMicrosecond);

void BM_FireFilter(benchmark::State &state)
{
    Fire fire;
    std::vector<uint16_t> start(kFireFieldValues);
    for (int i = 0; i < kFirePageValues; i++)
        start[i] = uint16_t(Rand15() & 255);
    for (auto _ : state) {
        state.PauseTiming();
        std::copy(start.begin(), start.end(), VPage);
        state.ResumeTiming();
        if (state.range(0))
            CreateFireEffect(VPage);
        else
            CreateFireEffectScalar(VPage);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FireFilter)->ArgName("fast")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace
