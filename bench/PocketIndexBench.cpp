#include "LargeIndex.h"
#include "pockets/PocketIndexCodec.h"

#include <benchmark/benchmark.h>

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

static void BM_PocketIndexDecode10k(benchmark::State& state)
{
    const std::string text = encodePocketIndex(largeIndex()).value_or("");
    state.counters["bytes"] = static_cast<double>(text.size());
    for (auto _ : state) {
        auto result = decodePocketIndex(text);
        if (!result.pockets)
            std::abort();
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_PocketIndexDecode10k)->Unit(benchmark::kMillisecond);
