// Generated quests for the scale benchmarks, shared by the engine and the window benchmarks. Every file is
// written once per process under a temporary folder that is removed at exit.
#pragma once

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

#include "engine/engine.h"
#include "text/text.h"

namespace tarvik::bench {

namespace fs = std::filesystem;

// Answers every question at once; a wait ends the run.
class QuietHost : public Host {
public:
    void Wait(WaitReason, int) override {
        if (engine) engine->RequestStop();
    }
    int MessageBox(const std::string&, const std::string&, int) override { return kAnswerOk; }
    DialogResult InputBox(const std::string&, const std::string&) override { return {}; }
    DialogResult SaveFileDialog(const std::string&, const std::string&) override { return {}; }
    DialogResult OpenFileDialog(const std::string&, const std::string&, const std::string&) override {
        return {};
    }
    double SecondsSinceMidnight() override { return 0; }

    Engine* engine = nullptr;
};

// Opens the quest in a fresh engine: loading and running it until it stops is the timed work. The engine is
// torn down outside the timing. `check` looks at the first finished run and returns an error text, or nothing
// when the run did what the quest says.
template <class Check>
void TimeOpening(benchmark::State& state, const fs::path& quest, Check&& check) {
    bool checked = false;
    for (auto _ : state) {
        QuietHost host;
        auto engine = std::make_unique<Engine>(host);
        host.engine = engine.get();
        engine->Seed(1);
        engine->OpenQuest(quest.string());

        state.PauseTiming();
        if (!checked) {
            std::string error = check(*engine);
            if (!error.empty()) {
                // A skipped benchmark must not resume its timer.
                state.SkipWithError(error.c_str());
                break;
            }
            checked = true;
        }
        engine.reset();
        state.ResumeTiming();
    }
}

inline const fs::path& ScaleDir() {
    struct Dir {
        fs::path path;
        Dir() {
            path = fs::temp_directory_path() / ("tarvik-bench-" + std::to_string(getpid()));
            fs::remove_all(path);
            fs::create_directories(path);
        }
        ~Dir() {
            std::error_code ec;
            if (getpid() == owner) fs::remove_all(path, ec);
        }
        pid_t owner = getpid();
    };
    static Dir dir;
    return dir.path;
}

// UTF-8 source text with LF line ends to the form quests are stored in: code page 1251, CR LF.
inline std::string QuestBytes(const std::string& utf8) {
    std::string crlf;
    crlf.reserve(utf8.size() + utf8.size() / 8);
    for (char c : utf8) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    return text::Utf8ToCp1251(crlf);
}

// Writes a file (raw bytes) under the benchmarks' folder and returns its size.
inline size_t WriteBytes(const fs::path& rel, const std::string& bytes) {
    const fs::path p = ScaleDir() / rel;
    fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary);
    out << bytes;
    if (!out) throw std::runtime_error("cannot write " + p.string());
    return bytes.size();
}

// UTF-8 text with LF line ends written as a quest file (code page 1251, CR LF), once per name.
inline fs::path WriteQuest(const std::string& name, const std::string& utf8) {
    static std::map<std::string, fs::path> written;
    if (auto it = written.find(name); it != written.end()) return it->second;
    WriteBytes(name, QuestBytes(utf8));
    const fs::path p = ScaleDir() / name;
    written.emplace(name, p);
    return p;
}

// n distinct items given one per statement, with Cyrillic names as quests have them.
inline fs::path ItemsQuest(int n) {
    std::string q;
    for (int k = 0; k < n; ++k) q += "inv+ Предмет номер " + std::to_string(k) + "\n";
    q += "end\n";
    return WriteQuest("items_" + std::to_string(n) + ".qst", q);
}

// One page of n buttons, each leading to a location of its own.
inline fs::path ButtonsQuest(int n) {
    std::string q;
    for (int k = 0; k < n; ++k)
        q += "btn Комната" + std::to_string(k) + ", Пойти в комнату " + std::to_string(k) + "\n";
    q += "end\n";
    for (int k = 0; k < n; ++k)
        q += ":Комната" + std::to_string(k) + "\npln Комната " + std::to_string(k) + "\nend\n";
    return WriteQuest("buttons_" + std::to_string(n) + ".qst", q);
}

// n printed lines on one page.
inline fs::path PrintQuest(int n) {
    std::string q;
    for (int k = 0; k < n; ++k)
        q += "pln Строка " + std::to_string(k) + ": текст, который квест выводит на экран.\n";
    q += "end\n";
    return WriteQuest("print_" + std::to_string(n) + ".qst", q);
}

// A text grown by "ab" in each of n rounds, by instr or by concatenation.
inline fs::path GrowTextQuest(int n, bool instr) {
    std::string q = "n=" + std::to_string(n) + "\ni=0\ns=\"\"\n:grow\n";
    q += instr ? "instr s=#s$ab\n" : "s=s+\"ab\"\n";
    q += "i=i+1\nif i<n then goto grow\nend\n";
    return WriteQuest(std::string(instr ? "instr_" : "concat_") + std::to_string(n) + ".qst", q);
}

constexpr int kStatementsPerRound = 10;

// Rounds of ten assignments (the last an if with a goto back), or of ten gotos from label to label.
inline fs::path StatementQuest(int rounds, bool jumps) {
    std::string q = "n=" + std::to_string(rounds) + "\ni=0\nx=0\n:top\n";
    if (jumps) {
        for (int k = 1; k < kStatementsPerRound - 1; ++k)
            q += "goto j" + std::to_string(k) + "\n:j" + std::to_string(k) + "\n";
        q += "i=i+1\n";
    } else {
        for (int k = 1; k < kStatementsPerRound - 1; ++k) q += "x=x+" + std::to_string(k) + "\n";
        q += "i=i+1\n";
    }
    q += "if i<n then goto top\nend\n";
    return WriteQuest(std::string(jumps ? "gotos_" : "assigns_") + std::to_string(rounds) + ".qst", q);
}

// About `bytes` of locations; short lines make the program store's per-line cost show.
inline fs::path BigQuest(size_t bytes, bool shortLines) {
    std::string q = "end\n";
    q.reserve(bytes + 256);
    for (int k = 0; q.size() < bytes; ++k) {
        const std::string n = std::to_string(k);
        if (shortLines) {
            q += ":l" + n + "\nx=1\np a\nbtn l" + n + ",b\n";
        } else {
            q += ":loc" + n + "\npln Вы стоите в комнате " + n +
                 ", вокруг тихо, и только ветер шумит за окном старой башни.\nbtn loc" + n +
                 ", Идти дальше по коридору\nif x>1 then pln Вы здесь уже были. else pln Впервые.\n";
        }
    }
    return WriteQuest("big_" + std::to_string(bytes) + (shortLines ? "_short" : "") + ".qst", q);
}

}  // namespace tarvik::bench
