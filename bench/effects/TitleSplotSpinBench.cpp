// Per-frame cost of the splot, spiral, title, scroller and feedback effects
// on a 400 x 308 page (synthetic pictures; no data files needed).
#include "Feedback.h"
#include "General.h"
#include "Random.h"
#include "Scroller.h"
#include "Spin.h"
#include "Splot.h"
#include "Title.h"

#include <benchmark/benchmark.h>

namespace {

struct Page {
    defZENTRIXPAGE P{};
    Page()
    {
        CreateGFXPage(&P, 400, 308, 32);
        AllocateScanLines(&P);
    }
    ~Page() { DeleteGFXPage(&P); }
};

void BM_Splot(benchmark::State &state)
{
    Page page;
    AllocateGeneralMemory();
    InitializeGeneral(&page.P);
    AllocateSplotMemory();
    SeedRand15(1);
    InitializeSplot(&page.P);
    for (uint32_t i = 0; i < 256; i++)
        SplotPalette[i] = i * 0x010101u;
    SetPalette(48);
    for (auto _ : state) {
        DoSplotEffect(nullptr, nullptr, 1, &page.P);
        benchmark::ClobberMemory();
    }
    FreeSplotMemory();
    FreeGeneralMemory();
}
BENCHMARK(BM_Splot)->Unit(benchmark::kMicrosecond);

// Six pinwheels at the given size, with the feedback smearing them as the
// spiral scene's later sub-states do.
void BM_SpiralsWithFeedback(benchmark::State &state)
{
    Page page;
    AllocateGeneralMemory();
    InitializeGeneral(&page.P);
    AllocateSpinMemory();
    AllocateFeedbackMemory();
    SeedRand15(1);
    InitializeSpin();
    SetSpinSize(long(state.range(0)));
    DoSpinRandom = 1;
    for (auto _ : state) {
        DoFeedbackEffectFade(&page.P, 240);
        DoSpinEffect(nullptr, nullptr, 1.0f, &page.P);
        benchmark::ClobberMemory();
    }
    DoSpinRandom = 0;
    FreeFeedbackMemory();
    FreeSpinMemory();
    FreeGeneralMemory();
}
BENCHMARK(BM_SpiralsWithFeedback)->Arg(80)->Arg(200)->Unit(benchmark::kMicrosecond);

void BM_TitleQuiver(benchmark::State &state)
{
    Page page;
    AllocateTitleMemory();
    for (int k = 0; k < kTitleWidth * kTitleHeight; k++)
        TitleTexMain[k] = 0x806040;
    for (auto _ : state) {
        TitleOfs = 100;   // four jittered additive copies every frame
        TitleFade = 64;
        DoTitleQuiverEffect(nullptr, nullptr, 1, &page.P);
        benchmark::ClobberMemory();
    }
    FreeTitleMemory();
}
BENCHMARK(BM_TitleQuiver)->Unit(benchmark::kMicrosecond);

void BM_Scroller(benchmark::State &state)
{
    Page page;
    AllocateScrollerMemory();
    for (auto _ : state) {
        ScrollerPos = -500.0f;   // the picture covers the page's height
        DoScrollerEffect(nullptr, nullptr, 1, &page.P);
        benchmark::ClobberMemory();
    }
    FreeScrollerMemory();
}
BENCHMARK(BM_Scroller)->Unit(benchmark::kMicrosecond);

} // namespace
