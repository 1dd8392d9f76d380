// Keeping the game after every action of the player, on a quest with 10,000 variables: the action alone,
// the action with the game handed to the keeper's thread (what the players do after every action), and the
// action with the game written, flushed to the disk and renamed into place before the next one. The
// difference to the action alone is what keeping adds. Wall-clock time: the flush waits for the
// disk. The kept games go to a folder under the current one, so the figure is that of the disk the program
// runs from.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench_quests.h"
#include "engine/engine.h"
#include "files/kept_games.h"

namespace {

namespace fs = std::filesystem;

// Half the variables numbers, half texts; each action changes one and prints a line.
std::string Quest(int variables) {
    std::string q;
    for (int i = 0; i < variables; ++i) {
        const std::string n = std::to_string(i);
        q.append("v").append(n).append("=");
        if (i % 2)
            q.append("\"text ").append(n).append("\"");
        else
            q.append(n);
        q.append("\r\n");
    }
    q.append(
        "pln Начало\r\nbtn go, Дальше\r\nend\r\n:go\r\nn=n+1\r\npln Шаг #n$\r\nbtn go, Дальше\r\nend\r\n");
    return q;
}

enum class Keeping { None, Durable, Background };

void Action(benchmark::State& state, Keeping keeping) {
    const fs::path folder = fs::current_path() / ("tarvik-keep-bench-" + std::to_string(getpid()));
    fs::create_directories(folder);
    setenv("XDG_STATE_HOME", folder.c_str(), 1);
    const fs::path quest = folder / "quest.qst";
    std::ofstream(quest, std::ios::binary) << Quest(static_cast<int>(state.range(0)));
    tarvik::bench::QuietHost host;
    tarvik::Engine engine(host);
    engine.OpenQuest(quest.string());
    tarvik::files::GameKeeper keeper;
    keeper.SetQuest(quest.string());
    for (auto _ : state) {
        engine.ChooseButton(0);
        if (keeping == Keeping::None || !engine.AtRest()) continue;
        const std::string text = engine.KeptGameText();
        if (!(keeping == Keeping::Durable ? keeper.Keep(text) : keeper.KeepInBackground(text)))
            state.SkipWithError("not kept");
        // Actions come seconds apart: the keeper's thread is done with one before the next.
        state.PauseTiming();
        keeper.Finish();
        state.ResumeTiming();
    }
    keeper.Finish();
    state.counters["kept_bytes"] = static_cast<double>(engine.KeptGameText().size());
    state.SetComplexityN(state.range(0));
    fs::remove_all(folder);
}

BENCHMARK_CAPTURE(Action, Alone, Keeping::None)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
// What the player waits for: the text taken and handed to the keeper's thread, as the players keep it.
BENCHMARK_CAPTURE(Action, KeptInBackground, Keeping::Background)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
// The whole write, flush and rename done before the next action, as at closing.
BENCHMARK_CAPTURE(Action, KeptDurably, Keeping::Durable)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
