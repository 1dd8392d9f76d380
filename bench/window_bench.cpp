// The window keeping up with the engine: the same generated quests as the engine's scale benchmarks, opened
// in the main window on the offscreen platform. Each case has its engine-only twin here, so the ratio of the
// two is what the window adds.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>
#include <QListWidget>

#include <memory>

#include "bench/bench_quests.h"
#include "shell/frmmain.h"

namespace {

using namespace tarvik::bench;
using tarvik::shell::frmMain;

void Settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

// Opens the quest in a fresh window; the opening, the run and the window's catching up are timed.
void TimeWindow(benchmark::State& state, const fs::path& quest, int wantButtons, int wantItems) {
    for (auto _ : state) {
        state.PauseTiming();
        auto w = std::make_unique<frmMain>();
        w->SetSettingsFile({});
        w->SetSplashEnabled(false);
        w->Startup(QString());
        w->show();
        Settle();
        state.ResumeTiming();

        w->OpenQuestFile(QString::fromStdString(quest.string()));
        Settle();

        state.PauseTiming();
        const auto* buttons = w->findChild<QListWidget*>("List1");
        const auto* items = w->findChild<QListWidget*>("lstItems");
        // The inventory list ends with its fixed entry.
        if (!buttons || !items || buttons->count() != wantButtons || items->count() != wantItems + 1) {
            state.SkipWithError("the window does not show what the quest made");
            break;
        }
        w.reset();
        Settle();
        state.ResumeTiming();
    }
}

void TimeEngine(benchmark::State& state, const fs::path& quest) {
    for (auto _ : state) {
        QuietHost host;
        auto engine = std::make_unique<tarvik::Engine>(host);
        host.engine = engine.get();
        engine->OpenQuest(quest.string());
        state.PauseTiming();
        engine.reset();
        state.ResumeTiming();
    }
}

void BM_WindowItems(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    TimeWindow(state, ItemsQuest(n), 0, n);
}
void BM_EngineItems(benchmark::State& state) {
    TimeEngine(state, ItemsQuest(static_cast<int>(state.range(0))));
}
void BM_WindowButtons(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    TimeWindow(state, ButtonsQuest(n), n, 0);
}
void BM_EngineButtons(benchmark::State& state) {
    TimeEngine(state, ButtonsQuest(static_cast<int>(state.range(0))));
}
void BM_WindowPrint(benchmark::State& state) {
    TimeWindow(state, PrintQuest(static_cast<int>(state.range(0))), 0, 0);
}
void BM_EnginePrint(benchmark::State& state) {
    TimeEngine(state, PrintQuest(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_EngineItems)->Arg(2500)->Arg(5000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WindowItems)->Arg(2500)->Arg(5000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EngineButtons)->Arg(2500)->Arg(5000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WindowButtons)->Arg(2500)->Arg(5000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EnginePrint)->Arg(6250)->Arg(25000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WindowPrint)->Arg(6250)->Arg(25000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
