#include "geometry/InkGeometry.h"

#include <benchmark/benchmark.h>

using namespace kestrane;

namespace {
const ScreenPerimeter screen { 1920, 1080, 52 };

// Mid-introduction on a large screen: the front is at its teaching limit, so the band runs
// round the whole border, and the clock has moved the lumps away from their start.
const InkField teaching { screen.length() / 2 + 420, 0.66 * 26, 9.3, 1 };
} // namespace

static void BM_InkGeometryPathReused(benchmark::State& state)
{
    Path out;
    for (auto _ : state) {
        InkGeometry::path(teaching, screen, out);
        benchmark::DoNotOptimize(out.elements.data());
    }
    state.counters["elements"] = static_cast<double>(out.elements.size());
}
BENCHMARK(BM_InkGeometryPathReused)->Unit(benchmark::kMicrosecond);

static void BM_InkGeometryPathFresh(benchmark::State& state)
{
    for (auto _ : state) {
        Path out = InkGeometry::path(teaching, screen);
        benchmark::DoNotOptimize(out.elements.data());
    }
}
BENCHMARK(BM_InkGeometryPathFresh)->Unit(benchmark::kMicrosecond);
