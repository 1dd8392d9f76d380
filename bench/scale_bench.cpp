// Growth of the engine's cost with the size of what a quest builds: many distinct items, many buttons on one
// page, a long text grown statement by statement, a loop of assignments against a loop of jumps, and the
// memory a large quest needs while it loads. Each case runs at two or three sizes; scripts/bench.sh divides
// the times so that linear growth reads as ratios equal to the size ratios.
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <new>
#include <string>

#include "bench/bench_quests.h"
#include "engine/engine.h"
#include "text/text.h"

// Bytes asked of the allocator, so that a benchmark can say how many text-sized blocks a statement takes. Not
// inlined: the compiler would otherwise pair malloc with delete where it inlines them and warn.
uint64_t g_allocatedBytes = 0;

[[gnu::noinline]] void* operator new(std::size_t n) {
    g_allocatedBytes += n;
    if (void* p = std::malloc(n == 0 ? 1 : n)) return p;
    throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* p) noexcept {
    std::free(p);
}
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

namespace fs = std::filesystem;
using tarvik::Engine;
using namespace tarvik::bench;

void BM_DistinctItems(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    TimeOpening(state, ItemsQuest(n), [n](Engine& e) -> std::string {
        if (e.invLast() + 1 != n) return "items: " + std::to_string(e.invLast() + 1);
        return {};
    });
    state.counters["per_item"] = benchmark::Counter(
        static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_DistinctItems)->Arg(2500)->Arg(5000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_Buttons(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    TimeOpening(state, ButtonsQuest(n), [n](Engine& e) -> std::string {
        if (static_cast<int>(e.buttons().size()) != n)
            return "buttons: " + std::to_string(e.buttons().size());
        return {};
    });
}
BENCHMARK(BM_Buttons)->Arg(2500)->Arg(5000)->Arg(10000)->Unit(benchmark::kMillisecond);

// instr s=#s$ab (or s=s+"ab"): the text grows by two characters a round. text_allocs counts the bytes
// allocated in the whole-text blocks of all the rounds (n squared bytes in all): 1 is one such block a round.
void GrowText(benchmark::State& state, bool instr) {
    const int n = static_cast<int>(state.range(0));
    const uint64_t before = g_allocatedBytes;
    TimeOpening(state, GrowTextQuest(n, instr), [n](Engine& e) -> std::string {
        const tarvik::Value* s = e.FindVariable("s");
        if (!s || s->ToText().size() != 2u * static_cast<size_t>(n)) return "text has the wrong length";
        return {};
    });
    const double texts = static_cast<double>(n) * static_cast<double>(n);
    state.counters["text_allocs"] =
        static_cast<double>(g_allocatedBytes - before) / static_cast<double>(state.iterations()) / texts;
}
void BM_GrowTextInstr(benchmark::State& state) {
    GrowText(state, true);
}
void BM_GrowTextConcat(benchmark::State& state) {
    GrowText(state, false);
}
BENCHMARK(BM_GrowTextInstr)->Arg(10000)->Arg(20000)->Arg(40000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GrowTextConcat)->Arg(10000)->Arg(20000)->Arg(40000)->Unit(benchmark::kMillisecond);

// Ten statements of one kind a round; the ratio of the two per-statement costs is what the jump costs
// against an assignment.
void StatementLoop(benchmark::State& state, bool jumps) {
    const int rounds = static_cast<int>(state.range(0));
    TimeOpening(state, StatementQuest(rounds, jumps), [rounds](Engine& e) -> std::string {
        const tarvik::Value* i = e.FindVariable("i");
        if (!i || !i->IsNumber() || i->num != rounds) return "loop did not finish";
        return {};
    });
    const double statements = static_cast<double>(rounds) * kStatementsPerRound;
    state.counters["per_statement"] = benchmark::Counter(
        statements, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
void BM_AssignmentLoop(benchmark::State& state) {
    StatementLoop(state, false);
}
void BM_GotoLoop(benchmark::State& state) {
    StatementLoop(state, true);
}
BENCHMARK(BM_AssignmentLoop)->Arg(25000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GotoLoop)->Arg(25000)->Arg(100000)->Unit(benchmark::kMillisecond);

// One program line of n statements joined by "&": each piece is an assignment to its own variable.
void BM_ChainLine(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    std::string line;
    for (int k = 0; k < n; ++k) line += (k ? "&v" : "v") + std::to_string(k) + "=" + std::to_string(k);
    const fs::path quest = WriteQuest("chain_" + std::to_string(n) + ".qst", line + "\nend\n");
    const std::string lastValue = std::to_string(n - 1), lastName = "v" + lastValue;
    TimeOpening(state, quest, [&](Engine& e) -> std::string {
        const tarvik::Value* last = e.FindVariable(lastName);
        if (!last || last->ToText() != lastValue) return "the chain did not run to its end";
        return {};
    });
}
BENCHMARK(BM_ChainLine)->Arg(5000)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

// Peak memory of loading, measured in a child process so that every size starts from a clean heap: the
// peak resident size above the start, against the file size and the program store left after loading.
struct LoadMemory {
    double peakMiB = 0;
    double storeMiB = 0;
};

long ResidentKiB(const char* field) {
    FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return -1;
    char line[256];
    long kib = -1;
    const size_t n = std::strlen(field);
    while (std::fgets(line, sizeof line, f)) {
        if (std::strncmp(line, field, n) == 0) kib = std::atol(line + n);
    }
    std::fclose(f);
    return kib;
}

LoadMemory MeasureLoad(const fs::path& quest) {
    int fds[2];
    if (pipe(fds) != 0) return {};
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        // Resets the peak to the present size, so the peak read afterwards is this load's.
        std::ofstream("/proc/self/clear_refs") << "5";
        const long before = ResidentKiB("VmRSS:");
        QuietHost host;
        LoadMemory m;
        {
            Engine engine(host);
            host.engine = &engine;
            engine.OpenQuest(quest.string());
            m.peakMiB = static_cast<double>(ResidentKiB("VmHWM:") - before) / 1024.0;
            malloc_trim(0);  // what is resident now is what the engine keeps
            m.storeMiB = static_cast<double>(ResidentKiB("VmRSS:") - before) / 1024.0;
        }
        if (write(fds[1], &m, sizeof m) != static_cast<ssize_t>(sizeof m)) _exit(1);
        _exit(0);
    }
    close(fds[1]);
    LoadMemory m;
    if (read(fds[0], &m, sizeof m) != static_cast<ssize_t>(sizeof m)) m = {};
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return m;
}

void BM_LoadPeakMemory(benchmark::State& state) {
    const size_t mib = static_cast<size_t>(state.range(0));
    const bool shortLines = state.range(1) != 0;
    const fs::path quest = BigQuest(mib << 20, shortLines);
    const double fileMiB = static_cast<double>(fs::file_size(quest)) / (1024.0 * 1024.0);
    LoadMemory m;
    for (auto _ : state) m = MeasureLoad(quest);
    state.counters["file_MiB"] = fileMiB;
    state.counters["peak_MiB"] = m.peakMiB;
    state.counters["store_MiB"] = m.storeMiB;
    // What loading needs beyond the program store, in files' worth: at most 1.5 is the aim.
    state.counters["extra_per_file"] = (m.peakMiB - m.storeMiB) / fileMiB;
}
BENCHMARK(BM_LoadPeakMemory)
    ->Args({16, 0})
    ->Args({50, 0})
    ->Args({16, 1})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
