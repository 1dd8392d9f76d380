// Speed of the engine on the three things a large quest stresses: executing statements, loading a big file
// and printing many lines. Quest files are written once per process before any timing; an iteration times
// only the engine opening (loading and running) one of them.
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "bench/bench_quests.h"
#include "engine/engine.h"
#include "text/text.h"

namespace {

namespace fs = std::filesystem;
using tarvik::Engine;
using namespace tarvik::bench;

// ---- Statements ----

// A counter loop: three statements per round (an increment, an assignment with arithmetic, an if with a
// goto). s ends as the sum of the first n odd numbers, n squared, which proves every round ran.
constexpr int kLoopRounds = 333334;
// Executed lines: the three set-up assignments, the label once, three per round, then pln and end.
constexpr int64_t kLoopStatements = 3 + 1 + 3 * int64_t{kLoopRounds} + 2;

const fs::path& LoopQuest() {
    static const fs::path path = [] {
        std::string q = "n=" + std::to_string(kLoopRounds) +
                        "\n"
                        "i=0\n"
                        "s=0\n"
                        ":loop\n"
                        "i+=1\n"
                        "s=s+i*2-1\n"
                        "if i<n then goto loop\n"
                        "pln Сумма: #s$\n"
                        "end\n";
        WriteBytes("loop/loop.qst", QuestBytes(q));
        return ScaleDir() / "loop/loop.qst";
    }();
    return path;
}

void BM_LoopStatements(benchmark::State& state) {
    const fs::path& quest = LoopQuest();
    TimeOpening(state, quest, [](Engine& e) -> std::string {
        const tarvik::Value* s = e.FindVariable("s");
        const double want = static_cast<double>(kLoopRounds) * kLoopRounds;
        if (!s || !s->IsNumber() || s->num != want)
            return "loop did not finish: s = " + (s ? s->ToText() : std::string("<unset>"));
        return {};
    });
    state.counters["statements"] = benchmark::Counter(static_cast<double>(kLoopStatements));
    state.counters["statements/s"] = benchmark::Counter(static_cast<double>(kLoopStatements),
                                                        benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_LoopStatements)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// ---- Loading ----

constexpr size_t kLoadBaseBytes = 640 * 1024;  // 1x; 4x and 16x make 2.5 and 10 MiB

// One location of the generated quest: a two-line comment, a label, a printed line continued on the next line
// with an inline comment, a button, an if and a goto.
std::string LoadBlock(const std::string& prefix, int k) {
    const std::string label = prefix + std::to_string(k);
    const std::string next = prefix + std::to_string(k + 1);
    return "/* Локация " + label +
           ": заметка автора о том, что здесь происходит.\n"
           "   Комментарий занимает две строки и не попадает в программу. */\n"
           ":" +
           label +
           "\n"
           "pln Вы стоите в комнате " +
           label +
           ". /* короткое замечание */ Вокруг тихо,\n"
           "_ и только ветер шумит за окном старой башни.\n"
           "  btn " +
           next +
           ", Идти дальше по коридору\n"
           "if visits_" +
           label +
           ">1 then pln Вы здесь уже были. else pln Вы здесь впервые.\n"
           "visits_" +
           label +
           "+=1 ; счётчик посещений\n"
           "goto " +
           label + "\n";
}

struct LoadQuestInfo {
    fs::path quest;
    size_t bytes = 0;  // the quest and every file it brings in
    int labels = 0;
};

// A quest of about `target` bytes that ends at once ("end" on its first line), so opening it times the loader
// alone. Every 32 locations an include brings in a file of its own, which in turn brings in a shared piece.
LoadQuestInfo MakeLoadQuest(size_t target) {
    const std::string sub = "load_" + std::to_string(target);
    LoadQuestInfo info;
    info.quest = ScaleDir() / sub / "quest.qst";

    const std::string shared = QuestBytes(
        ":shared_note\n"
        "pln Общая часть, которую подключают многие файлы.\n");
    info.bytes += WriteBytes(fs::path(sub) / "shared.inc", shared);

    std::string main = "end\n";
    size_t mainBytes = QuestBytes(main).size();
    int k = 0;
    int includes = 0;
    while (mainBytes + info.bytes < target) {
        std::string block = LoadBlock("loc_", k++);
        ++info.labels;
        if (k % 32 == 0) {
            const std::string name = "part_" + std::to_string(includes++) + ".inc";
            block += "include quest_path" + name + "\n";
            std::string part;
            for (int m = 0; m < 4; ++m) {
                part += LoadBlock("part" + std::to_string(includes) + "_", m);
                ++info.labels;
            }
            // Included text is not rewritten, so "quest_path" would stay a word there: name the file in full.
            part += "include \"" + (ScaleDir() / sub / "shared.inc").string() + "\"\n";
            ++info.labels;  // the shared label arrives once per part
            info.bytes += WriteBytes(fs::path(sub) / name, QuestBytes(part));
        }
        main += block;
        mainBytes += QuestBytes(block).size();
    }
    info.bytes += WriteBytes(fs::path(sub) / "quest.qst", QuestBytes(main));
    return info;
}

const LoadQuestInfo& LoadQuestOfSize(size_t target) {
    static std::map<size_t, LoadQuestInfo> made;
    auto it = made.find(target);
    if (it == made.end()) it = made.emplace(target, MakeLoadQuest(target)).first;
    return it->second;
}

void BM_LoadQuest(benchmark::State& state) {
    const size_t target = kLoadBaseBytes * static_cast<size_t>(state.range(0));
    const LoadQuestInfo& info = LoadQuestOfSize(target);
    TimeOpening(state, info.quest, [&info](Engine& e) -> std::string {
        // Every location, part location and shared label is a label line (repeats counted, as the list keeps
        // them).
        size_t labels = tarvik::text::CountNoCase(e.labelList(), "\r\n");
        if (labels != static_cast<size_t>(info.labels))
            return "expected " + std::to_string(info.labels) + " labels, found " + std::to_string(labels);
        if (e.LabelLine(":loc_0") < 0 || e.LabelLine(":shared_note") < 0) return "labels missing";
        return {};
    });
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(info.bytes));
    state.counters["MiB"] = benchmark::Counter(static_cast<double>(info.bytes) / (1024.0 * 1024.0));
}
BENCHMARK(BM_LoadQuest)->Arg(1)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond);

// ---- Printing ----

constexpr int kPrintBaseLines = 6250;  // 1x; 4x and 16x make 25,000 and 100,000

fs::path MakePrintQuest(int lines, bool endAtOnce) {
    std::string q = endAtOnce ? "end\n" : "cls\n";
    q.reserve(static_cast<size_t>(lines) * 64);
    for (int k = 0; k < lines; ++k)
        q += "pln Строка " + std::to_string(k) + ": текст, который квест выводит на экран.\n";
    q += "end\n";
    const std::string name = "print/" + std::to_string(lines) + (endAtOnce ? "_load.qst" : ".qst");
    WriteBytes(name, QuestBytes(q));
    return ScaleDir() / name;
}

void PrintBenchmark(benchmark::State& state, bool endAtOnce) {
    const int lines = kPrintBaseLines * static_cast<int>(state.range(0));
    const fs::path quest = MakePrintQuest(lines, endAtOnce);
    TimeOpening(state, quest, [lines, endAtOnce](Engine& e) -> std::string {
        size_t shown = tarvik::text::CountNoCase(e.ScreenText(), "\r\n");
        size_t want = endAtOnce ? 0 : static_cast<size_t>(lines);
        if (shown != want)
            return "printed " + std::to_string(shown) + " lines, expected " + std::to_string(want);
        return {};
    });
    state.counters["lines"] = benchmark::Counter(lines);
    if (!endAtOnce)
        state.counters["lines/s"] = benchmark::Counter(lines, benchmark::Counter::kIsIterationInvariantRate);
}

// Opening the print quest loads it too; the same file ending at its first line gives the share of loading.
void BM_PrintLines(benchmark::State& state) {
    PrintBenchmark(state, false);
}
void BM_PrintLinesLoadOnly(benchmark::State& state) {
    PrintBenchmark(state, true);
}
BENCHMARK(BM_PrintLines)->Arg(1)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrintLinesLoadOnly)->Arg(1)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
