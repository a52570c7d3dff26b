// The dolphin drawn as the 3D object effect draws it each frame (copy of the
// rest pose, turn, depth sort, draw) in each face type, the depth sort
// alone, and the quicksort against the faster depth order on the keys of
// turning meshes. The meshes are datagen's, read through the 3DS importer.
#include "3DStuff.h"
#include "Gen32.h"
#include "MeshBuild.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct Scene {
    Object3D rest{}, work{};
    defZENTRIXPAGE page{}, metal{};
    std::vector<uint32_t> flipper;
    explicit Scene(bool man = false)
    {
        FillAngleTables3D();
        const std::vector<uint8_t> bytes = man ? Encode3ds(BuildMan(), "Man") : Encode3ds(BuildDolphin(), "Dolphin");
        const std::string path = "/tmp/engine3d_bench_" + std::to_string(getpid()) + ".3ds";
        if (std::FILE *f = std::fopen(path.c_str(), "wb")) {
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
        Import3D(path.c_str(), &rest);
        std::remove(path.c_str());
        AllocateObject3D(rest.NumPoints, rest.NumFaces, &work);
        CreateGFXPage(&page, 400, 308, 32);
        AllocateScanLines(&page);
        CreateGFXPage(&metal, 256, 256, 32);
        CreateGFXPage(&Background, 400, 308, 32);
        auto *m = static_cast<uint32_t *>(metal.pPageData);
        auto *b = static_cast<uint32_t *>(Background.pPageData);
        for (int i = 0; i < 256 * 256; i++)
            m[i] = uint32_t(i * 2654435761u) & 0x7F7F7F;
        for (int i = 0; i < 400 * 308; i++)
            b[i] = uint32_t(i * 40503u) & 0x3F5F7F;
        flipper.assign(size_t(kFlipperWidth) * kFlipperHeight, 0x406080);
        FlipperTexture.Pixels = flipper.data();
        MetalTexture = &metal;
        GlassOfs = 20;
        TextureTrans = 32;
    }
    ~Scene()
    {
        FreeObject3D(&rest);
        FreeObject3D(&work);
        DeleteGFXPage(&page);
        DeleteGFXPage(&metal);
        DeleteGFXPage(&Background);
        FlipperTexture.Pixels = nullptr;
        MetalTexture = nullptr;
    }
    // One frame: the rest pose copied, turned by a changing angle, sorted.
    void Pose(long frame)
    {
        Copy3D(&work, &rest);
        Rotate3D((frame * 8) & 1023, 512, 0, &work);
        zSort(&work);
    }
};

void BM_DolphinFrame(benchmark::State &state)
{
    Scene s;
    const int32_t type = int32_t(state.range(0));
    for (long i = 0; i < s.rest.NumFaces; i++)
        s.rest.Face[i].FaceType = type;
    long frame = 0;
    for (auto _ : state) {
        s.Pose(frame++);
        Draw3D(&s.work, &s.page);
        benchmark::ClobberMemory();
    }
    state.counters["faces/s"] =
        benchmark::Counter(double(s.rest.NumFaces), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_DolphinFrame)->DenseRange(0, 14)->Arg(25)->Arg(27)->Unit(benchmark::kMicrosecond);

void BM_DolphinSortOnly(benchmark::State &state)
{
    Scene s;
    long frame = 0;
    for (auto _ : state) {
        s.Pose(frame++);
        benchmark::ClobberMemory();
    }
    state.counters["faces/s"] =
        benchmark::Counter(double(s.rest.NumFaces), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_DolphinSortOnly)->Unit(benchmark::kMicrosecond);

// The keys zSort makes for 64 poses of the dolphin (mesh 0) or the man
// (mesh 1), sorted by QSort (sort 0) or DepthOrder (sort 1): the same order,
// equal keys included.
void BM_DepthSort(benchmark::State &state)
{
    Scene s(state.range(0) == 1);
    std::vector<std::vector<Sort3D>> poses;
    for (long frame = 0; frame < 64; frame++) {
        Copy3D(&s.work, &s.rest);
        Rotate3D((frame * 8) & 1023, (frame * 5) & 1023, 0, &s.work);
        std::vector<Sort3D> keys(size_t(s.work.NumFaces));
        for (long i = 0; i < s.work.NumFaces; i++) {
            const Face3D &f = s.work.Face[i];
            const Point3D *p = s.work.Points;
            keys[size_t(i)] = Sort3D{p[f.p1].z + p[f.p2].z + p[f.p3].z + f.nz, i};
        }
        poses.push_back(keys);
    }
    std::vector<Sort3D> keys;
    size_t pose = 0;
    for (auto _ : state) {
        keys = poses[pose++ % poses.size()];
        if (state.range(1) == 0)
            QSort(keys.data(), 0, long(keys.size()) - 1);
        else
            DepthOrder(keys.data(), long(keys.size()));
        benchmark::ClobberMemory();
    }
    state.counters["faces/s"] =
        benchmark::Counter(double(s.rest.NumFaces), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_DepthSort)->ArgNames({"mesh", "sort"})->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMicrosecond);

} // namespace
