// The explorer on the demo quest: states explored per second, the figure an author waits on.
#include <benchmark/benchmark.h>

#include "tools/explorer.h"

namespace {

void ExploreDemo(benchmark::State& state) {
    size_t states = 0;
    for (auto _ : state) {
        const tarvik::tools::ExploreResult r =
            tarvik::tools::Explore(TARVIK_SOURCE_DIR "/quests/demo.qst", {});
        if (!r.complete) state.SkipWithError("the demo's exploration was cut");
        states += r.states;
    }
    state.counters["states/s"] = benchmark::Counter(static_cast<double>(states), benchmark::Counter::kIsRate);
}
BENCHMARK(ExploreDemo)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
