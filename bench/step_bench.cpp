// The rain step at the window's size and at full-screen sizes.
#include "bench/bench_field.h"

#include <benchmark/benchmark.h>

namespace tavrel::bench {
namespace {

void BM_RainStep(benchmark::State& state)
{
    RandomGenerator random;
    RainField field = FullField(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), random);
    for (auto _ : state) {
        StepRain(field, random);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_RainStep)->Args({ 545, 336 })->Args({ 1920, 1080 })->Args({ 3840, 2160 })->Unit(benchmark::kMicrosecond);

}
}
