#include "LargeIndex.h"
#include "pockets/PocketIndexCodec.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>

using namespace kestrane;

using kestrane::bench::largeIndex;

static void BM_PocketIndexEncode10k(benchmark::State& state)
{
    const PocketMap index = largeIndex();
    for (auto _ : state) {
        auto text = encodePocketIndex(index);
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(BM_PocketIndexEncode10k)->Unit(benchmark::kMillisecond);

static void decodeBenchmark(benchmark::State& state, int items)
{
    const std::string text = encodePocketIndex(largeIndex(items)).value_or("");
    state.counters["bytes"] = static_cast<double>(text.size());
    for (auto _ : state) {
        auto result = decodePocketIndex(text);
        if (!result.pockets)
            std::abort();
        benchmark::DoNotOptimize(result);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}

// 4.1 MB written.
static void BM_PocketIndexDecode10k(benchmark::State& state)
{
    decodeBenchmark(state, bench::itemCount);
}
BENCHMARK(BM_PocketIndexDecode10k)->Unit(benchmark::kMillisecond);

// The same shape at 1.8 MB.
static void BM_PocketIndexDecode1_8MB(benchmark::State& state)
{
    decodeBenchmark(state, 4'400);
}
BENCHMARK(BM_PocketIndexDecode1_8MB)->Unit(benchmark::kMillisecond);
