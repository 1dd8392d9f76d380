// Restoring large saved games: items, variables and screen lines. The complexity report shows whether the
// time grows linearly with the number of lines.
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench_quests.h"
#include "engine/engine.h"

namespace {

namespace fs = std::filesystem;

enum Kind { Items, Variables, ScreenLines };

std::string SavedGame(Kind kind, int n) {
    std::string s = "PerKill\r\n";
    auto lines = [&](Kind k, const char* head, const char* middle, const char* tail) {
        for (int i = 0; kind == k && i < n; ++i) {
            const std::string number = std::to_string(i);
            s.append(head).append(number).append(middle).append(number).append(tail);
        }
    };
    lines(Variables, "v", "=\"text ", "\"\r\n");
    lines(ScreenLines, "PrintLn line ", " ", "\r\n");
    s += "InvKill\r\n";
    lines(Items, "Inv+ item", "_", "\r\n");
    s += "end\r\n";
    return s;
}

void Restore(benchmark::State& state, Kind kind) {
    const fs::path quest =
        fs::temp_directory_path() / ("tarvik-restore-bench-" + std::to_string(getpid()) + ".qst");
    std::ofstream(quest, std::ios::binary) << ":lend\r\nend\r\n";
    tarvik::bench::QuietHost host;
    tarvik::Engine engine(host);
    engine.options().Soobit = true;
    engine.OpenQuest(quest.string());
    const std::string bytes = SavedGame(kind, static_cast<int>(state.range(0)));
    for (auto _ : state) engine.RestoreGameText(bytes);
    state.SetComplexityN(state.range(0));
    fs::remove(quest);
}

BENCHMARK_CAPTURE(Restore, Items, Items)
    ->RangeMultiplier(2)
    ->Range(2000, 32000)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Restore, Variables, Variables)
    ->RangeMultiplier(2)
    ->Range(2000, 32000)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Restore, ScreenLines, ScreenLines)
    ->RangeMultiplier(2)
    ->Range(2000, 32000)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);

}  // namespace
