// Per-frame cost of the tree scene: the whole tree turned, depth-sorted and
// drawn over a page dimmed by 50, as the scene shows it once grown; and the
// sort alone.
#include "General.h"
#include "Plants.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

struct Page {
    defZENTRIXPAGE P{};
    Page() { CreateGFXPage(&P, 400, 308, 32); }
    ~Page() { DeleteGFXPage(&P); }
};

void BM_TreeFrame(benchmark::State &state)
{
    Page page;
    AllocateGeneralMemory();
    InitializeGeneral(&page.P);
    AllocatePlantMemory();
    InitializePlant(&page.P);
    TreeBranch = TreeLinesUsed - 2;
    TreeAngle = 0;
    for (auto _ : state) {
        DimScreen32(&page.P, 50, 50, 50);
        DoPlantEffect(nullptr, nullptr, 1, &page.P);
        benchmark::ClobberMemory();
    }
    state.counters["segments"] = double(TreeBranch);
    FreePlantMemory();
    FreeGeneralMemory();
}
BENCHMARK(BM_TreeFrame)->Unit(benchmark::kMicrosecond);

void BM_TreeSort(benchmark::State &state)
{
    AllocateGeneralMemory();
    InitializeGeneral(nullptr);
    AllocatePlantMemory();
    InitializePlant(nullptr);
    std::vector<TagTTree> work(static_cast<size_t>(TreeLinesUsed));
    long angle = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // The tree as turned for one frame (the order the sort starts from).
        TreeBranch = TreeLinesUsed;
        for (long k = 0; k < TreeLinesUsed; k++) {
            const float s = GeneralSinTable[angle], c = GeneralCosTable[angle];
            work[size_t(k)] = TreeLines[k];
            work[size_t(k)].z2 = int32_t(float(TreeLines[k].x2) * s + float(TreeLines[k].z2) * c);
        }
        angle = (angle + 20) % 5760;
        state.ResumeTiming();
        QTreeSort(work.data(), 0, TreeLinesUsed - 1);
        benchmark::ClobberMemory();
    }
    FreePlantMemory();
    FreeGeneralMemory();
}
BENCHMARK(BM_TreeSort)->Unit(benchmark::kMicrosecond);

} // namespace
