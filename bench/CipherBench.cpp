#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "people/Exchanger.h"

static void BM_Exchanger51(benchmark::State& state) {
    std::vector<std::uint8_t> in(51, 'A');
    std::vector<std::uint8_t> out(51);
    for (auto _ : state) {
        stampwell::Exchanger(in.data(), out.data(), 51);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_Exchanger51);
