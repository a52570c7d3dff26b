// Per-frame cost of scenes 12 and 17 as the timeline plays them, on the
// generated data beside the program: the dolphin over the warped background
// in each face type it shows (6, 8, 9), with ripple and light shafts, and
// the man in type 7 under the turning lights with the helix and feedback.
#include "3DStuff.h"
#include "Gen32.h"
#include "Helix.h"
#include "Platform.h"
#include "Random.h"

#include <benchmark/benchmark.h>

#include <climits>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

bool Started()
{
    static const bool ok = [] {
        char path[PATH_MAX];
        const ssize_t n = readlink("/proc/self/exe", path, sizeof(path) - 1);
        if (n <= 0)
            return false;
        path[n] = 0;
        const std::string data = (std::filesystem::path(path).parent_path() / "Data").string();
        if (!PlatInit(PLAT_HEADLESS))
            return false;
        ZentrixSetDataFolder(data.c_str());
        SeedRand15(1);
        return GetBackgroundPic() && InitAppMemory() == 1 && objDolphin.NumFaces > 0;
    }();
    return ok;
}

void BM_DolphinScene(benchmark::State &state)
{
    if (!Started()) {
        state.SkipWithError("no generated data beside the benchmark");
        return;
    }
    SelectObject3D(&objDolphin, &objDolphinTemp);
    Set3DTextureType(long(state.range(0)));
    GlassOfs = 100;
    TextureTrans = 64;
    Ripple = 1;
    RippleMagnitude = 3.0f;
    RotateLights = 0;
    TransX = TransY = 0;
    DemoState = 12;
    DemoSubState1 = 2;
    for (auto _ : state) {
        DoAction(1.02f);
        benchmark::ClobberMemory();
    }
    state.counters["faces/s"] =
        benchmark::Counter(double(objDolphin.NumFaces), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_DolphinScene)->Arg(6)->Arg(8)->Arg(9)->Unit(benchmark::kMicrosecond);

void BM_ManScene(benchmark::State &state)
{
    if (!Started()) {
        state.SkipWithError("no generated data beside the benchmark");
        return;
    }
    SelectObject3D(&objMan, &objManTemp);
    Set3DTextureType(kFaceCrystalSmoothLit);
    GlassOfs = 100;
    Ripple = 0;
    RotateLights = 1;
    TransX = TransY = 0;
    DemoState = 17;
    DemoSubState1 = 4;
    for (auto _ : state) {
        DoAction(1.02f);
        benchmark::ClobberMemory();
    }
    RotateLights = 0;
    state.counters["faces/s"] =
        benchmark::Counter(double(objMan.NumFaces), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ManScene)->Unit(benchmark::kMicrosecond);

} // namespace
