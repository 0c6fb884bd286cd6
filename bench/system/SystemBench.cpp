// Figures for the checks the main frame runs on its timers: the network
// check reads the interface list every 3000 ms on the user-interface thread.

#include "common/System.h"

#include <benchmark/benchmark.h>

namespace {

void BM_IsNetworkAvailable(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(IsNetworkAvailable());
}
BENCHMARK(BM_IsNetworkAvailable);

}  // namespace
