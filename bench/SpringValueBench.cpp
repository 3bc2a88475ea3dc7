#include "engine/SpringValue.h"

#include <benchmark/benchmark.h>

using kestrane::SpringValue;

// One moving spring: the target alternates so the spring never settles.
static void BM_SpringValueStepMoving(benchmark::State& state)
{
    SpringValue spring = SpringValue::atRest(0);
    double target = 100;
    for (auto _ : state) {
        spring.step(target, 1.0 / 120, 0.3, 0.72);
        if (spring.isSettled)
            target = -target;
        benchmark::DoNotOptimize(spring);
    }
}
BENCHMARK(BM_SpringValueStepMoving);

static void BM_SpringValueStepSettled(benchmark::State& state)
{
    SpringValue spring = SpringValue::atRest(5);
    for (auto _ : state) {
        spring.step(5, 1.0 / 120, 0.3, 0.72);
        benchmark::DoNotOptimize(spring);
    }
}
BENCHMARK(BM_SpringValueStepSettled);
