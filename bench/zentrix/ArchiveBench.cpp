// Speed and ratio of the archive coder on the demo's own Data/ files, each
// file compressed on its own as an archive member is, next to zlib's
// deflate at level 1 and 9 (what gzip -1 and gzip -9 run). Bytes processed
// are the uncompressed bytes both ways; "ratio" is packed / original.
// Run: archive_bench --benchmark_min_time=0.2
#include "zentrix.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

const std::vector<Bytes> &DataFiles()
{
    static const std::vector<Bytes> files = [] {
        std::vector<Bytes> all;
        for (const auto &e : std::filesystem::directory_iterator(ZENTRIX_BENCH_DATA)) {
            if (!e.is_regular_file() || e.file_size() == 0)
                continue;
            Bytes b(e.file_size());
            if (std::FILE *f = std::fopen(e.path().c_str(), "rb")) {
                b.resize(std::fread(b.data(), 1, b.size(), f));
                std::fclose(f);
            }
            all.push_back(std::move(b));
        }
        return all;
    }();
    return files;
}

int64_t TotalBytes()
{
    int64_t n = 0;
    for (const Bytes &b : DataFiles())
        n += int64_t(b.size());
    return n;
}

// Level 0 is the library's coder; 1 and 9 are deflate levels.
Bytes Pack(const Bytes &in, int level)
{
    if (level == 0) {
        Bytes out(ZentrixCompressBound(uint32_t(in.size())));
        out.resize(ZentrixCompress(in.data(), uint32_t(in.size()), out.data(), uint32_t(out.size())));
        return out;
    }
    uLongf n = compressBound(uLong(in.size()));
    Bytes out(n);
    compress2(out.data(), &n, in.data(), uLong(in.size()), level);
    out.resize(n);
    return out;
}

bool Unpack(const Bytes &packed, Bytes *out, int level)
{
    if (level == 0)
        return ZentrixDecompress(packed.data(), uint32_t(packed.size()), out->data(), uint32_t(out->size())) == 1;
    uLongf n = uLongf(out->size());
    return uncompress(out->data(), &n, packed.data(), uLong(packed.size())) == Z_OK && n == out->size();
}

void Report(benchmark::State &state, int level)
{
    int64_t packed = 0;
    for (const Bytes &b : DataFiles())
        packed += int64_t(Pack(b, level).size());
    state.SetBytesProcessed(int64_t(state.iterations()) * TotalBytes());
    state.counters["ratio"] = double(packed) / double(TotalBytes());
    state.counters["files"] = double(DataFiles().size());
}

void BM_Compress(benchmark::State &state)
{
    const int level = int(state.range(0));
    for (auto _ : state)
        for (const Bytes &b : DataFiles())
            benchmark::DoNotOptimize(Pack(b, level));
    Report(state, level);
}

void BM_Decompress(benchmark::State &state)
{
    const int level = int(state.range(0));
    std::vector<Bytes> packed, out;
    for (const Bytes &b : DataFiles()) {
        packed.push_back(Pack(b, level));
        out.emplace_back(b.size());
    }
    for (auto _ : state)
        for (size_t i = 0; i < packed.size(); i++)
            if (!Unpack(packed[i], &out[i], level))
                state.SkipWithError("decode failed");
    for (size_t i = 0; i < packed.size(); i++)
        if (out[i] != DataFiles()[i])
            state.SkipWithError("round trip differs");
    Report(state, level);
}

void Levels(benchmark::internal::Benchmark *b)
{
    b->ArgName("level(0=zentrix)")->Arg(0)->Arg(1)->Arg(9)->Unit(benchmark::kMillisecond);
}

} // namespace

BENCHMARK(BM_Compress)->Apply(Levels);
BENCHMARK(BM_Decompress)->Apply(Levels);

BENCHMARK_MAIN();
