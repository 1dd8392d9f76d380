#include "cli/test_cmd.h"

#include <unistd.h>

#include <charconv>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "cli/script.h"
#include "cli/script_host.h"
#include "cli/unified_diff.h"
#include "engine/engine.h"

namespace tarvik::cli {

namespace {

namespace fs = std::filesystem;

constexpr int kExitDiffers = 1;
constexpr int kExitUsage = 64;
// Every test plays with the same seed unless told otherwise, so a quest's RND repeats from run to run.
constexpr uint32_t kDefaultSeed = 1;

struct TestArgs {
    std::string quest;
    std::vector<std::string> scripts;
    bool bless = false;
    uint32_t seed = kDefaultSeed;
    uint32_t timeoutSeconds = 0;
};

int Usage(const std::string& message, const char* usage) {
    std::cerr << "tarvik-cli: " << message << "\n\n" << usage;
    return kExitUsage;
}

bool ReadAll(const fs::path& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream all;
    all << in.rdbuf();
    out = all.str();
    return !in.bad();
}

// Plays one script and returns its transcript; false with `error` when the script cannot be read or parsed
// or an action fails.
bool Transcript(const TestArgs& args, const std::string& script, size_t number, std::string& out,
                std::string& error) {
    std::string text;
    std::error_code ec;
    if (!fs::is_regular_file(script, ec) || !ReadAll(script, text)) {
        error = "cannot read the script " + script;
        return false;
    }
    std::vector<ScriptAction> actions;
    ScriptError bad;
    if (!ParseScript(text, actions, bad)) {
        error = script + ": line " + std::to_string(bad.line) + ": " + bad.message;
        return false;
    }
    const fs::path file = fs::temp_directory_path() /
                          ("tarvik-test-" + std::to_string(getpid()) + "-" + std::to_string(number) + ".txt");
    ScriptHost host(std::move(actions));
    Engine engine(host);
    host.Attach(engine);
    engine.Seed(args.seed);
    if (!engine.StartTranscript(file.string())) {
        error = "cannot write the transcript " + file.string();
        return false;
    }
    if (args.timeoutSeconds > 0)
        host.SetDeadline(std::chrono::steady_clock::now() + std::chrono::seconds(args.timeoutSeconds));
    engine.OpenQuest(args.quest);
    host.RunToEnd();
    engine.StopTranscript();
    const bool read = ReadAll(file, out);
    fs::remove(file, ec);
    if (host.failed()) {
        error = host.failure().message;
        return false;
    }
    if (!read) {
        error = "cannot read the transcript " + file.string();
        return false;
    }
    return true;
}

int ParseTestArgs(const std::vector<std::string>& argv, TestArgs& args, const char* usage) {
    for (size_t i = 1; i < argv.size(); ++i) {
        const std::string& a = argv[i];
        auto number = [&](uint32_t& out, uint32_t least) {
            if (i + 1 >= argv.size()) return false;
            const std::string& s = argv[++i];
            auto res = std::from_chars(s.data(), s.data() + s.size(), out);
            return res.ec == std::errc() && res.ptr == s.data() + s.size() && out >= least;
        };
        if (a == "--bless") {
            args.bless = true;
        } else if (a == "--seed") {
            if (!number(args.seed, 0))
                return Usage("--seed needs a whole number from 0 to 4294967295", usage);
        } else if (a == "--timeout") {
            if (!number(args.timeoutSeconds, 1))
                return Usage("--timeout needs a whole number of seconds above 0", usage);
        } else if (!a.empty() && a[0] == '-' && a != "-") {
            return Usage("unknown option \"" + a + "\"", usage);
        } else if (args.quest.empty()) {
            args.quest = a;
        } else {
            args.scripts.push_back(a);
        }
    }
    if (args.quest.empty()) return Usage("test needs a quest and at least one script", usage);
    if (args.scripts.empty()) return Usage("test needs at least one script after the quest", usage);
    return -1;
}

}  // namespace

int RunTestCommand(const std::vector<std::string>& argv, const char* usage) {
    if (argv.empty() || argv[0] != "test") return -1;
    TestArgs args;
    if (int rc = ParseTestArgs(argv, args, usage); rc >= 0) return rc;
    std::error_code ec;
    if (!fs::is_regular_file(args.quest, ec)) {
        std::cerr << "tarvik-cli: no such quest: " << args.quest << "\n";
        return kExitDiffers;
    }

    size_t passed = 0, failed = 0;
    for (size_t n = 0; n < args.scripts.size(); ++n) {
        const std::string& script = args.scripts[n];
        const std::string expectedPath = script + ".expected";
        std::string actual, error;
        if (!Transcript(args, script, n, actual, error)) {
            std::cout << "FAIL " << script << ": " << error << "\n";
            ++failed;
            continue;
        }
        if (args.bless) {
            std::ofstream out(expectedPath, std::ios::binary | std::ios::trunc);
            if (!(out << actual) || !out.flush()) {
                std::cout << "FAIL " << script << ": cannot write " << expectedPath << "\n";
                ++failed;
                continue;
            }
            std::cout << "BLESSED " << script << "\n";
            ++passed;
            continue;
        }
        std::string expected;
        if (!fs::is_regular_file(expectedPath, ec) || !ReadAll(expectedPath, expected)) {
            std::cout << "FAIL " << script << ": cannot read " << expectedPath
                      << " (run with --bless to write it)\n";
            ++failed;
            continue;
        }
        const std::string diff = UnifiedDiff(expected, actual, expectedPath, script + " (this run)");
        if (diff.empty()) {
            std::cout << "PASS " << script << "\n";
            ++passed;
        } else {
            std::cout << "FAIL " << script << "\n" << diff;
            ++failed;
        }
    }
    std::cout << passed << (args.bless ? " blessed, " : " passed, ") << failed << " failed\n";
    return failed == 0 ? 0 : kExitDiffers;
}

}  // namespace tarvik::cli
