// tarvik-cli explore: the explorer's report as a readable summary or as JSON.
#include <charconv>
#include <iomanip>
#include <iostream>
#include <sstream>

#include "cli/author_cmd.h"
#include "cli/json.h"
#include "text/text.h"
#include "tools/explorer.h"

namespace tarvik::cli {

namespace {
const char* g_Usage = "";
}  // namespace

int AuthorUsageError(const std::string& message) {
    std::cerr << "tarvik-cli: " << message << "\n\n" << g_Usage;
    return 64;
}

namespace {

bool ParseCount(const std::string& s, uint64_t max, uint64_t& out) {
    auto res = std::from_chars(s.data(), s.data() + s.size(), out);
    return !s.empty() && res.ec == std::errc() && res.ptr == s.data() + s.size() && out <= max;
}

// A page's text on one line, shortened, for the summary.
std::string Glimpse(const std::string& cp1251) {
    std::string flat;
    bool blank = false;
    for (char c : text::Trim(cp1251)) {
        const bool space = c == '\r' || c == '\n' || c == ' ' || c == '\t';
        if (space && blank) continue;
        flat += space ? ' ' : c;
        blank = space;
    }
    flat = text::Trim(flat);
    if (flat.size() > 70) flat = flat.substr(0, 70) + "...";
    return text::Cp1251ToUtf8(flat);
}

void PrintPath(const std::vector<std::string>& path) {
    std::cout << "    path:";
    if (path.empty()) std::cout << " (the start)";
    for (size_t i = 0; i < path.size(); ++i) std::cout << (i ? "; " : " ") << path[i];
    std::cout << "\n";
}

void WritePath(JsonWriter& json, const std::vector<std::string>& path) {
    json.Key("path");
    json.BeginArray();
    for (const std::string& step : path) json.Utf8String(step);
    json.EndArray();
}

std::string Json(const tools::ExploreResult& r, uint32_t seed) {
    JsonWriter json;
    json.BeginObject();
    json.Key("states");
    json.Number(static_cast<double>(r.states));
    json.Key("complete");
    json.Bool(r.complete);
    json.Key("labels");
    json.BeginObject();
    json.Key("total");
    json.Number(static_cast<double>(r.labels.size()));
    json.Key("reached");
    json.Number(static_cast<double>(r.ReachedCount()));
    json.Key("unreached");
    json.BeginArray();
    for (size_t i = 0; i < r.labels.size(); ++i)
        if (!r.reached[i]) json.String(r.labels[i]);
    json.EndArray();
    json.EndObject();
    json.Key("dead_ends");
    json.BeginArray();
    for (const auto& f : r.deadEnds) {
        json.BeginObject();
        WritePath(json, f.path);
        json.Key("label");
        json.String(f.label);
        json.Key("text");
        json.String(f.text);
        json.EndObject();
    }
    json.EndArray();
    json.Key("errors");
    json.BeginArray();
    for (const auto& f : r.errors) {
        json.BeginObject();
        WritePath(json, f.path);
        json.Key("message");
        json.String(f.message);
        json.Key("line");
        json.Number(f.fileLine);
        json.Key("file");
        json.Utf8String(f.file);
        json.Key("routine");
        json.Utf8String(f.routine);
        json.Key("source");
        json.String(f.source);
        json.EndObject();
    }
    json.EndArray();
    json.Key("endings");
    json.BeginArray();
    for (const auto& f : r.endings) {
        json.BeginObject();
        WritePath(json, f.path);
        json.Key("text");
        json.String(f.text);
        json.EndObject();
    }
    json.EndArray();
    json.Key("seed");
    json.Number(seed);
    json.Key("turns");
    json.Number(static_cast<double>(r.turns));
    json.Key("seconds");
    json.Number(r.seconds);
    json.EndObject();
    return json.str();
}

void Summary(const std::string& quest, const tools::ExploreResult& r, uint32_t seed) {
    std::ostringstream rate;
    rate << std::fixed << std::setprecision(2) << r.seconds << " s";
    if (r.seconds > 0)
        rate << ", " << static_cast<uint64_t>(static_cast<double>(r.states) / r.seconds) << " states/s";
    std::cout << quest << ": " << r.states << " states explored in " << rate.str() << " (seed " << seed
              << "), " << (r.complete ? "complete" : "cut by --max-states: not every path was played")
              << "\n";
    std::cout << "Labels: " << r.ReachedCount() << " of " << r.labels.size() << " reached";
    bool first = true;
    for (size_t i = 0; i < r.labels.size(); ++i) {
        if (r.reached[i]) continue;
        std::cout << (first ? "; unreached: " : ", ") << text::Cp1251ToUtf8(r.labels[i]);
        first = false;
    }
    std::cout << "\n";
    if (!r.deadEnds.empty()) std::cout << "\nDead ends (" << r.deadEnds.size() << "):\n";
    for (const auto& f : r.deadEnds) {
        std::cout << "  :" << text::Cp1251ToUtf8(f.label) << "  \"" << Glimpse(f.text) << "\"\n";
        PrintPath(f.path);
    }
    if (!r.errors.empty()) std::cout << "\nErrors (" << r.errors.size() << "):\n";
    for (const auto& f : r.errors) {
        std::string where;
        if (f.fileLine > 0)
            where = (f.file == quest ? "" : f.file + " ") + "line " + std::to_string(f.fileLine) + ": ";
        std::cout << "  " << where << f.routine << ": " << text::Cp1251ToUtf8(f.message) << "\n";
        PrintPath(f.path);
    }
    if (!r.endings.empty()) std::cout << "\nEndings (" << r.endings.size() << "):\n";
    for (const auto& f : r.endings) {
        std::cout << "  \"" << Glimpse(f.text) << "\"\n";
        PrintPath(f.path);
    }
}

int Explore(const std::vector<std::string>& argv) {
    std::string quest;
    bool json = false;
    tools::ExploreOptions options;
    for (size_t i = 1; i < argv.size(); ++i) {
        const std::string& a = argv[i];
        const bool hasValue = i + 1 < argv.size();
        if (a == "--json") {
            json = true;
        } else if (a == "--max-states") {
            uint64_t n = 0;
            if (!hasValue || !ParseCount(argv[++i], UINT32_MAX, n) || n == 0)
                return AuthorUsageError("--max-states needs a whole number above 0");
            options.maxStates = n;
        } else if (a == "--seed") {
            uint64_t n = 0;
            if (!hasValue || !ParseCount(argv[++i], UINT32_MAX, n))
                return AuthorUsageError("--seed needs a whole number from 0 to 4294967295");
            options.seed = static_cast<uint32_t>(n);
        } else if (a == "--input") {
            if (!hasValue) return AuthorUsageError("--input needs a text (\"\" for an empty answer)");
            options.inputs.push_back(text::Utf8ToCp1251(argv[++i]));
        } else if (a.size() > 1 && a[0] == '-') {
            return AuthorUsageError("explore: unknown option \"" + a + "\"");
        } else if (quest.empty()) {
            quest = a;
        } else {
            return AuthorUsageError("explore needs one quest file");
        }
    }
    if (quest.empty()) return AuthorUsageError("explore needs one quest file");
    tools::ExploreResult r = tools::Explore(quest, options);
    if (!r.readable) {
        std::cerr << "tarvik-cli: cannot read the quest " << quest << "\n";
        return 1;
    }
    if (json)
        std::cout << Json(r, options.seed) << "\n";
    else
        Summary(quest, r, options.seed);
    std::cout.flush();
    return r.ExitCode();
}

}  // namespace

int RunAuthorCommand(const std::vector<std::string>& argv, const char* usage) {
    if (argv.empty()) return -1;
    g_Usage = usage;
    if (argv[0] == "explore") return Explore(argv);
    if (argv[0] == "map") return RunMapCommand(argv);
    return -1;
}

}  // namespace tarvik::cli
